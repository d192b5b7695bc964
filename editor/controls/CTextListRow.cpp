#include "editor/controls/CTextListRow.h"

#include "editor/controls/CClickableDisplay.h"
#include "editor/controls/CTextListRowText.h"
#include "toolkit/CBitmap.h"

#include <cstring>

CTextListRow::CTextListRow(const CRect& size, CFrame* frame, std::int64_t index, const std::string& text,
                           const std::string& key, CControlListener* listener, const Style& normal,
                           const Style& selected, CBitmap* statusImage, std::int64_t statusFrames, float status)
    : CViewContainer(size, frame, nullptr), m_index(index), m_text(text), m_key(key), m_normal(normal),
      m_selected(selected)
{
    setTransparency(true);
    const CCoord width = size.width();
    const CCoord height = size.height();
    CCoord textRight = width;
    if (statusImage && statusFrames > 0 && statusImage->getHeight() / statusFrames > 0)
    {
        const CCoord cellWidth = statusImage->getWidth();
        const CCoord cellHeight = statusImage->getHeight() / statusFrames;
        const CCoord top = (height - cellHeight) / 2;
        m_statusCell = new CClickableDisplay(CRect(width - cellWidth, top, width, top + cellHeight), listener,
                                             index + kStatusTagOffset, statusFrames, cellHeight, statusImage);
        m_statusCell->setValue(status);
        addView(m_statusCell);
        textRight = width - cellWidth;
    }
    m_status = static_cast<std::int32_t>(status);
    m_textCell = new CTextListRowText(CRect(0, 0, textRight, height), this, text.c_str());
    m_textCell->setListener(listener);
    m_textCell->setTag(index);
    applyStyle(m_normal);
    addView(m_textCell);
}

void CTextListRow::applyStyle(const Style& style)
{
    m_textCell->setFont(style.font);
    m_textCell->setFontColor(style.fontColour);
    m_textCell->setBackColor(style.backColour);
    m_textCell->setTransparency(style.transparent);
    m_textCell->setDirty(true);
}

void CTextListRow::setSelected(bool selected)
{
    m_textCell->setValue(selected ? 1.0f : 0.0f);
    applyStyle(selected ? m_selected : m_normal);
}

void CTextListRow::setText(const std::string& text, const std::string& key)
{
    m_text = text;
    m_key = key;
    m_textCell->setText(text.c_str());
    m_textCell->setDirty(true);
}

void CTextListRow::setStatus(float status)
{
    m_status = static_cast<std::int32_t>(status);
    if (m_statusCell)
    {
        m_statusCell->setValue(status);
        m_statusCell->setDirty(true);
    }
}

bool CTextListRow::isTypeOf(const char* className) const
{
    return std::strcmp(className, "CTextListRow") == 0 || CViewContainer::isTypeOf(className);
}
