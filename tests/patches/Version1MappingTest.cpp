#include "patches/Version1Mapping.h"

#include <gtest/gtest.h>

#include <cstring>
#include <set>

namespace
{
std::array<float, kVersion1MappedParameters> sentinelDefaults()
{
    std::array<float, kVersion1MappedParameters> defaults;
    for (int i = 0; i < kVersion1MappedParameters; ++i)
        defaults[i] = -1.0f - i;
    return defaults;
}

Version1Patch distinctProgram()
{
    Version1Patch program;
    std::strcpy(program.name, "Classic Brass");
    for (int i = 0; i < Version1Patch::kValueCount; ++i)
        program.values[i] = static_cast<float>(i + 1) / 128.0f;
    return program;
}

// The version-1 value a parameter took, or -1 when none did.
int sourceOf(const Version1Mapping& mapping, const Version1Patch& program, int parameter)
{
    for (int v = 0; v < Version1Patch::kValueCount; ++v)
        if (mapping.values[parameter] == program.values[v])
            return v;
    return -1;
}
}

TEST(Version1Mapping, ParametersTakeTheirVersion1Values)
{
    const Version1Patch program = distinctProgram();
    const Version1Mapping mapping = mapVersion1Patch(program, sentinelDefaults());
    EXPECT_EQ(mapping.name, "Classic Brass");

    struct Expect
    {
        int parameter;
        int value;
    } copied[] = {{0, 0},   {6, 6},   {8, 7},   {11, 10}, {13, 12}, {14, 13}, {15, 13}, {16, 14},
                  {17, 16}, {34, 33}, {40, 34}, {42, 35}, {43, 36}, {45, 37}, {49, 41}, {51, 42},
                  {53, 43}, {55, 44}, {56, 45}, {58, 48}, {60, 50}, {62, 48}, {64, 50}, {66, 52},
                  {69, 53}, {79, 54}, {81, 56}, {93, 68}, {107, 72}, {154, 119}};
    for (const Expect& e : copied)
        EXPECT_EQ(sourceOf(mapping, program, e.parameter), e.value) << "parameter " << e.parameter;
    EXPECT_EQ(mapping.values[71], 0.0f);
}

TEST(Version1Mapping, UnmappedParametersKeepTheirDefaults)
{
    const std::array<float, kVersion1MappedParameters> defaults = sentinelDefaults();
    const Version1Mapping mapping = mapVersion1Patch(distinctProgram(), defaults);
    const std::set<int> kept = {7,  35, 36, 37, 38, 39, 41, 44, 50, 52, 54, 57, 67, 68, 70, 72, 73,  74,  75,
                                76, 77, 78, 80, 94, 95, 96, 97, 98, 99, 100, 101, 102, 103, 104, 105, 106};
    for (int p = 0; p < kVersion1MappedParameters; ++p)
    {
        if (kept.count(p) != 0)
            EXPECT_EQ(mapping.values[p], defaults[p]) << "parameter " << p;
        else
            EXPECT_GE(mapping.values[p], 0.0f) << "parameter " << p;
    }
}

TEST(Version1Mapping, ScaledAndSteppedValues)
{
    Version1Patch program;
    program.values[8] = 0.6f;
    program.values[9] = 1.0f;
    program.values[51] = 0.5f;
    Version1Mapping mapping = mapVersion1Patch(program, sentinelDefaults());
    EXPECT_NEAR(mapping.values[9], 0.55f, 1e-6f);
    EXPECT_NEAR(mapping.values[10], 11.0f / 12.0f, 1e-6f);
    EXPECT_FLOAT_EQ(mapping.values[61], 0.3f);
    EXPECT_FLOAT_EQ(mapping.values[65], 0.3f);

    program.values[51] = 1.0f;
    mapping = mapVersion1Patch(program, sentinelDefaults());
    EXPECT_FLOAT_EQ(mapping.values[61], 0.6f);
    EXPECT_FLOAT_EQ(mapping.values[65], 0.6f);
}

TEST(Version1Mapping, TextParameterGetsSixDecimalsInTheClassicLocale)
{
    struct Comma : std::numpunct<char>
    {
        char do_decimal_point() const override { return ','; }
    };
    const std::locale previous = std::locale::global(std::locale(std::locale::classic(), new Comma));
    Version1Patch program;
    program.values[46] = 0.25f;
    const Version1Mapping mapping = mapVersion1Patch(program, sentinelDefaults());
    std::locale::global(previous);
    EXPECT_EQ(mapping.textParameterValue, "0.250000");
    EXPECT_EQ(mapping.values[kVersion1TextParameter], -1.0f - kVersion1TextParameter);
}
