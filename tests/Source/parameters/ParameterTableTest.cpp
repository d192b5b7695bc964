#include "ParameterTestHelpers.h"
#include "Source/parameters/FloatIntParameter.h"
#include "Source/parameters/FloatParameter.h"
#include "Source/parameters/IntParameter.h"
#include "Source/parameters/IntSwitchParameter.h"
#include "Source/parameters/LfoMixParameter.h"
#include "Source/parameters/LogFloatParameter.h"
#include "Source/parameters/MixParameter.h"
#include "Source/parameters/ModalFloatParameter.h"
#include "Source/parameters/ParameterTable.h"
#include "Source/parameters/ParameterText.h"
#include "Source/parameters/PolyFloatParameter.h"
#include "Source/parameters/StringParameter.h"
#include "Source/parameters/VolumeParameter.h"

#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <string>
#include <typeinfo>
#include <vector>

namespace
{
enum class Kind
{
    String,
    Float,
    LogFloat,
    FloatInt,
    Volume,
    PolyFloat,
    ModalFloat,
    Int,
    IntSwitch,
    Mix,
    LfoMix,
};

struct Row
{
    Kind kind;
    float min;
    float max;
    int choices;
    const char* label;
    int decimals;
    bool centred;
    bool normalised;
};

// The named parameters as the product describes them.
const Row rows[kNamedParameterCount] = {
    {Kind::String, 0, 0, 9, "", 0, false, false}, // FilterType
    {Kind::Float, 0, 1, 0, "Q", 2, false, true}, // FilterQ
    {Kind::LogFloat, 16, 16000, 0, "Hz", 0, false, true}, // FilterFreq
    {Kind::Float, -24, 24, 0, "Semitones", 1, true, false}, // FilterSep
    {Kind::Float, 0, 100, 0, "%", 0, false, true}, // FilterDrive
    {Kind::Float, -2, 2, 0, "x", 1, false, false}, // KbdPitchToFilter
    {Kind::Float, -100, 100, 0, "%", 0, true, false}, // EnvToFilter
    {Kind::String, 0, 0, 2, "", 0, false, false}, // FilterEnvSource
    {Kind::Volume, -54, 0, 0, "dB", 1, false, false}, // Volume
    {Kind::String, 0, 0, 13, "", 0, false, false}, // Osc1Waveform
    {Kind::String, 0, 0, 13, "", 0, false, false}, // Osc2Waveform
    {Kind::Int, -2, 3, 0, "Octaves", 0, false, false}, // Osc2Octave
    {Kind::Int, -7, 7, 0, "Semitones", 0, false, false}, // Osc2Transpose
    {Kind::Int, -50, 50, 0, "Cents", 0, true, false}, // Osc2Detune
    {Kind::Int, 50, 99, 0, "%", 0, false, false}, // PulseWidth1
    {Kind::Int, 50, 99, 0, "%", 0, false, false}, // PulseWidth2
    {Kind::Int, -2, 2, 0, "Octaves", 0, true, false}, // MasterOctave
    {Kind::String, 0, 0, 5, "", 0, false, false}, // Triggering
    {Kind::FloatInt, 16, 768, 0, "bpm", 0, false, false}, // Tempo
    {Kind::Int, 1, 100, 0, "%", 0, false, false}, // GateTime
    {Kind::String, 0, 0, 6, "", 0, false, false}, // Function
    {Kind::LogFloat, 0.25, 4, 0, "x", 2, false, false}, // KbdVelToAttack
    {Kind::LogFloat, 0.25, 4, 0, "x", 2, false, false}, // KbdVelToRelease
    {Kind::Float, -100, 100, 0, "%", 0, true, false}, // KbdVelToDrive
    {Kind::Float, -100, 100, 0, "%", 0, true, false}, // KbdVelToFilter
    {Kind::LogFloat, 0.001, 15, 0, "Secs", 4, false, false}, // AmpAttack
    {Kind::LogFloat, 0.001, 30, 0, "Secs", 4, false, false}, // AmpDecay
    {Kind::Float, 0, 100, 0, "%", 1, false, true}, // AmpSustain
    {Kind::LogFloat, 0.001, 60, 0, "Secs", 4, false, false}, // AmpRelease
    {Kind::LogFloat, 0.001, 30, 0, "Secs", 4, false, false}, // FilterAttack
    {Kind::LogFloat, 0.001, 30, 0, "Secs", 4, false, false}, // FilterDecay
    {Kind::Float, 0, 100, 0, "%", 0, false, false}, // FilterSustain
    {Kind::LogFloat, 0.001, 60, 0, "Secs", 4, false, false}, // FilterRelease
    {Kind::Float, 0, 2, 0, "Secs", 3, false, false}, // FilterDelay
    {Kind::String, 0, 0, 5, "", 0, false, false}, // Arpeggio
    {Kind::String, 0, 0, 4, "", 0, false, false}, // ArpeggioOctDir
    {Kind::String, 0, 0, 2, "", 0, false, false}, // ArpeggioOctM1
    {Kind::String, 0, 0, 2, "", 0, false, false}, // ArpeggioOctP1
    {Kind::String, 0, 0, 2, "", 0, false, false}, // ArpeggioOctP2
    {Kind::String, 0, 0, 2, "", 0, false, false}, // ArpeggioOrder
    {Kind::String, 0, 0, 2, "", 0, false, false}, // KeyboardHold
    {Kind::String, 0, 0, 2, "", 0, false, false}, // ChordMemory
    {Kind::String, 0, 0, 2, "Source", 0, false, false}, // TempoExternal
    {Kind::IntSwitch, 0, 100, 0, "%", 0, false, false}, // ChorusLevel
    {Kind::Int, 1, 4, 0, "", 0, false, false}, // ChorusMode
    {Kind::IntSwitch, 0, 100, 0, "%", 0, false, false}, // DelayLevel
    {Kind::IntSwitch, 31, 192, 0, "bpm", 0, false, false}, // DelayTempo
    {Kind::String, 0, 0, 2, "", 0, false, false}, // EffectActive
    {Kind::Mix, 0, 100, 0, "Osc1/Osc2", 0, true, false}, // OscMix
    {Kind::Mix, 0, 100, 0, "Osc/Noise", 0, true, false}, // NoiseMix
    {Kind::String, 0, 0, 3, "", 0, true, false}, // RingModulation
    {Kind::Float, -7, 7, 0, "semitones", 2, true, false}, // ModToPitch
    {Kind::String, 0, 0, 3, "", 0, false, false}, // PitchController
    {Kind::Float, -100, 100, 0, "%", 0, true, false}, // ModToFilter
    {Kind::String, 0, 0, 3, "", 0, false, false}, // FilterController
    {Kind::Int, 0, 24, 0, "semitones", 0, false, false}, // BendAmount
    {Kind::String, 0, 0, 6, "", 0, false, false}, // GlideType
    {Kind::LogFloat, 0.004, 20, 0, "Secs", 2, false, false}, // GlideTime
    {Kind::String, 0, 0, 12, "", 0, false, false}, // LFO1Waveform
    {Kind::FloatInt, 0.03, 30, 0, "Hz", 3, false, false}, // LFO1Rate
    {Kind::Float, 0, 8, 0, "Secs", 2, false, false}, // LFO1Intro
    {Kind::String, 0, 0, 11, "", 0, false, false}, // LFO1Sync
    {Kind::String, 0, 0, 12, "", 0, false, false}, // LFO2Waveform
    {Kind::FloatInt, 0.03, 30, 0, "Hz", 3, false, false}, // LFO2Rate
    {Kind::Float, 0, 8, 0, "Secs", 2, false, false}, // LFO2Intro
    {Kind::String, 0, 0, 11, "", 0, false, false}, // LFO2Sync
    {Kind::PolyFloat, -7, 7, 0, "Semitones", 2, true, false}, // LFOtoPitch
    {Kind::LfoMix, 0, 100, 0, "LFO1/LFO2", 0, true, false}, // LFOtoPitchSource
    {Kind::LfoMix, 0, 100, 0, "LFO1/LFO2", 0, true, false}, // AuxModLfoMix
    {Kind::PolyFloat, -100, 100, 0, "%", 1, true, false}, // LFOtoFilter
    {Kind::LfoMix, 0, 100, 0, "LFO1/LFO2", 0, true, false}, // LFOtoFilterSource
    {Kind::String, 0, 0, 2, "", 0, false, false}, // PitchModSum
    {Kind::ModalFloat, 0, 0, 0, "", 0, true, false}, // AuxModAmount
    {Kind::ModalFloat, 0, 0, 0, "", 0, true, false}, // AuxModEnvelope
    {Kind::String, 0, 0, 2, "", 0, false, false}, // AuxModEnvSource
    {Kind::String, 0, 0, 2, "", 0, false, false}, // AuxModSum
    {Kind::ModalFloat, 0, 0, 0, "", 0, true, false}, // AuxModWheel
    {Kind::String, 0, 0, 3, "", 0, false, false}, // AuxController
    {Kind::String, 0, 0, 9, "", 0, false, false}, // AuxModDestination
    {Kind::Float, -7, 7, 0, "Semitones", 2, true, false}, // FiltEnvToPitch
    {Kind::String, 0, 0, 2, "", 0, false, false}, // PitchEnvSource
    {Kind::Float, 0.2, 2, 0, "Hz", 2, false, false}, // ChorusRate
    {Kind::Float, 0.1, 3, 0, "", 2, false, false}, // ChorusDepth
    {Kind::Int, 0, 100, 0, "%", 0, true, true}, // DelayMixLeft
    {Kind::Int, 0, 100, 0, "%", 0, true, true}, // DelayMixRight
    {Kind::Int, 0, 95, 0, "%", 0, false, false}, // DelayFeedbackLeft
    {Kind::Int, 0, 95, 0, "%", 0, false, false}, // DelayFeedbackRight
    {Kind::Int, 1, 32, 0, "units", 0, false, false}, // DelayLengthLeft
    {Kind::Int, 1, 32, 0, "units", 0, false, false}, // DelayLengthRight
    {Kind::LogFloat, 8, 2000, 0, "Hz", 0, false, false}, // DelayHighpass
    {Kind::LogFloat, 1, 20, 0, "kHz", 2, false, false}, // DelayLowpass
    {Kind::Int, 32, 4, 0, "//Beat", 0, false, false}, // DelayUnits
    {Kind::Int, -100, 100, 0, "%", 0, true, false}, // DelayDucking
    {Kind::String, 0, 0, 2, "", 0, false, false}, // DelayFeedbackMode
    {Kind::String, 0, 0, 9, "", 0, false, false}, // UnisonMode
    {Kind::Float, 0, 100, 0, "cents", 0, false, false}, // UnisonDetune
    {Kind::Int, -100, 100, 0, "", 0, true, false}, // UnisonSpread
    {Kind::ModalFloat, 0, 0, 0, "", 0, true, false}, // Controller1Amount
    {Kind::String, 0, 0, 4, "", 0, false, false}, // Controller1Source
    {Kind::String, 0, 0, 7, "", 0, false, false}, // Controller1Dest
    {Kind::ModalFloat, 0, 0, 0, "", 0, true, false}, // Controller2Amount
    {Kind::String, 0, 0, 4, "", 0, false, false}, // Controller2Source
    {Kind::String, 0, 0, 7, "", 0, false, false}, // Controller2Dest
    {Kind::String, 0, 0, 3, "", 0, false, false}, // NoiseType
    {Kind::String, 0, 0, 3, "", 0, false, false}, // GlideSpread
    {Kind::Int, 1, 5, 0, "", 0, false, false}, // PanMode
    {Kind::Float, 0, 100, 0, "%", 0, false, false}, // PanSpread
};

struct Choices
{
    std::vector<int> indices;
    std::vector<std::string> texts;
};

const std::vector<Choices> choiceLists = {
    {{0}, {"Low Pass", "Bnd Pass", "Hi Pass", "LP 2 Pole", "BP 2 Pole", "HP 2 Pole", "LP // BP", "LP // HP", "BP // HP"}},
    {{7, 74, 80}, {"Env 1", "Env 2"}},
    {{9, 10}, {"Triangle", "Sawtooth", "Square", "Pulse", "PWM", "Full Organ", "Harpsichord", "Strong Lead", "Double Pulse", "Gritty", "User Wave 1", "User Wave 2", "Audio Input"}},
    {{17}, {"Single", "Mult", "Rpt 1", "Rpt 2", "Rpt 1+2"}},
    {{20}, {"Mono", "Duo", "Poly 4", "Poly 8", "Poly 12", "Poly 16"}},
    {{34}, {"Off", "Up", "Down", "Up/Down", "Random"}},
    {{35}, {"Up", "Down", "Up/Down", "Random"}},
    {{36, 37, 38, 40, 41, 47}, {"Off", "On"}},
    {{39}, {"Pitch", "Play"}},
    {{42}, {"Internal", "External"}},
    {{50}, {"Off", "Half", "Full"}},
    {{52, 54, 77}, {"Mod Wheel", "Expression", "Aftertouch"}},
    {{56}, {"Norm", "Auto", "Gliss", "Norm-Fixd", "Auto-Fixd", "Gliss-Fixd"}},
    {{58, 62}, {"Triangle", "Tri 3 step", "Tri 5 step", "Sawtooth", "Saw 4 step", "Saw 8 step", "Square", "Pattern 1", "Pattern 2", "Guitar", "Filter Env", "Random"}},
    {{61, 65}, {"Free", "Free-RT", "Lock", "Lock-RT", "Clock", "Clock-RT", "Midi", "Midi-RT", "Midi-RT 2 br", "Midi-RT 3 br", "Midi-RT 4 br"}},
    {{71, 75}, {"No Sum", "Sum Amount"}},
    {{78}, {"Off", "Osc 2 Pitch", "PW 1", "PW 2", "PW 1 & 2", "Filter Sep", "Filter Q", "Osc Mix", "Noise Mix"}},
    {{93}, {"Direct", "Crossed"}},
    {{94}, {"Off", "Mono", "Poly 2Vc", "Poly 3Vc", "Poly 4Vc", "Poly 5Vc", "Poly 6Vc", "Poly 7Vc", "Poly 8Vc"}},
    {{98, 101}, {"Mod Wheel", "Aftertouch", "Expression", "Velocity"}},
    {{99, 102}, {"Drive", "Filter Freq", "Filter Sep", "Filter Q", "Pitch Amnt", "Filter Amnt", "Aux Amount"}},
    {{103}, {"White", "Audio Input", "Pink"}},
    {{104}, {"Off", "Mild", "Wild"}},
};

const std::type_info& typeOf(Kind kind)
{
    switch (kind)
    {
    case Kind::String: return typeid(StringParameter);
    case Kind::Float: return typeid(FloatParameter);
    case Kind::LogFloat: return typeid(LogFloatParameter);
    case Kind::FloatInt: return typeid(FloatIntParameter);
    case Kind::Volume: return typeid(VolumeParameter);
    case Kind::PolyFloat: return typeid(PolyFloatParameter);
    case Kind::ModalFloat: return typeid(ModalFloatParameter);
    case Kind::Int: return typeid(IntParameter);
    case Kind::IntSwitch: return typeid(IntSwitchParameter);
    case Kind::Mix: return typeid(MixParameter);
    case Kind::LfoMix: return typeid(LfoMixParameter);
    }
    return typeid(void);
}
}

TEST(ParameterTable, EveryIndexHasAnObjectOfItsKind)
{
    for (int index = 0; index < kNamedParameterCount; ++index)
    {
        std::unique_ptr<ZentrovaParameter> parameter = createParameterObject(index);
        ASSERT_TRUE(parameter) << index;
        const ZentrovaParameter& object = *parameter;
        EXPECT_EQ(typeid(object), typeOf(rows[index].kind)) << index;
        EXPECT_EQ(parameter->getValue(), 0.0f);
    }
    for (int index = kNamedParameterCount; index < kParameterCount; ++index)
    {
        std::unique_ptr<ZentrovaParameter> parameter = createParameterObject(index);
        ASSERT_TRUE(parameter) << index;
        const ZentrovaParameter& object = *parameter;
        EXPECT_EQ(typeid(object), typeid(IntParameter));
    }
    EXPECT_FALSE(createParameterObject(-1));
    EXPECT_FALSE(createParameterObject(kParameterCount));
    EXPECT_EQ(kParameterCount, 155);
}

TEST(ParameterTable, ObjectsCarryTheNamesOfTheirRow)
{
    std::set<std::string> keys;
    for (int index = 0; index < kNamedParameterCount; ++index)
    {
        const ParameterNames& names = parameterNameTable[index];
        std::unique_ptr<ZentrovaParameter> parameter = createParameterObject(index);
        EXPECT_EQ(nameOf(*parameter), names.shortName);
        EXPECT_EQ(displayNameOf(*parameter), names.displayName);
        EXPECT_STREQ(parameter->getKey(), names.key);
        EXPECT_TRUE(keys.insert(names.key).second) << names.key;
    }
    EXPECT_EQ(parameterNameTable[kNamedParameterCount].displayName, nullptr);
    EXPECT_EQ(parameterNameTable[kNamedParameterCount].shortName, nullptr);
    EXPECT_EQ(parameterNameTable[kNamedParameterCount].key, nullptr);
}

TEST(ParameterTable, NoNameIsCut)
{
    std::size_t longestShort = 0;
    std::size_t longestDisplay = 0;
    std::string longest;
    for (int index = 0; index < kNamedParameterCount; ++index)
    {
        longestShort = std::max(longestShort, std::strlen(parameterNameTable[index].shortName));
        std::size_t length = std::strlen(parameterNameTable[index].displayName);
        if (length > longestDisplay)
        {
            longestDisplay = length;
            longest = parameterNameTable[index].displayName;
        }
    }
    EXPECT_LE(longestShort, 9u);
    EXPECT_EQ(longestDisplay, 21u);
    EXPECT_EQ(longest, "Delay Highpass Cutoff");
}

TEST(ParameterTable, KeysMatchTheIndexNames)
{
    EXPECT_STREQ(parameterNameTable[Param::FilterType].key, "FilterType");
    EXPECT_STREQ(parameterNameTable[Param::TempoExternal].key, "TempoExternal");
    EXPECT_STREQ(parameterNameTable[Param::AuxModDestination].key, "AuxModDestination");
    EXPECT_STREQ(parameterNameTable[Param::PanSpread].key, "PanSpread");
    EXPECT_EQ(Param::PanSpread, 106);
    EXPECT_EQ(Param::W1Fund, 107);
    EXPECT_EQ(Param::W2Fund, 131);
}

TEST(ParameterTable, FlagsAndLabelsFollowTheRows)
{
    for (int index = 0; index < kNamedParameterCount; ++index)
    {
        std::unique_ptr<ZentrovaParameter> parameter = createParameterObject(index);
        EXPECT_EQ(parameter->isMidiCentred(), rows[index].centred) << index;
        EXPECT_EQ(parameter->isEngineNormalised(), rows[index].normalised) << index;
        if (rows[index].kind != Kind::ModalFloat)
        {
            EXPECT_EQ(labelOf(*parameter), rows[index].label) << index;
        }
    }
}

TEST(ParameterTable, NumericRangesShowAtTheirEnds)
{
    for (int index = 0; index < kNamedParameterCount; ++index)
    {
        const Row& row = rows[index];
        std::unique_ptr<ZentrovaParameter> parameter = createParameterObject(index);
        std::string low = formatFixed(row.min, row.decimals);
        std::string high = formatFixed(row.max, row.decimals);
        switch (row.kind)
        {
        case Kind::Float:
        case Kind::LogFloat:
        case Kind::FloatInt:
        case Kind::PolyFloat:
        case Kind::Int:
            EXPECT_EQ(displayAt(*parameter, 0.0f), low) << index;
            EXPECT_EQ(displayAt(*parameter, 1.0f), high) << index;
            break;
        case Kind::IntSwitch:
            EXPECT_EQ(displayAt(*parameter, 1.0f), high) << index;
            EXPECT_EQ(displayAt(*parameter, 1.0f / (row.max - row.min)), formatFixed(row.min + 1, 0)) << index;
            break;
        case Kind::Volume:
            EXPECT_EQ(displayAt(*parameter, 0.0f), "-oo");
            EXPECT_EQ(displayAt(*parameter, 0.5f), "-27.0");
            EXPECT_EQ(displayAt(*parameter, 1.0f), high);
            break;
        case Kind::Mix:
        case Kind::LfoMix:
        {
            // The oscillator mix's value is oscillator 1's share, shown first.
            const bool valueFirst = index == Param::OscMix;
            EXPECT_EQ(displayAt(*parameter, 0.0f), valueFirst ? "  0/100" : "100/  0") << index;
            EXPECT_EQ(displayAt(*parameter, 1.0f), valueFirst ? "100/  0" : "  0/100") << index;
            EXPECT_EQ(altLabelOf(*parameter), "100/100") << index;
            break;
        }
        case Kind::String:
        case Kind::ModalFloat:
            break;
        }
    }
}

TEST(ParameterTable, SwitchWordsAtTheMinimum)
{
    std::unique_ptr<ZentrovaParameter> chorus = createParameterObject(Param::ChorusLevel);
    std::unique_ptr<ZentrovaParameter> delay = createParameterObject(Param::DelayLevel);
    std::unique_ptr<ZentrovaParameter> tempo = createParameterObject(Param::DelayTempo);
    EXPECT_EQ(displayAt(*chorus, 0.0f), "Off");
    EXPECT_EQ(displayAt(*delay, 0.0f), "Off");
    EXPECT_EQ(displayAt(*tempo, 0.0f), "Midi");
    EXPECT_EQ(displayAt(*tempo, 1.0f / 161.0f), "32");
}

TEST(ParameterTable, ChoiceListsInTheirOrder)
{
    std::set<int> covered;
    for (const Choices& list : choiceLists)
        for (int index : list.indices)
        {
            covered.insert(index);
            std::unique_ptr<ZentrovaParameter> parameter = createParameterObject(index);
            auto& choice = dynamic_cast<StringParameter&>(*parameter);
            int count = static_cast<int>(list.texts.size());
            ASSERT_EQ(choice.getChoiceCount(), count) << index;
            EXPECT_EQ(rows[index].choices, count) << index;
            for (int i = 0; i < count; ++i)
            {
                float value = static_cast<float>(i) / (count - 1);
                EXPECT_EQ(displayAt(choice, value), list.texts[i]) << index;
                EXPECT_EQ(choice.getEngineValue(), i) << index;
                EXPECT_EQ(choice.valueFromText(list.texts[i]), value) << index;
            }
        }
    for (int index = 0; index < kNamedParameterCount; ++index)
        EXPECT_EQ(covered.count(index) == 1, rows[index].kind == Kind::String) << index;
    for (int i = 0; i < 9; ++i)
        EXPECT_EQ(FilterTypeNames[i], choiceLists[0].texts[i]);
}

TEST(ParameterTable, ShapedLfoAmountsFollowTheirPoints)
{
    std::unique_ptr<ZentrovaParameter> pitch = createParameterObject(Param::LFOtoPitch);
    std::unique_ptr<ZentrovaParameter> filter = createParameterObject(Param::LFOtoFilter);
    const char* pitchTexts[] = {"-7.00", "-4.50", "-2.50", "-1.00", "0.00", "1.00", "2.50", "4.50", "7.00"};
    const char* filterTexts[] = {"-100.0", "-64.3", "-35.7", "-14.3", "0.0", "14.3", "35.7", "64.3", "100.0"};
    for (int i = 0; i <= 8; ++i)
    {
        EXPECT_EQ(displayAt(*pitch, i / 8.0f), pitchTexts[i]);
        EXPECT_EQ(displayAt(*filter, i / 8.0f), filterTexts[i]);
    }
    EXPECT_EQ(altLabelOf(*pitch), "7.00");
    EXPECT_EQ(altLabelOf(*filter), "100.0");
}

TEST(ParameterTable, AuxAmountsStartInTheirFirstMode)
{
    for (int index : {Param::AuxModAmount, Param::AuxModEnvelope, Param::AuxModWheel})
    {
        std::unique_ptr<ZentrovaParameter> parameter = createParameterObject(index);
        EXPECT_EQ(labelOf(*parameter), "semitones");
        EXPECT_EQ(displayAt(*parameter, 0.0f), "-7.00");
        EXPECT_EQ(displayAt(*parameter, 1.0f), "7.00");
    }
    for (int index : {Param::Controller1Amount, Param::Controller2Amount})
    {
        std::unique_ptr<ZentrovaParameter> parameter = createParameterObject(index);
        EXPECT_EQ(labelOf(*parameter), "%");
        EXPECT_EQ(displayAt(*parameter, 0.0f), "-100");
    }
}

TEST(ParameterTable, ModeTablesGiveEachDestinationItsUnit)
{
    struct Expected
    {
        const char* low;
        const char* label;
    };
    const Expected aux[] = {{"-7.00", "semitones"}, {"-7.00", "semitones"}, {"-50.00", "%"},
                            {"-50.00", "%"},        {"-50.00", "%"},        {"-24.00", "semitones"},
                            {"-1.00", "Q"},         {"-100", "%"},          {"-100", "%"}};
    const Expected controller[] = {{"-100", "%"}, {"-100", "%"}, {"-24.00", "semitones"}, {"-1.00", "Q"},
                                   {"-7.00", "semitones"}, {"-100", "%"}};
    std::unique_ptr<ZentrovaParameter> parameter = createParameterObject(Param::AuxModAmount);
    auto& auxAmount = dynamic_cast<ModalFloatParameter&>(*parameter);
    for (int mode = 0; mode < 9; ++mode)
    {
        auxAmount.setMode(mode);
        EXPECT_EQ(displayAt(auxAmount, 0.0f), aux[mode].low) << mode;
        EXPECT_EQ(labelOf(auxAmount), aux[mode].label) << mode;
    }
    std::unique_ptr<ZentrovaParameter> other = createParameterObject(Param::Controller1Amount);
    auto& controllerAmount = dynamic_cast<ModalFloatParameter&>(*other);
    for (int mode = 0; mode < 14; ++mode)
    {
        controllerAmount.setMode(mode);
        const Expected& expected = mode < 6 ? controller[mode] : aux[mode - 6];
        EXPECT_EQ(displayAt(controllerAmount, 0.0f), expected.low) << mode;
        EXPECT_EQ(labelOf(controllerAmount), expected.label) << mode;
    }
}

TEST(ParameterTable, HarmonicLevelsAreNamedByWaveAndNumber)
{
    struct Expected
    {
        int index;
        const char* displayName;
        const char* shortName;
        const char* key;
    };
    const Expected expected[] = {
        {107, "Wave 1 Fundamental", "W1 Fund", "W1Fund"},     {108, "Wave 1 2nd Harmonic", "W1 Hr 02", "W1Hr02"},
        {109, "Wave 1 3rd Harmonic", "W1 Hr 03", "W1Hr03"},   {110, "Wave 1 4th Harmonic", "W1 Hr 04", "W1Hr04"},
        {117, "Wave 1 11th Harmonic", "W1 Hr 11", "W1Hr11"},  {118, "Wave 1 12th Harmonic", "W1 Hr 12", "W1Hr12"},
        {119, "Wave 1 13th Harmonic", "W1 Hr 13", "W1Hr13"},  {126, "Wave 1 20th Harmonic", "W1 Hr 20", "W1Hr20"},
        {127, "Wave 1 21st Harmonic", "W1 Hr 21", "W1Hr21"},  {128, "Wave 1 22nd Harmonic", "W1 Hr 22", "W1Hr22"},
        {129, "Wave 1 23rd Harmonic", "W1 Hr 23", "W1Hr23"},  {130, "Wave 1 24th Harmonic", "W1 Hr 24", "W1Hr24"},
        {131, "Wave 2 Fundamental", "W2 Fund", "W2Fund"},     {132, "Wave 2 2nd Harmonic", "W2 Hr 02", "W2Hr02"},
        {154, "Wave 2 24th Harmonic", "W2 Hr 24", "W2Hr24"},
    };
    for (const Expected& e : expected)
    {
        std::unique_ptr<ZentrovaParameter> parameter = createParameterObject(e.index);
        EXPECT_EQ(displayNameOf(*parameter), e.displayName);
        EXPECT_EQ(nameOf(*parameter), e.shortName);
        EXPECT_STREQ(parameter->getKey(), e.key);
    }
    std::set<std::string> keys;
    for (int index = Param::W1Fund; index < kParameterCount; ++index)
    {
        std::unique_ptr<ZentrovaParameter> parameter = createParameterObject(index);
        EXPECT_TRUE(keys.insert(parameter->getKey()).second);
        EXPECT_EQ(labelOf(*parameter), "");
        EXPECT_FALSE(parameter->isMidiCentred());
        EXPECT_FALSE(parameter->isEngineNormalised());
        EXPECT_EQ(displayAt(*parameter, 1.0f), "255");
        EXPECT_EQ(parameter->getEngineValue(), 255);
        EXPECT_EQ(altLabelOf(*parameter), "###");
    }
    // The names are made once per process; every object keeps their texts.
    EXPECT_EQ(createParameterObject(Param::W2Fund)->getKey(), createParameterObject(Param::W2Fund)->getKey());
}

TEST(ParameterTable, FallingDelayUnits)
{
    std::unique_ptr<ZentrovaParameter> units = createParameterObject(Param::DelayUnits);
    EXPECT_EQ(displayAt(*units, 0.0f), "32");
    EXPECT_EQ(displayAt(*units, 1.0f), "4");
    EXPECT_EQ(units->valueFromText("2"), 1.0f);
    EXPECT_EQ(units->valueFromText("64"), 0.0f);
}

TEST(ParameterTable, TempoAndRatesSwitchToBeatsAndCycles)
{
    std::unique_ptr<ZentrovaParameter> tempo = createParameterObject(Param::Tempo);
    std::unique_ptr<ZentrovaParameter> rate = createParameterObject(Param::LFO2Rate);
    EXPECT_EQ(labelOf(*tempo), "bpm");
    EXPECT_EQ(labelOf(*rate), "Hz");
    dynamic_cast<FloatIntParameter&>(*tempo).setIntMode(true);
    dynamic_cast<FloatIntParameter&>(*rate).setIntMode(true);
    EXPECT_EQ(labelOf(*tempo), "Bts/Bar");
    EXPECT_EQ(labelOf(*rate), "Cycles/B");
    EXPECT_EQ(displayAt(*tempo, 1.0f), "64");
    EXPECT_EQ(displayAt(*rate, 0.0f), "1");
}

TEST(ParameterTable, LogarithmicParametersAtTheirMiddles)
{
    struct Expected
    {
        int index;
        const char* display;
    };
    // The geometric mean of the range, lifted by the linear share where
    // there is one: AmpAttack 0.998 x 0.12247 + 0.002 x 7.5005.
    const Expected expected[] = {
        {Param::FilterFreq, "506"},     {Param::AmpAttack, "0.1372"},    {Param::GlideTime, "1.25"},
        {Param::DelayLowpass, "4.47"},  {Param::DelayHighpass, "126"},   {Param::KbdVelToAttack, "1.00"},
        {Param::Tempo, "111"},          {Param::LFO1Rate, "0.949"},
    };
    for (const Expected& e : expected)
    {
        std::unique_ptr<ZentrovaParameter> parameter = createParameterObject(e.index);
        EXPECT_EQ(displayAt(*parameter, 0.5f), e.display) << parameterNameTable[e.index].key;
    }
}
