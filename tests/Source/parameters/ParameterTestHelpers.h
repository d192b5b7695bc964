#pragma once

#include "Source/parameters/EngineValue.h"
#include "Source/parameters/ZentrovaParameter.h"

#include <gtest/gtest.h>

#include <string>

// Texts of a parameter as the host and the editor read them.
inline std::string displayOf(const ZentrovaParameter& parameter)
{
    char text[ZentrovaParameter::kTextSize];
    parameter.getDisplay(text);
    return text;
}

inline std::string labelOf(const ZentrovaParameter& parameter)
{
    char text[ZentrovaParameter::kLabelSize];
    parameter.getLabel(text);
    return text;
}

inline std::string nameOf(const ZentrovaParameter& parameter)
{
    char text[ZentrovaParameter::kNameSize];
    parameter.getName(text);
    return text;
}

inline std::string displayNameOf(const ZentrovaParameter& parameter)
{
    char text[ZentrovaParameter::kDisplayNameSize];
    parameter.getDisplayName(text);
    return text;
}

inline std::string altLabelOf(const ZentrovaParameter& parameter)
{
    char text[ZentrovaParameter::kTextSize];
    parameter.getAltLabel(text);
    return text;
}

// The display text at a given normalised value.
inline std::string displayAt(ZentrovaParameter& parameter, float value)
{
    parameter.setValue(value);
    return displayOf(parameter);
}

inline float unitFloat(const ZentrovaParameter& parameter)
{
    return engineValueAsFloat(parameter.getUnitValue());
}

// Names for parameters built directly in tests.
inline ParameterNames testNames(const char* key = "TestKey")
{
    return ParameterNames{"Test Parameter", "Test", key};
}

// Writes the patch text at steps + 1 values across the range and reads each
// back: the units must land on the same step.
template <typename Parameter>
void expectTextsReadBack(Parameter& parameter, int steps)
{
    for (int i = 0; i <= steps; ++i)
    {
        parameter.setValue(static_cast<float>(i) / static_cast<float>(steps));
        std::string text = parameter.getValueText();
        float units = parameter.toUnits(parameter.getValue());
        parameter.setValue(parameter.valueFromText(text));
        EXPECT_EQ(parameter.toUnits(parameter.getValue()), units) << text;
    }
}
