#include "tests/Source/Voices/KeyboardHandlerHarness.h"

#include <gtest/gtest.h>

using namespace keyboard_test;

namespace
{
class KeyboardHandling : public ::testing::Test, public Harness
{
protected:
    void poly(std::int64_t function = kPoly8) { apply(kFunction, function); }

    // Keys 60, 61, ... on channel 0 in one block, whose output is dropped.
    void pressKeys(int count)
    {
        for (int i = 0; i < count; ++i)
            noteOn(0, 60 + i);
        run();
        clearOutput();
    }

    // The group a key on channel 0 starts on, -1 when none.
    int groupOfNewNote(int note)
    {
        noteOn(0, note);
        run();
        const std::vector<Posted> started = withCode(notes(), EventCode::NoteStart);
        return started.size() == 1 && started[0].note() == note ? started[0].group() : -1;
    }
};

// Every note start a group took, as (group, note) pairs.
std::vector<std::pair<int, int>> starts(const std::vector<Posted>& items)
{
    std::vector<std::pair<int, int>> found;
    for (const Posted& item : withCode(items, EventCode::NoteStart))
        found.emplace_back(item.group(), item.note());
    return found;
}
} // namespace

TEST_F(KeyboardHandling, PolyNotesOfOneBlockTakeSuccessiveIdleGroups)
{
    poly();
    noteOn(0, 60, 100, 0);
    noteOn(0, 64, 90, 40);
    noteOn(0, 67, 80, 70);
    EXPECT_EQ(run(10), 0b111);

    const std::vector<Posted> out = notes();
    const std::vector<std::pair<int, int>> expected = {{0, 60}, {1, 64}, {2, 67}};
    EXPECT_EQ(starts(out), expected);
    const std::vector<Posted> gates = withCode(out, EventCode::GateOn);
    ASSERT_EQ(gates.size(), 3u);
    EXPECT_EQ(gates[1].level(), 90);
    // Ticks count from the start of the control tick the block began in.
    EXPECT_EQ(gates[0].time, 0);
    EXPECT_EQ(gates[1].time, 1);
    EXPECT_EQ(gates[2].time, 2);

    const std::vector<Posted> ampGates = withCode(amp(), EventCode::GateOn);
    ASSERT_EQ(ampGates.size(), 3u);
    EXPECT_EQ(ampGates[2].group(), 2);
    EXPECT_EQ(ampGates[2].time, 70);
    EXPECT_EQ(masks[KeyboardHandler::kTakenMask], 0b111);
    EXPECT_EQ(masks[0], 0xFFF8);
}

TEST_F(KeyboardHandling, PolyWrapsToGroupZeroWhenEveryGroupIsInItsAttack)
{
    poly(kPoly4);
    std::fill(std::begin(masks), std::end(masks), 0);
    masks[4] = 0xF;
    EXPECT_EQ(groupOfNewNote(60), 0);
}

TEST_F(KeyboardHandling, AFullPolyStealsTheQuietestGroupOfTheFirstStageThatHasAny)
{
    poly(kPoly8);
    pressKeys(8);
    // The next block: all eight sustain, the releasing stage is empty.
    std::fill(std::begin(masks), std::end(masks), 0);
    masks[2] = 0xFF;
    masks[3] = 0x100;
    const float groupLevels[] = {0.9f, 0.8f, 0.7f, 0.3f, 0.6f, 0.5f, 0.4f, 0.35f};
    std::copy(std::begin(groupLevels), std::end(groupLevels), levels);
    EXPECT_EQ(groupOfNewNote(72), 3);
}

TEST_F(KeyboardHandling, AGroupWithoutAKeyIsPreferredOverAQuieterHeldOne)
{
    poly(kPoly4);
    noteOn(0, 60);
    noteOn(0, 62);
    run();
    noteOff(0, 62);
    run();
    clearOutput();
    std::fill(std::begin(masks), std::end(masks), 0);
    masks[1] = 0b11; // both releasing, as far as the picker is told
    levels[0] = 0.1f;
    levels[1] = 0.5f;
    EXPECT_EQ(groupOfNewNote(65), 1);
}

TEST_F(KeyboardHandling, PolyNoteOffReleasesItsGroupWithTheReleaseVelocity)
{
    poly();
    noteOn(0, 60);
    noteOn(0, 62);
    run();
    clearOutput();
    noteOff(0, 62, 33, 65);
    run();
    const std::vector<Posted> offs = withCode(notes(), EventCode::GateOff);
    ASSERT_EQ(offs.size(), 1u);
    EXPECT_EQ(offs[0].group(), 1);
    EXPECT_EQ(offs[0].level(), 33);
    EXPECT_EQ(offs[0].time, 2);
    const std::vector<Posted> ampOffs = withCode(amp(), EventCode::GateOff);
    ASSERT_EQ(ampOffs.size(), 1u);
    EXPECT_EQ(ampOffs[0].time, 65);
}

TEST_F(KeyboardHandling, ARepeatedPolyNoteRetriggersItsOwnGroup)
{
    poly();
    noteOn(0, 60);
    noteOn(0, 64);
    noteOff(0, 60);
    noteOn(0, 60);
    run();
    const std::vector<std::pair<int, int>> expected = {{0, 60}, {1, 64}, {0, 60}};
    EXPECT_EQ(starts(notes()), expected);
}

TEST_F(KeyboardHandling, AStolenGroupIsNotReleasedByTheNoteItLost)
{
    poly(kPoly4);
    for (int note : {60, 62, 64, 65})
        noteOn(0, note);
    run();
    std::fill(std::begin(masks), std::end(masks), 0);
    masks[2] = 0xF;
    levels[0] = 0.1f;
    levels[1] = levels[2] = levels[3] = 0.9f;
    noteOn(0, 67); // takes group 0 from 60
    run();
    clearOutput();
    noteOff(0, 60);
    run();
    EXPECT_TRUE(withCode(notes(), EventCode::GateOff).empty());
    EXPECT_TRUE(amp().empty());
    // ...and the note that lost it does not take it back from a held key.
    noteOn(0, 60);
    run();
    const std::vector<Posted> out = notes();
    ASSERT_EQ(starts(out).size(), 1u);
    EXPECT_NE(starts(out)[0].first, 0);
}

TEST_F(KeyboardHandling, MonoPlaysTheLastKeyAndFallsBackToTheOldestHeld)
{
    noteOn(0, 60);
    noteOn(0, 64);
    noteOn(0, 67);
    noteOff(0, 67);
    noteOff(0, 60);
    noteOff(0, 64);
    run();
    const std::vector<Posted> out = notes();
    const std::vector<std::pair<int, int>> expected = {{0, 60}, {0, 64}, {0, 67}, {0, 60}, {0, 64}};
    EXPECT_EQ(starts(out), expected);
    EXPECT_EQ(withCode(out, EventCode::NewPhrase).size(), 1u);
    const std::vector<Posted> offs = withCode(out, EventCode::GateOff);
    ASSERT_EQ(offs.size(), 1u) << "only the last key closes the gate";
}

TEST_F(KeyboardHandling, MonoChannelsAreTheirOwnGroups)
{
    noteOn(3, 60);
    noteOn(5, 62);
    EXPECT_EQ(run(), (1 << 3) | (1 << 5));
    const std::vector<Posted> out = notes();
    const std::vector<std::pair<int, int>> expected = {{3, 60}, {5, 62}};
    EXPECT_EQ(starts(out), expected);
    const std::vector<Posted> phrases = withCode(out, EventCode::NewPhrase);
    ASSERT_EQ(phrases.size(), 2u);
    EXPECT_EQ(phrases[0].value, 3) << "a new phrase names its group, without a mask";
    EXPECT_EQ(phrases[1].value, 5);
}

TEST_F(KeyboardHandling, SingleTriggeringGlidesAndMultipleTriggeringRegates)
{
    noteOn(0, 60);
    noteOn(0, 62);
    run();
    EXPECT_EQ(withCode(notes(), EventCode::GateOn).size(), 1u);
    EXPECT_EQ(withCode(amp(), EventCode::GateOn).size(), 1u);

    noteOff(0, 60);
    noteOff(0, 62);
    apply(kTriggering, 1);
    noteOn(0, 60);
    noteOn(0, 62);
    noteOff(0, 62); // back to 60: regated as well
    run();
    EXPECT_EQ(withCode(notes(), EventCode::GateOn).size(), 3u);
    EXPECT_EQ(withCode(amp(), EventCode::GateOn).size(), 3u);
}

TEST_F(KeyboardHandling, TheLegatoPedalSwapsSingleAndMultipleTriggering)
{
    apply(EventCode::LegatoPedal, 1);
    noteOn(0, 60);
    noteOn(0, 62);
    run();
    EXPECT_EQ(withCode(notes(), EventCode::GateOn).size(), 2u);
    EXPECT_EQ(withCode(amp(), EventCode::GateOn).size(), 2u);
}

TEST_F(KeyboardHandling, MultipleTriggeringRestartsTheEnvelopesOfAPolyGroup)
{
    poly();
    apply(kTriggering, 1);
    noteOn(0, 60);
    run();
    const std::vector<Posted> out = notes();
    ASSERT_GE(out.size(), 2u);
    EXPECT_EQ(out[out.size() - 2].code, EventCode::EnvelopeRestart);
    EXPECT_EQ(out.back().code, EventCode::GateOn);
    EXPECT_EQ(amp().front().code, EventCode::EnvelopeRestart);
}

TEST_F(KeyboardHandling, DuoStartsBothVoicesOnTheFirstKeyAndMovesTheSecond)
{
    apply(kFunction, kDuo);
    noteOn(0, 60, 100);
    noteOn(0, 67, 90);
    run();
    const std::vector<Posted> out = notes();
    EXPECT_EQ(startedNotes(out), std::vector<int>{60});
    const std::vector<Posted> seconds = withCode(out, EventCode::DuoNoteChange);
    ASSERT_EQ(seconds.size(), 2u);
    EXPECT_EQ(seconds[0].note(), 60);
    EXPECT_EQ(seconds[1].note(), 67);
    EXPECT_EQ(seconds[1].velocity(), 90);
}

TEST_F(KeyboardHandling, DuoHandsAReleasedVoiceToTheOldestKeyTheOtherDoesNotPlay)
{
    apply(kFunction, kDuo);
    noteOn(0, 60);
    noteOn(0, 64);
    noteOn(0, 67);
    run();
    clearOutput();
    noteOff(0, 67); // second voice: back to the oldest key other than 60
    run();
    std::vector<Posted> out = notes();
    const std::vector<Posted> seconds = withCode(out, EventCode::DuoNoteChange);
    ASSERT_EQ(seconds.size(), 1u);
    EXPECT_EQ(seconds[0].note(), 64);
    EXPECT_TRUE(withCode(out, EventCode::GateOff).empty());

    noteOff(0, 60); // first voice: the oldest key except 64 is 64 alone
    noteOff(0, 64);
    run();
    out = notes();
    EXPECT_EQ(startedNotes(out), std::vector<int>{64});
    EXPECT_EQ(withCode(out, EventCode::GateOff).size(), 1u);
}

TEST_F(KeyboardHandling, SustainDefersTheNoteOffToThePedalTime)
{
    poly();
    noteOn(0, 60);
    send(EventCode::SustainPedal, 1, 5);
    noteOff(0, 60, 40, 10);
    run();
    clearOutput();
    send(EventCode::SustainPedal, 0, 100);
    run(20);
    const std::vector<Posted> ampOffs = withCode(amp(), EventCode::GateOff);
    ASSERT_EQ(ampOffs.size(), 1u);
    EXPECT_EQ(ampOffs[0].time, 100);
    EXPECT_EQ(ampOffs[0].level(), 40);
    const std::vector<Posted> offs = withCode(notes(), EventCode::GateOff);
    ASSERT_EQ(offs.size(), 1u);
    EXPECT_EQ(offs[0].time, (100 + 20) >> 5);
    EXPECT_TRUE(handler.getKeyList(0).isEmpty());
}

TEST_F(KeyboardHandling, SustainReleaseReachesEveryChannel)
{
    for (std::int64_t function : {kPoly8, kMono})
    {
        apply(kFunction, function);
        apply(EventCode::SustainPedal, 1);
        noteOn(9, 50);
        noteOn(15, 52);
        noteOff(9, 50);
        noteOff(15, 52);
        run();
        clearOutput();
        apply(EventCode::SustainPedal, 0);
        EXPECT_TRUE(handler.getKeyList(9).isEmpty()) << function;
        EXPECT_TRUE(handler.getKeyList(15).isEmpty()) << function;
        send(EventCode::SustainPedal, 0);
        run();
        EXPECT_TRUE(amp().empty());
    }
}

TEST_F(KeyboardHandling, AKeyStruckAgainUnderSustainIsNotCutWhenThePedalRises)
{
    poly();
    apply(EventCode::SustainPedal, 1);
    noteOn(0, 60);
    noteOff(0, 60);
    noteOn(0, 60);
    run();
    clearOutput();
    apply(EventCode::SustainPedal, 0);
    EXPECT_TRUE(handler.getKeyList(0).contains(60));
    noteOff(0, 60);
    run();
    EXPECT_EQ(withCode(amp(), EventCode::GateOff).size(), 1u);
}

TEST_F(KeyboardHandling, SostenutoHoldsOnlyTheKeysDownWhenItWasPressed)
{
    poly();
    noteOn(2, 60);
    send(EventCode::Sostenuto, 1);
    noteOn(2, 64);
    noteOff(2, 60);
    noteOff(2, 64);
    run();
    // 64 was struck after the pedal: released at once; 60 waits.
    std::vector<Posted> offs = withCode(amp(), EventCode::GateOff);
    ASSERT_EQ(offs.size(), 1u);
    EXPECT_EQ(offs[0].group(), 1);
    clearOutput();
    send(EventCode::Sostenuto, 0, 50);
    run();
    offs = withCode(amp(), EventCode::GateOff);
    ASSERT_EQ(offs.size(), 1u);
    EXPECT_EQ(offs[0].group(), 0);
    EXPECT_EQ(offs[0].time, 50);
    EXPECT_EQ(offs[0].level(), 64);
}

TEST_F(KeyboardHandling, SostenutoForgetsKeysStillDownWhenItRises)
{
    poly();
    noteOn(0, 60);
    apply(EventCode::Sostenuto, 1);
    apply(EventCode::Sostenuto, 0);
    noteOff(0, 60);
    run();
    clearOutput();
    apply(EventCode::Sostenuto, 1);
    noteOn(0, 60);
    run();
    EXPECT_EQ(startedNotes(notes()), std::vector<int>{60}) << "a stale mark would swallow the key";
}

TEST_F(KeyboardHandling, ARepeatedSostenutoDownKeepsWhatItHolds)
{
    poly();
    noteOn(0, 60);
    apply(EventCode::Sostenuto, 1);
    noteOff(0, 60);
    send(EventCode::Sostenuto, 1);
    send(EventCode::Sostenuto, 0);
    run();
    EXPECT_EQ(withCode(amp(), EventCode::GateOff).size(), 1u);
    EXPECT_TRUE(handler.getKeyList(0).isEmpty());
}

TEST_F(KeyboardHandling, TheSoftPedalScalesNoteOnVelocitiesByTheDamperScale)
{
    poly();
    apply(EventCode::SoftPedal, 1);
    noteOn(0, 60, 100);
    noteOn(0, 61, 1);
    run();
    std::vector<Posted> out = withCode(notes(), EventCode::NoteStart);
    ASSERT_EQ(out.size(), 2u);
    EXPECT_EQ(out[0].velocity(), 50) << "the default damper scale halves";
    EXPECT_EQ(out[1].velocity(), 1) << "softening never turns a note-on into a note-off";

    handler.setDamperScale(0.0f);
    apply(EventCode::SoftPedal, 1);
    noteOn(0, 62, 127);
    run();
    out = withCode(notes(), EventCode::NoteStart);
    ASSERT_EQ(out.size(), 1u);
    EXPECT_EQ(out[0].velocity(), 1);

    apply(EventCode::SoftPedal, 0);
    noteOn(0, 63, 100);
    run();
    EXPECT_EQ(withCode(notes(), EventCode::NoteStart).at(0).velocity(), 100);
}

TEST_F(KeyboardHandling, TheDamperScaleIsHeldWithinZeroToOne)
{
    handler.setDamperScale(5.0f);
    EXPECT_EQ(handler.getDamperScale(), 256);
    handler.setDamperScale(-1.0f);
    EXPECT_EQ(handler.getDamperScale(), 0);
    handler.setDamperScale(0.75f);
    EXPECT_EQ(handler.getDamperScale(), 192);

    poly();
    handler.setDamperScale(5.0f);
    apply(EventCode::SoftPedal, 1);
    noteOn(0, 60, 127);
    run();
    EXPECT_EQ(withCode(notes(), EventCode::NoteStart).at(0).velocity(), 127);
}

TEST_F(KeyboardHandling, HoldKeepsReleasedKeysSoundingUntilItIsSwitchedOff)
{
    poly();
    apply(kKeyboardHold, 1);
    pressAndRelease(0, {60, 64});
    run();
    EXPECT_TRUE(withCode(amp(), EventCode::GateOff).empty());
    EXPECT_EQ(handler.getSoundList(0).getCount(), 2);
    clearOutput();
    send(kKeyboardHold, 0, 30);
    run();
    const std::vector<Posted> offs = withCode(amp(), EventCode::GateOff);
    EXPECT_EQ(groupsOf(offs), (std::vector<int>{0, 1}));
    EXPECT_EQ(offs[0].time, 30);
    EXPECT_TRUE(handler.getSoundList(0).isEmpty());
}

TEST_F(KeyboardHandling, AKeyAfterAHeldPhraseReplacesIt)
{
    apply(kKeyboardHold, 1);
    pressAndRelease(0, {60, 64});
    run();
    clearOutput();
    noteOn(0, 67);
    run();
    const std::vector<Posted> out = notes();
    ASSERT_FALSE(out.empty());
    EXPECT_EQ(out.front().code, EventCode::GateOff);
    EXPECT_EQ(startedNotes(out), std::vector<int>{67});
    EXPECT_EQ(handler.getSoundList(0).getCount(), 1);
}

TEST_F(KeyboardHandling, VoiceFunctionsSetTheModeAndAskForVoices)
{
    struct Case
    {
        std::int64_t function;
        std::int64_t unison;
        int mode;
        int polyphony;
        std::int64_t duo;
        std::int64_t allocation;
    };
    const Case cases[] = {
        {kDuo, 0, KeyboardHandler::kDuo, 1, 1, 0},
        {kPoly4, 0, KeyboardHandler::kPoly, 4, 0, 4},
        {kPoly16, 2, KeyboardHandler::kPoly, 16, 0, (2 << 8) + 16},
        {kMono, 0, KeyboardHandler::kMono, 1, 0, 1},
        {kPoly8, 1, KeyboardHandler::kMono, 1, 0, (1 << 8) + 8},
    };
    for (const Case& c : cases)
    {
        send(kUnisonMode, c.unison);
        send(kFunction, c.function);
        run();
        const std::vector<Posted> out = notes();
        const std::vector<Posted> duo = withCode(out, EventCode::DuoMode);
        const std::vector<Posted> allocation = withCode(out, EventCode::VoiceAllocation);
        ASSERT_FALSE(duo.empty());
        ASSERT_FALSE(allocation.empty());
        EXPECT_EQ(duo.back().value, c.duo) << c.function;
        EXPECT_EQ(allocation.back().value, c.allocation) << c.function;
        EXPECT_EQ(handler.getKeyboardMode(), c.mode) << c.function;
        EXPECT_EQ(handler.getPolyphony(), c.polyphony) << c.function;
    }
}

TEST_F(KeyboardHandling, SmallerPolyphonyReleasesTheGroupsAboveIt)
{
    poly(kPoly8);
    pressKeys(6);
    apply(kFunction, kPoly16);
    send(kFunction, kPoly4);
    run();
    EXPECT_EQ(groupsOf(withCode(amp(), EventCode::GateOff)), (std::vector<int>{4, 5}));
}

TEST_F(KeyboardHandling, LeavingPolyReleasesEveryGroup)
{
    poly(kPoly8);
    noteOn(0, 60);
    noteOn(0, 62);
    noteOn(0, 64);
    run();
    clearOutput();
    send(kFunction, kDuo);
    run();
    EXPECT_EQ(groupsOf(withCode(amp(), EventCode::GateOff)), (std::vector<int>{0, 1, 2}));
}

TEST_F(KeyboardHandling, ControllersAddressEveryGroupInPolyAndTheChannelOtherwise)
{
    send(EventCode::midiCode(EventCode::kKindModWheel, 4), 100, 40);
    send(EventCode::midiCode(EventCode::kKindExpression, 4), 200);
    run();
    std::vector<Posted> out = notes();
    ASSERT_EQ(out.size(), 2u);
    EXPECT_EQ(out[0].code, EventCode::ModWheel);
    EXPECT_EQ(out[0].value, (std::int64_t{1} << (16 + 4)) | 100);
    EXPECT_EQ(out[0].time, 1);
    EXPECT_EQ(out[1].code, EventCode::Expression);
    EXPECT_EQ(out[1].level(), 127) << "levels stay bytes";

    poly();
    send(EventCode::midiCode(EventCode::kKindChannelPressure, 4), 70);
    run();
    out = notes();
    ASSERT_EQ(out.size(), 1u);
    EXPECT_EQ(out[0].code, EventCode::ChannelPressure);
    EXPECT_EQ(out[0].value, ~std::int64_t{0xFFFF} | 70);
}

TEST_F(KeyboardHandling, KeyPressureReachesOnlyTheGroupSoundingTheNote)
{
    poly();
    noteOn(1, 60);
    noteOn(1, 64);
    noteOff(1, 64);
    run();
    clearOutput();
    send(EventCode::midiCode(EventCode::kKindKeyPressure, 1, 60), 90);
    send(EventCode::midiCode(EventCode::kKindKeyPressure, 1, 64), 90);
    send(EventCode::midiCode(EventCode::kKindKeyPressure, 1, 70), 90);
    run();
    const std::vector<Posted> out = notes();
    ASSERT_EQ(out.size(), 1u);
    EXPECT_EQ(out[0].code, EventCode::KeyPressure);
    EXPECT_EQ(out[0].group(), 0);
    EXPECT_EQ(out[0].level(), 90);
}

TEST_F(KeyboardHandling, ClockTriggeringGatesTheAmplifiersFromTheClockOnly)
{
    poly();
    apply(kTriggering, 2);
    noteOn(0, 60);
    run();
    EXPECT_TRUE(withCode(amp(), EventCode::GateOn).empty());
    EXPECT_EQ(withCode(notes(), EventCode::GateOn).size(), 1u);

    send(EventCode::ClockGateOn, 0, 12);
    send(EventCode::ClockGateOff, 0, 80);
    EXPECT_EQ(run(), 1);
    const std::vector<Posted> out = amp();
    ASSERT_EQ(out.size(), 2u);
    EXPECT_EQ(out[0].code, EventCode::GateOn);
    EXPECT_EQ(out[0].level(), 64);
    EXPECT_EQ(out[0].time, 12);
    EXPECT_EQ(out[1].code, EventCode::GateOff);
    EXPECT_EQ(out[1].time, 80);
    EXPECT_TRUE(notes().empty()) << "the note-control envelopes keep their own triggering";
}

TEST_F(KeyboardHandling, ClockGatesWithoutSoundingGroupsDoNothing)
{
    apply(kTriggering, 4);
    send(EventCode::ClockGateOn, 0);
    send(EventCode::ClockGateOff, 0, 10);
    EXPECT_EQ(run(), 0);
    EXPECT_TRUE(amp().empty());
    EXPECT_TRUE(notes().empty());
}

TEST_F(KeyboardHandling, AllNotesOffReleasesEvenWhatThePedalsKeep)
{
    poly();
    noteOn(0, 60);
    noteOn(3, 62);
    noteOn(7, 64);
    send(EventCode::Sostenuto, 1);
    noteOff(7, 64);
    send(EventCode::SustainPedal, 1);
    noteOff(3, 62);
    run();
    clearOutput();
    send(EventCode::AllNotesOff, 0);
    run();
    EXPECT_EQ(groupsOf(withCode(amp(), EventCode::GateOff)), (std::vector<int>{0, 1, 2}));
    for (int channel = 0; channel < KeyboardHandler::kNumChannels; ++channel)
    {
        EXPECT_TRUE(handler.getKeyList(channel).isEmpty()) << channel;
        EXPECT_TRUE(handler.getSoundList(channel).isEmpty()) << channel;
    }
    clearOutput();
    send(EventCode::SustainPedal, 0);
    send(EventCode::Sostenuto, 0);
    run();
    EXPECT_TRUE(amp().empty()) << "nothing is left for the pedals to release";
}

TEST_F(KeyboardHandling, AllNotesOffReleasesHeldKeys)
{
    apply(kKeyboardHold, 1);
    pressAndRelease(2, {60, 64});
    run();
    clearOutput();
    send(EventCode::AllNotesOff, 0);
    run();
    EXPECT_EQ(groupsOf(withCode(amp(), EventCode::GateOff)), (std::vector<int>{2}));
    EXPECT_TRUE(handler.getSoundList(2).isEmpty());
}

TEST_F(KeyboardHandling, HeldListsStayConsistentWhateverArrives)
{
    poly(kPoly16);
    noteOn(0, 60);
    noteOn(0, 60);
    noteOff(0, 61);
    noteOff(0, 61);
    run();
    EXPECT_EQ(handler.getKeyList(0).getCount(), 1);
    noteOff(0, 60);
    noteOff(0, 60);
    run();
    EXPECT_TRUE(handler.getKeyList(0).isEmpty());

    for (int note = 0; note < 128; ++note)
        noteOn(0, note);
    run();
    EXPECT_EQ(handler.getKeyList(0).getCount(), 128);
    EXPECT_EQ(handler.getKeyList(0).getLowest(), 0);
    EXPECT_EQ(handler.getKeyList(0).getHighest(), 127);
    clearOutput();
    for (int note = 127; note >= 0; --note)
        noteOff(0, note);
    run();
    EXPECT_TRUE(handler.getKeyList(0).isEmpty());
    EXPECT_TRUE(handler.getSoundList(0).isEmpty());
    // Each of the 16 groups, last taken by notes 112..127, is released once.
    EXPECT_EQ(withCode(amp(), EventCode::GateOff).size(), 16u);
}

TEST_F(KeyboardHandling, MalformedEventsAreSkipped)
{
    poly();
    send(EventCode::midiCode(EventCode::kKindNote, 16, 60), 100);
    send(EventCode::midiCode(EventCode::kKindNote, 0, 200), 100);
    send(EventCode::midiCode(EventCode::kKindNote, 0, 61), 100000);
    send(EventCode::midiCode(9, 0, 61), 100);
    send(kTriggering, 99);
    send(kFunction, -3);
    run();
    const std::vector<Posted> out = notes();
    const std::vector<Posted> started = withCode(out, EventCode::NoteStart);
    ASSERT_EQ(started.size(), 1u);
    EXPECT_EQ(started[0].note(), 61);
    EXPECT_EQ(started[0].velocity(), 127);
    EXPECT_EQ(handler.getKeyboardMode(), KeyboardHandler::kMono) << "function -3 taken as 0";
}

TEST_F(KeyboardHandling, TheEditorSeesKeysAndTheModWheel)
{
    RecordingEditor editor;
    handler.setEditor(&editor);
    noteOn(0, 60);
    noteOn(0, 62);
    send(EventCode::midiCode(EventCode::kKindModWheel, 0), 127);
    send(EventCode::midiCode(EventCode::kKindModWheel, 1), 10);
    noteOff(0, 62);
    noteOff(0, 60);
    run();
    handler.setEditor(nullptr);
    const std::vector<std::tuple<int, std::int64_t, float>> expected = {
        {1, 601 + 60, 1.0f}, {1, 601 + 60, 0.0f}, {1, 601 + 62, 1.0f}, {1, 185, 1.0f},
        {1, 601 + 62, 0.0f}, {1, 601 + 60, 1.0f}, {1, 601 + 60, 0.0f},
    };
    EXPECT_EQ(editor.items, expected);
}

TEST_F(KeyboardHandling, PortamentoAndHoldTwoArePassedOn)
{
    send(EventCode::PortamentoSwitch, 1, 64);
    send(EventCode::Hold2Pedal, 1, 70);
    run(4);
    const std::vector<Posted> out = notes();
    ASSERT_EQ(out.size(), 2u);
    EXPECT_EQ(out[0].code, EventCode::PortamentoSwitch);
    EXPECT_EQ(out[0].time, 2);
    EXPECT_EQ(out[1].code, EventCode::Hold2Pedal);
    EXPECT_EQ(out[1].time, 2);
    const std::vector<Posted> ampOut = amp();
    ASSERT_EQ(ampOut.size(), 1u);
    EXPECT_EQ(ampOut[0].code, EventCode::Hold2Pedal);
    EXPECT_EQ(ampOut[0].time, 70);
}

TEST_F(KeyboardHandling, ResetForgetsEveryNoteAndPedal)
{
    poly();
    apply(EventCode::SustainPedal, 1);
    noteOn(0, 60);
    noteOff(0, 60);
    run();
    handler.reset();
    clearOutput();
    EXPECT_TRUE(handler.getKeyList(0).isEmpty());
    apply(EventCode::SustainPedal, 0);
    noteOn(0, 62);
    noteOff(0, 62);
    run();
    EXPECT_EQ(withCode(amp(), EventCode::GateOff).size(), 1u) << "the pedal is up after a reset";
}

// A block's input can set off more than the engine's queues hold: the rest of
// the input waits for the next block, and nothing is lost.
TEST_F(KeyboardHandling, AFloodOfNotesIsTakenInPieces)
{
    poly();
    constexpr int kNotes = 1500;
    for (int i = 0; i < kNotes; ++i)
        noteOn(i % 16, i % 128, 100, i % 256);
    std::size_t gates = 0;
    int blocks = 0;
    for (; blocks < 20 && (gates < kNotes || blocks == 0); ++blocks)
    {
        run();
        const std::vector<Posted> out = notes();
        EXPECT_LT(out.size(), ControlCue<VoiceEvent>::kLaneCapacity) << blocks;
        gates += withCode(out, EventCode::GateOn).size();
        amp();
    }
    EXPECT_GT(blocks, 1);
    EXPECT_EQ(gates, std::size_t(kNotes));
}

// One event can still overflow them (all notes off of full keyboards in duo
// mode): the next block gates every group without a note off again.
TEST_F(KeyboardHandling, GatesLostToAFullQueueAreClosedInTheNextBlock)
{
    apply(kFunction, kDuo);
    for (int channel = 0; channel < 16; ++channel)
    {
        for (int note = 0; note < 128; ++note)
            noteOn(channel, note);
        run();
        clearOutput();
    }
    send(EventCode::AllNotesOff, 0);
    run();
    EXPECT_EQ(notes().size(), ControlCue<VoiceEvent>::kLaneCapacity) << "the queue overflowed";
    amp();
    run();
    std::int64_t closed = 0;
    for (const Posted& gate : withCode(notes(), EventCode::GateOff))
        closed |= gate.groups();
    EXPECT_EQ(closed, 0xFFFF);
    std::int64_t ampClosed = 0;
    for (const Posted& gate : withCode(amp(), EventCode::GateOff))
        ampClosed |= gate.groups();
    EXPECT_EQ(ampClosed, 0xFFFF);
    run();
    EXPECT_TRUE(notes().empty()) << "once";
}
