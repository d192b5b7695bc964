#pragma once

#include "toolkit/CTextEdit.h"

class CFontDesc;

// The box that shows and takes the MIDI controller number of a control:
// "---" for none, and typed text that is not a controller number leaves
// the number as it was.
class CMidiEdit : public CTextEdit
{
public:
    static constexpr std::int64_t kNone = -1;
    static constexpr std::int64_t kHighest = 127;

    // Shows nothing until the first setMidiNumber.
    CMidiEdit(const CRect& size, CControlListener* listener, std::int64_t tag, CFontDesc* font = nullptr);

    // n below 0 shows "---".
    void setMidiNumber(std::int64_t n);
    std::int64_t getMidiNumber() const { return m_number; }
    // Takes typed text as a number, shows and answers it.
    std::int64_t takeText(const char* text);

    // The listener hears of an edit only once the number is taken.
    void looseFocus() override;
    bool isTypeOf(const char* className) const override;
    CView* newCopy() const override;

private:
    // Nothing is shown while the number is this.
    static constexpr std::int64_t kUnset = 999;

    std::int64_t m_number = kUnset;
};
