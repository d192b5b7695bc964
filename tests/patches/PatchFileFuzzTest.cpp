// Mutation loops over every patch file reader: damaged files of each format
// must give a clean "not usable" (or a usable, well-formed result), never a
// crash, an overrun (AddressSanitizer), a leak or a hang. Bounded in count and
// time so the suite stays quick.

#include "Source/shared/Base64.h"
#include "Source/ticpp/Exception.h"
#include "dsp/Random.h"
#include "patches/PatchFileHandler.h"
#include "patches/PatchTypeBits.h"
#include "patches/Version1Patch.h"

#include "tests/patches/PatchFileTestSupport.h"

#include <chrono>
#include <functional>

using namespace patchtest;

namespace
{
constexpr int kMaxIterations = 4000;
// The time ends the run early on a slow machine, never before these.
constexpr int kMinIterations = 200;
constexpr auto kMaxDuration = std::chrono::milliseconds(1500);

int below(int n)
{
    return n > 0 ? randomInt() % n : 0;
}

void mutate(ByteVector& bytes)
{
    static const std::uint32_t interesting[] = {0, 1, 36, 52, 56, 60, 119, 120, 155, 532, 20000, 20001,
                                                0x7FFFFFFF, 0x80000000u, 0xFFFFFFFFu};
    const int steps = 1 + below(4);
    for (int step = 0; step < steps; ++step)
    {
        const int size = static_cast<int>(bytes.size());
        switch (below(7))
        {
        case 0: // flip a bit
            if (size > 0)
                bytes[static_cast<std::size_t>(below(size))] ^= static_cast<unsigned char>(1u << below(8));
            break;
        case 1: // a random byte
            if (size > 0)
                bytes[static_cast<std::size_t>(below(size))] = static_cast<unsigned char>(below(256));
            break;
        case 2: // an interesting big-endian word
            if (size >= 4)
            {
                const std::uint32_t word = interesting[below(sizeof interesting / sizeof interesting[0])];
                const std::size_t at = static_cast<std::size_t>(below(size - 3)) & ~std::size_t(3);
                for (int i = 0; i < 4; ++i)
                    bytes[at + static_cast<std::size_t>(i)] = static_cast<unsigned char>(word >> (24 - 8 * i));
            }
            break;
        case 3: // truncate
            bytes.resize(static_cast<std::size_t>(below(size + 1)));
            break;
        case 4: // cut out a range
            if (size > 0)
            {
                const int from = below(size);
                const int length = 1 + below(std::min(size - from, 64));
                bytes.erase(bytes.begin() + from, bytes.begin() + from + length);
            }
            break;
        case 5: // repeat a range
            if (size > 0 && size < 200000)
            {
                const int from = below(size);
                const int length = 1 + below(std::min(size - from, 600));
                const ByteVector copy(bytes.begin() + from, bytes.begin() + from + length);
                bytes.insert(bytes.begin() + below(size + 1), copy.begin(), copy.end());
            }
            break;
        default: // insert random bytes
        {
            const int length = 1 + below(16);
            const auto at = bytes.begin() + below(size + 1);
            ByteVector noise(static_cast<std::size_t>(length));
            for (unsigned char& b : noise)
                b = static_cast<unsigned char>(below(256));
            bytes.insert(at, noise.begin(), noise.end());
        }
        }
    }
}

// What a usable result must look like.
void checkResult(int result, const ChunkBuffer& chunk)
{
    ASSERT_GE(result, -1);
    ASSERT_LE(result, 3);
    if (result == 0 || result == 1)
    {
        ASSERT_TRUE(Version1Patch::isBank(chunk));
        for (int slot = 0; slot < Version1Patch::kBankPrograms; ++slot)
        {
            Version1Patch program;
            ASSERT_TRUE(Version1Patch::getProgram(chunk, slot, &program));
            ASSERT_LT(program.nameText().size(), 28u);
            for (float value : program.values)
                ASSERT_TRUE(value >= 0.0f && value <= 1.0f);
        }
    }
    else if (result >= 2)
    {
        ASSERT_FALSE(chunk.empty());
        inflateToString(chunk);
    }
}

// Mutates the seeds into the file at path and runs the reader and the
// classification on each, until the count or the time runs out.
void fuzz(const std::string& path, const std::vector<ByteVector>& seeds, const std::function<int(ChunkBuffer&)>& read,
          unsigned seed)
{
    seedRandom(seed);
    const auto start = std::chrono::steady_clock::now();
    int usable = 0;
    for (int i = 0;
         i < kMaxIterations && (i < kMinIterations || std::chrono::steady_clock::now() - start < kMaxDuration); ++i)
    {
        ByteVector bytes = seeds[static_cast<std::size_t>(i) % seeds.size()];
        if (i >= static_cast<int>(seeds.size()))
            mutate(bytes);
        writeFile(path, bytes);
        ChunkBuffer chunk;
        const int result = read(chunk);
        checkResult(result, chunk);
        if (::testing::Test::HasFatalFailure())
        {
            ADD_FAILURE() << "iteration " << i;
            return;
        }
        usable += result >= 0;
        const std::uint32_t bits = PatchFileHandler::classifyPatchFile(path);
        ASSERT_LT(bits, 0x400u);
    }
    // The unmutated seeds at least were read.
    EXPECT_GE(usable, static_cast<int>(seeds.size()));
}

std::string presetText(const ByteVector& data, const char* subtype)
{
    const std::string base64 = base64Encode(data.data(), static_cast<int>(data.size()));
    return "<plist><dict><key>data</key><data>" + base64 + "</data><key>manufacturer</key><integer>1448301600"
           "</integer><key>subtype</key><integer>" + subtype + "</integer><key>type</key><integer>1635085685"
           "</integer><key>version</key><real>3</real></dict></plist>";
}
}

TEST(PatchFileFuzz, ProgramFileReaderSurvivesDamage)
{
    TempFolder folder;
    PatchFileHandler::writeFxp(folder / "seed.fxp", "Seed", sampleChunk(), false);
    ByteVector v1;
    appendVersion1Program(v1, "Old", 3);
    const std::vector<ByteVector> seeds = {readFile(folder / "seed.fxp"), v1};
    fuzz(folder / "f.fxp", seeds, [&](ChunkBuffer& c) { return PatchFileHandler::readFxp(folder / "f.fxp", 2, c); },
         101);
}

TEST(PatchFileFuzz, BankFileReaderSurvivesDamage)
{
    TempFolder folder;
    const ByteVector current = currentBankFile(sampleChunk());
    fuzz(folder / "f.fxb", {version1BankFile(), current},
         [&](ChunkBuffer& c) { return PatchFileHandler::readFxb(folder / "f.fxb", c); }, 202);
}

TEST(PatchFileFuzz, AuPresetReaderSurvivesDamage)
{
    TempFolder folder;
    PatchFileHandler::writeAupreset(folder / "seed.aupreset", "Seed", sampleChunk(), true);
    ByteVector v1Data;
    for (int p = 0; p < 36; ++p)
    {
        appendName(v1Data, "P" + std::to_string(p), 64);
        for (int i = 0; i < 120; ++i)
            appendFloatBigEndian(v1Data, version1Value(p, i));
    }
    const std::string v1 = presetText(v1Data, "2053467764");
    const std::vector<ByteVector> seeds = {readFile(folder / "seed.aupreset"), ByteVector(v1.begin(), v1.end())};
    int thrown = 0;
    fuzz(folder / "f.aupreset", seeds,
         [&](ChunkBuffer& c) {
             try
             {
                 return PatchFileHandler::readAupreset(folder / "f.aupreset", c);
             }
             catch (const ticpp::Exception&)
             {
                 ++thrown;
                 return -1;
             }
         },
         303);
    EXPECT_GT(thrown, 0); // structural damage was met and reported as such
}

TEST(PatchFileFuzz, HostPresetReaderSurvivesDamage)
{
    TempFolder folder;
    PatchFileHandler::writeTfx(folder / "seed.tfx", sampleChunk(), true);
    fuzz(folder / "f.tfx", {readFile(folder / "seed.tfx")},
         [&](ChunkBuffer& c) { return PatchFileHandler::readTfx(folder / "f.tfx", c); }, 404);
}

TEST(PatchFileFuzz, Version1ProgramReaderSurvivesDamage)
{
    TempFolder folder;
    const ByteVector pst = pstFile(true, "Seed");
    fuzz(folder / "f.pst", {pst}, [&](ChunkBuffer& c) { return PatchFileHandler::readPst(folder / "f.pst", c); },
         505);
}

TEST(PatchFileFuzz, LoadByExtensionSurvivesDamage)
{
    TempFolder folder;
    PatchFileHandler handler;
    PatchFileHandler::writeAupreset(folder / "seed.aupreset", "Seed", sampleChunk(), false);
    fuzz(folder / "f.aupreset", {readFile(folder / "seed.aupreset")},
         [&](ChunkBuffer& c) { return handler.loadPatch(folder / "f.aupreset", c); }, 606);
}
