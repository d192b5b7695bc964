#include "patches/Version1Mapping.h"

#include <iomanip>
#include <locale>
#include <sstream>

namespace
{
// {first parameter, first version-1 value, count} for the runs copied as they are.
struct CopiedRun
{
    int parameter;
    int value;
    int count;
};

constexpr CopiedRun kCopiedRuns[] = {
    {0, 0, 7},   {8, 7, 1},   {11, 10, 3}, {14, 13, 1}, {15, 13, 1}, {16, 14, 1}, {17, 16, 18}, {40, 34, 1},
    {42, 35, 2}, {45, 37, 5}, {51, 42, 1}, {53, 43, 1}, {55, 44, 2}, {58, 48, 3}, {62, 48, 3},  {66, 52, 1},
    {69, 53, 1}, {79, 54, 1}, {81, 56, 13}, {107, 72, 48},
};
}

Version1Mapping mapVersion1Patch(const Version1Patch& program, const std::array<float, kVersion1MappedParameters>& defaults)
{
    Version1Mapping mapping;
    mapping.name = program.nameText();
    mapping.values = defaults;
    const float* v = program.values;

    for (const CopiedRun& run : kCopiedRuns)
        for (int i = 0; i < run.count; ++i)
            mapping.values[run.parameter + i] = v[run.value + i];

    // The version-1 ranges of these two had twelve steps where today's have eleven.
    mapping.values[9] = v[8] * 11.0f / 12.0f;
    mapping.values[10] = v[9] * 11.0f / 12.0f;

    // Seven version-1 positions become tenths 0.0-0.6 (rounded to the nearest step).
    const float steps = static_cast<float>(static_cast<int>(6.0f * v[51] + 0.5f)) / 10.0f;
    mapping.values[61] = steps;
    mapping.values[65] = steps;
    mapping.values[71] = 0.0f;

    std::ostringstream text;
    text.imbue(std::locale::classic());
    text << std::fixed << std::setprecision(6) << v[46];
    mapping.textParameterValue = text.str();
    return mapping;
}
