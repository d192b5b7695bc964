// The 155 parameters as a host sees them through the plug-in's entry point:
// names, unit labels and value texts, for the default patch and after host
// changes, including the texts that follow other parameters.

#include "tests/support/PatchDocuments.h"
#include "tests/support/TemporaryHome.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <limits>
#include <string>

namespace
{
struct Expected
{
    const char* name;
    const char* label;
    const char* display;
};

// Short name, label and display text of parameters 0..106 in the default patch.
const Expected kDefaultPatch[107] = {
    {"Flt Typ", "", "Low Pass"},         {"Flt Q", "Q", "0.00"},
    {"Flt Frq", "Hz", "1593"},           {"Flt Sep", "Semitones", "19.4"},
    {"Flt Drv", "%", "49"},              {"Kbd Trk", "x", "1.0"},
    {"Flt Env", "%", "0"},               {"FltESrc", "", "Env 2"},
    {"Volume", "dB", "-1.6"},            {"Osc Wav 1", "", "Sawtooth"},
    {"Osc Wav 2", "", "Sawtooth"},       {"O2 Oct", "Octaves", "0"},
    {"O2 Trns", "Semitones", "0"},       {"O2 Detn", "Cents", "0"},
    {"PW1", "%", "87"},                  {"PW2", "%", "86"},
    {"Octave", "Octaves", "0"},          {"Trigger", "", "Mult"},
    {"Tempo", "Bts/Bar", "1"},           {"Gte Tme", "%", "100"},
    {"Funct", "", "Poly 8"},             {"Vel Atk", "x", "1.00"},
    {"Vel Rel", "x", "1.00"},            {"Vel Drv", "%", "41"},
    {"Vel Env 2", "%", "0"},             {"Amp Atk", "Secs", "0.0010"},
    {"Amp Dec", "Secs", "1.0297"},       {"Amp Sus", "%", "100.0"},
    {"Amp Rel", "Secs", "0.2720"},       {"Flt Atk", "Secs", "0.0010"},
    {"Flt Dec", "Secs", "0.9799"},       {"Flt Sus", "%", "100"},
    {"Flt Rel", "Secs", "0.2454"},       {"Flt Dly", "Secs", "0.000"},
    {"Arp Type", "", "Off"},             {"Arp Oct", "", "Up"},
    {"ArpOct-1", "", "Off"},             {"ArpOct+1", "", "Off"},
    {"ArpOct+2", "", "Off"},             {"ArpOrder", "", "Pitch"},
    {"Kbd Hld", "", "Off"},              {"ChrdMem", "", "Off"},
    {"Clock", "Source", "External"},     {"Chorus", "%", "25"},
    {"ChrsMode", "", "1"},               {"Delay", "%", "25"},
    {"DlyTmp", "bpm", "Midi"},           {"FX On", "", "On"},
    {"Osc Mx", "Osc1/Osc2", " 50/ 50"},  {"Nse Mx", "Osc/Noise", "100/  0"},
    {"Ring Mod", "", "Off"},             {"Cont Ptch", "semitones", "0.00"},
    {"Pitch Cnt", "", "Mod Wheel"},      {"Cont Filt", "%", "0"},
    {"Filt Cnt", "", "Mod Wheel"},       {"Bend", "semitones", "2"},
    {"Gld Typ", "", "Norm"},             {"Gld Tme", "Secs", "0.00"},
    {"Lfo1Wave", "", "Triangle"},        {"Lfo1Rte", "Cycles/B", "4"},
    {"Lfo1Intro", "Secs", "0.00"},       {"Lfo1Snc", "", "Midi-RT"},
    {"Lfo2Wave", "", "Triangle"},        {"Lfo2Rte", "Cycles/B", "4"},
    {"Lfo2Intro", "Secs", "0.00"},       {"Lfo2Snc", "", "Midi-RT"},
    {"Lfo Ptch", "Semitones", "0.00"},   {"PitchLFO", "LFO1/LFO2", "  0/100"},
    {"Aux LFO", "LFO1/LFO2", "100/  0"}, {"Lfo Flt", "%", "0.0"},
    {"FiltLFO", "LFO1/LFO2", "  0/100"}, {"SumPitchM", "", "No Sum"},
    {"AxLfoAmt", "semitones", "0.00"},   {"AxEnvAmt", "semitones", "0.00"},
    {"AxEnvArc", "", "Env 2"},           {"SumAuxM", "", "No Sum"},
    {"MW Aux", "semitones", "0.00"},     {"Aux Cnt", "", "Mod Wheel"},
    {"AxModDst", "", "Filter Sep"},      {"Env2 Ptch", "Semitones", "0.00"},
    {"PtchESrc", "", "Env 2"},           {"Chr Rte", "Hz", "0.95"},
    {"Chr Depth", "", "2.00"},           {"DL Mix", "%", "50"},
    {"DR Mix", "%", "50"},               {"DL Fbk", "%", "16"},
    {"DR Fbk", "%", "16"},               {"DL Len", "units", "3"},
    {"DR Len", "units", "4"},            {"Del HP", "Hz", "8"},
    {"Del LP", "kHz", "12.02"},          {"Del Unt", "//Beat", "4"},
    {"Del Gte", "%", "0"},               {"Del Fbk", "", "Crossed"},
    {"Unison", "", "Poly 2Vc"},          {"UniDetune", "cents", "9"},
    {"UniSprd", "", "0"},                {"Ctl1Amnt", "%", "100"},
    {"Ctl1Src", "", "Aftertouch"},       {"Ctl1Dest", "", "Filter Freq"},
    {"Ctl2Amnt", "%", "100"},            {"Ctl2Src", "", "Aftertouch"},
    {"Ctl2Dest", "", "Drive"},           {"NoiseTyp", "", "White"},
    {"GldeSprd", "", "Wild"},            {"PanMode", "", "1"},
    {"PanSprd", "%", "50"},
};

float choice(int index, int count)
{
    return static_cast<float>(index) / static_cast<float>(count - 1);
}

class PluginParameters : public ::testing::TestWithParam<Deliverable>
{
protected:
    // Sets a parameter as a host does and reads back its display text.
    std::string displayAfter(int index, float value)
    {
        plugin->setParameter(index, value);
        return plugin->parameterDisplay(index);
    }

    TemporaryHome home;
    std::unique_ptr<HostedPlugin> plugin = loadPlugin(GetParam());
};
} // namespace

INSTANTIATE_FOR_BOTH_DELIVERABLES(PluginParameters);

TEST_P(PluginParameters, DefaultPatchNamesLabelsAndTextsOfTheNamedParameters)
{
    for (int index = 0; index < 107; ++index)
    {
        const Expected& expected = kDefaultPatch[index];
        EXPECT_EQ(plugin->parameterName(index), expected.name) << index;
        EXPECT_EQ(plugin->parameterLabel(index), expected.label) << index;
        EXPECT_EQ(plugin->parameterDisplay(index), expected.display) << index;
    }
}

TEST_P(PluginParameters, DefaultPatchNamesLabelsAndTextsOfTheHarmonicLevels)
{
    for (int wave = 1; wave <= 2; ++wave)
        for (int harmonic = 1; harmonic <= 24; ++harmonic)
        {
            const int index = 107 + 24 * (wave - 1) + harmonic - 1;
            char name[16];
            if (harmonic == 1)
                std::snprintf(name, sizeof name, "W%d Fund", wave);
            else
                std::snprintf(name, sizeof name, "W%d Hr %02d", wave, harmonic);
            EXPECT_EQ(plugin->parameterName(index), name) << index;
            EXPECT_EQ(plugin->parameterLabel(index), "") << index;
            EXPECT_EQ(plugin->parameterDisplay(index), "0") << index;
            EXPECT_EQ(plugin->getParameter(index), 0.0f) << index;
        }
}

TEST_P(PluginParameters, HostValuesComeBackUnchanged)
{
    for (int index = 0; index < 155; ++index)
    {
        const float value = static_cast<float>((index * 37) % 101) / 100.0f;
        plugin->setParameter(index, value);
        // Some rules change a live object after its own change, so read
        // each value right after setting it.
        EXPECT_EQ(plugin->getParameter(index), value) << index;
    }
}

// Values a host should not send are taken as the nearest end of the range;
// a value that is not a number changes nothing.
TEST_P(PluginParameters, HostValuesOutsideTheRangeAreClamped)
{
    const float infinity = std::numeric_limits<float>::infinity();
    for (int index = 0; index < 155; ++index)
    {
        const std::string lowest = displayAfter(index, 0.0f);
        const std::string highest = displayAfter(index, 1.0f);
        EXPECT_EQ(displayAfter(index, 2.0f), highest) << index;
        EXPECT_EQ(plugin->getParameter(index), 1.0f) << index;
        EXPECT_EQ(displayAfter(index, -infinity), lowest) << index;
        EXPECT_EQ(plugin->getParameter(index), 0.0f) << index;
        EXPECT_EQ(displayAfter(index, infinity), highest) << index;
        EXPECT_EQ(displayAfter(index, -0.5f), lowest) << index;
        plugin->setParameter(index, std::numeric_limits<float>::quiet_NaN());
        EXPECT_EQ(plugin->getParameter(index), 0.0f) << index;
    }
}

TEST_P(PluginParameters, ChoiceParametersShowTheirChoices)
{
    EXPECT_EQ(displayAfter(0, 0.0f), "Low Pass");
    EXPECT_EQ(displayAfter(0, choice(8, 9)), "BP // HP");
    EXPECT_EQ(displayAfter(0, 0.44f), "BP 2 Pole") << "the nearest choice";
    EXPECT_EQ(displayAfter(9, 1.0f), "Audio Input");
    EXPECT_EQ(displayAfter(9, choice(10, 13)), "User Wave 1");
    EXPECT_EQ(displayAfter(20, 0.0f), "Mono");
    EXPECT_EQ(displayAfter(61, choice(10, 11)), "Midi-RT 4 br");
    EXPECT_EQ(displayAfter(94, 1.0f), "Poly 8Vc");
    EXPECT_EQ(displayAfter(104, 0.5f), "Mild");
    EXPECT_EQ(displayAfter(47, 0.0f), "Off");
    EXPECT_EQ(plugin->parameterLabel(42), "Source");
}

TEST_P(PluginParameters, LogarithmicParametersSpreadTheirRangeByRatio)
{
    EXPECT_EQ(displayAfter(2, 0.0f), "16");
    EXPECT_EQ(displayAfter(2, 1.0f), "16000");
    EXPECT_EQ(displayAfter(2, 0.5f), "506") << "the geometric middle of 16 and 16000";
    EXPECT_EQ(displayAfter(21, 0.5f), "1.00");
    EXPECT_EQ(displayAfter(21, 1.0f), "4.00");
    EXPECT_EQ(displayAfter(25, 0.0f), "0.0010");
    EXPECT_EQ(displayAfter(25, 1.0f), "15.0000");
    EXPECT_EQ(displayAfter(90, 0.0f), "1.00");
    EXPECT_EQ(displayAfter(90, 1.0f), "20.00");
}

TEST_P(PluginParameters, NumberKindsShowTheirUnits)
{
    EXPECT_EQ(displayAfter(8, 0.0f), "-oo");
    EXPECT_EQ(displayAfter(8, 0.5f), "-27.0");
    EXPECT_EQ(displayAfter(8, 1.0f), "0.0");
    EXPECT_EQ(displayAfter(12, 0.0f), "-7");
    EXPECT_EQ(displayAfter(12, 1.0f), "7");
    EXPECT_EQ(displayAfter(43, 0.0f), "Off");
    EXPECT_EQ(displayAfter(43, 1.0f), "100");
    EXPECT_EQ(displayAfter(46, 0.0f), "Midi");
    EXPECT_EQ(displayAfter(46, 1.0f), "192");
    EXPECT_EQ(displayAfter(91, 0.0f), "32") << "a falling range";
    EXPECT_EQ(displayAfter(48, 0.25f), " 25/ 75") << "oscillator 1's share first";
    EXPECT_EQ(displayAfter(67, 0.3f), " 75/ 25") << "an LFO mix has five positions";
    EXPECT_EQ(displayAfter(66, 1.0f), "7.00");
    EXPECT_EQ(displayAfter(66, 0.0f), "-7.00");
    EXPECT_EQ(displayAfter(69, 1.0f), "100.0");
    EXPECT_EQ(displayAfter(130, 1.0f), "255");
}

TEST_P(PluginParameters, TempoFollowsItsSource)
{
    plugin->setParameter(18, 1.0f);
    EXPECT_EQ(plugin->parameterLabel(18), "Bts/Bar");
    EXPECT_EQ(plugin->parameterDisplay(18), "64");
    plugin->setParameter(42, 0.0f); // Internal
    EXPECT_EQ(plugin->parameterLabel(18), "bpm");
    EXPECT_EQ(plugin->parameterDisplay(18), "768");
    EXPECT_EQ(plugin->getParameter(18), 1.0f) << "a mode change keeps the value";
}

TEST_P(PluginParameters, LfoRatesCountCyclesPerBarFromClockSyncOn)
{
    plugin->setParameter(59, 1.0f);
    plugin->setParameter(61, choice(3, 11)); // Lock-RT
    EXPECT_EQ(plugin->parameterLabel(59), "Hz");
    EXPECT_EQ(plugin->parameterDisplay(59), "30.000");
    plugin->setParameter(61, choice(4, 11)); // Clock
    EXPECT_EQ(plugin->parameterLabel(59), "Cycles/B");
    EXPECT_EQ(plugin->parameterDisplay(59), "64");
    plugin->setParameter(65, 0.0f); // Free
    EXPECT_EQ(plugin->parameterLabel(63), "Hz");
}

TEST_P(PluginParameters, FilterSeparationGoesNegativeOnlyForDualFilters)
{
    plugin->setParameter(3, 0.0f);
    EXPECT_EQ(plugin->parameterDisplay(3), "0.0");
    plugin->setParameter(0, choice(6, 9)); // LP // BP
    EXPECT_EQ(plugin->parameterDisplay(3), "-24.0");
    plugin->setParameter(0, choice(4, 9)); // BP 2 Pole
    EXPECT_EQ(plugin->parameterDisplay(3), "0.0");
}

TEST_P(PluginParameters, AuxAmountsTakeTheUnitOfTheirDestination)
{
    plugin->setParameter(72, 1.0f);
    plugin->setParameter(78, choice(6, 9)); // Filter Q
    EXPECT_EQ(plugin->parameterLabel(72), "Q");
    EXPECT_EQ(plugin->parameterDisplay(72), "1.00");
    plugin->setParameter(78, choice(7, 9)); // Osc Mix
    EXPECT_EQ(plugin->parameterLabel(73), "%");
    EXPECT_EQ(plugin->parameterDisplay(72), "100");
}

TEST_P(PluginParameters, ControllerAmountsFollowDestinationAndAuxDestination)
{
    plugin->setParameter(100, 1.0f);
    plugin->setParameter(102, choice(2, 7)); // Filter Sep
    EXPECT_EQ(plugin->parameterLabel(100), "semitones");
    EXPECT_EQ(plugin->parameterDisplay(100), "24.00");
    // With "Aux Amount" the amount shows the aux mode one below the aux
    // destination's own.
    plugin->setParameter(102, choice(6, 7)); // Aux Amount, with aux on Filter Sep
    EXPECT_EQ(plugin->parameterLabel(100), "%");
    EXPECT_EQ(plugin->parameterDisplay(100), "50.00");
    plugin->setParameter(78, choice(6, 9)); // aux on Filter Q
    EXPECT_EQ(plugin->parameterLabel(100), "semitones");
    EXPECT_EQ(plugin->parameterDisplay(100), "24.00");
    plugin->setParameter(78, choice(7, 9)); // aux on Osc Mix
    EXPECT_EQ(plugin->parameterLabel(100), "Q");
    EXPECT_EQ(plugin->parameterDisplay(100), "1.00");
    EXPECT_EQ(plugin->parameterLabel(97), "%") << "controller 1 still drives Filter Freq";
}

TEST_P(PluginParameters, ChordMemoryTurnsKeyboardHoldOff)
{
    plugin->setParameter(40, 1.0f);
    EXPECT_EQ(plugin->parameterDisplay(40), "On");
    plugin->setParameter(41, 1.0f);
    EXPECT_EQ(plugin->parameterDisplay(40), "Off");
    EXPECT_EQ(plugin->getParameter(40), 0.0f);
}

TEST_P(PluginParameters, TextsOfUnknownIndicesAreEmpty)
{
    for (int index : {155, 200, -1})
    {
        EXPECT_EQ(plugin->parameterDisplay(index), "");
        EXPECT_EQ(plugin->parameterName(index), "");
        EXPECT_EQ(plugin->parameterLabel(index), "");
    }
}
