#include "Source/shared/Alerts.h"
#include "Source/shared/Base64.h"
#include "Source/shared/Crc32.h"
#include "Source/shared/Utf8.h"
#include "dsp/AlignedMemory.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdint>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include <sys/mman.h>

namespace
{
std::string decode(const std::string& text)
{
    std::vector<unsigned char> out(base64DecodedSize(text) + 1);
    std::size_t length = 123;
    base64Decode(text, out.data(), &length);
    return std::string(reinterpret_cast<const char*>(out.data()), length);
}

std::string encode(const std::string& text)
{
    return base64Encode(reinterpret_cast<const unsigned char*>(text.data()), static_cast<int>(text.size()));
}
}

TEST(Smoke, Crc32TableIsBuiltAtLoad)
{
    EXPECT_EQ(crc32Table[1], 0x77073096u);
    EXPECT_EQ(crc32Table[255], 0x2D02EF8Du);
}

TEST(Crc32, MatchesKnownCheckValues)
{
    EXPECT_EQ(crc32Of("123456789", 9), 0xCBF43926u);
    EXPECT_EQ(crc32Of("", 0), 0u);
    EXPECT_EQ(crc32Of("The quick brown fox jumps over the lazy dog", 43), 0x414FA339u);
    // Incremental use gives the same result as one pass.
    EXPECT_EQ(crc32Of("6789", 4, crc32Of("12345", 5)), 0xCBF43926u);
}

TEST(Base64, EncodesRfc4648Vectors)
{
    EXPECT_EQ(encode(""), "");
    EXPECT_EQ(encode("f"), "Zg==");
    EXPECT_EQ(encode("fo"), "Zm8=");
    EXPECT_EQ(encode("foo"), "Zm9v");
    EXPECT_EQ(encode("foob"), "Zm9vYg==");
    EXPECT_EQ(encode("fooba"), "Zm9vYmE=");
    EXPECT_EQ(encode("foobar"), "Zm9vYmFy");
    EXPECT_EQ(encode("abc"), "YWJj");
    const unsigned char high[] = {0xFB, 0xFF, 0xBF};
    EXPECT_EQ(base64Encode(high, 3), "+/+/");
}

TEST(Base64, DecodesAndStopsAtPaddingOrForeignCharacters)
{
    EXPECT_EQ(decode("Zm9vYmFy"), "foobar");
    EXPECT_EQ(decode("Zm9vYg=="), "foob");
    EXPECT_EQ(decode("Zm9vYmE="), "fooba");
    EXPECT_EQ(decode("Zm9v=YmFy"), "foo");
    EXPECT_EQ(decode("Zm9v\nYmFy"), "foo");
    EXPECT_EQ(decode("Zm9v*YmFy"), "foo");
    EXPECT_EQ(decode("Z m 9 v Y m F y"), "foobar");
    // Trailing groups of two and three characters give one and two bytes.
    EXPECT_EQ(decode("Zm"), "f");
    EXPECT_EQ(decode("Zm8"), "fo");
    EXPECT_EQ(decode("Z"), "");
    EXPECT_EQ(decode(""), "");
}

TEST(Base64, RoundTripsEveryByteValue)
{
    std::vector<unsigned char> bytes(256);
    for (int i = 0; i < 256; ++i)
        bytes[i] = static_cast<unsigned char>(i);
    for (int length = 0; length <= 256; length += 37)
    {
        const std::string text = base64Encode(bytes.data(), length);
        std::vector<unsigned char> out(base64DecodedSize(text) + 1);
        std::size_t outLength = 0;
        base64Decode(text, out.data(), &outLength);
        ASSERT_EQ(outLength, static_cast<std::size_t>(length));
        EXPECT_EQ(0, std::memcmp(out.data(), bytes.data(), length));
    }
}

TEST(Base64, DecodedSizeIsSixEighthsOfTheLength)
{
    EXPECT_EQ(base64DecodedSize("abcd"), 3u);
    EXPECT_EQ(base64DecodedSize("abcdef"), 4u);
    EXPECT_EQ(base64DecodedSize(""), 0u);
}

TEST(Utf8, InvalidBytesBecomeReplacementCharactersAndCutsKeepCharactersWhole)
{
    EXPECT_EQ(Utf8::makeValid("ok \xC3\xA9"), "ok \xC3\xA9");
    EXPECT_EQ(Utf8::makeValid("a\xFF" "b\xC3"), "a\xEF\xBF\xBD" "b\xEF\xBF\xBD");
    // Overlong forms and surrogates are not valid either.
    EXPECT_FALSE(Utf8::isValid("\xC0\xAF", 2));
    EXPECT_FALSE(Utf8::isValid("\xED\xA0\x80", 3));
    EXPECT_EQ(Utf8::makeValid(static_cast<const char*>(nullptr)), "");

    const char* text = "ab\xE2\x82\xAC"; // "ab€"
    EXPECT_EQ(Utf8::cutLength(text, 5, 4), 2u);
    EXPECT_EQ(Utf8::cutLength(text, 5, 5), 5u);
}

TEST(AlignedMemory, BlocksAreAlignedAndDistinct)
{
    void* empty1 = alignedMalloc(0);
    void* empty2 = alignedMalloc(0);
    EXPECT_NE(empty1, empty2);
    EXPECT_EQ(reinterpret_cast<std::uintptr_t>(empty1) % 16, 0u);
    for (std::size_t n : {1u, 3u, 16u, 17u, 1000u, 4096u})
    {
        auto* p = static_cast<unsigned char*>(alignedMalloc(n));
        ASSERT_EQ(reinterpret_cast<std::uintptr_t>(p) % 16, 0u);
        std::memset(p, 0xAB, n); // the whole block is usable
        alignedFree(p);
    }
    alignedFree(empty1);
    alignedFree(empty2);
    alignedFree(nullptr);
}

// The worker maps the pages of buffers the audio thread may be writing: it
// must map them all and lose none of those writes.
TEST(AlignedMemory, PrefaultMapsPagesAndKeepsAnotherThreadsWrites)
{
    constexpr std::size_t kPages = 64;
    constexpr std::size_t kPage = 4096;
    ZeroPages<std::uint32_t> pages = makeZeroPages<std::uint32_t>(kPages * kPage / sizeof(std::uint32_t));
    std::uint32_t* words = pages.get();
    zeroPagesPrefault(words, kPages * kPage);
    unsigned char resident[kPages] = {};
    ASSERT_EQ(mincore(words, kPages * kPage, resident), 0);
    for (std::size_t page = 0; page < kPages; ++page)
    {
        EXPECT_NE(resident[page] & 1, 0) << "page " << page;
        EXPECT_EQ(words[page * kPage / sizeof(std::uint32_t)], 0u) << "page " << page;
    }

    // The writer finds each word as it left it, however the mapping runs.
    std::atomic<bool> stop{false};
    int changed = 0;
    std::thread writer([&] {
        volatile std::uint32_t* cells = words;
        for (std::uint32_t round = 1; !stop.load(std::memory_order_relaxed) || round < 1000; ++round)
            for (std::size_t page = 0; page < kPages; ++page)
            {
                volatile std::uint32_t& cell = cells[page * kPage / sizeof(std::uint32_t)];
                changed += cell != round - 1;
                cell = round;
            }
    });
    for (int pass = 0; pass < 2000; ++pass)
        zeroPagesPrefault(words, kPages * kPage);
    stop = true;
    writer.join();
    EXPECT_EQ(changed, 0);
}

namespace
{
struct RecordingHandler : AlertHandler
{
    std::string lastMessage;
    int answer = kAnswerStop;
    void showAlert(const char* message, const char*) override { lastMessage = message; }
    int askSkipStop(const char*, const char* message) override
    {
        lastMessage = message;
        return answer;
    }
};
}

TEST(Alerts, DefaultAnswersSkipAllAndHandlerCanBeReplaced)
{
    EXPECT_EQ(askSkipStop("Convert", "A question nobody answers"), kAnswerSkipAll);

    RecordingHandler handler;
    EXPECT_EQ(setAlertHandler(&handler), nullptr);
    showAlert("Could not save", "details");
    EXPECT_EQ(handler.lastMessage, "Could not save");
    handler.answer = kAnswerSkip;
    EXPECT_EQ(askSkipStop("t", "m"), kAnswerSkip);
    EXPECT_EQ(setAlertHandler(nullptr), &handler);
    EXPECT_EQ(askSkipStop("t", "m"), kAnswerSkipAll);
}
