#include "Source/Flavour.h"
#include "Source/Voices/EventCodes.h"
#include "Source/Zentrova.h"
#include "Source/entry/PluginEntry.h"
#include "Source/parameters/ParameterIndices.h"
#include "Source/tempo/VstTempoAndSync.h"
#include "tests/support/FrequencyAnalysis.h"
#include "tests/support/MidiEvents.h"
#include "tests/support/PatchEdit.h"
#include "tests/support/TemporaryHome.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <limits>
#include <thread>
#include <vector>

namespace
{
struct Posted
{
    std::int64_t code;
    std::int64_t value;
    std::int64_t time; // from the start of the first block
};

// A tempo object with a host whose answer the test sets, recording what it
// posts with times counted from the start of the run.
class TempoUnderTest : public VstTempoAndSync
{
public:
    TempoUnderTest() : VstTempoAndSync(nullptr) { setSampleRate(48000.0f); }

    void postEvent(std::int64_t code, std::int64_t value, std::int64_t time) override
    {
        ASSERT_GE(time, 0);
        ASSERT_LE(time, m_blockLength);
        events.push_back({code, value, m_elapsed + time});
    }

    // Blocks of this length until at least total samples have passed.
    void run(std::int64_t total, std::int64_t blockLength)
    {
        m_blockLength = blockLength;
        for (std::int64_t done = 0; done < total; done += blockLength)
        {
            beginBlock();
            processBlock(blockLength);
            m_elapsed += blockLength;
        }
    }

    // Times of the events of one code.
    std::vector<std::int64_t> times(std::int64_t code) const
    {
        std::vector<std::int64_t> found;
        for (const Posted& event : events)
            if (event.code == code)
                found.push_back(event.time);
        return found;
    }

    std::vector<Posted> withCode(std::int64_t code) const
    {
        std::vector<Posted> found;
        for (const Posted& event : events)
            if (event.code == code)
                found.push_back(event);
        return found;
    }

    void answer(double tempo, int numerator = 4, int denominator = 4, VstInt32 flags = kVstTempoValid | kVstTimeSigValid)
    {
        hasAnswer = true;
        info.tempo = tempo;
        info.timeSigNumerator = numerator;
        info.timeSigDenominator = denominator;
        info.flags = flags;
    }

    VstTimeInfo info{};
    bool hasAnswer = false;
    std::vector<VstInt32> requests;
    std::vector<Posted> events;

protected:
    const VstTimeInfo* fetchTimeInfo(VstInt32 filter) override
    {
        requests.push_back(filter);
        return hasAnswer ? &info : nullptr;
    }

private:
    std::int64_t m_elapsed = 0;
    std::int64_t m_blockLength = 0;
};

std::vector<std::int64_t> differences(const std::vector<std::int64_t>& times)
{
    std::vector<std::int64_t> found;
    for (std::size_t i = 1; i < times.size(); ++i)
        found.push_back(times[i] - times[i - 1]);
    return found;
}

// A host playing from bar 0 at 120 beats per minute in a time signature,
// its position always at the start of the block being asked about.
VstTimeInfo playingHost{};

VstIntPtr playingHostCallback(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void*, float)
{
    if (opcode == audioMasterVersion)
        return 2400;
    if (opcode == audioMasterGetTime)
        return reinterpret_cast<VstIntPtr>(&playingHost);
    return 0;
}

void placeHost(double rate, std::int64_t sample, int numerator, int denominator)
{
    const double quartersPerBar = numerator * 4.0 / denominator;
    playingHost.sampleRate = rate;
    playingHost.samplePos = static_cast<double>(sample);
    playingHost.tempo = 120.0;
    playingHost.ppqPos = static_cast<double>(sample) * 2.0 / rate;
    playingHost.barStartPos = std::floor(playingHost.ppqPos / quartersPerBar) * quartersPerBar;
    playingHost.timeSigNumerator = numerator;
    playingHost.timeSigDenominator = denominator;
    playingHost.flags = kVstTransportPlaying | kVstTempoValid | kVstTimeSigValid | kVstPpqPosValid | kVstBarsValid;
}

// Key 72 held from the start with a square LFO, one cycle a bar, seven
// semitones up on pitch: the times (seconds) at which the pitch rises to
// its upper note, from the second on, when the wave tables are built.
std::vector<double> pitchRises(int numerator, int denominator, double seconds)
{
    TemporaryHome home;
    constexpr double kRate = 48000.0;
    constexpr int kBlock = 512;
    AEffect* effect = createPluginInstance(playingHostCallback, instrumentFlavour());
    auto* plugin = static_cast<Zentrova*>(static_cast<AudioEffect*>(effect->object));
    effect->dispatcher(effect, effSetSampleRate, 0, 0, nullptr, static_cast<float>(kRate));
    effect->dispatcher(effect, effSetBlockSize, 0, kBlock, nullptr, 0.0f);
    effect->dispatcher(effect, effMainsChanged, 0, 1, nullptr, 0.0f);
    ZentrovaStateHandler& states = plugin->getStateHandler();
    {
        PatchEdit patch(states.getCurrentState());
        patch.set(Param::UnisonMode, "Off");
        patch.set(Param::EffectActive, "Off");
        // Both LFOs alike, so whichever the pitch takes is the one tested.
        for (int lfo : {Param::LFO1Waveform, Param::LFO2Waveform})
        {
            patch.set(lfo, "Square");
            patch.set(lfo + 3, "Midi");
            patch.set(lfo + 1, "1i");
        }
        patch.set(Param::LFOtoPitch, "7.00");
    }
    states.sendCurrentState(0);

    std::vector<VstMidiEvent> note{midiEvent(0, 0x90, 72, 100)};
    std::vector<unsigned char> storage;
    VstEvents* list = eventList(note, storage);

    const auto total = static_cast<std::int64_t>((seconds + 1.0) * kRate);
    std::vector<float> left(static_cast<std::size_t>(total) + kBlock), right(kBlock);
    for (std::int64_t done = 0; done < total; done += kBlock)
    {
        placeHost(kRate, done, numerator, denominator);
        if (done == 0)
            effect->dispatcher(effect, effProcessEvents, 0, 0, list, 0.0f);
        float* outputs[] = {left.data() + done, right.data()};
        effect->processReplacing(effect, nullptr, outputs, kBlock);
    }
    effect->dispatcher(effect, effClose, 0, 0, nullptr, 0.0f);

    // 10 ms windows, each told upper or lower by where its spectrum is
    // stronger.
    const double low = 440.0 * std::pow(2.0, 3.0 / 12.0);
    const double high = low * std::pow(2.0, 7.0 / 12.0);
    constexpr std::int64_t kWindow = 480;
    std::vector<double> rises;
    bool wasHigh = true;
    for (std::int64_t start = static_cast<std::int64_t>(kRate); start + kWindow <= total; start += kWindow)
    {
        const std::vector<double> windowed =
            spectrum::hann(std::vector<float>(left.begin() + start, left.begin() + start + kWindow));
        const bool isHigh = spectrum::power(windowed, kRate, high) > spectrum::power(windowed, kRate, low);
        if (isHigh && !wasHigh)
            rises.push_back(static_cast<double>(start) / kRate);
        wasHigh = isHigh;
    }
    return rises;
}
} // namespace

TEST(TempoAndSync, TicksAreHeldBetweenOneAnd768)
{
    TempoUnderTest tempo;
    SyncableClock& clock = tempo.getClock();
    EXPECT_EQ(clock.getTicks(), 120);
    clock.setTicks(false, 0);
    EXPECT_EQ(clock.getTicks(), 1);
    clock.setTicks(false, 1000);
    EXPECT_EQ(clock.getTicks(), 768);
    clock.setTicks(false, -40);
    EXPECT_EQ(clock.getTicks(), 1);
}

TEST(TempoAndSync, WithoutHostTimeTheTempoIs120AndABarTwoSeconds)
{
    TempoUnderTest tempo;
    tempo.beginBlock();
    EXPECT_EQ(tempo.getTempo(), 120.0);
    EXPECT_DOUBLE_EQ(tempo.getBarLength(), 96000.0);
    EXPECT_FALSE(tempo.isTransportPlaying());
}

TEST(TempoAndSync, TheHostIsAskedForBarsOnlyWhenSomethingNeedsThem)
{
    TempoUnderTest tempo;
    tempo.beginBlock();
    ASSERT_EQ(tempo.requests.size(), 1u);
    EXPECT_EQ(tempo.requests.back(), 0x402);
    tempo.getLfo(1).setSyncMode(true, 6);
    tempo.beginBlock();
    EXPECT_EQ(tempo.requests.back(), 0x2E02);
    tempo.getLfo(1).setSyncMode(true, 5);
    tempo.getClock().setMode(true, SyncableClock::kHost);
    tempo.beginBlock();
    EXPECT_EQ(tempo.requests.back(), 0x2E02);
    tempo.getClock().setMode(true, SyncableClock::kInternal);
    tempo.beginBlock();
    EXPECT_EQ(tempo.requests.back(), 0x402);
}

TEST(TempoAndSync, ATimeSignatureSetsTheBeatsOfABar)
{
    TempoUnderTest tempo;
    struct Case
    {
        int numerator;
        int denominator;
        double quarters;
    };
    for (const Case& c :
         {Case{6, 8, 3.0}, Case{7, 8, 3.5}, Case{12, 8, 6.0}, Case{5, 16, 1.25}, Case{12, 16, 3.0}, Case{9, 32, 1.125}})
    {
        tempo.answer(120.0, c.numerator, c.denominator);
        tempo.beginBlock();
        EXPECT_DOUBLE_EQ(tempo.getBarLength(), c.quarters * 24000.0) << c.numerator << "/" << c.denominator;
    }
    tempo.answer(90.0, 3, 4);
    tempo.beginBlock();
    EXPECT_DOUBLE_EQ(tempo.getBarLength(), 3 * 32000.0);
    tempo.answer(90.0, 3, 4, kVstTempoValid);
    tempo.beginBlock();
    EXPECT_DOUBLE_EQ(tempo.getBarLength(), 4 * 32000.0) << "no signature: 4 beats";
}

TEST(TempoAndSync, OddTimeSignaturesAndTemposStayInASaneRange)
{
    TempoUnderTest tempo;
    const double beat = 24000.0; // at 120 beats per minute
    struct Case
    {
        int numerator;
        int denominator;
        double beats;
    };
    for (const Case& c : {Case{2, 2, 4}, Case{3, 2, 6}, Case{1, 1, 4}, Case{0, 4, 4}, Case{-3, 4, 4}, Case{4, 0, 4},
                          Case{5, -8, 4}, Case{1000, 4, 128}, Case{1, 64, 0.0625}, Case{1, 1024, 0.0625}})
    {
        tempo.answer(120.0, c.numerator, c.denominator);
        tempo.beginBlock();
        EXPECT_DOUBLE_EQ(tempo.getBarLength(), c.beats * beat) << c.numerator << "/" << c.denominator;
    }
    for (double hostTempo : {0.0, -5.0, std::nan(""), std::numeric_limits<double>::infinity()})
    {
        tempo.answer(hostTempo);
        tempo.beginBlock();
        EXPECT_EQ(tempo.getTempo(), 120.0) << hostTempo;
    }
    tempo.answer(1e9);
    tempo.beginBlock();
    EXPECT_EQ(tempo.getTempo(), TempoAndSync::kMaxTempo);
    tempo.answer(0.01);
    tempo.beginBlock();
    EXPECT_EQ(tempo.getTempo(), TempoAndSync::kMinTempo);
}

TEST(TempoAndSync, At120TicksAnd48kTheClockOpensEvery24000SamplesForHalfOfThem)
{
    TempoUnderTest tempo;
    tempo.run(100000, 512);
    EXPECT_EQ(tempo.getClock().getPeriod(), 24000);
    EXPECT_EQ(tempo.getClock().getOnLength(), 12000);
    EXPECT_EQ(tempo.getClock().getOffLength(), 12000);
    EXPECT_EQ(tempo.times(EventCode::ClockGateOn), (std::vector<std::int64_t>{24000, 48000, 72000, 96000}));
    EXPECT_EQ(tempo.times(EventCode::ClockGateOff), (std::vector<std::int64_t>{36000, 60000, 84000}));
    for (const Posted& event : tempo.events)
        EXPECT_EQ(event.value, 0) << "the clock's index";
}

TEST(TempoAndSync, TheInternalClockKeepsItsRateAndGateAtAnyBlockSize)
{
    struct Case
    {
        std::int64_t ticks;
        float gate;
        std::int64_t block;
    };
    for (const Case& c : {Case{300, 0.25f, 64}, Case{77, 0.9f, 1000}, Case{768, 0.5f, 4096}, Case{1, 0.1f, 333},
                          Case{200, 0.0f, 256}, Case{200, 1.0f, 256}})
    {
        TempoUnderTest tempo;
        tempo.getClock().setTicks(false, c.ticks);
        tempo.getClock().setGateTime(false, c.gate);
        tempo.run(48000 * 60 / c.ticks * 6, c.block);
        const double p = 48000.0 * 60.0 / static_cast<double>(c.ticks);
        const std::int64_t period = static_cast<std::int64_t>(p + 0.5);
        const std::int64_t on = static_cast<std::int64_t>(p * c.gate + 0.5);
        const std::vector<std::int64_t> ons = tempo.times(EventCode::ClockGateOn);
        const std::vector<std::int64_t> offs = tempo.times(EventCode::ClockGateOff);
        ASSERT_GE(ons.size(), 5u) << c.ticks;
        for (std::int64_t spacing : differences(ons))
            EXPECT_EQ(spacing, period) << c.ticks;
        if (c.gate < 1.0f)
        {
            ASSERT_GE(offs.size(), 4u);
            for (std::size_t i = 0; i < offs.size() && i < ons.size(); ++i)
                EXPECT_EQ(offs[i] - ons[i], on) << c.ticks << " " << c.gate;
        }
        else
        {
            // A full gate only closes to open again at once.
            for (std::int64_t off : offs)
                EXPECT_NE(std::find(ons.begin(), ons.end(), off), ons.end()) << off;
        }
    }
}

TEST(TempoAndSync, DeferredSettingsWaitForTheNextBlockStart)
{
    TempoUnderTest tempo;
    SyncableClock& clock = tempo.getClock();
    clock.setTicks(true, 240);
    clock.setGateTime(true, 0.25f);
    clock.setMode(true, SyncableClock::kHost);
    EXPECT_EQ(clock.getTicks(), 120);
    EXPECT_EQ(clock.getGateTime(), 0.5f);
    EXPECT_EQ(clock.getMode(), SyncableClock::kInternal);
    EXPECT_EQ(clock.getPendingMode(), SyncableClock::kHost);
    EXPECT_TRUE(tempo.needsHost()) << "host mode asks for the host's bars at once";
    tempo.beginBlock();
    EXPECT_EQ(clock.getTicks(), 240);
    EXPECT_EQ(clock.getGateTime(), 0.25f);
    EXPECT_EQ(clock.getMode(), SyncableClock::kHost);
}

TEST(TempoAndSync, ASettingDeferredDuringABlockIsNotLost)
{
    TempoUnderTest tempo;
    tempo.beginBlock();
    tempo.advance(10);
    tempo.getClock().setTicks(true, 60);
    tempo.getLfo(0).setSyncMode(true, 4);
    tempo.processBlock(512);
    tempo.beginBlock();
    EXPECT_EQ(tempo.getClock().getTicks(), 60);
    EXPECT_EQ(tempo.getLfo(0).getSyncMode(), 4u);
}

TEST(TempoAndSync, InHostModeTheGatesFollowTheHostsBars)
{
    TempoUnderTest tempo;
    tempo.setSampleRate(44100.0f);
    tempo.getClock().setMode(false, SyncableClock::kHost);
    tempo.getClock().setTicks(false, 4);
    // Half a beat into the bar: the next gate opens on the second beat.
    tempo.answer(120.0, 4, 4, kVstTempoValid | kVstTimeSigValid | kVstTransportPlaying | kVstPpqPosValid | kVstBarsValid);
    tempo.info.ppqPos = 8.5;
    tempo.info.barStartPos = 8.0;
    tempo.run(100000, 256);
    EXPECT_DOUBLE_EQ(tempo.getBarLength(), 88200.0);
    EXPECT_EQ(tempo.getClock().getPeriod(), 22050);
    const std::vector<std::int64_t> ons = tempo.times(EventCode::ClockGateOn);
    ASSERT_GE(ons.size(), 4u);
    EXPECT_EQ(ons[0], 11025);
    for (std::int64_t spacing : differences(ons))
        EXPECT_EQ(spacing, 22050);
    const std::vector<std::int64_t> offs = tempo.times(EventCode::ClockGateOff);
    ASSERT_FALSE(offs.empty());
    EXPECT_EQ(offs[0] - ons[0], 11025);
}

TEST(TempoAndSync, InHostModeTheGatesKeepToBarsOfFractionalQuarters)
{
    TempoUnderTest tempo;
    tempo.getClock().setMode(false, SyncableClock::kHost);
    tempo.getClock().setTicks(false, 7);
    // 7/8 at 120 beats per minute: a bar of 1.75 s, an eighth a tick; a
    // dotted eighth into the bar the next gate opens half an eighth later.
    tempo.answer(120.0, 7, 8,
                 kVstTempoValid | kVstTimeSigValid | kVstTransportPlaying | kVstPpqPosValid | kVstBarsValid);
    tempo.info.ppqPos = 0.75;
    tempo.info.barStartPos = 0.0;
    tempo.run(100000, 512);
    EXPECT_EQ(tempo.getClock().getPeriod(), 12000);
    const std::vector<std::int64_t> ons = tempo.times(EventCode::ClockGateOn);
    ASSERT_GE(ons.size(), 7u);
    EXPECT_EQ(ons[0], 6000);
    for (std::int64_t spacing : differences(ons))
        EXPECT_EQ(spacing, 12000);
}

TEST(TempoAndSync, AbsurdHostSettingsStillLetTheClockEnd)
{
    // More ticks than fit a bar; at 44.1 kHz the 4/4 bar is no whole number
    // of shortest periods.
    struct Case
    {
        float rate;
        int numerator;
        int denominator;
    };
    for (const Case& c : {Case{48000.0f, 1, 64}, Case{44100.0f, 4, 4}})
    {
        TempoUnderTest tempo;
        tempo.setSampleRate(c.rate);
        tempo.getClock().setMode(false, SyncableClock::kHost);
        tempo.getClock().setTicks(false, 768);
        tempo.answer(1000.0, c.numerator, c.denominator,
                     kVstTempoValid | kVstTimeSigValid | kVstTransportPlaying | kVstPpqPosValid | kVstBarsValid);
        tempo.info.ppqPos = 3.3;
        tempo.run(8 * 4096, 4096);
        const std::vector<std::int64_t> ons = tempo.times(EventCode::ClockGateOn);
        ASSERT_GT(ons.size(), 100u);
        for (std::int64_t spacing : differences(ons))
            EXPECT_GE(spacing, SyncableClock::kMinPeriod) << c.numerator << "/" << c.denominator;
    }

    TempoUnderTest internal;
    internal.setSampleRate(1.0f);
    internal.getClock().setTicks(false, 768);
    internal.run(1000, 100);
    EXPECT_EQ(internal.getClock().getPeriod(), SyncableClock::kMinPeriod);
}

TEST(TempoAndSync, LfosSyncedToTheClockGetItsNextTickAndPeriod)
{
    TempoUnderTest tempo;
    tempo.getLfo(0).setSyncMode(false, 4);
    tempo.getLfo(1).setSyncMode(false, 5);
    tempo.beginBlock();
    tempo.advance(100);
    tempo.advance(200);
    const std::vector<Posted> next = tempo.withCode(EventCode::LfoSyncNextTick);
    const std::vector<Posted> period = tempo.withCode(EventCode::LfoSyncPeriod);
    ASSERT_EQ(next.size(), 2u) << "once per block";
    ASSERT_EQ(period.size(), 2u);
    EXPECT_EQ(next[0].value, 24000 >> 5);
    EXPECT_EQ(period[0].value, 24000 >> 5);
    EXPECT_EQ(next[1].value, (std::int64_t{1} << 24) + (24000 >> 5));
    EXPECT_EQ(period[1].value, (std::int64_t{1} << 24) + (24000 >> 5));
    EXPECT_EQ(next[0].time, 0);

    // A block later the next tick has come 512 samples closer.
    tempo.events.clear();
    tempo.processBlock(512);
    tempo.beginBlock();
    tempo.advance(1);
    EXPECT_EQ(tempo.withCode(EventCode::LfoSyncNextTick).at(0).value, (24000 - 512) >> 5);
}

TEST(TempoAndSync, LfosSyncedToBarsGetTheNextBarStartAndTheBarLength)
{
    TempoUnderTest tempo;
    tempo.getLfo(0).setSyncMode(true, 6);
    tempo.answer(120.0, 4, 4, kVstTempoValid | kVstTimeSigValid | kVstTransportPlaying | kVstPpqPosValid | kVstBarsValid);
    tempo.info.ppqPos = 5.0;
    tempo.info.barStartPos = 4.0;
    tempo.beginBlock();
    tempo.advance(64);
    const std::vector<Posted> next = tempo.withCode(EventCode::LfoSyncNextTick);
    const std::vector<Posted> period = tempo.withCode(EventCode::LfoSyncPeriod);
    ASSERT_EQ(next.size(), 1u);
    EXPECT_EQ(next[0].value, (96000 - 24000) >> 5);
    EXPECT_EQ(period[0].value, 96000 >> 5);
}

TEST(TempoAndSync, LfosSyncedToSeveralBarsGetTheBarOfAnEighthNoteSignature)
{
    TempoUnderTest tempo;
    tempo.getLfo(1).setSyncMode(true, 8); // "Midi-RT 2 br": the engine spreads a cycle over two bars
    tempo.answer(120.0, 12, 8,
                 kVstTempoValid | kVstTimeSigValid | kVstTransportPlaying | kVstPpqPosValid | kVstBarsValid);
    tempo.info.ppqPos = 13.0;
    tempo.info.barStartPos = 12.0;
    tempo.beginBlock();
    tempo.advance(64);
    const std::int64_t lfo = std::int64_t{1} << 24;
    const std::vector<Posted> next = tempo.withCode(EventCode::LfoSyncNextTick);
    const std::vector<Posted> period = tempo.withCode(EventCode::LfoSyncPeriod);
    ASSERT_EQ(next.size(), 1u);
    ASSERT_EQ(period.size(), 1u);
    EXPECT_EQ(next[0].value, lfo + ((144000 - 24000) >> 5));
    EXPECT_EQ(period[0].value, lfo + (144000 >> 5));
}

TEST(TempoAndSync, LfoModesBelowFourPostNothing)
{
    TempoUnderTest tempo;
    for (std::uint32_t mode = 0; mode < 4; ++mode)
    {
        tempo.getLfo(0).setSyncMode(false, mode);
        tempo.beginBlock();
        tempo.processBlock(256);
    }
    EXPECT_TRUE(tempo.withCode(EventCode::LfoSyncNextTick).empty());
    EXPECT_TRUE(tempo.withCode(EventCode::LfoSyncPeriod).empty());
}

TEST(TempoAndSync, SyncValuesBeyondTwentyFourBitsAreNotPosted)
{
    TempoUnderTest tempo;
    tempo.setSampleRate(192000.0f);
    tempo.getLfo(1).setSyncMode(true, 7);
    tempo.answer(0.5, 1000, 4);
    tempo.beginBlock();
    tempo.processBlock(256);
    EXPECT_GT(tempo.getBarLength() / 32.0, 0xFFFFFF);
    EXPECT_TRUE(tempo.withCode(EventCode::LfoSyncPeriod).empty());
}

TEST(TempoAndSync, ThePluginsClockReachesTheKeyboardQueueAndItsLfoSyncTheVoiceQueue)
{
    TemporaryHome home;
    static VstTimeInfo hostTime{};
    hostTime = VstTimeInfo{};
    auto host = [](AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void*, float) -> VstIntPtr {
        if (opcode == audioMasterVersion)
            return 2400;
        if (opcode == audioMasterGetTime)
            return reinterpret_cast<VstIntPtr>(&hostTime);
        return 0;
    };
    AEffect* effect = createPluginInstance(host, effectFlavour());
    ASSERT_NE(effect, nullptr);
    auto* plugin = static_cast<Zentrova*>(static_cast<AudioEffect*>(effect->object));
    plugin->setSampleRate(44100.0f);
    // Not resumed: the patch it re-sends would set the clock at the block start.
    plugin->setBlockSize(4096);
    plugin->getTempo()->getClock().setTicks(false, 768); // a period of 3445 samples
    plugin->getTempo()->getLfo(0).setSyncMode(false, 4);

    sendMidi(*plugin, {midiEvent(4000, 0x90, 60, 100)});

    ControlCue<VoiceEvent>* cues = plugin->getControlCues();
    std::vector<Posted> keyboard;
    for (VoiceEvent event = cues[Zentrova::kKeyboardCue].pop(); !event.isEmpty();
         event = cues[Zentrova::kKeyboardCue].pop())
        keyboard.push_back({event.code, event.value, event.time});
    ASSERT_EQ(keyboard.size(), 2u);
    EXPECT_EQ(keyboard[0].code, EventCode::ClockGateOn);
    EXPECT_EQ(keyboard[0].time, 3445);
    EXPECT_EQ(keyboard[1].code, EventCode::midiCode(EventCode::kKindNote, 0, 60));

    std::vector<Posted> voice;
    for (VoiceEvent event = cues[Zentrova::kVoiceParameterCue].pop(); !event.isEmpty();
         event = cues[Zentrova::kVoiceParameterCue].pop())
        voice.push_back({event.code, event.value, event.time});
    ASSERT_EQ(voice.size(), 2u);
    EXPECT_EQ(voice[0].code, EventCode::LfoSyncNextTick);
    EXPECT_EQ(voice[0].value, 3445 >> 5);
    EXPECT_EQ(voice[0].time, 0);
    EXPECT_EQ(voice[1].code, EventCode::LfoSyncPeriod);
    effect->dispatcher(effect, effClose, 0, 0, nullptr, 0.0f);
}

TEST(TempoAndSync, DeferredSettingsMayComeFromAnotherThread)
{
    TempoUnderTest tempo;
    std::atomic<bool> done{false};
    std::thread editor([&] {
        for (int i = 0; i < 2000; ++i)
        {
            tempo.getClock().setTicks(true, 60 + i % 100);
            tempo.getClock().setGateTime(true, 0.25f + 0.5f * static_cast<float>(i % 2));
            tempo.getLfo(i % 2).setSyncMode(true, static_cast<std::uint32_t>(i % 8));
        }
        done = true;
    });
    while (!done)
        tempo.run(256, 256);
    editor.join();
    tempo.run(256, 256);
    EXPECT_EQ(tempo.getClock().getTicks(), 60 + 1999 % 100);
    EXPECT_EQ(tempo.getClock().getGateTime(), 0.75f);
    EXPECT_EQ(tempo.getLfo(1).getSyncMode(), 7u);
}

TEST(TempoAndSync, ABarSyncedLfoCyclesOncePerBarInAnyTimeSignature)
{
    struct Case
    {
        int numerator;
        int denominator;
        double bar; // seconds at 120 beats per minute
    };
    constexpr double kSeconds = 12.0;
    for (const Case& c : {Case{6, 8, 1.5}, Case{7, 8, 1.75}, Case{4, 4, 2.0}, Case{3, 4, 1.5}})
    {
        const std::vector<double> rises = pitchRises(c.numerator, c.denominator, kSeconds);
        const std::string signature = std::to_string(c.numerator) + "/" + std::to_string(c.denominator);
        ASSERT_FALSE(rises.empty()) << signature;
        EXPECT_LT(rises.front(), 1.0 + c.bar + 0.02) << signature;
        EXPECT_GT(rises.back(), 1.0 + kSeconds - c.bar - 0.02) << signature << ": the LFO stopped";
        for (std::size_t i = 1; i < rises.size(); ++i)
            EXPECT_NEAR(rises[i] - rises[i - 1], c.bar, 0.02) << signature << " at " << rises[i] << " s";
    }
}
