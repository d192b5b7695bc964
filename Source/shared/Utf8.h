#pragma once

#include <cstddef>
#include <string>

// Text reaches Cairo only as valid UTF-8 (one invalid string stops all
// later drawing on a Cairo context), and a name cut to fit a fixed room
// must not end inside a character: the stray byte would reach the patch
// documents and the host's menus.
namespace Utf8
{
// The length of the valid sequence starting at text (1 to 4), or 0 when the
// bytes there do not form one (of at most size bytes).
std::size_t sequenceLength(const char* text, std::size_t size);
bool isValid(const char* text, std::size_t size);
// Every invalid byte becomes U+FFFD; null gives an empty string.
std::string makeValid(const char* text);
std::string makeValid(const std::string& text);
// The longest prefix of at most maxBytes bytes that ends at a character
// boundary.
std::size_t cutLength(const char* text, std::size_t size, std::size_t maxBytes);
} // namespace Utf8
