#pragma once

#include "toolkit/CSpecialDigit.h"

// A digit display without leading zeros, down to a minimum number of
// digits; the places left blank take the blank colour.
class CMinSpecialDigit : public CSpecialDigit
{
public:
    CMinSpecialDigit(const CRect& size, CControlListener* listener, std::int64_t tag, std::int64_t initialValue,
                     std::int64_t iNumbers, std::int64_t minDigits, const std::int64_t* xpos, const std::int64_t* ypos,
                     std::int64_t width, std::int64_t height, CBitmap* background, const CColor& blankColour);

    void draw(CDrawContext* context) override;
    bool isTypeOf(const char* className) const override;
    CView* newCopy() const override;

private:
    // The leading places that may stay blank.
    std::int64_t m_blankPlaces;
    CColor m_blankColour;
};
