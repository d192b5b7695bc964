#pragma once

#include <string>

#include "toolkit/CViewContainer.h"

class CClickableDisplay;
class CControlListener;
class CFontDesc;
class CTextListRowText;

// One row of a text list: its text, left-aligned, and at its right edge
// a status picture chosen by the row's status value.
class CTextListRow : public CViewContainer
{
public:
    // A status cell's tag is its row index plus this.
    static constexpr std::int64_t kStatusTagOffset = 8388608;

    // How a row's text looks, selected or not; the font is not retained.
    struct Style
    {
        CFontDesc* font = nullptr;
        CColor fontColour{127, 127, 127, 255};
        CColor backColour{0, 0, 0, 255};
        bool transparent = false;
    };

    // Without a status image the text takes the whole row.
    CTextListRow(const CRect& size, CFrame* frame, std::int64_t index, const std::string& text,
                 const std::string& key, CControlListener* listener, const Style& normal, const Style& selected,
                 CBitmap* statusImage, std::int64_t statusFrames, float status);

    void setSelected(bool selected);
    void setText(const std::string& text, const std::string& key);
    void setStatus(float status);

    std::int64_t getIndex() const { return m_index; }
    const std::string& getText() const { return m_text; }
    const std::string& getKey() const { return m_key; }
    std::int32_t getStatus() const { return m_status; }
    CTextListRowText* getTextCell() const { return m_textCell; }
    CClickableDisplay* getStatusCell() const { return m_statusCell; }

    bool isTypeOf(const char* className) const override;

private:
    void applyStyle(const Style& style);

    std::int64_t m_index;
    std::string m_text;
    std::string m_key;
    Style m_normal;
    Style m_selected;
    std::int32_t m_status = 0;
    // Children of the row.
    CTextListRowText* m_textCell = nullptr;
    CClickableDisplay* m_statusCell = nullptr;
};
