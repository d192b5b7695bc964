#pragma once

#include "Source/parameters/EngineValue.h"
#include "Source/shared/RelaxedFloat.h"

#include <cstddef>
#include <string>

// One row of the parameter name table.
struct ParameterNames
{
    const char* displayName;
    const char* shortName;
    const char* key;
};

// One patch parameter: its normalised value (0..1, what the host automates
// and the patch stores), its names and unit label, and the rules that turn
// the value into the engine's value, the texts for host, editor and patch
// files, and a MIDI controller value.
class ZentrovaParameter
{
public:
    // Buffer sizes the text getters write into, terminator included.
    static constexpr std::size_t kLabelSize = 12;
    static constexpr std::size_t kNameSize = 12;
    static constexpr std::size_t kDisplayNameSize = 24;
    static constexpr std::size_t kTextSize = 32;

    // The names' texts are kept, not copied: they outlive the parameter.
    ZentrovaParameter(const ParameterNames& names, bool midiCentre, bool engineNormalised);
    virtual ~ZentrovaParameter();

    ZentrovaParameter(const ZentrovaParameter&) = delete;
    ZentrovaParameter& operator=(const ZentrovaParameter&) = delete;

    // Converts a controller value 0..127, stores the normalised value into
    // `normalised` as well, and takes it.
    virtual EngineValue setFromMidi(int midiValue, float& normalised);
    virtual float getValue() const;
    // The value snapped to the kind's steps.
    virtual float getQuantisedValue() const;
    // Stores the value as given (callers keep it in 0..1).
    virtual EngineValue setValue(float normalised);
    virtual void getLabel(char* out) const;
    virtual void getName(char* out) const;
    virtual void getDisplayName(char* out) const;
    // The value text for host and editor; out holds kTextSize bytes.
    virtual void getDisplay(char* out) const;
    // A sample of the widest value text; out holds kTextSize bytes.
    virtual void getAltLabel(char* out) const;
    // The normalised value a patch text stands for; stores nothing.
    virtual float valueFromText(const std::string& text) const = 0;
    // The text a patch file stores for the value.
    virtual std::string getValueText() const;
    virtual int getMidiValue() const;
    // The value in the kind's units.
    virtual EngineValue getUnitValue() const;

    // What the engine receives: the normalised value as a float when the
    // engine works normalised, else the value in units.
    EngineValue getEngineValue() const;
    const char* getKey() const { return m_key; }
    bool isMidiCentred() const { return m_midiCentre; }
    bool isEngineNormalised() const { return m_engineNormalised; }
    float getDefaultValue() const { return m_defaultValue; }
    void setDefaultValue(float value) { m_defaultValue = value; }

protected:
    void setLabel(const char* text);
    void setAltLabel(const char* text);
    void setAltLabel(const std::string& text) { setAltLabel(text.c_str()); }

    bool m_midiCentre;
    // Set on the host's thread, read on the audio thread at block starts.
    RelaxedFloat m_value = 0.0f;
    char m_label[kLabelSize] = {};
    const char* m_name;
    const char* m_displayName;
    const char* m_key;
    char m_altLabel[kTextSize] = {};
    bool m_engineNormalised;
    float m_defaultValue = 0.0f;
};
