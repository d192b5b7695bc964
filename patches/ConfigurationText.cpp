#include "patches/ConfigurationText.h"

#include "patches/PatchTypeBits.h"

#include <charconv>
#include <climits>
#include <cmath>

std::string normalisedKey(const std::string& text)
{
    std::string key;
    key.reserve(text.size());
    for (char c : text)
    {
        if (c == ' ' || c == '\t')
            continue;
        key += (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
    }
    return key;
}

int lookupName(const std::string& value, const char* const* names, int count)
{
    const std::string key = normalisedKey(value);
    for (int i = 0; i < count; ++i)
        if (key == normalisedKey(names[i]))
            return i;
    return -1;
}

namespace
{
bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

// The number's text with its sign, or false when the value breaks the rule.
bool decimalText(const std::string& value, std::string& number)
{
    std::size_t i = 0;
    while (i < value.size() && value[i] != '-' && value[i] != '.' && !isDigit(value[i]))
        ++i;
    if (i == value.size())
        return false;
    number.clear();
    if (value[i] == '-')
    {
        number = "-";
        ++i;
    }
    bool point = false;
    bool digits = false;
    for (; i < value.size(); ++i)
    {
        const char c = value[i];
        if (c == '.' && !point)
            point = true;
        else if (isDigit(c))
            digits = true;
        else
            return false;
        number += c;
    }
    return digits;
}

template <typename T>
bool parseDecimalAs(const std::string& value, T& out)
{
    std::string number;
    if (!decimalText(value, number))
        return false;
    // from_chars takes neither a leading "." nor a lone trailing one.
    const bool negative = number[0] == '-';
    std::string digits = number.substr(negative ? 1 : 0);
    if (digits[0] == '.')
        digits.insert(0, "0");
    if (digits.back() == '.')
        digits.pop_back();
    T parsed = 0;
    const auto result = std::from_chars(digits.data(), digits.data() + digits.size(), parsed, std::chars_format::fixed);
    if (result.ec != std::errc() || result.ptr != digits.data() + digits.size() || !std::isfinite(parsed))
        return false;
    out = negative ? -parsed : parsed;
    return true;
}

template <typename T>
std::string formatDecimalAs(T value)
{
    char buffer[400];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed);
    if (result.ec != std::errc())
        return "0";
    return std::string(buffer, result.ptr);
}
struct FormatName
{
    const char* name;
    int bit;
};
constexpr FormatName kFormatNames[] = {
    {"AU", static_cast<int>(kFileTypeAupreset)},
    {"VST", static_cast<int>(kFileTypeFxp)},
    {"RTAS", static_cast<int>(kFileTypeTfx)},
};
} // namespace

bool parseDecimal(const std::string& value, float& out)
{
    return parseDecimalAs(value, out);
}

bool parseDecimal(const std::string& value, double& out)
{
    return parseDecimalAs(value, out);
}

std::string formatDecimal(float value)
{
    return formatDecimalAs(value);
}

std::string formatDecimal(double value)
{
    return formatDecimalAs(value);
}

std::vector<std::string> splitAt(const std::string& text, char separator)
{
    std::vector<std::string> pieces;
    std::size_t start = 0;
    for (std::size_t end = text.find(separator); end != std::string::npos; end = text.find(separator, start))
    {
        pieces.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    pieces.push_back(text.substr(start));
    return pieces;
}

bool parseLeadingInteger(const std::string& text, std::size_t from, int& out)
{
    std::size_t start = from;
    while (start < text.size() && text[start] != '-' && !isDigit(text[start]))
        ++start;
    if (start >= text.size())
        return false;
    std::size_t end = start + 1;
    while (end < text.size() && isDigit(text[end]))
        ++end;
    const auto result = std::from_chars(text.data() + start, text.data() + end, out);
    return result.ec == std::errc() && result.ptr == text.data() + end;
}

bool isPlainValue(const std::string& text)
{
    return text.find_first_of("}\r\n") == std::string::npos;
}

std::string recordSafeXml(const std::string& xml)
{
    std::string safe;
    safe.reserve(xml.size());
    bool inTag = false;
    char quote = 0;
    for (char c : xml)
    {
        if (c == '}')
        {
            safe += "&#x7D;";
            continue;
        }
        if (quote != 0 && (c == '\n' || c == '\r'))
        {
            safe += c == '\n' ? "&#x0A;" : "&#x0D;";
            continue;
        }
        if (quote != 0)
        {
            if (c == quote)
                quote = 0;
        }
        else if (inTag)
        {
            if (c == '"' || c == '\'')
                quote = c;
            else if (c == '>')
                inTag = false;
        }
        else if (c == '<')
        {
            inTag = true;
        }
        safe += c;
    }
    return safe;
}

std::string xmlAttributeText(const std::string& text)
{
    std::string escaped;
    escaped.reserve(text.size());
    for (char c : text)
    {
        switch (c)
        {
        case '&':
            escaped += "&amp;";
            break;
        case '<':
            escaped += "&lt;";
            break;
        case '>':
            escaped += "&gt;";
            break;
        case '"':
            escaped += "&quot;";
            break;
        case '\'':
            escaped += "&apos;";
            break;
        default:
            if (static_cast<unsigned char>(c) < 0x20)
            {
                static const char hex[] = "0123456789ABCDEF";
                escaped += "&#x";
                escaped += hex[(c >> 4) & 0xF];
                escaped += hex[c & 0xF];
                escaped += ';';
            }
            else
            {
                escaped += c;
            }
        }
    }
    return escaped;
}

int patchFormatBits(const std::string& names)
{
    int mask = 0;
    for (const std::string& piece : splitAt(names, '+'))
        for (const FormatName& format : kFormatNames)
            if (piece == format.name)
                mask |= format.bit;
    return mask;
}

std::string patchFormatText(int mask)
{
    std::string text;
    if (mask < 1)
        return text;
    for (const FormatName& format : kFormatNames)
    {
        if (!(mask & format.bit))
            continue;
        if (!text.empty())
            text += '+';
        text += format.name;
    }
    return text;
}
