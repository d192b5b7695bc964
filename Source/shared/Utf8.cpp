#include "Source/shared/Utf8.h"

#include <cstring>

namespace Utf8
{
std::size_t sequenceLength(const char* text, std::size_t size)
{
    if (size == 0)
        return 0;
    auto byte = [text](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    unsigned char lead = byte(0);
    if (lead < 0x80)
        return 1;
    std::size_t length;
    unsigned char low = 0x80, high = 0xBF; // allowed range of the second byte
    if (lead >= 0xC2 && lead <= 0xDF)
        length = 2;
    else if (lead >= 0xE0 && lead <= 0xEF)
    {
        length = 3;
        if (lead == 0xE0)
            low = 0xA0; // overlong
        else if (lead == 0xED)
            high = 0x9F; // surrogates
    }
    else if (lead >= 0xF0 && lead <= 0xF4)
    {
        length = 4;
        if (lead == 0xF0)
            low = 0x90; // overlong
        else if (lead == 0xF4)
            high = 0x8F; // above U+10FFFF
    }
    else
        return 0;
    if (size < length)
        return 0;
    if (byte(1) < low || byte(1) > high)
        return 0;
    for (std::size_t i = 2; i < length; ++i)
        if ((byte(i) & 0xC0) != 0x80)
            return 0;
    return length;
}

bool isValid(const char* text, std::size_t size)
{
    std::size_t i = 0;
    while (i < size)
    {
        std::size_t length = sequenceLength(text + i, size - i);
        if (length == 0)
            return false;
        i += length;
    }
    return true;
}

std::string makeValid(const char* text)
{
    if (!text)
        return std::string();
    std::size_t size = std::strlen(text);
    std::string result;
    result.reserve(size);
    std::size_t i = 0;
    while (i < size)
    {
        std::size_t length = sequenceLength(text + i, size - i);
        if (length == 0)
        {
            result += "\xEF\xBF\xBD";
            ++i;
        }
        else
        {
            result.append(text + i, length);
            i += length;
        }
    }
    return result;
}

std::string makeValid(const std::string& text)
{
    return isValid(text.data(), text.size()) ? text : makeValid(text.c_str());
}

std::size_t cutLength(const char* text, std::size_t size, std::size_t maxBytes)
{
    if (size <= maxBytes)
        return size;
    std::size_t cut = maxBytes;
    // Step back over continuation bytes to the start of the cut character.
    while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80)
        --cut;
    return cut;
}
} // namespace Utf8
