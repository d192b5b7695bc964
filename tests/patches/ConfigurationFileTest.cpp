// The configuration file: what the reader takes, how leniently, and what
// the writer gives back.

#include "patches/Configuration.h"
#include "Source/shared/Alerts.h"

#include "tests/patches/ConfigurationTestSupport.h"

#include "tests/support/RecordingAlerts.h"

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <locale>
#include <sys/resource.h>
#include <sys/stat.h>
#include <vector>

namespace fs = std::filesystem;

namespace
{
// Everything a reader of the configuration can see, for comparisons.
struct Snapshot
{
    int knobMode, editMode, effectsPanel, tooltipDelay, convertMode, formatFlags, numBanks;
    float damperScale, hold2Scale;
    bool cursorMove, deleteOriginal, sharedFolders;
    std::string layout, instFolders, fxFolders, instSave, fxSave, instSnapshots, fxSnapshots;
    std::vector<std::string> memories, bankPaths;
    std::vector<int> controllers;

    explicit Snapshot(const Configuration& c)
        : knobMode(c.getKnobMode()), editMode(c.getEditMode()), effectsPanel(c.getEffectsPanel()),
          tooltipDelay(c.getTooltipDelay()), convertMode(c.getConvertMode()), formatFlags(c.getPatchFormatFlags()),
          numBanks(c.getNumMidiBanks()), damperScale(c.getDamperScale()), hold2Scale(c.getHold2Scale()),
          cursorMove(c.getLinearKnobCursorMove()), deleteOriginal(c.getDeleteOriginal()),
          sharedFolders(c.getSharedFolders()), layout(c.getLayoutName()), instFolders(c.getInstPatchFolders()),
          fxFolders(c.getFxPatchFolders()), instSave(c.getDefaultSaveFolder(false)),
          fxSave(c.getDefaultSaveFolder(true)), instSnapshots(c.getSnapshotFolder(false)),
          fxSnapshots(c.getSnapshotFolder(true))
    {
        for (int slot = 0; slot < PatchConfiguration::kNumPatchMemories; ++slot)
            memories.push_back(c.getPatchMemory(slot));
        for (int bank = 0; bank < numBanks; ++bank)
            for (int program = 0; program < Configuration::kNumMidiPrograms; ++program)
                bankPaths.push_back(c.getMidiBankPath(bank, program));
        for (int parameter = 0; parameter < Configuration::kNumControllableParameters; ++parameter)
            controllers.push_back(c.getMidiController(parameter));
    }

    bool operator==(const Snapshot& o) const
    {
        return knobMode == o.knobMode && editMode == o.editMode && effectsPanel == o.effectsPanel &&
               tooltipDelay == o.tooltipDelay && convertMode == o.convertMode && formatFlags == o.formatFlags &&
               numBanks == o.numBanks && damperScale == o.damperScale && hold2Scale == o.hold2Scale &&
               cursorMove == o.cursorMove && deleteOriginal == o.deleteOriginal && sharedFolders == o.sharedFolders &&
               layout == o.layout && instFolders == o.instFolders && fxFolders == o.fxFolders &&
               instSave == o.instSave && fxSave == o.fxSave && instSnapshots == o.instSnapshots &&
               fxSnapshots == o.fxSnapshots && memories == o.memories && bankPaths == o.bankPaths &&
               controllers == o.controllers;
    }
};

class ConfigurationFile : public ::testing::Test
{
protected:
    // Reads records through a fresh configuration, as the first instance
    // does.
    std::unique_ptr<AcquiredConfiguration> read(const std::string& records, const Flavour& flavour = effectFlavour())
    {
        files.writeUserFile(records);
        return std::make_unique<AcquiredConfiguration>(flavour);
    }

    // The keys of the written records, in order.
    std::vector<std::string> writtenKeys(Configuration& configuration)
    {
        const std::string path = files.home() + "/written.sup";
        EXPECT_EQ(configuration.save(path), Configuration::kFileDone);
        const std::string text = readTextFile(path);
        std::vector<std::string> keys;
        for (std::size_t open = text.find('{'); open != std::string::npos;)
        {
            const std::size_t close = text.find('}', open);
            keys.push_back(text.substr(open + 1, close - open - 1));
            const std::size_t valueEnd = text.find('}', close + 1);
            open = text.find('{', valueEnd);
        }
        return keys;
    }

    std::string written(Configuration& configuration)
    {
        const std::string path = files.home() + "/written.sup";
        EXPECT_EQ(configuration.save(path), Configuration::kFileDone);
        return readTextFile(path);
    }

    ConfigurationFiles files;
};

std::string bankDocuments(int count)
{
    std::string block;
    for (int i = 0; i < count; ++i)
        block += "<bank><program midi=\"" + std::to_string(i) + "\" path=\"Bank" + std::to_string(i) + "\"/></bank>\n";
    return block;
}

// Folder lists of both flavours, so that no default folder takes memory 0.
const std::string kFolders = "{Inst Patch Folders}{<folder name=\"I\" path=\"/i\"/>}\n"
                             "{FX Patch Folders}{<folder name=\"F\" path=\"/f\"/>}\n";

// Prints numbers with a decimal comma, as some users' locales do.
struct CommaDecimals : std::numpunct<char>
{
    char do_decimal_point() const override { return ','; }
};
} // namespace

TEST_F(ConfigurationFile, MissingFileKeepsTheDefaultsAndSaysSo)
{
    AcquiredConfiguration configuration;
    EXPECT_EQ(configuration->load(files.home() + "/missing.sup"), Configuration::kFileNotOpened);
    EXPECT_EQ(configuration->getKnobMode(), -1);
    EXPECT_EQ(configuration->getNumMidiBanks(), 16);
}

TEST_F(ConfigurationFile, HeaderOnlyFileKeepsEveryDefault)
{
    files.writeUserFile("");
    AcquiredConfiguration configuration;
    EXPECT_EQ(configuration->load(files.userConfigFile()), Configuration::kFileDone);
    fs::remove(files.userConfigFile());
    AcquiredConfiguration untouched;
    EXPECT_TRUE(Snapshot(*configuration.get()) == Snapshot(*untouched.get()));
    EXPECT_EQ(configuration->getNumMidiBanks(), 16);
}

TEST_F(ConfigurationFile, WrongHeaderIsNotRead)
{
    writeTextFile(files.userConfigFile(), "Zentrova Config File\n{Knob Mode}{Linear}\n");
    AcquiredConfiguration configuration;
    EXPECT_EQ(configuration->getKnobMode(), -1);
    EXPECT_EQ(configuration->getNumMidiBanks(), 16);
    EXPECT_EQ(configuration->load(files.userConfigFile()), Configuration::kFileWrongHeader);

    writeTextFile(files.userConfigFile(), "Zentrova Configuration File, later version\r\n{Knob Mode}{Linear}\r\n");
    EXPECT_EQ(configuration->load(files.userConfigFile()), Configuration::kFileDone) << "only the start must match";
    EXPECT_EQ(configuration->getKnobMode(), 2);
}

TEST_F(ConfigurationFile, KeysAndNamesAreMatchedIgnoringCaseAndSpaces)
{
    auto configuration = read("{ knob mode }{ relative circular }\n"
                              "{EDITMODE}{cc setup}\n"
                              "{effects panel}{ON}\n"
                              "{Patch Convert}{V E R 2}\n"
                              "{Delete Original Patch On Convert}{On}\n"
                              "{linear knob mode cursor move}{OFF}\n");
    EXPECT_EQ((*configuration)->getKnobMode(), 1);
    EXPECT_EQ((*configuration)->getEditMode(), 3);
    EXPECT_EQ((*configuration)->getEffectsPanel(), 3);
    EXPECT_EQ((*configuration)->getConvertMode(), 2);
    EXPECT_TRUE((*configuration)->getDeleteOriginal());
    EXPECT_FALSE((*configuration)->getLinearKnobCursorMove());
}

TEST_F(ConfigurationFile, ValuesThatNameNothingKeepTheSetting)
{
    auto configuration = read("{Edit Mode}{Wave 9}\n{Knob Mode}{}\n{Patch Convert}{all}\n{Effects Panel}{half}\n");
    EXPECT_EQ((*configuration)->getEditMode(), 1);
    EXPECT_EQ((*configuration)->getKnobMode(), -1);
    EXPECT_EQ((*configuration)->getConvertMode(), 0);
    EXPECT_EQ((*configuration)->getEffectsPanel(), 0);
}

TEST_F(ConfigurationFile, ScalesOutsideTheirRangesOrWithTrailingTextAreIgnored)
{
    auto configuration = read("{Damper Scale}{1.5}\n{Hold2 Scale}{-1}\n");
    EXPECT_EQ((*configuration)->getDamperScale(), 0.5f);
    EXPECT_EQ((*configuration)->getHold2Scale(), 2.0f);
    configuration.reset();

    configuration = read("{Damper Scale}{0.75x}\n{Hold2 Scale}{3.25}\n");
    EXPECT_EQ((*configuration)->getDamperScale(), 0.5f);
    EXPECT_EQ((*configuration)->getHold2Scale(), 3.25f);
    configuration.reset();

    configuration = read("{Damper Scale}{about .25}\n{Hold2 Scale}{1.2.3}\n");
    EXPECT_EQ((*configuration)->getDamperScale(), 0.25f) << "text before the number is skipped";
    EXPECT_EQ((*configuration)->getHold2Scale(), 2.0f);
}

TEST_F(ConfigurationFile, TooltipDelayIsReadInSecondsAndKeptInMilliseconds)
{
    auto configuration = read("{Tooltip Delay}{1.5}\n");
    EXPECT_EQ((*configuration)->getTooltipDelay(), 1500);
    EXPECT_NE(written(*configuration->get()).find("{Tooltip Delay}{1.5}\n"), std::string::npos);
    configuration.reset();

    configuration = read("{Tooltip Delay}{0}\n");
    EXPECT_EQ((*configuration)->getTooltipDelay(), 0);
    EXPECT_EQ(written(*configuration->get()).find("Tooltip Delay"), std::string::npos);
    configuration.reset();

    configuration = read("{Tooltip Delay}{-2}\n");
    EXPECT_EQ((*configuration)->getTooltipDelay(), 0);
    configuration.reset();
    configuration = read("{Tooltip Delay}{99999999999}\n");
    EXPECT_EQ((*configuration)->getTooltipDelay(), 0) << "beyond what the field holds";
}

TEST_F(ConfigurationFile, PatchFormatTakesOnlyExactNames)
{
    auto configuration = read("{Patch Format}{AU+vst}\n");
    EXPECT_EQ((*configuration)->getPatchFormatFlags(), 0x41);
    configuration.reset();

    configuration = read("{Patch Format}{}\n");
    EXPECT_EQ((*configuration)->getPatchFormatFlags(), 0x42) << "an empty value leaves the format";
    configuration.reset();

    configuration = read("{Patch Format}{RTAS+AU+VST}\n");
    EXPECT_EQ((*configuration)->getPatchFormatFlags(), 0x47);
    EXPECT_NE(written(*configuration->get()).find("{Patch Format}{AU+VST+RTAS}\n"), std::string::npos);
}

TEST_F(ConfigurationFile, ControllerLinesAssignByShortName)
{
    auto configuration = read("{Flt Q}{1}\n{Flt Frq}{ 20 }\n");
    EXPECT_EQ((*configuration)->getMidiController(1), 71) << "the modulation wheel is never read";
    EXPECT_EQ((*configuration)->getMidiController(2), 20);
    configuration.reset();

    configuration = read("{ flt q }{ 7 }\n{No Such Name}{9}\n");
    EXPECT_EQ((*configuration)->getMidiController(1), 7);
    EXPECT_EQ((*configuration)->getMidiController(9), 15) << "an unknown name is skipped";
    configuration.reset();

    configuration = read("{FLTQ}{-1}\n{Flt Frq}{200}\n{Flt Sep}{cc 30}\n{Flt Drv}{none}\n");
    EXPECT_EQ((*configuration)->getMidiController(1), -1);
    EXPECT_EQ((*configuration)->getMidiController(2), 74) << "200 is no controller";
    EXPECT_EQ((*configuration)->getMidiController(3), 30);
    EXPECT_EQ((*configuration)->getMidiController(4), 38);
}

TEST_F(ConfigurationFile, AValueMaySpanLinesAndRecordsWithoutBracesAreSkipped)
{
    auto configuration = read("Layout Large\n"
                              "}{Layout}{Wrong}\n"
                              "{Layout}\n"
                              "{Layout}{Lar\n"
                              "ge}\n"
                              "{Edit Mode}{Wave 2}\n"
                              "{Knob Mode}{Lin\n");
    EXPECT_EQ((*configuration)->getLayoutName(), "Large");
    EXPECT_EQ((*configuration)->getEditMode(), 2);
    EXPECT_EQ((*configuration)->getKnobMode(), -1) << "a value that never closes is skipped";
}

TEST_F(ConfigurationFile, MidiBankBlockGivesAtLeastSixteenBanks)
{
    auto configuration = read("{Midi Banks}{\n" + bankDocuments(3) + "}\n");
    EXPECT_EQ((*configuration)->getNumMidiBanks(), 16);
    EXPECT_EQ((*configuration)->getMidiBankPath(2, 2), "Bank2");
    EXPECT_EQ((*configuration)->getMidiBankPath(3, 3), "");
    configuration.reset();

    configuration = read("{Midi Banks}{\n" + bankDocuments(20) + "}\n");
    EXPECT_EQ((*configuration)->getNumMidiBanks(), 20);
    EXPECT_EQ((*configuration)->getMidiBankPath(19, 19), "Bank19");
    configuration.reset();

    configuration = read("{Midi Banks}{\n" + bankDocuments(300) + "}\n");
    EXPECT_EQ((*configuration)->getNumMidiBanks(), 128) << "bank select reaches no further";
}

TEST_F(ConfigurationFile, MidiBankProgramsOutsideTheRangeOrBrokenXmlAreDropped)
{
    auto configuration = read("{Midi Banks}{<bank><program midi=\"128\" path=\"a\"/><program midi=\"-1\" path=\"b\"/>"
                              "<program midi=\"127\" path=\"c\"/><program midi=\"5\"/></bank>"
                              "<bank><program midi=\"1\" path=\"kept\"/></bank>"
                              "<bank><program midi=\"1\" path=\"dropped\"/><program path=\"no number\"/></bank>"
                              "<bank><program midi=\"1\" path=\"never read\"/></bank>}\n"
                              "{Edit Mode}{Keyboard}\n");
    EXPECT_EQ((*configuration)->getMidiBankPath(0, 127), "c");
    EXPECT_EQ((*configuration)->getMidiBankPath(0, 5), "");
    EXPECT_EQ((*configuration)->getMidiBankPath(1, 1), "kept");
    EXPECT_EQ((*configuration)->getMidiBankPath(2, 1), "") << "the bank in hand at the fault is dropped";
    EXPECT_EQ((*configuration)->getNumMidiBanks(), 16);
    EXPECT_EQ((*configuration)->getEditMode(), 0) << "reading goes on after the block";
}

TEST_F(ConfigurationFile, MemoryListsFillTheSlotsInOrder)
{
    auto configuration = read(kFolders + "{Inst Patch Memories}{Inst/A#one;Inst/B#two;;Inst/C}\n"
                              "{Patch Memorys}{Old#zero}\n",
                              instrumentFlavour());
    EXPECT_EQ((*configuration)->getPatchMemory(0), "Old#zero") << "a later list overwrites its slots";
    EXPECT_EQ((*configuration)->getPatchMemory(1), "Inst/B#two");
    EXPECT_EQ((*configuration)->getPatchMemory(2), "");
    EXPECT_EQ((*configuration)->getPatchMemory(3), "Inst/C");
    EXPECT_EQ((*configuration)->getPatchMemory(4), "");
    EXPECT_EQ((*configuration)->getPatchMemory(8), "");
    EXPECT_NE(written(*configuration->get()).find("{Inst Patch Memories}{Old#zero;Inst/B#two;;Inst/C;;;;;}\n"),
              std::string::npos);
}

TEST_F(ConfigurationFile, EffectMemoriesMayMirrorTheInstrumentOnes)
{
    auto configuration = read(kFolders + "{Inst Patch Memories}{i0;i1;i2;i3;}\n{FX Patch Memorys}{dup}\n");
    EXPECT_EQ((*configuration)->getPatchMemory(3), "i3");
    EXPECT_TRUE((*configuration)->setPatchMemory(3, "FX/X#new"));
    const std::string text = written(*configuration->get());
    EXPECT_NE(text.find("{Inst Patch Memories}{i0;i1;i2;FX/X#new;"), std::string::npos);
    EXPECT_NE(text.find("{FX Patch Memories}{dup}\n"), std::string::npos);
    configuration.reset();

    configuration = read(kFolders + "{Inst Patch Memories}{i0;i1;i2;i3;}\n{FX Patch Memories}{Dup}\n");
    EXPECT_EQ((*configuration)->getPatchMemory(3), "") << "only the exact word mirrors";
    EXPECT_EQ((*configuration)->getPatchMemory(0), "Dup");
}

TEST_F(ConfigurationFile, WrittenRecordsComeInTheirOrder)
{
    auto configuration = read("{Tooltip Delay}{0.25}\n{Linear Knob Mode Cursor Move}{off}\n");
    const std::vector<std::string> keys = writtenKeys(*configuration->get());
    const std::vector<std::string> head = {"Layout",
                                           "Knob Mode",
                                           "Edit Mode",
                                           "Effects Panel",
                                           "Tooltip Delay",
                                           "Damper Scale",
                                           "Hold2 Scale",
                                           "Inst Patch Folders",
                                           "FX Patch Folders",
                                           "Inst Default Save Folder",
                                           "FX Default Save Folder",
                                           "Inst Snapshot Folder",
                                           "FX Snapshot Folder",
                                           "Inst Patch Memories",
                                           "FX Patch Memories",
                                           "Patch Format",
                                           "Patch Convert",
                                           "Delete Original Patch On Convert",
                                           "Linear Knob Mode Cursor Move",
                                           "Flt Typ",
                                           "Flt Q"};
    ASSERT_GE(keys.size(), head.size() + 1);
    EXPECT_EQ(std::vector<std::string>(keys.begin(), keys.begin() + head.size()), head);
    EXPECT_EQ(keys.back(), "Midi Banks");
    EXPECT_EQ(keys.size(), head.size() - 2 + 107 + 1);
    const std::string text = written(*configuration->get());
    EXPECT_EQ(text.compare(0, 28, "Zentrova Configuration File\n"), 0);
    EXPECT_NE(text.find("\n{Damper Scale}{0.5}\n{Hold2 Scale}{2}\n"), std::string::npos);
    EXPECT_NE(text.find("\n{Flt Q}{71}\n"), std::string::npos);
    EXPECT_NE(text.find("\n{Midi Banks}{\n<bank />\n"), std::string::npos);
}

TEST_F(ConfigurationFile, WriteThenReadIsTheIdentity)
{
    const std::string folders = "<folder name=\"Factory\" path=\"" + files.home() +
                                "/factory\"/><foldergroup name=\"Mine\"><folder path=\"~/mine\"/></foldergroup>";
    auto configuration = read("{Layout}{Large}\n{Knob Mode}{Linear}\n{Edit Mode}{CC Setup}\n{Effects Panel}{off}\n"
                              "{Tooltip Delay}{0.75}\n{Damper Scale}{0.123456789}\n{Hold2 Scale}{7.5}\n"
                              "{Inst Patch Folders}{" +
                              folders +
                              "}\n{FX Patch Folders}{<folder name=\"User\" path=\"/srv/fx\"/>}\n"
                              "{Inst Default Save Folder}{Inst/Factory}\n{FX Snapshot Folder}{FX/Shots}\n"
                              "{Inst Patch Memories}{Inst/A#1;;Inst/C#3;}\n{FX Patch Memories}{FX/X#9;FX/Y}\n"
                              "{Patch Format}{AU+RTAS}\n{Patch Convert}{both}\n"
                              "{Delete Original Patch On Convert}{on}\n{Linear Knob Mode Cursor Move}{off}\n"
                              "{Flt Q}{-1}\n{Volume}{12}\n"
                              "{Midi Banks}{<bank/><bank><program midi=\"3\" path=\"Inst/A/1\"/></bank>}\n");
    const Snapshot before(*configuration->get());
    EXPECT_EQ(before.controllers[8], 12);
    EXPECT_EQ(before.instFolders.find("~"), std::string::npos) << "the home folder is read back";
    configuration.reset();
    const std::string first = readTextFile(files.userConfigFile());

    AcquiredConfiguration again;
    EXPECT_TRUE(Snapshot(*again.get()) == before);
    again.release();
    EXPECT_EQ(readTextFile(files.userConfigFile()), first);
}

TEST_F(ConfigurationFile, OlderFolderKeyAndAnEmptyEffectListShareTheInstrumentFolders)
{
    auto configuration = read("{Patch Folders}{<folder name=\"Factory\" path=\"/a\"/>}\n");
    EXPECT_TRUE((*configuration)->getSharedFolders());
    EXPECT_EQ((*configuration)->getInstPatchFolders(), "<folder name=\"Factory\" path=\"/a\"/>");
    configuration.reset();

    configuration = read("{Inst Patch Folders}{<folder name=\"A\" path=\"/a\"/>}\n{FX Patch Folders}{}\n");
    EXPECT_TRUE((*configuration)->getSharedFolders());
    EXPECT_EQ((*configuration)->getFxPatchFolders(), "");
}

TEST_F(ConfigurationFile, AFailedWriteKeepsThePreviousFile)
{
    AcquiredConfiguration configuration;
    configuration->setKnobMode(1);
    ASSERT_EQ(configuration->save(), Configuration::kFileDone);
    const std::string previous = readTextFile(files.userConfigFile());

    // A disk that fills up halfway through the write.
    configuration->setKnobMode(2);
    struct sigaction ignore = {}, saved = {};
    ignore.sa_handler = SIG_IGN;
    sigaction(SIGXFSZ, &ignore, &saved);
    rlimit limit{}, original{};
    getrlimit(RLIMIT_FSIZE, &original);
    limit = original;
    limit.rlim_cur = 64;
    setrlimit(RLIMIT_FSIZE, &limit);
    const int result = configuration->save();
    setrlimit(RLIMIT_FSIZE, &original);
    sigaction(SIGXFSZ, &saved, nullptr);

    EXPECT_EQ(result, Configuration::kFileNotOpened);
    EXPECT_EQ(readTextFile(files.userConfigFile()), previous);
    int entries = 0;
    for (const auto& entry : fs::directory_iterator(fs::path(files.userConfigFile()).parent_path()))
        entries += entry.is_regular_file() ? 1 : 0;
    EXPECT_EQ(entries, 1) << "no half-written file is left beside it";
}

TEST_F(ConfigurationFile, AFailedWriteAtTheLastReleaseIsReported)
{
    RecordingAlerts alerts;
    const std::string preferences = fs::path(files.userConfigFile()).parent_path().string();
    AcquiredConfiguration configuration;
    configuration->setKnobMode(2);
    fs::remove_all(preferences);
    writeTextFile(preferences, "a file where the folder was");
    configuration.release();
    ASSERT_EQ(alerts.titles, std::vector<std::string>{"Configuration Not Saved"});
    EXPECT_NE(alerts.texts[0].find(files.userConfigFile()), std::string::npos) << alerts.texts[0];
}

TEST_F(ConfigurationFile, WritingGoesToTheUsersFolderEvenWhenALocalFileWasRead)
{
    writeTextFile(files.localConfigFile(), "Zentrova Configuration File\n{Knob Mode}{Circular}\n");
    AcquiredConfiguration configuration;
    EXPECT_EQ(configuration->getKnobMode(), 0);
    EXPECT_EQ(configuration->getSupportFiles().configFile, files.localConfigFile());
    fs::remove_all(fs::path(files.userConfigFile()).parent_path());
    EXPECT_EQ(configuration->save(), Configuration::kFileDone);
    EXPECT_TRUE(fs::exists(files.userConfigFile())) << "the Preferences folder is made";
    EXPECT_EQ(readTextFile(files.localConfigFile()), "Zentrova Configuration File\n{Knob Mode}{Circular}\n");
    EXPECT_EQ(configuration->save(files.home() + "/no/such/folder/x.sup"), Configuration::kFileNotOpened);
}

TEST_F(ConfigurationFile, ValuesWithTheFormatsDelimitersReadBackOrAreRefused)
{
    AcquiredConfiguration configuration;
    const std::vector<std::string> paths = {"Inst/Odd}Bank/P",  "two\nlines",   "semi;colon",
                                            "&#x41; stays",     "<a & \"b\" 'c'>", "{braces}"};
    for (std::size_t i = 0; i < paths.size(); ++i)
        ASSERT_TRUE(configuration->setMidiBankPath(0, static_cast<int>(i), paths[i]));
    EXPECT_FALSE(configuration->setPatchMemory(1, "Inst/A#x;y"));
    EXPECT_FALSE(configuration->setPatchMemory(1, "Inst/A#x}y"));
    EXPECT_TRUE(configuration->setPatchMemory(1, "Inst/A#x{y"));
    configuration->setKnobMode(2);
    configuration.release();

    AcquiredConfiguration again;
    for (std::size_t i = 0; i < paths.size(); ++i)
        EXPECT_EQ(again->getMidiBankPath(0, static_cast<int>(i)), paths[i]);
    EXPECT_EQ(again->getPatchMemory(1), "Inst/A#x{y");
    EXPECT_EQ(again->getKnobMode(), 2);
}

TEST_F(ConfigurationFile, FolderPathsWithDelimitersKeepTheRecordsAfterThem)
{
    // Support folders whose path holds the file's and XML's special characters.
    const std::string data = files.home() + "/da}ta;&\"x";
    setenv("XDG_DATA_HOME", data.c_str(), 1);
    std::string instFolders;
    {
        AcquiredConfiguration configuration;
        instFolders = configuration->getInstPatchFolders();
        EXPECT_EQ(PatchConfiguration::defaultFolderName(instFolders), "");
        configuration->setHold2Scale(5.0f);
    }
    AcquiredConfiguration again;
    EXPECT_EQ(again->getHold2Scale(), 5.0f) << "the records after the folder lists are intact";
    EXPECT_EQ(again->getDefaultSaveFolder(true), "FX");
    EXPECT_EQ(again->getSnapshotFolder(false), "Inst/Snapshots");
    const std::string read = again->getInstPatchFolders();
    EXPECT_NE(read.find("Vorlix/Zentrova2/Patches/Instrument"), std::string::npos) << read;
    EXPECT_EQ(read.find('}'), std::string::npos) << "kept as a character reference";
}

TEST_F(ConfigurationFile, NumbersIgnoreTheProcesssLocale)
{
    const std::locale saved = std::locale::global(std::locale(std::locale::classic(), new CommaDecimals));
    auto configuration = read("{Damper Scale}{0.25}\n{Tooltip Delay}{2.5}\n");
    EXPECT_EQ((*configuration)->getDamperScale(), 0.25f);
    EXPECT_EQ((*configuration)->getTooltipDelay(), 2500);
    (*configuration)->setHold2Scale(1.75f);
    const std::string text = written(*configuration->get());
    std::locale::global(saved);
    EXPECT_NE(text.find("{Damper Scale}{0.25}\n{Hold2 Scale}{1.75}\n"), std::string::npos);
    EXPECT_NE(text.find("{Tooltip Delay}{2.5}\n"), std::string::npos);
}

TEST_F(ConfigurationFile, AByteOrderMarkAndBlankLinesBeforeTheHeaderAreHarmless)
{
    writeTextFile(files.userConfigFile(),
                  "\xEF\xBB\xBF\r\n \t\n\nZentrova Configuration File\r\n{Knob Mode}{Linear}\n{Flt Q}{71}\n"
                  "{Midi Banks}{<bank><program midi=\"3\" path=\"FX/A/1\"/></bank>}\n");
    AcquiredConfiguration configuration;
    EXPECT_EQ(configuration->getKnobMode(), 2);
    EXPECT_EQ(configuration->getMidiController(1), 71);
    EXPECT_EQ(configuration->getMidiBankPath(0, 3), "FX/A/1");
    configuration.release();

    AcquiredConfiguration again;
    EXPECT_EQ(again->getKnobMode(), 2) << "the settings outlive the last release";
    EXPECT_EQ(again->getMidiController(1), 71);
    EXPECT_EQ(again->getMidiBankPath(0, 3), "FX/A/1");
}

TEST_F(ConfigurationFile, AFileThatCouldNotBeReadIsKeptBesideTheNewOne)
{
    const std::string file = files.userConfigFile();
    const std::string garbled = "Zentrova Configuraton File\n{Knob Mode}{Linear}\n";
    writeTextFile(file, garbled);
    {
        AcquiredConfiguration configuration;
        EXPECT_EQ(configuration->getKnobMode(), -1);
        configuration->setKnobMode(1);
    }
    EXPECT_EQ(readTextFile(file + "._bk"), garbled);
    AcquiredConfiguration written;
    EXPECT_EQ(written->getKnobMode(), 1) << "the new file is written all the same";
    written.release();
    EXPECT_FALSE(fs::exists(file + "._bk2")) << "a file that was read needs no backup";

    // Too large to be read; the backup is the file itself, never copied, and
    // no earlier backup is overwritten.
    writeTextFile(file, "Zentrova Configuration File\n{Knob Mode}{Linear}\n");
    fs::resize_file(file, 65u << 20);
    struct stat original;
    ASSERT_EQ(::stat(file.c_str(), &original), 0);
    {
        AcquiredConfiguration configuration;
        EXPECT_EQ(configuration->getKnobMode(), -1);
    }
    struct stat kept;
    ASSERT_EQ(::stat((file + "._bk2").c_str(), &kept), 0);
    EXPECT_EQ(kept.st_ino, original.st_ino);
    EXPECT_EQ(kept.st_size, original.st_size);
    EXPECT_EQ(readTextFile(file + "._bk"), garbled);
    EXPECT_LT(fs::file_size(file), 1u << 20);

    // Where a folder stands in the file's place nothing is written.
    fs::remove(file);
    fs::create_directory(file);
    AcquiredConfiguration configuration;
    EXPECT_EQ(configuration->save(), Configuration::kFileNotOpened);
    configuration.release();
    EXPECT_TRUE(fs::is_directory(file));
}

TEST_F(ConfigurationFile, AFileThatCannotBeReadIsLeftAsItIsAndToldOnce)
{
    // A folder in the file's place cannot be read as a file, not even by the
    // superuser, as a file the user has no permission to read cannot.
    const std::string file = files.userConfigFile();
    fs::create_directory(file);
    writeTextFile(file + "/inside", "kept");
    RecordingAlerts alerts;
    {
        AcquiredConfiguration configuration;
        EXPECT_EQ(configuration->getKnobMode(), -1);
        configuration->setKnobMode(2);
    }
    AcquiredConfiguration again;
    again.release();
    EXPECT_TRUE(alerts.naming(file).empty()) << "no alert before an editor opens, none at the release";
    showDeferredAlerts();
    const std::vector<std::string> told = alerts.naming(file);
    ASSERT_EQ(told.size(), 1u);
    EXPECT_EQ(told[0].rfind("Configuration Not Read: " + file + " cannot be read (it is a folder)", 0), 0u) << told[0];
    EXPECT_EQ(readTextFile(file + "/inside"), "kept");
    std::vector<std::string> beside;
    for (const auto& entry : fs::directory_iterator(fs::path(file).parent_path()))
        beside.push_back(entry.path().filename().string());
    EXPECT_EQ(beside, std::vector<std::string>{"com.vorlixworks.Zentrova2.sup"}) << "no backup, no new file";
}

TEST_F(ConfigurationFile, WritingThroughALinkKeepsTheLinkAndTheFilesMode)
{
    const std::string real = files.home() + "/kept/settings.sup";
    fs::create_directories(files.home() + "/kept");
    writeTextFile(real, "Zentrova Configuration File\n{Knob Mode}{Circular}\n");
    ASSERT_EQ(::chmod(real.c_str(), 0600), 0);
    fs::create_symlink("../kept/settings.sup", files.userConfigFile());
    {
        AcquiredConfiguration configuration;
        EXPECT_EQ(configuration->getKnobMode(), 0);
        configuration->setKnobMode(2);
    }
    EXPECT_TRUE(fs::is_symlink(files.userConfigFile()));
    EXPECT_EQ(fs::read_symlink(files.userConfigFile()), "../kept/settings.sup");
    EXPECT_NE(readTextFile(real).find("{Knob Mode}{Linear}\n"), std::string::npos);
    struct stat status;
    ASSERT_EQ(::stat(real.c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 0777, 0600u);
}
