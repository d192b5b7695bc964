#pragma once

#include <array>
#include <string>

// 16 bytes, generated time-based and written as upper-case text.
using Uuid = std::array<unsigned char, 16>;

Uuid generateUuid();
// 36 upper-case characters: 8-4-4-4-12 hexadecimal digits with hyphens.
std::string uuidToString(const Uuid& uuid);
// The nil uuid for an empty text, and for a text that is not a uuid.
Uuid uuidFromString(const std::string& text);
bool isNilUuid(const Uuid& uuid);
