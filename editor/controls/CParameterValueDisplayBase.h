#pragma once

// The parameter monitor's display as the monitor drives it.
class CParameterValueDisplayBase
{
public:
    virtual ~CParameterValueDisplayBase() = default;

    virtual void setValueText(const char* text) = 0;
    // An empty label shows the value alone, centred.
    virtual void setNameAndLabel(const char* name, const char* label) = 0;
    // A text as wide as the parameter's widest value, so that value and
    // label stand centred as a pair.
    virtual void setSampleText(const char* text) = 0;
};
