// The host's 128 programs over the patch library: banks, program names and
// selection, the edit buffer, stepping, patch memories, MIDI program
// changes, chunks of patches outside the library, saving and snapshots.

#include "Source/Zentrova.h"
#include "Source/patchtree/PatchTree.h"
#include "Source/shared/Alerts.h"
#include "Source/state/DefaultPatchRecord.h"
#include "patches/Configuration.h"
#include "patches/PatchFileHandler.h"
#include "tests/Source/patchtree/PatchLibraryTestSupport.h"
#include "tests/patches/ConfigurationTestSupport.h"
#include "tests/support/Deliverables.h"
#include "tests/support/MidiEvents.h"
#include "tests/support/PatchDocuments.h"
#include "tests/support/TimeBudget.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace
{
class Programs : public ::testing::TestWithParam<Deliverable>
{
protected:
    std::string bankFolder(const std::string& bank = std::string()) const
    {
        return files.userFolder() + "/" + GetParam().patchFolder + (bank.empty() ? "" : "/" + bank);
    }

    // A library patch of this deliverable's tree, with its own uuid and,
    // optionally, some parameter texts.
    std::string addPatch(const std::string& bank, const std::string& name, const ParameterTexts& parameters = {})
    {
        const std::string folder = librarytest::makeFolder(bankFolder(bank));
        std::string text = "<zentrova version=\"609\" platform=\"mac_x86\" uuid=\"" + librarytest::newUuid() +
                           "\">\n<patch name=\"" + name + "\">\n";
        for (const auto& [key, value] : parameters)
            text += "<parameter name=\"" + key + "\" value=\"" + value + "\" />\n";
        text += "</patch>\n</zentrova>\n";
        ChunkBuffer chunk;
        chunk.assignCompressed(text);
        const std::string path = folder + "/" + name + ".fxp";
        EXPECT_EQ(PatchFileHandler::writeFxp(path, name, chunk, isEffect()), 0);
        return path;
    }

    // count patches named P000, P001, ...
    void addBank(const std::string& bank, int count)
    {
        for (int i = 0; i < count; ++i)
        {
            char name[16];
            std::snprintf(name, sizeof name, "P%03d", i);
            addPatch(bank, name);
        }
    }

    bool isEffect() const { return GetParam().isEffect; }
    // A tree address in this deliverable's tree.
    std::string at(const std::string& rest) const { return GetParam().treePrefix + rest; }
    std::string ownTree() const { return isEffect() ? "FX" : "Inst"; }
    std::string otherTree() const { return isEffect() ? "Inst" : "FX"; }

    Zentrova& open()
    {
        plugin = std::make_unique<PluginInstance>(PluginInstance::quietHost, *GetParam().flavour);
        return *plugin->get();
    }

    Zentrova& zentrova() { return *plugin->get(); }

    VstIntPtr dispatch(VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0, void* ptr = nullptr)
    {
        AEffect* effect = zentrova().getAeffect();
        return effect->dispatcher(effect, opcode, index, value, ptr, 0.0f);
    }

    std::string programName(int index)
    {
        char text[64] = "unchanged";
        return dispatch(effGetProgramNameIndexed, index, 0, text) ? text : "<false>";
    }

    std::string currentName()
    {
        char text[64] = {};
        dispatch(effGetProgramName, 0, 0, text);
        return text;
    }

    int currentProgram() { return static_cast<int>(dispatch(effGetProgram)); }
    void setProgram(int program) { dispatch(effSetProgram, 0, program); }

    std::string enginePatchName() { return zentrova().getStateHandler().getCurrentState().m_patchData.name; }

    void render()
    {
        std::vector<float> left(256), right(256);
        float* outputs[] = {left.data(), right.data()};
        zentrova().processReplacing(nullptr, outputs, 256);
    }

    // A block with the change, then the worker makes it. The engine lets go
    // of the state the worker loads into once the block has run.
    void programChange(int program, int channel = 0)
    {
        sendMidi(zentrova(), {midiEvent(0, 0xC0 | channel, program)});
        render();
        zentrova().waitForWorker();
    }

    void programChangeWithoutWaiting(int program)
    {
        sendMidi(zentrova(), {midiEvent(0, 0xC0, program)});
        render();
    }

    void block()
    {
        sendMidi(zentrova(), {});
        render();
    }

    ConfigurationFiles files;
    std::unique_ptr<PluginInstance> plugin;
};

// Holds the patch tree's lock from another thread for as long as the test
// wants: a conversion that asks about a read-only patch waits for the answer
// inside the tree's lock.
class TreeHolder : public AlertHandler
{
public:
    TreeHolder(Zentrova& plugin, const std::string& address) : m_previous(setAlertHandler(this))
    {
        m_thread = std::thread([&plugin, address] { plugin.convertPatchesAt(address); });
        while (!m_asked)
            std::this_thread::yield();
    }

    ~TreeHolder() override
    {
        release();
        setAlertHandler(m_previous);
    }

    void release()
    {
        letGo();
        if (m_thread.joinable())
            m_thread.join();
    }

    // Frees the library without waiting for the conversion to end; any thread.
    void letGo() { m_released = true; }

    int askSkipStop(const char*, const char*) override
    {
        m_asked = true;
        while (!m_released)
            std::this_thread::yield();
        return kAnswerSkip;
    }

private:
    AlertHandler* m_previous;
    std::atomic<bool> m_asked{false};
    std::atomic<bool> m_released{false};
    std::thread m_thread;
};
} // namespace

INSTANTIATE_FOR_BOTH_DELIVERABLES(Programs);

TEST_P(Programs, AnEmptyLibraryNamesEveryProgramEmpty)
{
    open();
    EXPECT_EQ(programName(0), "Default") << "the current program's name is the playing patch's";
    for (int program = 1; program < 128; ++program)
        ASSERT_EQ(programName(program), "empty") << program;
    EXPECT_EQ(programName(128), "<false>");
    EXPECT_EQ(programName(-1), "<false>");
    EXPECT_EQ(currentProgram(), 0);
    EXPECT_EQ(currentName(), "Default");

    zentrova().setParameter(1, 0.7f);
    setProgram(5);
    EXPECT_EQ(currentProgram(), 0) << "no patch: program 0";
    EXPECT_EQ(currentName(), "Default");
    zentrova().stepProgram(3);
    EXPECT_EQ(currentProgram(), 0);
}

TEST_P(Programs, BanksListTheLibraryIndentedByDepth)
{
    addBank("Bass", 2);
    addBank("Pads", 1);
    open();
    std::vector<std::pair<std::string, std::string>> banks;
    for (const BankInfo& bank : zentrova().getBankList())
        banks.emplace_back(bank.name, bank.address);
    // The effect lists its trees in name order; the instrument lists them
    // flat, last first: each its own side first.
    const std::string own = ownTree(), other = otherTree();
    const std::vector<std::pair<std::string, std::string>> expected = {
        {"All Patches", ""},           {"    " + own, at("")},    {"        Bass", at("Bass/")},
        {"        Pads", at("Pads/")}, {"    " + other, other + "/"},
    };
    EXPECT_EQ(banks, expected);
    EXPECT_EQ(zentrova().getBankFolderPath(at("Pads/")), bankFolder("Pads"));
    EXPECT_EQ(zentrova().getBankFolderPath(at("Pads/P000")), "") << "a patch is no bank";
    EXPECT_EQ(zentrova().getBankFolderPath("Nowhere/"), "");
}

TEST_P(Programs, ProgramsAreThePatchesOfTheCurrentBank)
{
    addBank("Bass", 3);
    addPatch("Pads", "Airy");
    addPatch("Pads", "Bright", {{"FilterType", "Hi Pass"}});
    addPatch("Pads", "Calm");
    open();
    const ProgramList::Patches patches = zentrova().selectBank(at("Pads/"), false);
    ASSERT_EQ(patches.size(), 3u);
    EXPECT_EQ(zentrova().getCurrentBank().address, at("Pads/"));
    EXPECT_EQ(programName(0), "Airy");
    EXPECT_EQ(programName(2), "Calm");
    for (int program = 3; program < 128; ++program)
        ASSERT_EQ(programName(program), "empty") << program;

    setProgram(1);
    EXPECT_EQ(currentProgram(), 1);
    EXPECT_EQ(currentName(), "Bright");
    EXPECT_EQ(zentrova().getParameter(0), 0.25f) << "the patch's own values";
    EXPECT_EQ(zentrova().getCurrentPatchInfo().address, at("Pads/Bright"));
    EXPECT_TRUE(zentrova().getStateHandler().isSwitchPending());
    block();
    EXPECT_EQ(enginePatchName(), "Bright") << "taken at the block start";

    const std::size_t before = zentrova().getCurrentBankPatches().size();
    zentrova().selectBank("Nowhere/", true);
    EXPECT_EQ(zentrova().getCurrentBank().address, at("Pads/")) << "an address that names no bank";
    EXPECT_EQ(zentrova().getCurrentBankPatches().size(), before);
    EXPECT_EQ(zentrova().findProgramByAddress(at("Pads/Calm")), 2);
    EXPECT_EQ(zentrova().findProgramByAddress(at("Bass/P000")), 0) << "not in the bank";
    EXPECT_EQ(zentrova().findProgramByAddress(""), 0);
}

TEST_P(Programs, SelectingABankCanLoadItsFirstPatch)
{
    addBank("Bass", 2);
    addPatch("Pads", "Airy");
    open();
    zentrova().selectBank(at("Bass/"), false);
    setProgram(1);
    zentrova().selectBank(at("Pads/"), true);
    EXPECT_EQ(currentProgram(), 0);
    EXPECT_EQ(currentName(), "Airy");
}

TEST_P(Programs, SteppingWrapsAtTheEndsOfTheBank)
{
    addBank("Pads", 5);
    open();
    zentrova().selectBank(at("Pads/"), true);
    zentrova().stepProgram(-1);
    EXPECT_EQ(currentProgram(), 4);
    EXPECT_EQ(currentName(), "P004");
    zentrova().stepProgram(1);
    EXPECT_EQ(currentProgram(), 0);
    zentrova().stepProgram(12);
    EXPECT_EQ(currentProgram(), 2) << "a step longer than the bank stays inside it";
    zentrova().stepProgram(-13);
    EXPECT_EQ(currentProgram(), 4);
}

TEST_P(Programs, PatchesFrom127OnArePlayedAsTheEditBuffer)
{
    addBank("Big", 200);
    open();
    zentrova().selectBank(at("Big/"), false);
    EXPECT_EQ(programName(126), "P126");
    EXPECT_EQ(programName(127), "P127") << "no edit buffer yet: patch 127";

    zentrova().selectProgram(150, true, true);
    EXPECT_EQ(currentProgram(), 127);
    EXPECT_EQ(zentrova().getCurrentProgramIndex(), 150);
    EXPECT_EQ(programName(127), "P150");
    EXPECT_EQ(currentName(), "P150");

    zentrova().stepProgram(1);
    EXPECT_EQ(zentrova().getCurrentProgramIndex(), 151);
    EXPECT_EQ(currentName(), "P151");

    char name[] = "Renamed";
    dispatch(effSetProgramName, 0, 0, name);
    setProgram(127);
    EXPECT_EQ(currentName(), "P151") << "program 127 reloads the edit buffer's patch";

    setProgram(3);
    EXPECT_EQ(currentProgram(), 3);
    EXPECT_EQ(programName(127), "P127") << "a program below 127 ends the edit buffer";
    dispatch(effSetProgramName, 0, 0, name);
    setProgram(127);
    EXPECT_EQ(currentProgram(), 3) << "127 is not a program of its own";
    EXPECT_EQ(currentName(), "Renamed");
}

TEST_P(Programs, AnUnusablePatchFallsBackToProgramZeroAndTheDefaultPatch)
{
    addBank("Pads", 2);
    const std::string broken = addPatch("Pads", "Broken");
    const std::string vanished = addPatch("Pads", "Vanished");
    open();
    // Now a program file whose chunk is no patch document.
    ChunkBuffer garbage;
    garbage.assignCompressed("not a patch");
    ASSERT_EQ(PatchFileHandler::writeFxp(broken, "Broken", garbage, isEffect()), 0);
    zentrova().selectBank(at("Pads/"), false);
    ASSERT_EQ(programName(0), "Broken");
    setProgram(1);
    block();

    setProgram(0);
    EXPECT_EQ(currentProgram(), 0);
    EXPECT_EQ(currentName(), "Default");
    EXPECT_FALSE(zentrova().getStateHandler().isSwitchPending()) << "nothing to switch to";

    setProgram(1);
    ASSERT_EQ(programName(3), "Vanished");
    std::filesystem::remove(vanished);
    setProgram(3);
    EXPECT_EQ(currentProgram(), 0);
    EXPECT_EQ(currentName(), "Default");
}

TEST_P(Programs, MemoriesRememberABankAndOneOfItsPatches)
{
    addBank("Bass", 2);
    addBank("Pads", 4);
    open();
    Configuration& configuration = *zentrova().getConfiguration();

    zentrova().selectBank(at("Pads/"), false);
    setProgram(2);
    zentrova().storePatchMemory(1, false);
    EXPECT_EQ(configuration.getPatchMemory(1), at("Pads#P002"));
    zentrova().storePatchMemory(2, true);
    EXPECT_EQ(configuration.getPatchMemory(2), at("Pads/"));

    zentrova().selectBank(at("Bass/"), true);
    EXPECT_EQ(zentrova().recallPatchMemory(1, true), at("Pads/"));
    EXPECT_EQ(zentrova().getCurrentBank().address, at("Pads/"));
    EXPECT_EQ(currentProgram(), 2);
    EXPECT_EQ(currentName(), "P002");

    EXPECT_EQ(zentrova().recallPatchMemory(1, false), at("Pads/")) << "without select only the bank is told";
    setProgram(3);
    EXPECT_EQ(zentrova().recallPatchMemory(2, true), at("Pads/"));
    EXPECT_EQ(currentProgram(), 0) << "a bank alone starts at its first patch";

    configuration.setPatchMemory(3, "#" + at("Pads/P003"));
    zentrova().selectBank(at("Bass/"), false);
    EXPECT_EQ(zentrova().recallPatchMemory(3, true), "");
    EXPECT_EQ(zentrova().getCurrentBank().address, "") << "the whole library";
    EXPECT_EQ(currentName(), "P003");

    configuration.setPatchMemory(4, at("Pads#Gone"));
    zentrova().recallPatchMemory(4, true);
    EXPECT_EQ(zentrova().getCurrentBank().address, at("Pads/"));
    EXPECT_EQ(currentName(), "P000") << "a patch no longer there: program 0 of its bank";

    configuration.setPatchMemory(5, at("Gone#P001"));
    zentrova().recallPatchMemory(5, true);
    EXPECT_EQ(zentrova().getCurrentBank().address, at("Pads/")) << "a bank no longer there: the current one";
    EXPECT_EQ(currentName(), "P000");
}

TEST_P(Programs, MemoryTextsStayWellFormedWhateverTheBankHolds)
{
    addBank("Bass", 1);
    addBank("Pads", 4);
    open();
    Configuration& configuration = *zentrova().getConfiguration();
    zentrova().selectBank(at("Bass/"), false);
    ASSERT_TRUE(zentrova().loadPatch(at("Pads/P003"), 3));
    zentrova().storePatchMemory(0, false);
    EXPECT_EQ(configuration.getPatchMemory(0), at("Pads#P003")) << "a patch of another bank keeps its own bank";

    zentrova().selectBank("", false);
    zentrova().storePatchMemory(0, false);
    EXPECT_EQ(configuration.getPatchMemory(0), "#" + at("Pads/P003"));

    // The default patch has no place in the library.
    zentrova().selectBank(at("Bass/"), false);
    zentrova().getStateHandler().getEditState().m_patchInfo.address.clear();
    zentrova().storePatchMemory(0, false);
    EXPECT_EQ(configuration.getPatchMemory(0), at("Bass/"));
}

TEST_P(Programs, MidiProgramChangesPlayTheMidiBankTablesPatches)
{
    addBank("Bass", 2);
    addBank("Pads", 4);
    open();
    zentrova().selectBank(at("Bass/"), true);
    render();
    zentrova().setMidiProgramPath(5, at("Pads/P003"));
    zentrova().setMidiProgramPath(6, at("Pads/Gone"));
    zentrova().setMidiBank(1);
    zentrova().setMidiProgramPath(5, at("Bass/P001"));
    zentrova().setMidiBank(0);

    const MidiProgramEntry entry = zentrova().getMidiProgramEntry(5);
    EXPECT_EQ(entry.name, "P003");
    EXPECT_EQ(entry.path, at("Pads/P003"));
    EXPECT_TRUE(entry.present);
    const MidiProgramEntry missing = zentrova().getMidiProgramEntry(6);
    EXPECT_EQ(missing.name, "Gone");
    EXPECT_FALSE(missing.present);
    const MidiProgramEntry unset = zentrova().getMidiProgramEntry(7);
    EXPECT_EQ(unset.name, "");
    EXPECT_TRUE(unset.present) << "an empty slot";

    programChange(6);
    programChange(7);
    EXPECT_EQ(zentrova().getCurrentBank().address, at("Bass/")) << "missing and empty slots do nothing";
    EXPECT_EQ(enginePatchName(), "P000");

    sendMidi(zentrova(), {midiEvent(3, 0xC4, 5)});
    zentrova().waitForWorker();
    EXPECT_EQ(zentrova().getCurrentBank().address, at("Pads/"));
    EXPECT_EQ(currentProgram(), 3);
    EXPECT_EQ(currentName(), "P003");
    EXPECT_EQ(enginePatchName(), "P000") << "the engine switches at the next block";
    render();
    sendMidi(zentrova(), {});
    EXPECT_EQ(enginePatchName(), "P003");
    render();

    sendMidi(zentrova(), {midiEvent(0, 0xB0, 0, 1), midiEvent(1, 0xC0, 5)});
    zentrova().waitForWorker();
    render();
    EXPECT_EQ(currentName(), "P001") << "bank select picks the table's bank";
    sendMidi(zentrova(), {midiEvent(0, 0xB0, 0, 0x85), midiEvent(1, 0xC0, 5)});
    zentrova().waitForWorker();
    render();
    EXPECT_EQ(zentrova().getMidiBank(), 1) << "a bank above the table is ignored";
    EXPECT_EQ(currentName(), "P001");
}

TEST_P(Programs, AMidiProgramChangeNeverWaitsForABusyLibrary)
{
    addBank("Pads", 4);
    // A read-only patch of the other flavour: converting it asks first.
    const std::string held = addPatch("Pads", "Held");
    std::filesystem::remove(held);
    ChunkBuffer chunk;
    chunk.assignCompressed(patchDocument("609", {}));
    ASSERT_EQ(PatchFileHandler::writeFxp(held, "Held", chunk, !isEffect()), 0);
    std::filesystem::permissions(held, std::filesystem::perms::owner_read | std::filesystem::perms::group_read);
    open();
    zentrova().setMidiProgramPath(9, at("Pads/P002"));
    const std::string before = currentName();
    ASSERT_NE(before, "P002");
    {
        TreeHolder holder(zentrova(), at("Pads/Held"));
        EXPECT_TRUE(endsUnaided(
            [&] {
                sendMidi(zentrova(), {midiEvent(0, 0xC0, 9)});
                render();
                block();
            },
            [&] { holder.letGo(); }))
            << "the audio thread waited for the library instead of leaving the change to the worker";
        EXPECT_EQ(currentName(), before) << "the library is busy: the change waits";
        holder.release();
    }
    zentrova().waitForWorker();
    EXPECT_EQ(currentName(), "P002") << "made once the library is free";
    sendMidi(zentrova(), {});
    EXPECT_EQ(enginePatchName(), "P002") << "played from the next block start";
    render();
}

// Closing an instance while the worker makes its program change waits for
// the change, which then touches nothing of the closed instance.
TEST_P(Programs, AnInstanceClosedDuringItsMidiProgramChangeWaitsForIt)
{
    addBank("Pads", 4);
    const std::string held = addPatch("Pads", "Held");
    std::filesystem::remove(held);
    ChunkBuffer chunk;
    chunk.assignCompressed(patchDocument("609", {}));
    ASSERT_EQ(PatchFileHandler::writeFxp(held, "Held", chunk, !isEffect()), 0);
    std::filesystem::permissions(held, std::filesystem::perms::owner_read | std::filesystem::perms::group_read);
    open();
    zentrova().setMidiProgramPath(9, at("Pads/P002"));
    PluginInstance other(PluginInstance::quietHost, *GetParam().flavour);
    std::atomic<bool> closed{false};
    std::thread closing;
    {
        // The other instance holds the library, so the worker waits inside
        // this instance's change.
        TreeHolder holder(*other.get(), at("Pads/Held"));
        programChangeWithoutWaiting(9);
        const ProgramChangeWorker::Client& client = zentrova();
        while (client.hasProgramChangeRequest())
            std::this_thread::yield();
        closing = std::thread([&] {
            plugin->close();
            closed = true;
        });
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        EXPECT_FALSE(closed.load()) << "the change is under way";
        holder.release();
    }
    closing.join();
    EXPECT_TRUE(closed.load());
}

TEST_P(Programs, AMidiProgramChangeToAnUnreadablePatchFallsBackToTheDefaultPatch)
{
    addBank("Pads", 3);
    addPatch("Pads", "Lead", {{"FilterType", "Hi Pass"}});
    open();
    zentrova().selectBank(at("Pads/"), true);
    const std::string broken = addPatch("Pads", "P001");
    std::ofstream(broken, std::ios::binary | std::ios::trunc) << "not a patch";
    zentrova().setMidiProgramPath(4, at("Pads/P001"));
    setProgram(0);
    render();
    ASSERT_EQ(enginePatchName(), "Lead");

    programChange(4);
    EXPECT_EQ(currentName(), DefaultPatchRecord::instance().name);
    EXPECT_EQ(currentProgram(), 0);
    EXPECT_FALSE(zentrova().getStateHandler().isSwitchPending()) << "nothing to switch to, as from the host";
}

TEST_P(Programs, MidiProgramChangesOnTheAudioThreadWhileTheHostReadsAndSelects)
{
    addBank("Bass", 3);
    addBank("Pads", 4);
    const std::string broken = addPatch("Pads", "Broken");
    std::ofstream(broken, std::ios::binary | std::ios::trunc) << "not a patch";
    open();
    zentrova().selectBank(at("Bass/"), true);
    zentrova().setMidiProgramPath(1, at("Pads/P002"));
    zentrova().setMidiProgramPath(2, at("Bass/P001"));
    zentrova().setMidiProgramPath(3, at("Pads/Broken"));

    std::atomic<bool> running{true};
    std::atomic<int> blocks{0};
    std::thread audio([&] {
        for (int block = 0; running.load(); ++block)
        {
            sendMidi(zentrova(), {midiEvent(0, 0xC0, 1 + block % 3)});
            render();
            blocks = block + 1;
        }
    });
    for (int operation = 0; operation < 300 || blocks.load() < 100; ++operation)
    {
        switch (operation % 5)
        {
        case 0:
            EXPECT_FALSE(currentName().empty());
            break;
        case 1:
            programName(operation % 8);
            break;
        case 2:
        {
            void* data = nullptr;
            EXPECT_GT(dispatch(effGetChunk, operation % 2, 0, &data), 0);
            break;
        }
        case 3:
            setProgram(operation % 4);
            break;
        default:
            EXPECT_GE(currentProgram(), 0);
            break;
        }
    }
    running = false;
    audio.join();
    block();
    EXPECT_FALSE(enginePatchName().empty());
}

TEST_P(Programs, AChunkOfAPatchOutsideTheLibraryStandsAlone)
{
    addBank("Pads", 3);
    open();
    zentrova().selectBank(at("Pads/"), true);
    const std::vector<unsigned char> chunk = plainChunk(patchDocument("609", {}, "", "Outsider"));
    ASSERT_EQ(zentrova().setChunk(const_cast<unsigned char*>(chunk.data()), static_cast<VstInt32>(chunk.size()), true),
              1);
    EXPECT_EQ(programName(0), "Outsider");
    EXPECT_EQ(programName(1), "empty");
    setProgram(2);
    EXPECT_EQ(currentName(), "Outsider") << "program selection waits for a bank";
    zentrova().stepProgram(1);
    EXPECT_EQ(currentName(), "Outsider");

    zentrova().selectBank(at("Pads/"), false);
    EXPECT_EQ(programName(0), "P000");
    setProgram(2);
    EXPECT_EQ(currentName(), "P002");
}

TEST_P(Programs, ABankChunkFindsItsLibraryPatchAndShowsItsProgram)
{
    addBank("Bass", 2);
    addBank("Pads", 4);
    open();
    zentrova().selectBank(at("Pads/"), false);
    setProgram(3);
    std::vector<unsigned char> bank;
    {
        void* data = nullptr;
        const VstInt32 size = zentrova().getChunk(&data, false);
        bank.assign(static_cast<unsigned char*>(data), static_cast<unsigned char*>(data) + size);
    }
    zentrova().selectBank(at("Bass/"), true);
    ASSERT_EQ(zentrova().setChunk(bank.data(), static_cast<VstInt32>(bank.size()), false), 1);
    EXPECT_EQ(zentrova().getCurrentBank().address, at("Pads/"));
    EXPECT_EQ(currentProgram(), 3);
    EXPECT_EQ(currentName(), "P003");
    EXPECT_EQ(zentrova().getCurrentPatchInfo().address, at("Pads/P003"));
    EXPECT_EQ(programName(1), "P001") << "the whole bank is listed";
}

TEST_P(Programs, SavingIntoABankListsThePatchThere)
{
    addBank("Pads", 2);
    open();
    zentrova().selectBank(at("Pads/"), true);
    zentrova().setParameter(2, 0.375f);
    zentrova().savePatchAs(bankFolder("Pads"), "Saved", 0, true, false);
    EXPECT_TRUE(std::filesystem::exists(bankFolder("Pads") + "/Saved.fxp"));
    EXPECT_EQ(currentName(), "P000") << "the edited patch keeps its name";
    EXPECT_EQ(programName(2), "Saved");

    setProgram(2);
    EXPECT_NEAR(zentrova().getParameter(2), 0.375f, 1e-3);
    EXPECT_FALSE(zentrova().getStateHandler().getEditState().m_modified);

    zentrova().savePatchAs(bankFolder("Pads"), "Saved", 0, true, true);
    EXPECT_TRUE(std::filesystem::exists(bankFolder("Pads") + "/Saved.fxp")) << "replacing itself keeps the patch";

    zentrova().savePatchAs(bankFolder("Pads"), "Renamed", 0, true, true);
    EXPECT_FALSE(std::filesystem::exists(bankFolder("Pads") + "/Saved.fxp")) << "replaced";
    EXPECT_EQ(programName(1), "P001");
    EXPECT_EQ(programName(2), "Renamed");
    EXPECT_EQ(programName(3), "empty");
}

TEST_P(Programs, ReplacingKeepsTheOldPatchWhenTheNewOneCannotBeWritten)
{
    addBank("Pads", 2);
    open();
    zentrova().selectBank(at("Pads/"), true);
    setProgram(1);
    const std::string blocked = bankFolder("Pads") + "/P001.fxp/inside"; // below a plain file
    zentrova().savePatchAs(blocked, "Moved", 0, true, true);
    EXPECT_TRUE(std::filesystem::exists(bankFolder("Pads") + "/P001.fxp"));
    EXPECT_EQ(programName(1), "P001");
}

TEST_P(Programs, SavingIntoAFolderOutsideTheLibraryWritesItsFormats)
{
    open();
    const std::string folder = librarytest::makeFolder(files.home() + "/Elsewhere");
    zentrova().savePatchAs(folder, "Loose", kFileTypeAupreset, false, false);
    EXPECT_TRUE(std::filesystem::exists(folder + "/Loose.aupreset"));
    EXPECT_FALSE(std::filesystem::exists(folder + "/Loose.fxp"));
}

TEST_P(Programs, SnapshotsAreNamedByLocalDateAndTime)
{
    std::tm time{};
    time.tm_year = 2012 - 1900;
    time.tm_mon = 2;
    time.tm_mday = 3;
    time.tm_hour = 9;
    time.tm_min = 5;
    EXPECT_EQ(Zentrova::snapshotName(time, 7.6), "2012-03-03@09-05-08");
    EXPECT_EQ(Zentrova::snapshotName(time, 7.4), "2012-03-03@09-05-07");
}

TEST_P(Programs, SnapshotsGoToTheSnapshotBankWhichIsMadeWhenMissing)
{
    addBank("Pads", 1);
    open();
    ASSERT_EQ(zentrova().getConfiguration()->getSnapshotFolder(isEffect()), at("Snapshots"));
    zentrova().saveSnapshot();
    const std::string folder = bankFolder("Snapshots");
    ASSERT_TRUE(std::filesystem::is_directory(folder));
    int saved = 0;
    for (const auto& file : std::filesystem::directory_iterator(folder))
        saved += file.path().extension() == ".fxp" ? 1 : 0;
    EXPECT_EQ(saved, 1);
    bool listed = false;
    for (const BankInfo& bank : zentrova().getBankList())
        listed = listed || bank.address == at("Snapshots/");
    EXPECT_TRUE(listed);
}

TEST_P(Programs, ProgramNamesCanBeAskedWhileMidiChangesTheBank)
{
    addBank("Bass", 3);
    addBank("Pads", 5);
    open();
    zentrova().setMidiProgramPath(0, at("Bass/P001"));
    zentrova().setMidiProgramPath(1, at("Pads/P004"));
    std::atomic<bool> done{false};
    std::thread host([&] {
        char text[64];
        while (!done)
            for (int program = 0; program < 130; ++program)
            {
                zentrova().getProgramNameIndexed(0, program, text);
                zentrova().getCurrentProgramIndex();
            }
    });
    for (int i = 0; i < 200; ++i)
        programChange(i % 2);
    done = true;
    host.join();
    EXPECT_EQ(zentrova().getCurrentBank().address, at("Pads/"));
    EXPECT_EQ(programName(4), "P004");
}

TEST_P(Programs, ListedPatchesOutliveARebuildByAnotherInstance)
{
    addBank("Pads", 3);
    open();
    zentrova().selectBank(at("Pads/"), false);
    PluginInstance other(PluginInstance::quietHost, *GetParam().flavour);
    std::filesystem::remove_all(bankFolder("Pads"));
    other->refreshPatchLists(std::string(), true);
    EXPECT_EQ(other->getConfiguration()->getPatchTree()->findNode(at("Pads/")), nullptr);
    EXPECT_EQ(programName(2), "P002") << "the records stay with this instance's list";
    setProgram(1);
    EXPECT_EQ(currentProgram(), 0) << "its file is gone";
}
