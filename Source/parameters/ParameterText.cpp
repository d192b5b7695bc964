#include "Source/parameters/ParameterText.h"

#include <charconv>
#include <climits>
#include <cmath>
#include <cstring>

float parseNumberText(const std::string& text)
{
    double acc = 0.0;
    double divisor = 1.0;
    double sign = 1.0;
    bool fraction = false;
    for (std::size_t i = 0; i < text.size(); ++i)
    {
        char c = text[i];
        if (c == '-' && i == 0)
            sign = -1.0;
        else if (c == '.')
            fraction = true;
        else if (c >= '0' && c <= '9')
        {
            acc = 10.0 * acc + (c - '0') * sign;
            if (fraction)
                divisor *= 10.0;
        }
    }
    double result = acc / divisor;
    return std::isfinite(result) ? static_cast<float>(result) : 0.0f;
}

int parseIntegerText(const std::string& text)
{
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || (text[i] >= '\t' && text[i] <= '\r')))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+'))
        negative = text[i++] == '-';
    long long n = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i)
    {
        n = 10 * n + (text[i] - '0');
        if (n > static_cast<long long>(INT_MAX) + 1)
            n = static_cast<long long>(INT_MAX) + 1;
    }
    if (negative)
        n = -n;
    if (n > INT_MAX)
        n = INT_MAX;
    return static_cast<int>(n);
}

namespace
{
// Wide enough for any double in fixed notation with up to 9 decimals.
constexpr std::size_t kFixedBufferSize = 340;

std::size_t printFixed(char (&buffer)[kFixedBufferSize], double value, int decimals)
{
    std::to_chars_result result =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, decimals);
    return result.ec == std::errc() ? static_cast<std::size_t>(result.ptr - buffer) : 0;
}
}

std::string formatFixed(double value, int decimals)
{
    char buffer[kFixedBufferSize];
    return std::string(buffer, printFixed(buffer, value, decimals));
}

void formatFixed(char* out, std::size_t size, double value, int decimals)
{
    if (size == 0)
        return;
    char buffer[kFixedBufferSize];
    std::size_t n = printFixed(buffer, value, decimals);
    if (n > size - 1)
        n = size - 1;
    std::memcpy(out, buffer, n);
    out[n] = '\0';
}

std::string formatInteger(long long value)
{
    if (value > 99999999 || value < -9999999)
        return "Huge!";
    char buffer[16];
    std::to_chars_result result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::string(buffer, result.ptr);
}

void copyText(char* out, const char* text, std::size_t size)
{
    if (size == 0)
        return;
    std::size_t n = text ? std::strlen(text) : 0;
    if (n > size - 1)
        n = size - 1;
    if (n > 0)
        std::memcpy(out, text, n);
    out[n] = '\0';
}
