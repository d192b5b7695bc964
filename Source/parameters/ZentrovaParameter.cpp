#include "Source/parameters/ZentrovaParameter.h"

#include "Source/parameters/ParameterMath.h"
#include "Source/parameters/ParameterText.h"

ZentrovaParameter::ZentrovaParameter(const ParameterNames& names, bool midiCentre, bool engineNormalised)
    : m_midiCentre(midiCentre), m_name(names.shortName), m_displayName(names.displayName),
      m_key(names.key ? names.key : ""), m_engineNormalised(engineNormalised)
{
}

ZentrovaParameter::~ZentrovaParameter() = default;

EngineValue ZentrovaParameter::setFromMidi(int midiValue, float& normalised)
{
    if (midiValue < 0)
        midiValue = 0;
    if (midiValue > 127)
        midiValue = 127;
    if (!m_midiCentre)
        normalised = static_cast<float>(midiValue) / 127.0f;
    else if (midiValue == 0)
        normalised = 0.0f;
    else
        // 1 and 0 both give 0, 64 exactly the centre, 127 gives 1.
        normalised = static_cast<float>(midiValue - 64) / 126.0f + 0.5f;
    return setValue(normalised);
}

float ZentrovaParameter::getValue() const
{
    return m_value;
}

float ZentrovaParameter::getQuantisedValue() const
{
    return m_value;
}

EngineValue ZentrovaParameter::setValue(float normalised)
{
    m_value = normalised;
    return getEngineValue();
}

void ZentrovaParameter::getLabel(char* out) const
{
    copyText(out, m_label, kLabelSize);
}

void ZentrovaParameter::getName(char* out) const
{
    copyText(out, m_name, kNameSize);
}

void ZentrovaParameter::getDisplayName(char* out) const
{
    copyText(out, m_displayName, kDisplayNameSize);
}

void ZentrovaParameter::getDisplay(char* out) const
{
    out[0] = '\0';
}

void ZentrovaParameter::getAltLabel(char* out) const
{
    copyText(out, m_altLabel, kTextSize);
}

std::string ZentrovaParameter::getValueText() const
{
    char text[kTextSize];
    getDisplay(text);
    return text;
}

int ZentrovaParameter::getMidiValue() const
{
    float product = (m_midiCentre ? 126.0f : 127.0f) * m_value;
    int midi = truncateInt(static_cast<double>(product) + (m_midiCentre ? 1.5 : 0.5));
    if (midi < 0)
        return 0;
    return midi > 127 ? 127 : midi;
}

EngineValue ZentrovaParameter::getUnitValue() const
{
    return engineValueFromFloat(m_value);
}

EngineValue ZentrovaParameter::getEngineValue() const
{
    return m_engineNormalised ? engineValueFromFloat(m_value) : getUnitValue();
}

void ZentrovaParameter::setLabel(const char* text)
{
    copyText(m_label, text, sizeof m_label);
}

void ZentrovaParameter::setAltLabel(const char* text)
{
    copyText(m_altLabel, text, sizeof m_altLabel);
}
