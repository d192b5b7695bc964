// Damaged and hostile chunks through the plug-in's entry point: every one is
// either refused (answer 0, the patch left as it was) or read into a patch
// whose values all lie in 0..1, never a crash, an overrun (AddressSanitizer),
// a leak or a hang. Bounded in count and time so the suite stays quick.

#include "dsp/Random.h"
#include "tests/support/PatchDocuments.h"
#include "tests/support/TemporaryHome.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <string>
#include <vector>

namespace
{
constexpr int kMaxIterations = 3000;
// The time ends the run early on a slow machine, never before these.
constexpr int kMinIterations = 200;
constexpr auto kMaxDuration = std::chrono::milliseconds(3000);

using Bytes = std::vector<unsigned char>;

int below(int n)
{
    return n > 0 ? randomInt() % n : 0;
}

void mutate(Bytes& bytes, bool text)
{
    static const char kXmlCharacters[] = "<>/=\"' &;!?-x0123456789.";
    const int steps = 1 + below(4);
    for (int step = 0; step < steps; ++step)
    {
        const int size = static_cast<int>(bytes.size());
        switch (below(6))
        {
        case 0: // flip a bit
            if (size > 0)
                bytes[static_cast<std::size_t>(below(size))] ^= static_cast<unsigned char>(1u << below(8));
            break;
        case 1: // a random byte, or a character that matters to XML
            if (size > 0)
                bytes[static_cast<std::size_t>(below(size))] =
                    text ? static_cast<unsigned char>(kXmlCharacters[below(sizeof kXmlCharacters - 1)])
                         : static_cast<unsigned char>(below(256));
            break;
        case 2: // truncate
            bytes.resize(static_cast<std::size_t>(below(size + 1)));
            break;
        case 3: // cut out a range
            if (size > 0)
            {
                const int from = below(size);
                const int length = 1 + below(std::min(64, size - from));
                bytes.erase(bytes.begin() + from, bytes.begin() + from + length);
            }
            break;
        case 4: // repeat a range
            if (size > 0 && size < 1 << 20)
            {
                const int from = below(size);
                const int length = 1 + below(std::min(256, size - from));
                const Bytes copy(bytes.begin() + from, bytes.begin() + from + length);
                bytes.insert(bytes.begin() + below(size + 1), copy.begin(), copy.end());
            }
            break;
        default: // swap two bytes
            if (size > 1)
                std::swap(bytes[static_cast<std::size_t>(below(size))], bytes[static_cast<std::size_t>(below(size))]);
            break;
        }
    }
}

std::string randomNumberText()
{
    static const char* const kNumbers[] = {"0", "-1", "16", "127", "128", "255", "-129", "2147483647",
                                           "99999999999999999999", "1e39", "nan", "-0.5", "3.", "", "x", "1+2"};
    return kNumbers[below(sizeof kNumbers / sizeof kNumbers[0])];
}

std::string randomWord()
{
    static const char* const kWords[] = {"zentrova", "status", "patch", "parameter", "chords", "chord", "key",
                                         "name", "value", "channel", "note", "velocity", "aftertouch", "version",
                                         "FilterType", "ChordMemory", "AuxModAmount", "UnisonMode", "W2Hr24",
                                         "Low Pass", "Poly A", "On", "uuid", "selected_bank", "Pitch"};
    return kWords[below(sizeof kWords / sizeof kWords[0])];
}

// A random document made of the chunk's own element and attribute names.
void randomElement(std::string& out, int depth)
{
    static const char* const kElements[] = {"zentrova", "status", "patch", "parameter", "chords", "chord", "key"};
    static const char* const kAttributes[] = {"version", "name", "value", "channel", "note", "velocity",
                                              "aftertouch", "uuid", "selected_bank", "selected_patch"};
    const std::string element = kElements[below(sizeof kElements / sizeof kElements[0])];
    out += "<" + element;
    // Distinct names: a repeated attribute makes the whole document unreadable.
    const int count = sizeof kAttributes / sizeof kAttributes[0];
    for (int first = below(count), attributes = below(4); attributes > 0; --attributes)
        out += std::string(" ") + kAttributes[(first + attributes) % count] + "=\"" +
               (below(2) ? randomNumberText() : randomWord()) + "\"";
    const int children = depth < 4 ? below(4) : 0;
    if (children == 0)
    {
        out += " />";
        return;
    }
    out += ">";
    for (int child = 0; child < children; ++child)
        randomElement(out, depth + 1);
    out += "</" + element + ">";
}

// A patch of random parameters and chords among random other elements.
Bytes randomDocument()
{
    std::string text = "<zentrova version=\"" + randomNumberText() + "\">";
    for (int children = below(3); children > 0; --children)
        randomElement(text, 1);
    text += "<patch name=\"" + randomWord() + "\">";
    for (int parameters = below(20); parameters > 0; --parameters)
        text += "<parameter name=\"" + randomWord() + "\" value=\"" +
                (below(2) ? randomNumberText() : randomWord()) + "\" />";
    text += "<chords>";
    for (int chords = below(4); chords > 0; --chords)
    {
        text += "<chord channel=\"" + randomNumberText() + "\">";
        for (int keys = below(6); keys > 0; --keys)
            text += "<key note=\"" + randomNumberText() + "\" velocity=\"" + randomNumberText() +
                    "\" aftertouch=\"" + randomNumberText() + "\" />";
        text += "</chord>";
    }
    text += "</chords>";
    for (int children = below(3); children > 0; --children)
        randomElement(text, 2);
    text += "</patch></zentrova>";
    return below(2) ? plainChunk(text) : compressedChunk(text);
}

std::vector<float> valuesOf(HostedPlugin& plugin)
{
    std::vector<float> values;
    for (int index = 0; index < 155; ++index)
        values.push_back(plugin.getParameter(index));
    return values;
}
} // namespace

TEST(ChunkFuzz, DamagedChunksAreRefusedOrReadWithinRange)
{
    TemporaryHome home;
    std::unique_ptr<HostedPlugin> plugin = loadEffectPlugin();
    const std::string chords = "<chords><chord channel=\"0\"><key note=\"60\" velocity=\"100\" aftertouch=\"3\" />"
                               "<key note=\"64\" velocity=\"90\" /></chord><chord channel=\"15\">"
                               "<key note=\"127\" velocity=\"0\" /></chord></chords>";
    ASSERT_EQ(plugin->setChunk(plainChunk(patchDocument("373", {{"ChordMemory", "On"}, {"GlideSpread", "2"}},
                                                         chords)),
                               true),
              1);
    for (int index = 0; index < 155; index += 7)
        plugin->setParameter(index, 0.3f);
    const Bytes seeds[] = {plugin->getChunk(true), plugin->getChunk(false)};
    const std::string seedTexts[] = {chunkText(seeds[0]), chunkText(seeds[1])};

    seedRandom(20240611);
    const auto start = std::chrono::steady_clock::now();
    int refused = 0, read = 0;
    for (int iteration = 0; iteration < kMaxIterations; ++iteration)
    {
        if (iteration >= kMinIterations && std::chrono::steady_clock::now() - start > kMaxDuration)
            break;
        const int seed = below(2);
        Bytes chunk;
        switch (below(3))
        {
        case 0:
            chunk = seeds[seed];
            mutate(chunk, false);
            break;
        case 1:
            chunk = plainChunk(seedTexts[seed]);
            mutate(chunk, true);
            break;
        default:
            chunk = randomDocument();
            break;
        }
        const std::vector<float> before = valuesOf(*plugin);
        const VstIntPtr answer = plugin->setChunk(chunk, below(2) == 0);
        ASSERT_TRUE(answer == 0 || answer == 1) << iteration;
        const std::vector<float> after = valuesOf(*plugin);
        if (answer == 0)
        {
            ++refused;
            ASSERT_EQ(after, before) << iteration;
            continue;
        }
        ++read;
        for (int index = 0; index < 155; ++index)
            ASSERT_TRUE(after[index] >= 0.0f && after[index] <= 1.0f) << iteration << " " << index;
        // Whatever was read writes a chunk that reads back to itself.
        if (iteration % 16 == 0)
        {
            const Bytes written = plugin->getChunk(false);
            ASSERT_EQ(plugin->setChunk(written, false), 1) << iteration;
            ASSERT_EQ(withoutUuids(chunkText(plugin->getChunk(false))), withoutUuids(chunkText(written)))
                << iteration;
        }
    }
    EXPECT_GT(refused, 0);
    EXPECT_GT(read, 0);
}
