#pragma once

#include "toolkit/CTextLabel.h"

class CTextListRow;

// The text cell of a text list row: a left click on it picks the row.
class CTextListRowText : public CTextLabel
{
public:
    CTextListRowText(const CRect& size, CTextListRow* row, const char* text);

    CMouseEventResult onMouseDown(CPoint& where, const CButtonState& buttons) override;
    CTextListRow* getRow() const { return m_row; }
    // The buttons and modifiers of the last click.
    CButtonState getClickButtons() const { return m_clickButtons; }

    bool isTypeOf(const char* className) const override;

private:
    CTextListRow* m_row;
    CButtonState m_clickButtons = 0;
};
