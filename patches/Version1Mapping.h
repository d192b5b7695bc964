#pragma once

#include "patches/Version1Patch.h"

#include <array>
#include <string>

constexpr int kVersion1MappedParameters = 155;
// The one parameter a version-1 value reaches through its own text conversion.
constexpr int kVersion1TextParameter = 57;

// Today's patch values for one version-1 program.
struct Version1Mapping
{
    std::string name;
    // The 155 parameter values, the defaults where a version-1 program has no
    // counterpart, and the default at kVersion1TextParameter too:
    std::array<float, kVersion1MappedParameters> values;
    // the value for that one is its parameter's text-to-value conversion of this
    // text (version-1 value 46 printed with six decimals).
    std::string textParameterValue;
};

// Maps the 120 version-1 values onto today's parameters, starting from the
// default patch's values. Single precision, as the version-1 engine computed.
Version1Mapping mapVersion1Patch(const Version1Patch& program, const std::array<float, kVersion1MappedParameters>& defaults);
