#include "Source/parameters/StringParameter.h"

#include "Source/parameters/ParameterMath.h"
#include "Source/parameters/ParameterText.h"

#include <cstring>

StringParameter::StringParameter(const ParameterNames& names, bool midiCentre, const char* label,
                                 const char* const* choices, int count)
    : ZentrovaParameter(names, midiCentre, false), m_choices(choices), m_last(count - 1)
{
    setLabel(label);
    const char* widest = choices[0];
    for (int i = 0; i < count; ++i)
        if (choices[i][0] != '\0')
        {
            widest = choices[i];
            break;
        }
    setAltLabel(widest);
}

float StringParameter::getQuantisedValue() const
{
    return static_cast<float>(truncateInt(static_cast<double>(m_value * m_last) + 0.5)) / m_last;
}

int StringParameter::getChoice() const
{
    // A value outside 0..1 from a careless host must not index past the list.
    int choice = truncateInt(static_cast<double>(static_cast<float>(m_last) * m_value) + 0.5);
    if (choice < 0)
        return 0;
    return choice > m_last ? m_last : choice;
}

void StringParameter::getDisplay(char* out) const
{
    copyText(out, m_choices[getChoice()], kTextSize);
}

float StringParameter::valueFromText(const std::string& text) const
{
    for (int i = 0; i <= m_last; ++i)
        if (text == m_choices[i])
            return static_cast<float>(i) / m_last;
    return 0.0f;
}

EngineValue StringParameter::getUnitValue() const
{
    return engineValueFromInt(getChoice());
}
