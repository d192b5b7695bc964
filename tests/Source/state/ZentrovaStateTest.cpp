#include "tests/Source/parameters/ParameterTestHelpers.h"
#include "Source/parameters/FloatIntParameter.h"
#include "Source/parameters/FloatParameter.h"
#include "Source/parameters/ModalFloatParameter.h"
#include "Source/state/ZentrovaState.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace
{
struct EngineEvent
{
    int lane;
    long index;
    EngineValue value;
    std::int64_t time;
};

struct EditorEvent
{
    long tag;
    float value;
};

class RecordingOwner : public ZentrovaStateOwner
{
public:
    void setPseudoParameter(int lane, long index, EngineValue value, std::int64_t time) override
    {
        engine.push_back({lane, index, value, time});
    }
    void setEditorParameter(long tag, float value) override { editor.push_back({tag, value}); }
    void forget()
    {
        engine.clear();
        editor.clear();
    }

    std::vector<EngineEvent> engine;
    std::vector<EditorEvent> editor;
};

constexpr long kPatchModified = 599;

float choice(int index, int count)
{
    return static_cast<float>(index) / static_cast<float>(count - 1);
}

// A state the engine plays, with the owner's record emptied.
struct CurrentState
{
    CurrentState() : state(&owner)
    {
        state.setCurrent();
        owner.forget();
    }
    RecordingOwner owner;
    ZentrovaState state;
};

FloatIntParameter& floatInt(ZentrovaState& state, int index)
{
    return dynamic_cast<FloatIntParameter&>(*state.getParameter(index));
}

ModalFloatParameter& modal(ZentrovaState& state, int index)
{
    return dynamic_cast<ModalFloatParameter&>(*state.getParameter(index));
}
}

TEST(ZentrovaState, NewStateHoldsTheDefaultPatch)
{
    RecordingOwner owner;
    ZentrovaState state(&owner);
    const DefaultPatchRecord& record = DefaultPatchRecord::instance();
    for (int index = 0; index < kParameterCount; ++index)
    {
        EXPECT_EQ(state.m_patchData.values[index], record.values[index]);
        EXPECT_EQ(state.getParameter(index)->getValue(), record.values[index]);
        EXPECT_EQ(state.getParameter(index)->getDefaultValue(), record.values[index]);
    }
    EXPECT_EQ(state.m_patchData.name, "Default");
    EXPECT_EQ(state.m_patchInfo.name, "");
    EXPECT_FALSE(isNilUuid(state.m_patchInfo.uuid));
    EXPECT_EQ(state.m_programIndex, 0);
    EXPECT_FALSE(state.m_notInLibrary);
    EXPECT_FALSE(state.m_isCurrent);
    EXPECT_FALSE(state.m_modified);
    EXPECT_TRUE(owner.engine.empty());
    EXPECT_TRUE(owner.editor.empty());
    EXPECT_EQ(state.getParameter(-1), nullptr);
    EXPECT_EQ(state.getParameter(kParameterCount), nullptr);
}

TEST(ZentrovaState, NewStateTextsFollowItsSwitches)
{
    ZentrovaState state(nullptr);
    EXPECT_TRUE(floatInt(state, Param::Tempo).isIntMode());
    EXPECT_TRUE(floatInt(state, Param::LFO1Rate).isIntMode());
    EXPECT_EQ(dynamic_cast<FloatParameter&>(*state.getParameter(Param::FilterSep)).getMinimum(), 0.0f);
    EXPECT_EQ(modal(state, Param::AuxModAmount).getMode(), 5);
    EXPECT_EQ(modal(state, Param::Controller1Amount).getMode(), 1);
}

TEST(ZentrovaState, TinyChangesAreIgnored)
{
    CurrentState current;
    ZentrovaState& state = current.state;
    float before = state.m_patchData.values[Param::FilterQ];
    state.setParameterValue(Param::FilterQ, before + 5e-8f, 2);
    state.setParameterValue(Param::FilterQ, std::nanf(""), 2);
    EXPECT_EQ(state.m_patchData.values[Param::FilterQ], before);
    EXPECT_TRUE(current.owner.engine.empty());
    EXPECT_TRUE(current.owner.editor.empty());
    EXPECT_FALSE(state.m_modified);
}

TEST(ZentrovaState, ChangeOfACurrentStateReachesEngineAndEditor)
{
    CurrentState current;
    ZentrovaState& state = current.state;
    state.setParameterValue(Param::FilterQ, 0.5f, 2);
    EXPECT_EQ(state.m_patchData.values[Param::FilterQ], 0.5f);
    EXPECT_EQ(state.getParameter(Param::FilterQ)->getValue(), 0.5f);
    ASSERT_EQ(current.owner.engine.size(), 1u);
    EXPECT_EQ(current.owner.engine[0].lane, 2);
    EXPECT_EQ(current.owner.engine[0].index, Param::FilterQ);
    EXPECT_EQ(engineValueAsFloat(current.owner.engine[0].value), 0.5f);
    EXPECT_EQ(current.owner.engine[0].time, 0);
    ASSERT_EQ(current.owner.editor.size(), 1u);
    EXPECT_EQ(current.owner.editor[0].tag, kPatchModified);
    EXPECT_EQ(current.owner.editor[0].value, 1.0f);
    EXPECT_TRUE(state.m_modified);

    // Only the first change tells the editor.
    current.owner.forget();
    state.setParameterValue(Param::Volume, 0.5f, 1);
    ASSERT_EQ(current.owner.engine.size(), 1u);
    EXPECT_EQ(current.owner.engine[0].lane, 1);
    EXPECT_FLOAT_EQ(engineValueAsFloat(current.owner.engine[0].value), std::pow(10.0f, -27.0f / 20.0f));
    EXPECT_TRUE(current.owner.editor.empty());
}

TEST(ZentrovaState, ChangeOfAnotherStateIsOnlyStored)
{
    RecordingOwner owner;
    ZentrovaState state(&owner);
    state.setParameterValue(Param::FilterType, choice(7, 9), 2);
    EXPECT_EQ(state.m_patchData.values[Param::FilterType], choice(7, 9));
    EXPECT_EQ(displayOf(*state.getParameter(Param::FilterType)), "LP // HP");
    EXPECT_TRUE(state.m_modified);
    EXPECT_TRUE(owner.engine.empty());
    EXPECT_TRUE(owner.editor.empty());
    // No switch rule runs either.
    EXPECT_EQ(dynamic_cast<FloatParameter&>(*state.getParameter(Param::FilterSep)).getMinimum(), 0.0f);
}

TEST(ZentrovaState, SetCurrentShowsTheModifiedFlag)
{
    RecordingOwner owner;
    ZentrovaState state(&owner);
    state.setCurrent();
    EXPECT_TRUE(state.m_isCurrent);
    ASSERT_EQ(owner.editor.size(), 1u);
    EXPECT_EQ(owner.editor[0].tag, kPatchModified);
    EXPECT_EQ(owner.editor[0].value, 0.0f);

    ZentrovaState other(&owner);
    other.setParameterValue(Param::GateTime, 0.2f, 2);
    owner.forget();
    other.setCurrent();
    ASSERT_EQ(owner.editor.size(), 1u);
    EXPECT_EQ(owner.editor[0].value, 1.0f);
}

TEST(ZentrovaState, LearnedControllerStoresAndMarksEvenWithoutChange)
{
    CurrentState current;
    ZentrovaState& state = current.state;
    state.setParameterViaMidi(Param::FilterDrive, 127, 17);
    EXPECT_EQ(state.m_patchData.values[Param::FilterDrive], 1.0f);
    EXPECT_EQ(state.getParameter(Param::FilterDrive)->getValue(), 1.0f);
    ASSERT_EQ(current.owner.engine.size(), 1u);
    EXPECT_EQ(current.owner.engine[0].lane, 0);
    EXPECT_EQ(current.owner.engine[0].time, 17);
    // The drive works normalised.
    EXPECT_EQ(engineValueAsFloat(current.owner.engine[0].value), 1.0f);
    EXPECT_TRUE(current.owner.editor.empty());
    EXPECT_TRUE(state.m_modified);

    RecordingOwner owner;
    ZentrovaState other(&owner);
    float value = other.m_patchData.values[Param::OscMix];
    other.setParameterViaMidi(Param::OscMix, 64, 0);
    EXPECT_EQ(other.m_patchData.values[Param::OscMix], value);
    EXPECT_TRUE(other.m_modified);
    EXPECT_TRUE(owner.engine.empty());
}

TEST(ZentrovaState, MidiValueOfAParameter)
{
    ZentrovaState state(nullptr);
    EXPECT_EQ(state.getMidiValue(Param::OscMix), 64);
    EXPECT_EQ(state.getMidiValue(Param::GateTime), 127);
    EXPECT_EQ(state.getMidiValue(Param::NoiseMix), 1);
    EXPECT_EQ(state.getMidiValue(999), 0);
}

TEST(ZentrovaState, IndicesOutsideTheTableAreIgnored)
{
    CurrentState current;
    current.state.setParameterValue(-1, 0.5f, 2);
    current.state.setParameterValue(kParameterCount, 0.5f, 2);
    current.state.setParameterViaMidi(kParameterCount, 10, 0);
    EXPECT_TRUE(current.owner.engine.empty());
    EXPECT_FALSE(current.state.m_modified);
}

TEST(ZentrovaState, TempoSourceSwitchesTempoBetweenBpmAndBeats)
{
    CurrentState current;
    ZentrovaState& state = current.state;
    state.setParameterValue(Param::TempoExternal, 0.0f, 2);
    EXPECT_FALSE(floatInt(state, Param::Tempo).isIntMode());
    EXPECT_EQ(labelOf(*state.getParameter(Param::Tempo)), "bpm");
    EXPECT_EQ(displayOf(*state.getParameter(Param::Tempo)), "16");
    // Nobody hears of the mode change itself.
    ASSERT_EQ(current.owner.engine.size(), 1u);
    EXPECT_EQ(current.owner.engine[0].index, Param::TempoExternal);

    state.setParameterValue(Param::Tempo, 0.5f, 2);
    EXPECT_EQ(displayOf(*state.getParameter(Param::Tempo)), "111");
    state.setParameterValue(Param::TempoExternal, 1.0f, 2);
    EXPECT_EQ(displayOf(*state.getParameter(Param::Tempo)), "33");
    EXPECT_EQ(labelOf(*state.getParameter(Param::Tempo)), "Bts/Bar");
}

TEST(ZentrovaState, LfoSyncFromClockOnCountsCyclesPerBar)
{
    CurrentState current;
    ZentrovaState& state = current.state;
    state.setParameterValue(Param::LFO1Sync, choice(3, 11), 2); // "Lock-RT"
    EXPECT_FALSE(floatInt(state, Param::LFO1Rate).isIntMode());
    ASSERT_EQ(current.owner.engine.size(), 2u);
    EXPECT_EQ(current.owner.engine[0].index, Param::LFO1Sync);
    EXPECT_EQ(current.owner.engine[0].value, 3);
    EXPECT_EQ(current.owner.engine[1].index, Param::LFO1Rate);
    EXPECT_EQ(current.owner.engine[1].lane, 2);
    EXPECT_EQ(current.owner.engine[1].value,
              engineValueFromFloat(floatInt(state, Param::LFO1Rate).getFloat()));
    EXPECT_EQ(displayOf(*state.getParameter(Param::LFO1Rate)), "0.042");
    EXPECT_EQ(labelOf(*state.getParameter(Param::LFO1Rate)), "Hz");

    current.owner.forget();
    state.setParameterValue(Param::LFO1Sync, choice(4, 11), 2); // "Clock"
    EXPECT_TRUE(floatInt(state, Param::LFO1Rate).isIntMode());
    ASSERT_EQ(current.owner.engine.size(), 2u);
    EXPECT_EQ(current.owner.engine[1].value, 4);
    EXPECT_EQ(displayOf(*state.getParameter(Param::LFO1Rate)), "4");

    current.owner.forget();
    state.setParameterValue(Param::LFO2Sync, 0.0f, 3);
    EXPECT_FALSE(floatInt(state, Param::LFO2Rate).isIntMode());
    ASSERT_EQ(current.owner.engine.size(), 2u);
    EXPECT_EQ(current.owner.engine[1].index, Param::LFO2Rate);
    EXPECT_EQ(current.owner.engine[1].lane, 3);
    EXPECT_TRUE(floatInt(state, Param::LFO1Rate).isIntMode());
}

TEST(ZentrovaState, FilterSeparationGoesNegativeOnlyForDualModes)
{
    CurrentState current;
    ZentrovaState& state = current.state;
    auto& sep = dynamic_cast<FloatParameter&>(*state.getParameter(Param::FilterSep));
    state.setParameterValue(Param::FilterType, choice(4, 9), 2); // "BP 2 Pole"
    EXPECT_EQ(sep.getMinimum(), 0.0f);
    EXPECT_EQ(displayOf(sep), "19.4");
    state.setParameterValue(Param::FilterType, choice(6, 9), 2); // "LP // BP"
    EXPECT_EQ(sep.getMinimum(), -24.0f);
    EXPECT_EQ(sep.getMaximum(), 24.0f);
    EXPECT_EQ(displayOf(sep), "14.8");
    ASSERT_EQ(current.owner.engine.size(), 2u);
    EXPECT_EQ(current.owner.engine[1].index, Param::FilterType);
    state.setParameterValue(Param::FilterType, choice(5, 9), 2);
    EXPECT_EQ(sep.getMinimum(), 0.0f);
}

TEST(ZentrovaState, AuxDestinationSetsTheUnitOfItsAmounts)
{
    CurrentState current;
    ZentrovaState& state = current.state;
    state.setParameterValue(Param::AuxModDestination, choice(7, 9), 2); // "Osc Mix"
    EXPECT_EQ(modal(state, Param::AuxModAmount).getMode(), 7);
    EXPECT_EQ(modal(state, Param::AuxModEnvelope).getMode(), 7);
    EXPECT_EQ(modal(state, Param::AuxModWheel).getMode(), 0);
    EXPECT_EQ(labelOf(*state.getParameter(Param::AuxModAmount)), "%");
    state.getParameter(Param::AuxModAmount)->setValue(0.75f);
    EXPECT_EQ(displayOf(*state.getParameter(Param::AuxModAmount)), "50");
    // Controllers that do not drive the aux amount keep their modes.
    EXPECT_EQ(modal(state, Param::Controller1Amount).getMode(), 1);
    EXPECT_EQ(modal(state, Param::Controller2Amount).getMode(), 0);
    ASSERT_EQ(current.owner.engine.size(), 1u);
}

TEST(ZentrovaState, ControllerDrivingTheAuxAmountFollowsTheAuxDestination)
{
    CurrentState current;
    ZentrovaState& state = current.state;
    state.setParameterValue(Param::AuxModDestination, choice(6, 9), 2); // "Filter Q"
    state.setParameterValue(Param::Controller2Dest, choice(6, 7), 2);   // "Aux Amount"
    // Aux destination d selects controller mode d + 5, that is aux mode d - 1.
    EXPECT_EQ(modal(state, Param::Controller2Amount).getMode(), 11);
    EXPECT_EQ(labelOf(*state.getParameter(Param::Controller2Amount)), "semitones");
    EXPECT_EQ(displayOf(*state.getParameter(Param::Controller2Amount)), "24.00");
    state.setParameterValue(Param::AuxModDestination, choice(7, 9), 2); // "Osc Mix"
    EXPECT_EQ(modal(state, Param::Controller2Amount).getMode(), 12);
    EXPECT_EQ(labelOf(*state.getParameter(Param::Controller2Amount)), "Q");
    EXPECT_EQ(displayOf(*state.getParameter(Param::Controller2Amount)), "1.00");

    state.setParameterValue(Param::Controller1Dest, choice(3, 7), 2); // "Filter Q"
    EXPECT_EQ(modal(state, Param::Controller1Amount).getMode(), 3);
    state.setParameterValue(Param::Controller1Dest, choice(6, 7), 2);
    EXPECT_EQ(modal(state, Param::Controller1Amount).getMode(), 12);
    state.setParameterValue(Param::Controller2Dest, choice(4, 7), 2); // "Pitch Amnt"
    EXPECT_EQ(modal(state, Param::Controller2Amount).getMode(), 4);
    // The engine value stays bipolar whatever the mode.
    EXPECT_EQ(engineValueAsFloat(state.getParameter(Param::Controller2Amount)->getEngineValue()), 1.0f);
}

TEST(ZentrovaState, ChordMemoryTurnsHoldOffButKeepsItStored)
{
    CurrentState current;
    ZentrovaState& state = current.state;
    state.setParameterValue(Param::KeyboardHold, 1.0f, 2);
    current.owner.forget();
    state.setParameterValue(Param::ChordMemory, 1.0f, 2);
    EXPECT_EQ(state.getParameter(Param::KeyboardHold)->getValue(), 0.0f);
    EXPECT_EQ(state.m_patchData.values[Param::KeyboardHold], 1.0f);
    ASSERT_EQ(current.owner.engine.size(), 2u);
    EXPECT_EQ(current.owner.engine[0].index, Param::ChordMemory);
    EXPECT_EQ(current.owner.engine[1].index, Param::KeyboardHold);
    EXPECT_EQ(current.owner.engine[1].lane, 2);
    EXPECT_EQ(current.owner.engine[1].value, engineValueFromFloat(0.0f));
    ASSERT_EQ(current.owner.editor.size(), 1u);
    EXPECT_EQ(current.owner.editor[0].tag, Param::KeyboardHold);
    EXPECT_EQ(current.owner.editor[0].value, 0.0f);
}

TEST(ZentrovaState, ProgramApplicationKeepsHold)
{
    CurrentState current;
    ZentrovaState& state = current.state;
    state.getParameter(Param::KeyboardHold)->setValue(1.0f);
    state.getParameter(Param::ChordMemory)->setValue(1.0f);
    state.checkSwitches(Param::ChordMemory, 0, true);
    EXPECT_EQ(state.getParameter(Param::KeyboardHold)->getValue(), 1.0f);
    EXPECT_TRUE(current.owner.engine.empty());
    EXPECT_TRUE(current.owner.editor.empty());
}

TEST(ZentrovaState, SilentSwitchCheckTellsNobody)
{
    CurrentState current;
    ZentrovaState& state = current.state;
    state.getParameter(Param::LFO1Sync)->setValue(choice(4, 11));
    state.getParameter(Param::LFO2Sync)->setValue(choice(8, 11));
    state.getParameter(Param::ChordMemory)->setValue(1.0f);
    state.getParameter(Param::KeyboardHold)->setValue(1.0f);
    state.getParameter(Param::TempoExternal)->setValue(0.0f);
    state.getParameter(Param::FilterType)->setValue(1.0f);
    state.checkSwitches(-1, -1, false);
    EXPECT_TRUE(current.owner.engine.empty());
    EXPECT_TRUE(current.owner.editor.empty());
    EXPECT_EQ(state.getParameter(Param::KeyboardHold)->getValue(), 0.0f);
    EXPECT_FALSE(floatInt(state, Param::Tempo).isIntMode());
    EXPECT_EQ(dynamic_cast<FloatParameter&>(*state.getParameter(Param::FilterSep)).getMinimum(), -24.0f);
}

TEST(ZentrovaState, FullSwitchCheckTellsTheEngineOfBothRates)
{
    CurrentState current;
    ZentrovaState& state = current.state;
    state.checkSwitches(-1, 0, true);
    ASSERT_EQ(current.owner.engine.size(), 2u);
    EXPECT_EQ(current.owner.engine[0].index, Param::LFO1Rate);
    EXPECT_EQ(current.owner.engine[1].index, Param::LFO2Rate);
    EXPECT_EQ(current.owner.engine[0].lane, 0);
    EXPECT_EQ(current.owner.engine[0].value, 4);
}

TEST(ZentrovaState, DefaultPatchResetsTheStoredPatchOnly)
{
    RecordingOwner owner;
    ZentrovaState state(&owner);
    state.setParameterValue(Param::FilterQ, 0.9f, 2);
    state.setPatchName("Bass");
    state.m_patchData.chords[1].addNote(60, 100, 0);
    state.m_programIndex = 12;
    state.m_notInLibrary = true;
    state.m_isCurrent = true;
    Uuid uuid = state.m_patchInfo.uuid;
    state.setDefaultPatch();
    EXPECT_EQ(state.m_patchData.values[Param::FilterQ], DefaultPatchRecord::instance().values[Param::FilterQ]);
    EXPECT_EQ(state.m_patchData.name, "Default");
    EXPECT_TRUE(state.m_patchData.chords[1].isEmpty());
    EXPECT_FALSE(state.m_modified);
    EXPECT_EQ(state.m_programIndex, 0);
    EXPECT_TRUE(state.m_notInLibrary);
    EXPECT_TRUE(state.m_isCurrent);
    EXPECT_EQ(state.m_patchInfo.name, "Bass");
    EXPECT_EQ(state.m_patchInfo.uuid, uuid);
    EXPECT_FLOAT_EQ(state.getParameter(Param::FilterQ)->getValue(), 0.9f);
}

TEST(ZentrovaState, PatchNameGoesToDataAndRecord)
{
    ZentrovaState state(nullptr);
    state.setPatchName("Strings");
    EXPECT_EQ(state.m_patchData.name, "Strings");
    EXPECT_EQ(state.m_patchInfo.name, "Strings");
    state.setPatchName(nullptr);
    EXPECT_EQ(state.m_patchData.name, "");
}

TEST(ZentrovaState, LoadingTheDefaultPatchSetsDefaultsAndTakesTheLibraryName)
{
    ZentrovaState state(nullptr);
    for (int index = 0; index < kParameterCount; ++index)
        state.getParameter(index)->setValue(0.0f);
    state.m_patchInfo.name = "Init";
    state.m_patchData.chords[0].addNote(60, 100, 0);
    state.loadDefaultPatch();
    const DefaultPatchRecord& record = DefaultPatchRecord::instance();
    for (int index = 0; index < kParameterCount; ++index)
    {
        EXPECT_EQ(state.m_patchData.values[index], record.values[index]);
        EXPECT_EQ(state.getParameter(index)->getValue(), record.values[index]);
        EXPECT_EQ(state.getParameter(index)->getDefaultValue(), record.values[index]);
    }
    EXPECT_EQ(state.m_patchData.name, "Init");
    EXPECT_TRUE(state.m_patchData.chords[0].isEmpty());
    // "Pitch" arpeggio order walks the chords by pitch.
    for (const KeyboardDescriptor& chord : state.m_patchData.chords)
        EXPECT_EQ(chord.getOrder(), KeyboardDescriptor::kPitchOrder);
    EXPECT_TRUE(floatInt(state, Param::Tempo).isIntMode());
}

TEST(ZentrovaState, StoredTextsComeFromStoredValuesNotLiveObjects)
{
    CurrentState current;
    ZentrovaState& state = current.state;
    state.setParameterValue(Param::KeyboardHold, 1.0f, 2);
    state.setParameterValue(Param::ChordMemory, 1.0f, 2);
    ASSERT_EQ(state.getParameter(Param::KeyboardHold)->getValue(), 0.0f);
    std::vector<std::string> texts = state.storedValueTexts();
    EXPECT_EQ(texts[Param::KeyboardHold], "On");
    EXPECT_EQ(state.getParameter(Param::KeyboardHold)->getValue(), 0.0f);
}

TEST(ZentrovaState, StoredTextsUseTheModesOfTheStoredPatch)
{
    CurrentState current;
    ZentrovaState& state = current.state;
    state.setParameterValue(Param::FilterType, choice(8, 9), 2);
    state.setParameterValue(Param::TempoExternal, 0.0f, 2);
    state.setParameterValue(Param::Tempo, 0.5f, 2);
    state.setDefaultPatch();
    // Live objects still hold the edited patch and its modes.
    EXPECT_FALSE(floatInt(state, Param::Tempo).isIntMode());
    std::vector<std::string> texts = state.storedValueTexts();
    EXPECT_EQ(texts[Param::FilterSep], "19.400");
    EXPECT_EQ(texts[Param::Tempo], "1i");
    EXPECT_EQ(texts[Param::FilterType], "Low Pass");
    EXPECT_FALSE(floatInt(state, Param::Tempo).isIntMode());
    EXPECT_EQ(state.getParameter(Param::Tempo)->getValue(), 0.5f);
}

namespace
{
// An owner whose library holds one patch, in bank "Bank/".
class LibraryOwner : public RecordingOwner
{
public:
    LibraryOwner() { patch.name = "Library Name", patch.address = "Bank/Library Name"; }

    std::string getCurrentBankAddress() const override { return bank; }
    void selectBank(const std::string& address) override { bank = address; }
    bool findLibraryPatch(const Uuid& uuid, PatchInfo& info) override
    {
        lookups.push_back(uuidToString(uuid));
        if (uuid != patch.uuid)
            return false;
        info = patch;
        return true;
    }
    int showLibraryPatch(const PatchInfo& info) override
    {
        bank = "Bank/";
        shown = info.address;
        return 5;
    }

    PatchInfo patch;
    std::string bank = "Current/";
    std::string shown;
    std::vector<std::string> lookups;
};

bool readText(ZentrovaState& state, const std::string& text, bool patchOnly, bool resolve, bool keepBank)
{
    std::string copy = text;
    ChunkBuffer chunk;
    chunk.attach(copy.data(), copy.size() + 1);
    const bool read = state.readChunkXml(chunk, patchOnly, resolve, keepBank);
    chunk.detach();
    return read;
}

std::string bankDocument(const std::string& patchUuid)
{
    return "<zentrova version=\"609\" uuid=\"" + uuidToString(generateUuid()) +
           "\"><status selected_bank=\"Other/\" selected_patch=\"Other/P\" />"
           "<patch name=\"Chunk Name\" uuid=\"" + patchUuid + "\" /></zentrova>";
}
}

TEST(ZentrovaState, BankChunkSelectsItsBankAndFindsItsPatchByUuid)
{
    LibraryOwner owner;
    ZentrovaState state(&owner);
    ASSERT_TRUE(readText(state, bankDocument(uuidToString(owner.patch.uuid)), false, true, false));
    EXPECT_EQ(owner.lookups.size(), 2u) << "the root's fresh uuid first, then the patch's";
    EXPECT_EQ(owner.shown, "Bank/Library Name");
    EXPECT_EQ(owner.bank, "Bank/");
    EXPECT_EQ(state.m_programIndex, 5);
    EXPECT_FALSE(state.m_notInLibrary);
    EXPECT_EQ(state.m_patchInfo.address, "Bank/Library Name");
    EXPECT_EQ(state.m_patchInfo.name, "Library Name");
    EXPECT_EQ(state.m_patchData.name, "Chunk Name");
}

TEST(ZentrovaState, ChunkOfAPatchOutsideTheLibraryIsMarkedSo)
{
    LibraryOwner owner;
    ZentrovaState state(&owner);
    state.m_programIndex = 3;
    ASSERT_TRUE(readText(state, bankDocument(uuidToString(generateUuid())), false, true, false));
    EXPECT_TRUE(state.m_notInLibrary);
    EXPECT_EQ(state.m_patchInfo.address, "");
    EXPECT_EQ(state.m_programIndex, 0);
    EXPECT_EQ(state.m_patchData.name, "Chunk Name");
    EXPECT_EQ(state.m_patchInfo.name, "Chunk Name");
    EXPECT_EQ(owner.bank, "Other/") << "the chunk's bank stays selected";
    EXPECT_EQ(owner.shown, "");

    // The next readable chunk clears the mark before it looks again.
    ASSERT_TRUE(readText(state, bankDocument(uuidToString(owner.patch.uuid)), false, true, false));
    EXPECT_FALSE(state.m_notInLibrary);
}

TEST(ZentrovaState, ProgramChunksAndKeptBanksLeaveTheSelectionAlone)
{
    LibraryOwner owner;
    ZentrovaState state(&owner);
    ASSERT_TRUE(readText(state, bankDocument(""), true, true, false));
    EXPECT_EQ(owner.bank, "Current/");
    EXPECT_EQ(state.m_patchInfo.address, "");

    state.m_patchInfo.name = "Given";
    owner.lookups.clear();
    ASSERT_TRUE(readText(state, bankDocument(""), false, false, true));
    EXPECT_EQ(owner.bank, "Current/");
    EXPECT_EQ(state.m_patchInfo.address, "Other/P") << "without resolving, the chunk's address stays";
    EXPECT_EQ(state.m_patchData.name, "Given") << "without resolving, the caller names the patch";
    EXPECT_TRUE(owner.lookups.empty());
}

TEST(ZentrovaState, BankChunkNamesTheCurrentBankAndThePatchAddress)
{
    LibraryOwner owner;
    ZentrovaState state(&owner);
    state.m_patchInfo.address = "Current/Mine";
    ChunkBuffer chunk;
    ASSERT_TRUE(state.writeChunkXml(chunk, false));
    EXPECT_NE(inflateToString(chunk).find("<status selected_bank=\"Current/\" selected_patch=\"Current/Mine\" />"),
              std::string::npos);
}

TEST(ZentrovaStateDeathTest, OwnerlessStateCannotReachTheEngine)
{
    ZentrovaState state(nullptr);
    EXPECT_DEATH(state.setCurrent(), "m_pZentrova \\(setCurrent\\)");
    state.m_isCurrent = true;
    EXPECT_DEATH(state.setParameterValue(Param::FilterQ, 0.7f, 2), "m_pZentrova \\(setParameterValue\\)");
    EXPECT_DEATH(state.setParameterViaMidi(Param::FilterQ, 10, 0), "m_pZentrova \\(setParameterViaMidi\\)");
    EXPECT_DEATH(state.checkSwitches(Param::LFO1Sync, 2, false), "m_pZentrova \\(checkSwitches\\)");
    ChunkBuffer chunk;
    EXPECT_DEATH(state.writeChunkXml(chunk, true), "m_pZentrova \\(writeChunkXml\\)");
    EXPECT_DEATH(state.readChunkXml(chunk, true, false, false), "m_pZentrova \\(readChunkXml\\)");
}
