#pragma once

#include "patches/ChunkBuffer.h"

#include <cstdint>
#include <string>

// AU preset files (".aupreset"): a property list holding the patch chunk as
// Base64 data with the plug-in's manufacturer, subtype and type codes.
class AuPresetFiles
{
public:
    // 0 written, 1 when the file cannot be written.
    static int writeAupreset(const std::string& path, const std::string& patchName, const ChunkBuffer& chunk,
                             bool isEffect);
    // FileTypeBits: 0x1, plus 0x80 "zen2", 0x40 "z2fx" or 0x20 "zent" by the
    // subtype, or 0x200 when the file is not a usable preset. The data text is
    // copied to data when asked for. Structural XML errors (no "plist", "dict"
    // or "key", a key without a value element, malformed text, an unreadable
    // file) throw ticpp::Exception.
    static std::uint32_t parseAupreset(const std::string& path, std::string* data = nullptr);
    // 3 a program chunk, 0 a version-1 bank (converted into the version-1 bank
    // buffer), -1 not usable; throws as parseAupreset does.
    static int readAupreset(const std::string& path, ChunkBuffer& chunk);
};
