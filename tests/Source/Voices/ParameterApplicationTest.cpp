// How the voice engine turns tick-timed parameter values into its settings.

#include "Source/parameters/EngineValue.h"
#include "dsp/ModEnvelope.h"
#include "tests/Source/Voices/EngineRig.h"

#include <gtest/gtest.h>

#include <cmath>

namespace
{
struct Application : ::testing::Test
{
    void sendFloat(std::int64_t code, float value, std::int64_t time = 0)
    {
        rig.cues[1].push(0, VoiceEvent(code, time, value));
    }
    void sendInt(std::int64_t code, std::int64_t value, std::int64_t time = 0)
    {
        rig.cues[1].push(0, item(code, value, time));
    }
    void tick(int ticks = 1) { rig.run(32 * ticks); }

    EngineRig rig{44100.0f, 512};
    const Voice& voice = rig.voice;
};
}

TEST_F(Application, NearestRoundsNegativeValuesUpAtTheHalf)
{
    // Aux amounts to a byte-sized destination scale by 255.
    sendInt(Param::AuxModDestination, 5);
    sendFloat(Param::AuxModAmount, 1.3f / 255.0f);
    tick();
    EXPECT_EQ(voice.auxSettings().scaledLfoAmount, 1);
    sendFloat(Param::AuxModAmount, -1.3f / 255.0f);
    tick();
    EXPECT_EQ(voice.auxSettings().scaledLfoAmount, 0);
    sendFloat(Param::AuxModAmount, -1.6f / 255.0f);
    tick();
    EXPECT_EQ(voice.auxSettings().scaledLfoAmount, -1);
    // -1.5 rounds to -1, 1.5 to 2.
    sendFloat(Param::FiltEnvToPitch, -1.5f / 16.0f);
    tick();
    EXPECT_EQ(voice.oscillatorSettings().envelopeToPitch, -1);
    sendFloat(Param::FiltEnvToPitch, 1.5f / 16.0f);
    tick();
    EXPECT_EQ(voice.oscillatorSettings().envelopeToPitch, 2);
}

TEST_F(Application, AuxDestinationRescalesTheAmounts)
{
    sendFloat(Param::AuxModAmount, 0.5f);
    sendFloat(Param::AuxModEnvelope, -0.5f);
    sendFloat(Param::AuxModWheel, 1.0f);
    sendInt(Param::AuxModDestination, 1);
    tick();
    EXPECT_EQ(voice.auxSettings().scaledLfoAmount, 56);
    EXPECT_EQ(voice.auxSettings().scaledEnvelopeAmount, -55);
    EXPECT_EQ(voice.auxSettings().scaledControllerAmount, 112);
    EXPECT_TRUE(voice.auxSettings().destinationIsPitch);
    sendInt(Param::AuxModDestination, 7);
    tick();
    EXPECT_EQ(voice.auxSettings().scaledLfoAmount, 50);
    EXPECT_EQ(voice.auxSettings().scaledControllerAmount, 100);
    EXPECT_FALSE(voice.auxSettings().destinationIsPitch);
    sendInt(Param::AuxModDestination, 6);
    tick();
    EXPECT_EQ(voice.auxSettings().scaledControllerAmount, 255);
}

TEST_F(Application, FilterValuesGlideToTheirTargets)
{
    // Cutoff index 10 to 14: one step every fourth tick.
    sendFloat(Param::FilterFreq, 10.0f / 255.0f);
    tick(64);
    ASSERT_EQ(voice.filterBank().settings().frequency, 10);
    sendFloat(Param::FilterFreq, 14.0f / 255.0f);
    int ticks = 0;
    while (voice.filterBank().settings().frequency != 14 && ticks < 100)
    {
        tick();
        ++ticks;
    }
    EXPECT_GE(ticks, 13);
    EXPECT_LE(ticks, 16);
    // Resonance and separation step every second tick.
    sendFloat(Param::FilterQ, 20.0f / 255.0f);
    sendFloat(Param::FilterSep, -24.0f);
    tick(40);
    EXPECT_EQ(voice.filterBank().settings().resonance, 20);
    EXPECT_EQ(voice.filterBank().settings().separation, -20);
    tick(480);
    // -24 semitones is -254.5 separation steps, rounded up to -254.
    EXPECT_EQ(voice.filterBank().settings().separation, -254);
}

TEST_F(Application, AfterAResetTheFilterTakesItsTargetsAtOnce)
{
    // The rig's reset: the first block's targets are taken as they come.
    sendFloat(Param::FilterFreq, 100.0f / 255.0f);
    tick();
    EXPECT_EQ(voice.filterBank().settings().frequency, 100);
    sendFloat(Param::FilterFreq, 200.0f / 255.0f);
    tick();
    EXPECT_LT(voice.filterBank().settings().frequency, 200) << "gliding";
    rig.voice.reset();
    EXPECT_EQ(voice.filterBank().settings().frequency, 200) << "a glide ends at its target";
    sendFloat(Param::FilterQ, 50.0f / 255.0f);
    tick();
    EXPECT_EQ(voice.filterBank().settings().resonance, 50);
}

TEST_F(Application, FilterTypeChangesSplitTheBlock)
{
    sendInt(Param::FilterType, 3, 0);
    sendInt(Param::FilterType, 5, 3);
    rig.render(512);
    const FilterBank& filters = voice.filterBank();
    ASSERT_EQ(filters.segmentCount(), 3u);
    EXPECT_EQ(filters.segments()[0].mode, 9u); // nothing set before
    EXPECT_EQ(filters.segments()[0].endTick, 0u);
    EXPECT_EQ(filters.segments()[1].mode, 3u);
    EXPECT_EQ(filters.segments()[1].endTick, 3u);
    EXPECT_EQ(filters.segments()[2].mode, 5u);
    EXPECT_EQ(filters.segments()[2].endTick, 16u);
}

TEST_F(Application, WaveChangesSplitTheBlock)
{
    sendInt(Param::Osc1Waveform, 2, 5);
    sendInt(Param::NoiseType, 2, 5);
    sendInt(Param::Osc2Waveform, 7, 9);
    sendInt(Param::Osc2Waveform, 99, 10); // not a wave: ignored
    rig.render(512);
    const OscillatorSettings& osc = voice.oscillatorSettings();
    ASSERT_EQ(osc.waveChangeCount, 3);
    EXPECT_EQ(osc.waveChanges[0].endTick, 5);
    EXPECT_EQ(osc.waveChanges[0].osc1Wave, 1);
    EXPECT_EQ(osc.waveChanges[1].endTick, 9);
    EXPECT_EQ(osc.waveChanges[1].osc1Wave, 2);
    EXPECT_EQ(osc.waveChanges[1].thirdSource, 2);
    EXPECT_EQ(osc.waveChanges[1].osc2Wave, 1);
    EXPECT_EQ(osc.waveChanges[2].endTick, 16);
    EXPECT_EQ(osc.waveChanges[2].osc2Wave, 7);
}

TEST_F(Application, EnvelopeTimesBecomeStepsPerTick)
{
    sendFloat(Param::AmpAttack, 0.5f);
    sendFloat(Param::FilterRelease, 2.0f);
    sendFloat(Param::FilterDelay, 1.0f);
    sendFloat(Param::AmpSustain, 0.25f);
    tick();
    EXPECT_EQ(voice.envelopeParameters(0).attackStep, static_cast<std::int64_t>(536870912.0 / (0.5 * 44100.0 + 0.5)));
    EXPECT_EQ(voice.envelopeParameters(1).releaseStep, static_cast<std::int64_t>(536870912.0 / (2.0 * 44100.0 + 0.5)));
    EXPECT_EQ(voice.envelopeParameters(1).delay, (2 * 44100 + 31) / 64);
    EXPECT_EQ(voice.envelopeParameters(0).sustain, static_cast<std::int64_t>(0.25 * 16777215.0 + 0.5));
}

TEST_F(Application, FullFilterSustainStaysBelowTheTop)
{
    sendFloat(Param::FilterSustain, 100.0f);
    tick();
    EXPECT_EQ(voice.envelopeParameters(1).sustain, ModEnvelope::kTop);
}

TEST_F(Application, GlideTimeAndType)
{
    sendFloat(Param::GlideTime, 1.0f);
    sendInt(Param::GlideType, 3);
    tick();
    EXPECT_EQ(voice.controlSettings().glideType, 4);
    EXPECT_EQ(voice.controlSettings().glideStep, static_cast<std::int64_t>(786432.0f / (44100.0f / 32.0f)));
    EXPECT_EQ(voice.controlSettings().effectiveGlideStep, voice.controlSettings().glideStep);
    sendFloat(Param::GlideTime, 0.005f);
    sendInt(Param::GlideType, 2);
    tick();
    EXPECT_EQ(voice.controlSettings().glideType, 2);
    EXPECT_EQ(voice.controlSettings().glideStep, VoiceControlSettings::kInstantGlide);
    // The portamento pedal up makes any glide instant.
    sendFloat(Param::GlideTime, 1.0f);
    rig.noteEvent(EventCode::PortamentoSwitch, 0);
    tick();
    EXPECT_EQ(voice.controlSettings().effectiveGlideStep, VoiceControlSettings::kInstantGlide);
    sendInt(Param::GlideSpread, 2);
    tick();
    EXPECT_FLOAT_EQ(voice.controlSettings().glideSpread, 0.065f);
}

TEST_F(Application, PitchBendGoesToItsChannelOrToAll)
{
    sendInt(Param::BendAmount, 2);
    // Full bend up on channel 3: two semitones.
    sendInt(EventCode::PitchBend, (3 << 16) | 16383);
    tick(200);
    EXPECT_NEAR(static_cast<double>(voice.noteControl(3).bend()) / 65536.0, 2.0, 0.001);
    EXPECT_EQ(voice.noteControl(2).bend(), 0);
    // A wider range re-sends the bend every channel holds.
    sendInt(Param::BendAmount, 12);
    tick(200);
    EXPECT_NEAR(static_cast<double>(voice.noteControl(3).bend()) / 65536.0, 12.0, 0.002);
    // With the bend-to-all flag (a poly voice allocation) every channel bends.
    rig.voiceAllocation(0, 8);
    tick();
    sendInt(EventCode::PitchBend, (3 << 16) | static_cast<std::uint16_t>(-16384));
    tick(200);
    for (int c = 0; c < 16; ++c)
        EXPECT_NEAR(static_cast<double>(voice.noteControl(c).bend()) / 65536.0, -12.0, 0.002) << c;
}

TEST_F(Application, LfoSyncValuesReachTheirLfoOnly)
{
    sendInt(Param::LFO2Sync, 7);
    sendInt(Param::LFO2Rate, 2);
    sendInt(EventCode::LfoSyncPeriod, (1 << 24) | 100);
    sendInt(EventCode::LfoSyncPeriod, (5 << 24) | 100); // no such LFO
    tick();
    EXPECT_EQ(voice.lfoParameters(1).clockPeriod, 100);
    EXPECT_EQ(voice.lfoParameters(0).clockPeriod, 0);
    EXPECT_EQ(voice.lfoParameters(1).increment, voice.lfoParameters(1).syncIncrement);
    // Every block starts without a clock period.
    tick();
    EXPECT_EQ(voice.lfoParameters(1).clockPeriod, 0);
}

TEST_F(Application, HarmonicLevelsRebuildOnlyTheOscillatorPlayingThatWave)
{
    sendInt(Param::Osc1Waveform, 10);
    sendInt(Param::Osc2Waveform, 1);
    rig.render(64);
    // Let the first rebuild finish.
    for (int i = 0; i < 64; ++i)
        rig.render(64);
    WaveMipMap& waves = rig.voice.waveMipMap();
    ASSERT_FALSE(waves.rebuildPending());
    ASSERT_EQ(waves.currentWave(0), 10);
    // A level of user wave 2, which nobody plays, is only stored.
    sendInt(Param::W2Fund + 2, 200);
    rig.render(32);
    EXPECT_EQ(waves.userWave(1).harmonics().level(2), 200);
    EXPECT_FALSE(waves.rebuildPending());
    // A level of user wave 1 rebuilds oscillator 1.
    sendInt(Param::W1Fund, 239);
    rig.render(32);
    EXPECT_EQ(waves.userWave(0).harmonics().level(0), 239);
    EXPECT_TRUE(waves.rebuildPending());
}

TEST_F(Application, UnknownCodesAreConsumed)
{
    sendInt(Param::Volume, 3);
    sendInt(Param::ChorusRate, 3);
    sendInt(400, 1);
    sendInt(Param::OscMix, 77, 3);
    rig.render(256);
    EXPECT_EQ(voice.oscillatorSettings().oscMix, 77);
    EXPECT_EQ(rig.cues[1].pending(0), 0u);
}
