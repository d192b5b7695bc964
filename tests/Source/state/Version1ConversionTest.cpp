#include "Source/state/Version1Conversion.h"

#include "Source/state/ZentrovaState.h"

#include <gtest/gtest.h>

#include <cstring>

namespace
{
class SilentOwner : public ZentrovaStateOwner
{
public:
    void setPseudoParameter(int, long, EngineValue, std::int64_t) override { ++engineEvents; }
    void setEditorParameter(long, float) override {}
    int engineEvents = 0;
};

Version1Patch program(const char* name, float value)
{
    Version1Patch record;
    std::strcpy(record.name, name);
    for (float& v : record.values)
        v = value;
    return record;
}
}

TEST(Version1Conversion, StoresAndShowsTheConvertedValues)
{
    SilentOwner owner;
    ZentrovaState state(&owner);
    Version1Patch record = program("Old Lead", 0.5f);
    record.values[0] = 1.0f;    // filter type
    record.values[72] = 1.0f;   // first harmonic level
    record.values[46] = 0.25f;  // glide time, read through its own text
    convertVersion1Patch(state, record);

    EXPECT_EQ(state.m_patchData.name, "Old Lead");
    EXPECT_EQ(state.m_patchData.values[0], 1.0f);
    EXPECT_EQ(state.getParameter(0)->getValue(), 1.0f);
    EXPECT_EQ(state.m_patchData.values[107], 1.0f);
    EXPECT_EQ(state.getParameter(107)->getValue(), 1.0f);
    const float glide = state.getParameter(57)->valueFromText("0.250000");
    EXPECT_EQ(state.m_patchData.values[57], glide);
    EXPECT_EQ(state.getParameter(57)->getValue(), glide);
    // Parameters without a version-1 counterpart keep the default patch's values.
    const DefaultPatchRecord& defaults = DefaultPatchRecord::instance();
    for (int index : {7, 41, 94, 106})
    {
        EXPECT_EQ(state.m_patchData.values[index], defaults.values[index]) << index;
        EXPECT_EQ(state.getParameter(index)->getValue(), defaults.values[index]) << index;
    }
    EXPECT_EQ(state.m_patchData.values[71], 0.0f);
}

TEST(Version1Conversion, ReplacesEverythingOfThePreviousPatch)
{
    SilentOwner owner;
    ZentrovaState state(&owner);
    for (int index = 0; index < kParameterCount; ++index)
        state.setParameterValue(index, 0.9f, 2);
    state.m_patchData.chords[3].addNote(60, 100, 0);
    state.m_programIndex = 7;
    state.m_patchInfo.name = "library name";
    convertVersion1Patch(state, program("", 0.0f));
    for (int index = 0; index < kParameterCount; ++index)
        EXPECT_EQ(state.getParameter(index)->getValue(), state.m_patchData.values[index]) << index;
    EXPECT_TRUE(state.m_patchData.chords[3].isEmpty());
    EXPECT_EQ(state.m_patchData.name, "");
    EXPECT_EQ(state.m_programIndex, 7) << "the library side is the caller's";
    EXPECT_EQ(state.m_patchInfo.name, "library name");
}

TEST(Version1Conversion, TextsFollowTheConvertedModes)
{
    SilentOwner owner;
    ZentrovaState state(&owner);
    Version1Patch record = program("Sync", 0.0f);
    record.values[51] = 1.0f; // LFO sync: the last of its seven positions, "Midi"
    convertVersion1Patch(state, record);
    EXPECT_EQ(state.m_patchData.values[61], 0.6f);
    char label[ZentrovaParameter::kLabelSize];
    state.getParameter(59)->getLabel(label);
    EXPECT_STREQ(label, "Cycles/B");
    EXPECT_EQ(owner.engineEvents, 0) << "a state that is not playing tells the engine nothing";
}
