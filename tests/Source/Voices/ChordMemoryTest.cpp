#include "Source/state/PatchData.h"
#include "tests/Source/Voices/KeyboardHandlerHarness.h"

#include <gtest/gtest.h>

using namespace keyboard_test;

namespace
{
class ChordMemory : public ::testing::Test, public Harness
{
protected:
    void SetUp() override
    {
        offerChords();
        apply(kFunction, kPoly8);
    }

    // The handler plays copies of the patch's lists, taken when the program
    // switches.
    void offerChords()
    {
        handler.setChordLists(&patch);
        send(EventCode::ProgramSwitched, 0);
    }

    std::vector<std::pair<int, int>> startedWithVelocity()
    {
        std::vector<std::pair<int, int>> found;
        for (const Posted& item : withCode(notes(), EventCode::NoteStart))
            found.emplace_back(item.note(), item.velocity());
        return found;
    }

    // A chord of velocity-64 notes, chord memory on.
    void storeChord(int channel, std::initializer_list<int> chord)
    {
        for (int note : chord)
            chords[channel].addNote(note, 64, 0);
        offerChords();
        apply(kChordMemory, 1);
    }

    PatchData patch;
    KeyboardDescriptor (&chords)[kMidiChannelCount] = patch.chords;
};
} // namespace

TEST_F(ChordMemory, CapturesHeldKeysAndReplaysThemFromAnotherKey)
{
    noteOn(0, 60, 100);
    noteOn(0, 64, 64);
    noteOn(0, 67, 32);
    run();
    apply(kChordMemory, 1);
    ASSERT_EQ(chords[0].getCount(), 3);
    EXPECT_EQ(chords[0].velocityOf(64), 64);

    // The other keys of the chord wait for its root.
    noteOff(0, 64);
    noteOff(0, 67);
    run();
    EXPECT_TRUE(amp().empty());
    noteOff(0, 60);
    run();
    EXPECT_EQ(withCode(amp(), EventCode::GateOff).size(), 3u);
    clearOutput();

    noteOn(0, 62, 64);
    run();
    const std::vector<std::pair<int, int>> expected = {{62, 100}, {66, 64}, {69, 32}};
    EXPECT_EQ(startedWithVelocity(), expected);
    noteOff(0, 62);
    run();
    EXPECT_EQ(withCode(amp(), EventCode::GateOff).size(), 3u);
    EXPECT_TRUE(handler.getKeyList(0).isEmpty());
}

TEST_F(ChordMemory, ALearnedChordWaitsForThePatchWhileTheHostCopiesItsChords)
{
    noteOn(0, 60);
    noteOn(0, 64);
    run();
    patch.chordsLock.lock();
    apply(kChordMemory, 1);
    EXPECT_TRUE(chords[0].isEmpty()) << "written while the host held the lock";
    patch.chordsLock.unlock();
    noteOff(0, 64);
    noteOff(0, 60);
    run();
    clearOutput();
    noteOn(0, 50);
    run();
    EXPECT_EQ(startedNotes(notes()), (std::vector<int>{50, 54})) << "the chord plays at once";
    EXPECT_EQ(chords[0].getCount(), 2) << "and reaches the patch in the next block";
}

TEST_F(ChordMemory, KeysOfTheSoundingChordAreIgnoredAndOthersPlayAlone)
{
    storeChord(0, {60, 64});
    strike(0, 62);
    noteOn(0, 66); // 64 of the chord, moved up by two
    noteOn(0, 70);
    run();
    EXPECT_EQ(startedNotes(notes()), std::vector<int>{70});
    noteOff(0, 66);
    noteOff(0, 70);
    run();
    EXPECT_EQ(withCode(amp(), EventCode::GateOff).size(), 1u);
}

TEST_F(ChordMemory, ScaledVelocitiesNeverBecomeNoteOffs)
{
    chords[0].addNote(60, 1, 0);
    chords[0].addNote(64, 127, 0);
    offerChords();
    apply(kChordMemory, 1);
    noteOn(0, 60, 10);
    noteOn(1, 60, 127);
    run();
    const std::vector<std::pair<int, int>> expected = {{60, 1}, {64, 19}, {60, 127}};
    EXPECT_EQ(startedWithVelocity(), expected);
}

TEST_F(ChordMemory, ChordNotesBeyondTheKeyboardAreLeftOut)
{
    storeChord(0, {60, 100});
    noteOn(0, 120);
    run();
    EXPECT_EQ(startedNotes(notes()), std::vector<int>{120});
}

TEST_F(ChordMemory, PressureOnTheRootReachesEveryChordNote)
{
    chords[0].addNote(60, 64, 0);
    chords[0].addNote(64, 64, 10);
    chords[0].addNote(67, 64, 120);
    offerChords();
    apply(kChordMemory, 1);
    strike(0, 62);
    send(EventCode::midiCode(EventCode::kKindKeyPressure, 0, 62), 50);
    run();
    const std::vector<Posted> out = withCode(notes(), EventCode::KeyPressure);
    ASSERT_EQ(out.size(), 3u);
    EXPECT_EQ(out[0].level(), 50);
    EXPECT_EQ(out[1].level(), 60);
    EXPECT_EQ(out[2].level(), 127);
}

TEST_F(ChordMemory, AProgramLoadEndsChordMemoryAndReleasesTheChords)
{
    storeChord(3, {60, 63});
    strike(3, 65);
    send(EventCode::ProgramLoad, 1, 20);
    run();
    const std::vector<Posted> offs = withCode(amp(), EventCode::GateOff);
    ASSERT_EQ(offs.size(), 2u);
    EXPECT_EQ(offs[0].time, 20);
    clearOutput();
    send(EventCode::ProgramLoad, 0);
    noteOff(3, 65);
    noteOn(3, 50);
    run();
    EXPECT_EQ(startedNotes(notes()), std::vector<int>{50}) << "chord memory is off";
}

TEST_F(ChordMemory, SwitchedOnDuringAProgramLoadItReleasesEverythingAndCapturesNothing)
{
    noteOn(0, 60);
    noteOn(0, 64);
    run();
    clearOutput();
    send(EventCode::ProgramLoad, 1);
    send(kChordMemory, 1);
    send(EventCode::ProgramLoad, 0);
    run();
    EXPECT_EQ(withCode(amp(), EventCode::GateOff).size(), 2u);
    EXPECT_TRUE(chords[0].isEmpty());
}

TEST_F(ChordMemory, CapturingUnderHoldSwitchesHoldOffAndWaitsForAKey)
{
    apply(kKeyboardHold, 1);
    pressAndRelease(0, {60, 67});
    run();
    clearOutput();
    send(kChordMemory, 1);
    run();
    EXPECT_EQ(withCode(amp(), EventCode::GateOff).size(), 2u);
    EXPECT_EQ(chords[0].getCount(), 2);
    clearOutput();
    noteOn(0, 48);
    noteOff(0, 48);
    run();
    EXPECT_EQ(startedNotes(notes()), (std::vector<int>{48, 55}));
    EXPECT_EQ(withCode(amp(), EventCode::GateOff).size(), 2u) << "hold is off now";
}

TEST_F(ChordMemory, OrderChangesReachTheChordListsUnlessAProgramLoads)
{
    apply(kArpeggioOrder, 0);
    EXPECT_EQ(chords[5].getOrder(), KeyboardDescriptor::kPitchOrder);
    send(EventCode::ProgramLoad, 1);
    send(kArpeggioOrder, 1);
    send(EventCode::ProgramLoad, 0);
    run();
    EXPECT_EQ(chords[5].getOrder(), KeyboardDescriptor::kPitchOrder);
    EXPECT_EQ(handler.getSoundList(5).getOrder(), KeyboardDescriptor::kPlayOrder);
}

TEST_F(ChordMemory, ListsAreTakenOnlyWhenTheProgramSwitches)
{
    PatchData other;
    other.chords[0].addNote(60, 64, 0);
    other.chords[0].addNote(72, 64, 0);
    handler.setChordLists(&other);
    apply(kChordMemory, 1);
    noteOn(0, 50);
    run();
    EXPECT_EQ(startedNotes(notes()), std::vector<int>{50}) << "the current program has no chord";
    noteOff(0, 50);
    send(EventCode::ProgramSwitched, 0);
    noteOn(0, 50);
    run();
    EXPECT_EQ(startedNotes(notes()), (std::vector<int>{50, 62}));
}
