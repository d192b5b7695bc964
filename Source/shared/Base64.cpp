#include "Source/shared/Base64.h"

namespace
{
// Plain characters: nothing to destroy at exit, before a late close.
constexpr char base64Alphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

int alphabetPosition(char c)
{
    if (c >= 'A' && c <= 'Z')
        return c - 'A';
    if (c >= 'a' && c <= 'z')
        return c - 'a' + 26;
    if (c >= '0' && c <= '9')
        return c - '0' + 52;
    if (c == '+')
        return 62;
    if (c == '/')
        return 63;
    return -1;
}

void emitGroup(const int* p, int bytes, unsigned char* out, std::size_t* outLength)
{
    const unsigned char group[3] = {
        static_cast<unsigned char>(p[0] * 4 + p[1] / 16),
        static_cast<unsigned char>((p[1] % 16) * 16 + p[2] / 4),
        static_cast<unsigned char>((p[2] % 4) * 64 + p[3]),
    };
    for (int i = 0; i < bytes; ++i)
        out[(*outLength)++] = group[i];
}
}

std::string base64Encode(const unsigned char* data, int length)
{
    std::string result;
    if (data == nullptr || length <= 0)
        return result;
    result.reserve((static_cast<std::size_t>(length) + 2) / 3 * 4);
    int i = 0;
    for (; i + 2 < length; i += 3)
    {
        const unsigned v = (data[i] << 16) | (data[i + 1] << 8) | data[i + 2];
        result += base64Alphabet[(v >> 18) & 63];
        result += base64Alphabet[(v >> 12) & 63];
        result += base64Alphabet[(v >> 6) & 63];
        result += base64Alphabet[v & 63];
    }
    const int rest = length - i;
    if (rest > 0)
    {
        const unsigned v = (data[i] << 16) | (rest == 2 ? data[i + 1] << 8 : 0);
        result += base64Alphabet[(v >> 18) & 63];
        result += base64Alphabet[(v >> 12) & 63];
        result += rest == 2 ? base64Alphabet[(v >> 6) & 63] : '=';
        result += '=';
    }
    return result;
}

std::size_t base64DecodedSize(const std::string& text)
{
    return text.size() * 6 / 8;
}

void base64Decode(const std::string& text, unsigned char* out, std::size_t* outLength)
{
    *outLength = 0;
    int positions[4];
    int collected = 0;
    for (char c : text)
    {
        if (c == ' ')
            continue;
        const int p = alphabetPosition(c);
        if (p < 0)
            break;
        positions[collected++] = p;
        if (collected == 4)
        {
            emitGroup(positions, 3, out, outLength);
            collected = 0;
        }
    }
    if (collected > 1)
    {
        for (int i = collected; i < 4; ++i)
            positions[i] = 0;
        emitGroup(positions, collected - 1, out, outLength);
    }
}
