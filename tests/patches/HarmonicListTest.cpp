#include "patches/HarmonicList.h"
#include "patches/HarmonicListMessagePipe.h"
#include "Source/shared/Alerts.h"

#include "tests/patches/PatchFileTestSupport.h"
#include "tests/support/RecordingAlerts.h"
#include "tests/support/TimeBudget.h"

#include <atomic>
#include <chrono>
#include <filesystem>
#include <thread>

using patchtest::TempFolder;

namespace
{
Harmonics levels(int first, int rest = 0)
{
    unsigned char bytes[Harmonics::kCount];
    for (int i = 0; i < Harmonics::kCount; ++i)
        bytes[i] = static_cast<unsigned char>(i == 0 ? first : rest);
    return Harmonics(bytes);
}

std::string record(const std::string& name, const std::string& levelsText)
{
    return "{" + name + "}{" + levelsText + "}\n";
}

std::string plainLevels(int first, const std::string& rest = "0")
{
    std::string text = std::to_string(first);
    for (int i = 1; i < Harmonics::kCount; ++i)
        text += " " + rest;
    return text;
}

std::vector<std::string> drain(HarmonicListMessagePipe& pipe)
{
    std::vector<std::string> messages;
    HarmonicListMessage message;
    while (pipe.hasMessages() && pipe.pop(message))
        messages.push_back((message.kind == HarmonicListMessage::kAdded ? "+" : "-") + std::to_string(message.index) +
                           (message.kind == HarmonicListMessage::kAdded ? " " + std::string(message.name) : ""));
    return messages;
}

// One client of the process-wide list, released at the end of the test.
struct Client
{
    explicit Client(const std::string& folder) : list(HarmonicList::acquire(id, &pipe, folder)) {}
    ~Client() { HarmonicList::release(id); }

    HarmonicListMessagePipe pipe;
    std::uint64_t id = 0;
    HarmonicList* list;
};
}

TEST(HarmonicList, ReadsRecordsAndSkipsEverythingElse)
{
    TempFolder temp;
    patchtest::writeFile(temp / "Zentrova2.hrm",
                         record("Bright", plainLevels(200)) + "a comment line\r\n\n" + record("", plainLevels(1)) +
                             "{Broken}(1 2 3)\n" + record("Short", "1 2 3") + record("  Hollow ", plainLevels(90)) +
                             record("Clamped", "300 -4 " + plainLevels(7, "7").substr(4)) +
                             record("A name of twenty-five ch", plainLevels(5)));
    Client client(temp.path());
    HarmonicList& list = *client.list;
    ASSERT_EQ(list.size(), 4);
    EXPECT_EQ(list.getWaveAt(1).name(), "A name of twenty-fiv");
    EXPECT_EQ(list.getWaveAt(2).name(), "Bright");
    EXPECT_EQ(list.getWaveAt(3).name(), "Clamped");
    EXPECT_EQ(list.getWaveAt(4).name(), "Hollow");
    EXPECT_EQ(list.getWaveAt(3).harmonics().level(0), 255);
    EXPECT_EQ(list.getWaveAt(3).harmonics().level(1), 0);
    EXPECT_EQ(list.getWaveAt(3).harmonics().level(2), 7);
    EXPECT_EQ(list.getIndexFor(levels(90)), 4);
    EXPECT_EQ(list.getIndexFor(levels(91)), 0);
    EXPECT_EQ(list.getWaveAt(0).name(), "");
    EXPECT_EQ(list.getWaveAt(5).name(), "");
    // The new client heard of every stored wave, in list order.
    EXPECT_EQ(drain(client.pipe), (std::vector<std::string>{"+1 A name of twenty-fiv", "+2 Bright", "+3 Clamped",
                                                             "+4 Hollow"}));
}

TEST(HarmonicList, AByteOrderMarkBeforeTheFirstRecordIsPassedOver)
{
    TempFolder temp;
    patchtest::writeFile(temp / "Zentrova2.hrm",
                         "\xEF\xBB\xBF" + record("Bright", plainLevels(200)) + record("Dark", plainLevels(10)));
    Client client(temp.path());
    ASSERT_EQ(client.list->size(), 2);
    EXPECT_EQ(client.list->getWaveAt(1).name(), "Bright");
}

TEST(HarmonicList, AFileOfJunkIsKeptAsideBeforeTheListIsWrittenAndTheUserTold)
{
    TempFolder temp;
    const std::string file = temp / "Zentrova2.hrm";
    std::string junk;
    std::uint32_t noise = 12345;
    for (int i = 0; i < 4096; ++i)
    {
        noise = noise * 1664525u + 1013904223u;
        junk += static_cast<char>(noise >> 24);
    }
    patchtest::writeFile(file, junk);
    RecordingAlerts alerts;
    {
        Client client(temp.path());
        EXPECT_EQ(client.list->size(), 0);
        client.list->storeWave("Kept", levels(7));
    }
    EXPECT_EQ(patchtest::readText(file + "._bk"), junk);
    EXPECT_NE(patchtest::readText(file).find("{Kept}"), std::string::npos);
    showDeferredAlerts();
    const std::vector<std::string> told = alerts.naming(file);
    ASSERT_EQ(told.size(), 1u);
    EXPECT_EQ(told[0].rfind("Harmonic List Not Read: " + file + " holds no harmonic wave", 0), 0u) << told[0];
    EXPECT_NE(told[0].find(file + "._bk."), std::string::npos) << told[0];

    Client again(temp.path());
    EXPECT_EQ(again.list->size(), 1);
    EXPECT_FALSE(std::filesystem::exists(file + "._bk2")) << "a list that was read needs no backup";
}

TEST(HarmonicList, AFileThatCannotBeReadIsNeverWrittenOver)
{
    // A folder in the file's place: no one reads it as a file, the
    // superuser included, as a file without read permission.
    TempFolder temp;
    const std::string file = temp / "Zentrova2.hrm";
    std::filesystem::create_directory(file);
    patchtest::writeFile(file + "/inside", "kept");
    RecordingAlerts alerts;
    {
        Client client(temp.path());
        client.list->storeWave("New", levels(7));
    }
    Client again(temp.path());
    EXPECT_EQ(again.list->size(), 0);
    showDeferredAlerts();
    const std::vector<std::string> told = alerts.naming(file);
    ASSERT_EQ(told.size(), 1u) << "told once, when read";
    EXPECT_EQ(told[0].rfind("Harmonic List Not Read: " + file + " cannot be read", 0), 0u) << told[0];
    EXPECT_EQ(patchtest::readText(file + "/inside"), "kept");
}

TEST(HarmonicList, NamesSortWithoutCaseButDifferWithCase)
{
    TempFolder temp;
    Client client(temp.path());
    HarmonicList& list = *client.list;
    list.storeWave("bright", levels(1));
    list.storeWave("Bright", levels(2));
    list.storeWave("alpha", levels(3));
    EXPECT_EQ(list.size(), 3);
    EXPECT_EQ(list.getWaveAt(1).name(), "alpha");
    EXPECT_EQ(list.getIndexFor(levels(1)), 2);
    EXPECT_EQ(list.getIndexFor(levels(2)), 3);
    EXPECT_EQ(drain(client.pipe), (std::vector<std::string>{"+1 bright", "+2 Bright", "+1 alpha"}));

    // The same name with the same levels changes nothing and tells no one.
    list.storeWave("Bright", levels(2));
    EXPECT_TRUE(drain(client.pipe).empty());
    list.storeWave("   ", levels(9));
    EXPECT_EQ(list.size(), 3);
}

TEST(HarmonicList, StoringKnownLevelsUnderANewNameRemovesTheOldEntryFirst)
{
    TempFolder temp;
    Client client(temp.path());
    HarmonicList& list = *client.list;
    list.storeWave("Alpha", levels(1));
    list.storeWave("Omega", levels(2));
    drain(client.pipe);

    list.storeWave("Middle", levels(1));
    EXPECT_EQ(drain(client.pipe), (std::vector<std::string>{"-1", "+1 Middle"}));
    EXPECT_EQ(list.getIndexFor(levels(1)), 1);
    EXPECT_EQ(list.getIndexFor(levels(2)), 2);
    // A known name with new levels replaces its entry.
    list.storeWave("Omega", levels(3));
    EXPECT_EQ(drain(client.pipe), (std::vector<std::string>{"-2", "+2 Omega"}));
    EXPECT_EQ(list.getIndexFor(levels(2)), 0);
}

TEST(HarmonicList, EveryClientHearsOfChangesAndMessagesCutLongNames)
{
    TempFolder temp;
    Client first(temp.path());
    Client second(temp.path());
    EXPECT_EQ(first.list, second.list);
    EXPECT_NE(first.id, second.id);
    first.list->storeWave(std::string(40, 'x'), levels(1));
    const std::vector<std::string> expected{"+1 " + std::string(31, 'x')};
    EXPECT_EQ(drain(first.pipe), expected);
    EXPECT_EQ(drain(second.pipe), expected);
    EXPECT_EQ(first.list->getWaveAt(1).name(), std::string(40, 'x'));
}

TEST(HarmonicList, LastReleaseSavesTheFileTheNextListReads)
{
    TempFolder temp;
    {
        Client client(temp.path());
        client.list->storeWave("Bright", levels(200, 3));
        client.list->storeWave("Dark", levels(10));
    }
    const std::string expected = "{Bright}{200   3   3   3   3   3   3   3   3   3   3   3   3   3   3   3   3   3   3"
                                 "   3   3   3   3   3}\n"
                                 "{Dark}{ 10   0   0   0   0   0   0   0   0   0   0   0   0   0   0   0   0   0   0"
                                 "   0   0   0   0   0}\n";
    EXPECT_EQ(patchtest::readText(temp / "Zentrova2.hrm"), expected);
    Client again(temp.path());
    EXPECT_EQ(again.list->size(), 2);
    EXPECT_EQ(again.list->getIndexFor(levels(200, 3)), 1);
}

TEST(HarmonicList, NamesCannotBreakTheirRecords)
{
    TempFolder temp;
    {
        Client client(temp.path());
        client.list->storeWave("Close}{1 2", levels(1));
        client.list->storeWave("Two\nLines\r", levels(2));
        EXPECT_EQ(client.list->getWaveAt(1).name(), "Close){1 2");
    }
    Client again(temp.path());
    ASSERT_EQ(again.list->size(), 2);
    EXPECT_EQ(again.list->getWaveAt(1).name(), "Close){1 2");
    EXPECT_EQ(again.list->getWaveAt(2).name(), "Two Lines");
    EXPECT_EQ(again.list->getIndexFor(levels(2)), 2);
}

TEST(HarmonicList, LoadMergesAnotherFileIntoTheListsOwn)
{
    TempFolder temp;
    patchtest::writeFile(temp / "other.hrm", record("Guest", plainLevels(42)));
    {
        Client client(temp.path());
        EXPECT_FALSE(client.list->load(temp / "missing.hrm"));
        EXPECT_TRUE(client.list->load(temp / "other.hrm"));
        EXPECT_EQ(drain(client.pipe), (std::vector<std::string>{"+1 Guest"}));
    }
    EXPECT_NE(patchtest::readText(temp / "Zentrova2.hrm").find("{Guest}"), std::string::npos);
}

TEST(HarmonicList, WithoutAContentFolderTheListLivesInMemoryOnly)
{
    Client client("");
    client.list->storeWave("Kept", levels(1));
    EXPECT_EQ(client.list->size(), 1);
    EXPECT_FALSE(client.list->load());
}

TEST(HarmonicList, PipeCarriesMessagesBetweenThreadsInOrder)
{
    HarmonicListMessagePipe pipe;
    constexpr int kCount = 2000;
    std::thread producer([&] {
        for (int i = 1; i <= kCount; ++i)
        {
            HarmonicListMessage message;
            message.index = i;
            pipe.push(message);
        }
    });
    int expected = 1;
    while (expected <= kCount)
    {
        HarmonicListMessage message;
        if (pipe.hasMessages() && pipe.pop(message))
        {
            ASSERT_EQ(message.index, expected);
            ++expected;
        }
    }
    producer.join();
    HarmonicListMessage none;
    EXPECT_FALSE(pipe.hasMessages());
    EXPECT_FALSE(pipe.pop(none));
}

TEST(HarmonicList, ClientsOnSeveralThreadsShareOneList)
{
    TempFolder temp;
    std::atomic<int> ready{0};
    auto editor = [&](int seed) {
        Client client(temp.path());
        ++ready;
        for (int i = 0; i < 50; ++i)
            client.list->storeWave("Wave " + std::to_string(seed * 100 + i), levels(seed, i));
        while (ready < 3)
            std::this_thread::yield();
        drain(client.pipe);
    };
    std::thread a(editor, 1), b(editor, 2), c(editor, 3);
    a.join();
    b.join();
    c.join();
    Client last(temp.path());
    EXPECT_EQ(last.list->size(), 150);
}

namespace
{
// Waves "Wave 0", "Wave 1", ... with levels of their own, varied by shade.
std::string manyRecords(int count, int offset = 0, int shade = 0)
{
    std::string text;
    for (int i = offset; i < offset + count; ++i)
    {
        std::string levelsText = std::to_string(i % 256) + " " + std::to_string(i / 256) + " " + std::to_string(shade);
        for (int k = 3; k < Harmonics::kCount; ++k)
            levelsText += " 0";
        text += record("Wave " + std::to_string(i), levelsText);
    }
    return text;
}

// This thread's CPU time for a list of count waves replaced by a dropped one
// of as many; the least of a few tries, so that what ran beside it counts
// for little.
double replacementCost(int count)
{
    TempFolder temp;
    patchtest::writeFile(temp / "Zentrova2.hrm", manyRecords(count));
    patchtest::writeFile(temp / "dropped.hrm", manyRecords(count, 0, 1));
    double least = 1e9;
    for (int attempt = 0; attempt < 5; ++attempt)
    {
        Client client(temp.path());
        const double start = threadCpuSeconds();
        EXPECT_TRUE(client.list->load(temp / "dropped.hrm"));
        least = std::min(least, threadCpuSeconds() - start);
        // Back to the list's own waves for the next try.
        patchtest::writeFile(temp / "Zentrova2.hrm", manyRecords(count));
    }
    return least;
}

}

// Not among the thread tests: their sanitizer would only measure itself.
TEST(HarmonicListSize, AFullListReplacedByADroppedOneCostsInProportionToItsSize)
{
    TempFolder temp;
    const int full = static_cast<int>(HarmonicList::kMaxMergedWaves);
    patchtest::writeFile(temp / "Zentrova2.hrm", manyRecords(full));
    patchtest::writeFile(temp / "dropped.hrm", manyRecords(full, 0, 1));
    {
        Client client(temp.path());
        ASSERT_TRUE(client.list->load(temp / "dropped.hrm"));
        EXPECT_EQ(drain(client.pipe).size(), 3u * HarmonicList::kMaxMergedWaves);
        ASSERT_EQ(client.list->size(), full);
        const HarmonicWave last = client.list->getWaveAt(full);
        EXPECT_EQ(last.name(), "Wave 999");
        EXPECT_EQ(last.harmonics().level(2), 1);
        EXPECT_EQ(client.list->getIndexFor(last.harmonics()), full);
    }
    // Walking the list for every wave, as it once was read and merged, cost
    // 64 times as much for eight times the waves; now about eight times.
    const double eighth = replacementCost(full / 8);
    const double whole = replacementCost(full);
    EXPECT_LT(whole, 24.0 * eighth) << whole << " s against " << eighth << " s";
}

TEST(HarmonicList, ADroppedListBeyondTheBoundIsRefusedWholeWithAnAlert)
{
    TempFolder temp;
    patchtest::writeFile(temp / "Zentrova2.hrm", manyRecords(2));
    patchtest::writeFile(temp / "long.hrm", manyRecords(HarmonicList::kMaxMergedWaves + 1, 2));
    patchtest::writeFile(temp / "filling.hrm", manyRecords(HarmonicList::kMaxMergedWaves - 1, 2));
    {
        std::ofstream huge(temp / "huge.hrm");
        huge.seekp(64 << 20);
        huge << manyRecords(1);
    }
    RecordingAlerts alerts;
    Client client(temp.path());
    drain(client.pipe);
    EXPECT_FALSE(client.list->load(temp / "long.hrm"));
    // The file alone is within the bound, the list it would make is not.
    EXPECT_FALSE(client.list->load(temp / "filling.hrm"));
    EXPECT_FALSE(client.list->load(temp / "huge.hrm"));
    EXPECT_EQ(alerts.titles, std::vector<std::string>(3, "Harmonic List Too Long"));
    EXPECT_EQ(client.list->size(), 2);
    EXPECT_TRUE(drain(client.pipe).empty());
}

TEST(HarmonicList, AFailedWriteIsReportedAndTheWavesAreWrittenAtTheNextRelease)
{
    TempFolder temp;
    const std::string folder = temp / "Content";
    RecordingAlerts alerts;
    {
        Client client(folder);
        client.list->storeWave("Kept", levels(7));
    }
    ASSERT_EQ(alerts.titles, std::vector<std::string>{"Harmonic List Not Saved"});
    EXPECT_NE(alerts.texts[0].find(folder + "/Zentrova2.hrm"), std::string::npos) << alerts.texts[0];

    std::filesystem::create_directory(folder);
    {
        Client again(folder);
        EXPECT_EQ(again.list->size(), 1) << "the waves stay while the plug-in is loaded";
    }
    EXPECT_NE(patchtest::readText(folder + "/Zentrova2.hrm").find("{Kept}"), std::string::npos);
    EXPECT_EQ(alerts.titles.size(), 1u);
}

