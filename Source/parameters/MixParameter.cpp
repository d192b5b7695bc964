#include "Source/parameters/MixParameter.h"

#include "Source/parameters/ParameterText.h"

namespace
{
// "%3d" of a share 0..100.
void appendShare(std::string& text, int n)
{
    std::string digits = formatInteger(n);
    if (digits.size() < 3)
        text.append(3 - digits.size(), ' ');
    text += digits;
}
}

MixParameter::MixParameter(const ParameterNames& names, bool midiCentre, const char* label, bool valueFirst)
    : IntParameter(names, midiCentre, label, 0, 100, false), m_valueFirst(valueFirst)
{
    setAltLabel("100/100");
}

void MixParameter::getDisplay(char* out) const
{
    const int n = getInt();
    std::string text;
    appendShare(text, m_valueFirst ? n : 100 - n);
    text += '/';
    appendShare(text, m_valueFirst ? 100 - n : n);
    copyText(out, text.c_str(), kTextSize);
}

std::string MixParameter::getValueText() const
{
    return formatInteger(getInt());
}
