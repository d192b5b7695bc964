#pragma once

#include <cstdint>

// The layout document as the plug-ins carry it: a zlib stream made from
// resources/layout.xml at build time, and the stream's length in bytes.
extern const unsigned char layoutDocumentStream[];
extern const std::uint64_t layoutDocumentStreamLength;
