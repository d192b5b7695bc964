#pragma once

#include <cstddef>
#include <string>

std::string base64Encode(const unsigned char* data, int length);

// An upper bound of the decoded size, for sizing the output buffer.
std::size_t base64DecodedSize(const std::string& text);

// Decodes until the text ends, a "=" or a character outside the alphabet and
// space; *outLength counts the bytes written to out.
void base64Decode(const std::string& text, unsigned char* out, std::size_t* outLength);
