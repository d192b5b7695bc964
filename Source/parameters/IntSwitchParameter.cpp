#include "Source/parameters/IntSwitchParameter.h"

#include "Source/parameters/ParameterText.h"

IntSwitchParameter::IntSwitchParameter(const ParameterNames& names, bool midiCentre, const char* label, int min,
                                       int max, const char* word, bool engineNormalised)
    : IntParameter(names, midiCentre, label, min, max, engineNormalised)
{
    copyText(m_word, word, sizeof m_word);
}

void IntSwitchParameter::getDisplay(char* out) const
{
    if (static_cast<float>(getInt()) == m_min)
        copyText(out, m_word, kTextSize);
    else
        IntParameter::getDisplay(out);
}

float IntSwitchParameter::valueFromText(const std::string& text) const
{
    if (text == m_word)
        return 0.0f;
    return IntParameter::valueFromText(text);
}
