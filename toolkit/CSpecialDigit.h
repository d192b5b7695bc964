#pragma once

#include "toolkit/CControl.h"

// An integer shown as up to seven digit images, each taken from one
// vertical strip of the ten digits.
class CSpecialDigit : public CControl
{
public:
    static constexpr std::int64_t kMaxDigits = 7;

    // Digit i goes to (xpos[i], ypos[i]) in the parent's coordinates;
    // without both arrays the digits sit side by side from the top-left
    // corner, each as wide as the background.
    CSpecialDigit(const CRect& size, CControlListener* listener, std::int64_t tag, std::int64_t initialValue,
                  std::int64_t iNumbers, const std::int64_t* xpos, const std::int64_t* ypos, std::int64_t width,
                  std::int64_t height, CBitmap* background);

    // The value as a part of the maximum, 0 to 1.
    virtual float getNormValue() const;

    void draw(CDrawContext* context) override;
    bool isTypeOf(const char* className) const override;
    CView* newCopy() const override;

protected:
    std::int64_t m_iNumbers;
    std::int64_t m_xpos[kMaxDigits] = {};
    std::int64_t m_ypos[kMaxDigits] = {};
    std::int64_t m_width;
    std::int64_t m_height;
};
