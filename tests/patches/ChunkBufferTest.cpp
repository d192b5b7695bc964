#include "patches/ChunkBuffer.h"
#include "patches/Uuid.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>
#include <zlib.h>

namespace
{
std::string patchLikeText(std::size_t atLeast)
{
    std::string text = "<?xml version=\"1.0\" ?>\n<zentrova version=\"2.0\">\n";
    for (int i = 0; text.size() < atLeast; ++i)
        text += "    <parameter key=\"p" + std::to_string(i) + "\" value=\"" + std::to_string(i * 0.37) + "\" />\n";
    return text + "</zentrova>\n";
}
}

TEST(Smoke, ChunkRoundTrip)
{
    ChunkBuffer chunk;
    ASSERT_EQ(chunk.assignCompressed("<zentrova />"), Z_OK);
    EXPECT_EQ(inflateToString(chunk), "<zentrova />");
}

TEST(ChunkBuffer, CompressedTextInflatesToTheSameText)
{
    for (std::size_t length : {0u, 100u, 16383u, 16384u, 50000u, 300000u})
    {
        const std::string text = patchLikeText(length);
        ChunkBuffer chunk;
        ASSERT_EQ(chunk.assignCompressed(text), Z_OK);
        EXPECT_LT(chunk.size, text.size());
        EXPECT_EQ(inflateToString(chunk), text) << "length " << length;
    }
}

TEST(ChunkBuffer, ShortAndIncompressibleTextsStillCompress)
{
    for (const std::string& text : {std::string(), std::string("x"), std::string("\x01\x7f\x33\x1e\x55\x62\x13")})
    {
        ChunkBuffer chunk;
        ASSERT_EQ(chunk.assignCompressed(text), Z_OK);
        EXPECT_GT(chunk.size, text.size() + 1); // zlib's header alone is larger
        EXPECT_EQ(inflateToString(chunk), text);
    }
    std::string noise(5000, '\0');
    unsigned state = 12345;
    for (char& c : noise)
    {
        state = state * 1103515245u + 12345u;
        c = static_cast<char>(1 + (state >> 16) % 255);
    }
    ChunkBuffer chunk;
    ASSERT_EQ(chunk.assignCompressed(noise), Z_OK);
    EXPECT_EQ(inflateToString(chunk), noise);
}

TEST(ChunkBuffer, PlainTextIsAcceptedUpToItsNul)
{
    const char text[] = "<zentrova version=\"2.0\" />\0garbage";
    ChunkBuffer chunk(text, sizeof text);
    EXPECT_EQ(inflateToString(chunk), "<zentrova version=\"2.0\" />");
}

TEST(ChunkBuffer, PlainTextWithoutNulStopsAtTheBufferEnd)
{
    // Under AddressSanitizer a read past the eight bytes would be caught.
    std::vector<char> bytes = {'<', 'a', ' ', '/', '>', 'x', 'y', 'z'};
    ChunkBuffer chunk;
    chunk.attach(bytes.data(), 5);
    EXPECT_EQ(inflateToString(chunk), "<a />");
    chunk.detach();
    EXPECT_EQ(chunk.data, nullptr);
    EXPECT_EQ(bytes[0], '<'); // detach did not free the caller's bytes
}

TEST(ChunkBuffer, TruncatedStreamComesBackAsRawBytes)
{
    const std::string text = patchLikeText(40000);
    ChunkBuffer full;
    ASSERT_EQ(full.assignCompressed(text), Z_OK);
    for (std::uint64_t cut : {std::uint64_t(2), full.size / 2, full.size - 1})
    {
        ChunkBuffer truncated(full.data, cut);
        const std::string result = inflateToString(truncated);
        const void* nul = std::memchr(full.data, 0, cut);
        const std::size_t expected = nul ? static_cast<const unsigned char*>(nul) - full.data : cut;
        EXPECT_EQ(result, std::string(reinterpret_cast<const char*>(full.data), expected)) << "cut " << cut;
    }
}

TEST(ChunkBuffer, EmptyAndCorruptInputGiveRawTextWithoutHanging)
{
    ChunkBuffer empty;
    EXPECT_EQ(inflateToString(empty), "");

    // A zlib header that asks for a preset dictionary must not loop forever.
    const unsigned char dictionaryHeader[] = {0x78, 0xBB, 0x00, 0x00, 0x00, 0x01, 0x4B, 0x04, 0x00};
    ChunkBuffer withDictionary(dictionaryHeader, sizeof dictionaryHeader);
    EXPECT_EQ(inflateToString(withDictionary), std::string("\x78\xBB"));

    const unsigned char garbage[] = {0x78, 0x9C, 0xFF, 0xFF, 0xFF, 0xFF, 0x41};
    ChunkBuffer corrupt(garbage, sizeof garbage);
    EXPECT_EQ(inflateToString(corrupt), std::string(reinterpret_cast<const char*>(garbage), sizeof garbage));
}

TEST(ChunkBuffer, TextBeyondWhatAnyPatchNeedsIsNoText)
{
    // 60 MiB of one letter compresses to about 60 KB: no patch at all.
    const std::string bomb(60ull << 20, 'A');
    ChunkBuffer chunk;
    ASSERT_EQ(chunk.assignCompressed(bomb), Z_OK);
    EXPECT_EQ(inflateToString(chunk), "");
    std::string bytes;
    bool tooLarge = false;
    EXPECT_FALSE(inflateBytes(chunk, bytes, kMaxPatchTextSize, &tooLarge));
    EXPECT_TRUE(tooLarge);
    EXPECT_TRUE(bytes.empty());
    // A larger limit (the patch-tree cache's) takes it whole.
    EXPECT_EQ(inflateToString(chunk, 64ull << 20).size(), bomb.size());

    const std::string atLimit(kMaxPatchTextSize, 'B');
    ASSERT_EQ(chunk.assignCompressed(atLimit), Z_OK);
    EXPECT_EQ(inflateToString(chunk), atLimit);
    ASSERT_EQ(chunk.assignCompressed(atLimit + "B"), Z_OK);
    EXPECT_EQ(inflateToString(chunk), "");

    // Plain text is held to the same limit.
    const std::string plain = atLimit + "B";
    ChunkBuffer raw(plain.c_str(), plain.size() + 1);
    EXPECT_EQ(inflateToString(raw), "");
}

TEST(ChunkBuffer, InflatedBytesKeepTheirNuls)
{
    const std::string binary("a\0b\0\0c", 6);
    ChunkBuffer chunk;
    // The text's own NUL is compressed too.
    ASSERT_EQ(chunk.assignCompressed(binary), Z_OK);
    std::string bytes;
    ASSERT_TRUE(inflateBytes(chunk, bytes, 100));
    EXPECT_EQ(bytes, std::string("a\0b\0\0c\0", 7));
    ChunkBuffer notAStream("plain", 5);
    EXPECT_FALSE(inflateBytes(notAStream, bytes, 100));
}

TEST(ChunkBuffer, OwnershipAndMoves)
{
    ChunkBuffer a("abc", 3);
    ChunkBuffer b(std::move(a));
    EXPECT_EQ(a.data, nullptr);
    EXPECT_EQ(a.size, 0u);
    ASSERT_EQ(b.size, 3u);
    EXPECT_EQ(0, std::memcmp(b.data, "abc", 3));
    b.resize(10);
    EXPECT_EQ(b.size, 10u);
    ChunkBuffer c;
    c = std::move(b);
    EXPECT_EQ(c.size, 10u);
}

TEST(Uuid, TextFormRoundTrips)
{
    const Uuid a = generateUuid();
    const Uuid b = generateUuid();
    EXPECT_NE(a, b);
    EXPECT_FALSE(isNilUuid(a));
    const std::string text = uuidToString(a);
    ASSERT_EQ(text.size(), 36u);
    for (std::size_t i : {8u, 13u, 18u, 23u})
        EXPECT_EQ(text[i], '-');
    for (char c : text)
        EXPECT_TRUE(c == '-' || (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F')) << text;
    EXPECT_EQ(uuidFromString(text), a);
    // Time-based: version 1 in the high nibble of byte 6.
    EXPECT_EQ(a[6] >> 4, 1);
}

TEST(Uuid, EmptyOrMalformedTextGivesNil)
{
    EXPECT_TRUE(isNilUuid(uuidFromString("")));
    EXPECT_TRUE(isNilUuid(uuidFromString("not a uuid")));
    EXPECT_TRUE(isNilUuid(uuidFromString("0F1E2D3C-4B5A-6978-8796-A5B4C3D2E1F0 trailing")));
    EXPECT_EQ(uuidToString(uuidFromString("0f1e2d3c-4b5a-6978-8796-a5b4c3d2e1f0")),
              "0F1E2D3C-4B5A-6978-8796-A5B4C3D2E1F0");
}
