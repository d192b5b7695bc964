#include "tests/Source/parameters/ParameterTestHelpers.h"
#include "Source/state/DefaultPatchRecord.h"
#include "Source/state/ZentrovaState.h"

#include <gtest/gtest.h>

#include <cstring>
#include <thread>
#include <vector>

namespace
{
struct Shown
{
    const char* display;
    const char* label;
};

// What host and editor show for the default patch.
const Shown defaultTexts[kNamedParameterCount] = {
    {"Low Pass", ""},       {"0.00", "Q"},           {"1593", "Hz"},          {"19.4", "Semitones"},
    {"49", "%"},            {"1.0", "x"},            {"0", "%"},              {"Env 2", ""},
    {"-1.6", "dB"},         {"Sawtooth", ""},        {"Sawtooth", ""},        {"0", "Octaves"},
    {"0", "Semitones"},     {"0", "Cents"},          {"87", "%"},             {"86", "%"},
    {"0", "Octaves"},       {"Mult", ""},            {"1", "Bts/Bar"},        {"100", "%"},
    {"Poly 8", ""},         {"1.00", "x"},           {"1.00", "x"},           {"41", "%"},
    {"0", "%"},             {"0.0010", "Secs"},      {"1.0297", "Secs"},      {"100.0", "%"},
    {"0.2720", "Secs"},     {"0.0010", "Secs"},      {"0.9799", "Secs"},      {"100", "%"},
    {"0.2454", "Secs"},     {"0.000", "Secs"},       {"Off", ""},             {"Up", ""},
    {"Off", ""},            {"Off", ""},             {"Off", ""},             {"Pitch", ""},
    {"Off", ""},            {"Off", ""},             {"External", "Source"},  {"25", "%"},
    {"1", ""},              {"25", "%"},             {"Midi", "bpm"},         {"On", ""},
    {" 50/ 50", "Osc1/Osc2"}, {"100/  0", "Osc/Noise"}, {"Off", ""},          {"0.00", "semitones"},
    {"Mod Wheel", ""},      {"0", "%"},              {"Mod Wheel", ""},       {"2", "semitones"},
    {"Norm", ""},           {"0.00", "Secs"},        {"Triangle", ""},        {"4", "Cycles/B"},
    {"0.00", "Secs"},       {"Midi-RT", ""},         {"Triangle", ""},        {"4", "Cycles/B"},
    {"0.00", "Secs"},       {"Midi-RT", ""},         {"0.00", "Semitones"},   {"  0/100", "LFO1/LFO2"},
    {"100/  0", "LFO1/LFO2"}, {"0.0", "%"},          {"  0/100", "LFO1/LFO2"}, {"No Sum", ""},
    {"0.00", "semitones"},  {"0.00", "semitones"},   {"Env 2", ""},           {"No Sum", ""},
    {"0.00", "semitones"},  {"Mod Wheel", ""},       {"Filter Sep", ""},      {"0.00", "Semitones"},
    {"Env 2", ""},          {"0.95", "Hz"},          {"2.00", ""},            {"50", "%"},
    {"50", "%"},            {"16", "%"},             {"16", "%"},             {"3", "units"},
    {"4", "units"},         {"8", "Hz"},             {"12.02", "kHz"},        {"4", "//Beat"},
    {"0", "%"},             {"Crossed", ""},         {"Poly 2Vc", ""},        {"9", "cents"},
    {"0", ""},              {"100", "%"},            {"Aftertouch", ""},      {"Filter Freq", ""},
    {"100", "%"},           {"Aftertouch", ""},      {"Drive", ""},           {"White", ""},
    {"Wild", ""},           {"1", ""},               {"50", "%"},
};
}

TEST(DefaultPatchRecord, HoldsTheBuiltInPatch)
{
    const DefaultPatchRecord& record = DefaultPatchRecord::instance();
    EXPECT_STREQ(record.name, "Default");
    EXPECT_EQ(record.values[Param::FilterType], 0.0f);
    EXPECT_FLOAT_EQ(record.values[Param::FilterSep], 19.4f / 24.0f);
    EXPECT_EQ(record.values[Param::Tempo], 0.0f);
    EXPECT_EQ(record.values[Param::TempoExternal], 1.0f);
    EXPECT_FLOAT_EQ(record.values[Param::LFO1Rate], 3.0f / 63.0f);
    EXPECT_EQ(record.values[Param::DelayUnits], 1.0f);
    EXPECT_EQ(record.values[Param::DelayTempo], 0.0f);
    EXPECT_EQ(record.values[Param::AuxModAmount], 0.5f);
    EXPECT_EQ(record.values[Param::Controller1Amount], 1.0f);
    EXPECT_FLOAT_EQ(record.values[Param::Osc2Octave], 0.4f);
    EXPECT_EQ(record.values[Param::NoiseMix], 0.0f);
    for (int index = Param::W1Fund; index < kParameterCount; ++index)
        EXPECT_EQ(record.values[index], 0.0f);
}

TEST(DefaultPatchRecord, KeysFollowTheParameterOrder)
{
    for (int index = 0; index < kNamedParameterCount; ++index)
        EXPECT_STREQ(builtInDefaultPatch[index].key, parameterNameTable[index].key);
    EXPECT_STREQ(builtInDefaultText(Param::W1Fund), "");
    EXPECT_STREQ(builtInDefaultText(-1), "");
}

TEST(DefaultPatchRecord, EveryWrittenTextReadsBackUnchanged)
{
    ZentrovaState state(nullptr);
    std::vector<std::string> texts = state.storedValueTexts();
    ASSERT_EQ(texts.size(), static_cast<std::size_t>(kParameterCount));
    for (int index = 0; index < kNamedParameterCount; ++index)
    {
        const char* text = builtInDefaultPatch[index].text;
        if (text[0] != '\0')
        {
            EXPECT_EQ(texts[index], text) << parameterNameTable[index].key;
        }
    }
    // Empty texts read as the parameter's zero.
    EXPECT_EQ(texts[Param::Osc2Octave], "0");
    EXPECT_EQ(texts[Param::NoiseMix], "0");
    EXPECT_EQ(texts[Param::W2Fund + 23], "0");
}

TEST(DefaultPatchRecord, DefaultPatchShowsItsTexts)
{
    ZentrovaState state(nullptr);
    for (int index = 0; index < kNamedParameterCount; ++index)
    {
        const ZentrovaParameter& parameter = *state.getParameter(index);
        EXPECT_EQ(displayOf(parameter), defaultTexts[index].display) << parameterNameTable[index].key;
        EXPECT_EQ(labelOf(parameter), defaultTexts[index].label) << parameterNameTable[index].key;
    }
    for (int index = Param::W1Fund; index < kParameterCount; ++index)
    {
        EXPECT_EQ(displayOf(*state.getParameter(index)), "0");
        EXPECT_EQ(labelOf(*state.getParameter(index)), "");
    }
}

TEST(DefaultPatchRecord, IsTheSameForEveryThread)
{
    std::vector<const DefaultPatchRecord*> seen(8);
    std::vector<std::thread> threads;
    for (std::size_t i = 0; i < seen.size(); ++i)
        threads.emplace_back([&seen, i] { seen[i] = &DefaultPatchRecord::instance(); });
    for (std::thread& thread : threads)
        thread.join();
    for (const DefaultPatchRecord* record : seen)
        EXPECT_EQ(record, &DefaultPatchRecord::instance());
}
