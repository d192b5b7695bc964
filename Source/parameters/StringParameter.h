#pragma once

#include "Source/parameters/ZentrovaParameter.h"

// A choice among texts; choice i of n sits at i / (n - 1).
class StringParameter : public ZentrovaParameter
{
public:
    // choices is constant data that outlives the object; count >= 2.
    StringParameter(const ParameterNames& names, bool midiCentre, const char* label, const char* const* choices,
                    int count);

    float getQuantisedValue() const override;
    void getDisplay(char* out) const override;
    // The first choice equal to the text; 0 when none is.
    float valueFromText(const std::string& text) const override;
    EngineValue getUnitValue() const override;

    // The index of the current choice, held inside the list.
    int getChoice() const;
    int getChoiceCount() const { return m_last + 1; }

private:
    const char* const* m_choices;
    int m_last;
};
