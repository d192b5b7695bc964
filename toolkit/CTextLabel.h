#pragma once

#include <string>

#include "toolkit/CParamDisplay.h"

// A display that shows a fixed text instead of its value.
class CTextLabel : public CParamDisplay
{
public:
    CTextLabel(const CRect& size, const char* text = nullptr, CBitmap* background = nullptr, std::int64_t style = 0);

    // Null clears the text; the same text changes nothing.
    virtual void setText(const char* text);
    // Null when there is no text.
    virtual const char* getText() const { return m_hasText ? m_text.c_str() : nullptr; }

    void draw(CDrawContext* context) override;
    bool isTypeOf(const char* className) const override;
    CView* newCopy() const override;

protected:
    std::string m_text;
    bool m_hasText = false;
};
