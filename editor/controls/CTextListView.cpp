#include "editor/controls/CTextListView.h"

#include "editor/controls/CClickableDisplay.h"
#include "editor/controls/CTextListRowText.h"
#include "editor/layout/GuiInfo.h"
#include "toolkit/CBitmap.h"
#include "toolkit/CFontDesc.h"
#include "toolkit/CKickButton.h"
#include "toolkit/CScrollContainer.h"
#include "toolkit/CScrollView.h"
#include "toolkit/CScrollbar.h"
#include "toolkit/Clock.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace
{
// A list without text styles: grey text, white when selected.
CTextListView::StylePair defaultStyle()
{
    CTextListView::StylePair pair;
    pair.normal.font = kFontHelvetica12;
    pair.selected.font = kFontHelvetica12;
    pair.selected.fontColour = kColorWhite;
    return pair;
}

CKickButton* scrollButton(CBitmap* image, const CRect& listSize, bool top, CControlListener* listener,
                          std::int64_t tag)
{
    if (!image || image->getWidth() <= 0 || image->getHeight() < 2)
        return nullptr;
    const CCoord height = image->getHeight() / 2;
    const CCoord width = image->getWidth();
    const CCoord left = listSize.width() - width;
    const CRect rect = top ? CRect(left, 0, left + width, height)
                           : CRect(left, listSize.height() - height, left + width, listSize.height());
    return new CKickButton(rect, listener, tag, height, image);
}
} // namespace

CTextListView::CTextListView(const CRect& size, CFrame* frame, Listener* listener, GuiInfo* guiInfo,
                             const Appearance& appearance, CBitmap* background)
    : CViewContainer(size, frame, background), m_listener(listener), m_guiInfo(guiInfo), m_appearance(appearance),
      m_rowHeight(std::max<CCoord>(appearance.rowHeight, 1))
{
    if (m_appearance.styles.empty())
        m_appearance.styles.push_back(defaultStyle());
    for (StylePair& pair : m_appearance.styles)
        for (CTextListRow::Style* style : {&pair.normal, &pair.selected})
        {
            if (!style->font)
                style->font = kFontHelvetica12;
            style->font->retain();
        }
    m_appearance.statusFrames = std::max<std::int64_t>(m_appearance.statusFrames, 1);
    if (m_appearance.statusBitmap)
        m_appearance.statusBitmap->retain();

    m_upButton = scrollButton(m_appearance.upBitmap, size, true, this, kScrollUpTag);
    m_downButton = scrollButton(m_appearance.downBitmap, size, false, this, kScrollDownTag);
    if (m_upButton)
        m_scrollbarWidth = m_upButton->getWidth();
    else if (m_downButton)
        m_scrollbarWidth = m_downButton->getWidth();

    m_scrollView = new CScrollView(CRect(0, 0, size.width() + m_scrollbarWidth, size.height()),
                                   CRect(0, 0, size.width(), 0), frame,
                                   CScrollView::kVerticalScrollbar | CScrollView::kDontDrawFrame, m_scrollbarWidth);
    m_scrollView->setTransparency(true);
    if (CScrollbar* bar = m_scrollView->getVerticalScrollbar())
    {
        bar->setFrameColor(m_appearance.scrollbarFrame);
        bar->setScrollerColor(m_appearance.scrollbarScroller);
        bar->setBackgroundColor(m_appearance.scrollbarBackground);
    }
    addView(m_scrollView);
}

CTextListView::~CTextListView()
{
    for (CKickButton* button : {m_upButton, m_downButton})
        if (button)
        {
            if (isChild(button))
                removeView(button, true);
            button->forget();
        }
    for (StylePair& pair : m_appearance.styles)
    {
        pair.normal.font->forget();
        pair.selected.font->forget();
    }
    if (m_appearance.statusBitmap)
        m_appearance.statusBitmap->forget();
}

std::uint64_t CTextListView::now() const
{
    return m_guiInfo ? m_guiInfo->getTicks() : Clock::now();
}

CCoord CTextListView::scrollRange() const
{
    return m_contentHeight - m_size.height();
}

void CTextListView::setRows(const std::vector<Row>& rows, bool keepScroll)
{
    const float position = keepScroll ? getScrollPosition() : 0.0f;
    m_animating = false;
    m_scrollView->removeAll();
    m_rows.clear();
    m_keys.clear();
    m_selected = -1;
    m_descriptions = rows;

    const CCoord width = m_size.width();
    const CCoord height = m_size.height();
    m_contentHeight = static_cast<CCoord>(rows.size()) * m_rowHeight;
    const bool overflow = m_contentHeight > height;
    // The scroll bar lies outside the list while the rows fit.
    m_scrollView->setViewSize(CRect(0, 0, overflow ? width : width + m_scrollbarWidth, height));
    for (CKickButton* button : {m_upButton, m_downButton})
    {
        if (!button)
            continue;
        if (overflow && !isChild(button))
        {
            button->retain();
            addView(button);
        }
        else if (!overflow && isChild(button))
            removeView(button, true);
    }

    CScrollContainer* container = m_scrollView->getScrollContainer();
    const CCoord rowWidth = container->getWidth();
    m_scrollView->setContainerSize(CRect(0, 0, rowWidth, m_contentHeight));
    // The rows are laid out unscrolled, so the empty container goes back to
    // the top first; the position set below moves them into place. An offset
    // left from the old rows would put the new ones out of step with the bar.
    container->setScrollOffset(CPoint(0, 0));
    const auto lastStyle = static_cast<std::int32_t>(m_appearance.styles.size()) - 1;
    for (std::size_t i = 0; i < rows.size(); ++i)
    {
        const Row& row = rows[i];
        const StylePair& style = m_appearance.styles[static_cast<std::size_t>(std::clamp(row.style, 0, lastStyle))];
        const auto index = static_cast<std::int64_t>(i);
        auto* view = new CTextListRow(CRect(0, index * m_rowHeight, rowWidth, (index + 1) * m_rowHeight), m_frame,
                                      index, row.text, row.key, this, style.normal, style.selected,
                                      m_appearance.statusBitmap, m_appearance.statusFrames, row.status);
        m_scrollView->addView(view);
        m_rows.push_back(view);
        m_keys.emplace(row.key, index);
    }
    const CCoord range = scrollRange();
    m_rowShare = range > 0 ? static_cast<float>(m_rowHeight) / static_cast<float>(range) : 0.0f;
    setScrollPosition(position);
    invalid();
    setDirty(true);
}

CTextListRow* CTextListView::getRowView(std::int64_t row) const
{
    return row >= 0 && row < static_cast<std::int64_t>(m_rows.size()) ? m_rows[static_cast<std::size_t>(row)]
                                                                       : nullptr;
}

void CTextListView::setSelected(std::int64_t row)
{
    if (CTextListRow* old = getRowView(m_selected))
        old->setSelected(false);
    CTextListRow* chosen = getRowView(row);
    if (!chosen)
    {
        m_selected = -1;
        m_animating = false;
        setScrollPosition(0.0f);
        return;
    }
    chosen->setSelected(true);
    m_selected = row;

    const CCoord range = scrollRange();
    if (range <= 0)
    {
        m_animating = false;
        return;
    }
    const CCoord upHeight = m_upButton ? m_upButton->getHeight() : 0;
    const CCoord downHeight = m_downButton ? m_downButton->getHeight() : 0;
    const CCoord topMargin = upHeight + m_rowHeight;
    const CCoord bottomLimit = m_size.height() - downHeight - m_rowHeight;
    const CCoord rowTop = row * m_rowHeight;
    const auto share = [range](CCoord pixels) {
        return std::clamp(static_cast<float>(pixels) / static_cast<float>(range), 0.0f, 1.0f);
    };
    m_targetLow = share(rowTop + m_rowHeight - bottomLimit);
    m_targetHigh = std::max(share(rowTop - topMargin), m_targetLow);
    m_lastStep = static_cast<double>(now());
    m_animating = true;
}

std::string CTextListView::getSelectedKey() const
{
    return m_selected >= 0 ? m_descriptions[static_cast<std::size_t>(m_selected)].key : std::string();
}

std::int64_t CTextListView::findRowIndex(const std::string& key) const
{
    const auto found = m_keys.find(key);
    return found != m_keys.end() ? found->second : -1;
}

bool CTextListView::findRow(const std::string& key, std::string& text) const
{
    const std::int64_t row = findRowIndex(key);
    if (row < 0)
        return false;
    text = m_descriptions[static_cast<std::size_t>(row)].text;
    return true;
}

bool CTextListView::findRowOfView(const CView* view, std::string& key) const
{
    if (!view)
        return false;
    for (const CTextListRow* row : m_rows)
        if (view == row || view == row->getTextCell() || (row->getStatusCell() && view == row->getStatusCell()))
        {
            key = row->getKey();
            return true;
        }
    return false;
}

void CTextListView::setRowText(std::int64_t row, const std::string& text, const std::string& key)
{
    CTextListRow* view = getRowView(row);
    if (!view)
        return;
    Row& description = m_descriptions[static_cast<std::size_t>(row)];
    if (description.key != key)
    {
        const auto old = m_keys.find(description.key);
        if (old != m_keys.end() && old->second == row)
            m_keys.erase(old);
        m_keys.emplace(key, row);
    }
    description.text = text;
    description.key = key;
    view->setText(text, key);
}

void CTextListView::setRowStatus(std::int64_t row, float status)
{
    if (CTextListRow* view = getRowView(row))
    {
        m_descriptions[static_cast<std::size_t>(row)].status = status;
        view->setStatus(status);
    }
}

CTextListView::Row CTextListView::getRow(std::int64_t row) const
{
    return getRowView(row) ? m_descriptions[static_cast<std::size_t>(row)] : Row();
}

float CTextListView::getScrollPosition() const
{
    const CScrollbar* bar = m_scrollView->getVerticalScrollbar();
    return bar ? bar->getValue() : 0.0f;
}

void CTextListView::setScrollPosition(float position)
{
    CScrollbar* bar = m_scrollView->getVerticalScrollbar();
    if (!bar)
        return;
    // With nothing out of view there is only the top.
    if (scrollRange() <= 0 || !(position > 0.0f))
        position = 0.0f;
    bar->setValue(std::min(position, 1.0f));
    bar->setDirty(true);
    m_scrollView->valueChanged(bar);
}

bool CTextListView::hasScrollButtons() const
{
    return (m_upButton && isChild(m_upButton)) || (m_downButton && isChild(m_downButton));
}

void CTextListView::setHeld(std::int64_t direction, bool held)
{
    if (held)
    {
        if (m_heldDirection == direction)
            return;
        m_heldDirection = static_cast<int>(direction);
        m_pressTick = now();
        m_lastStep = static_cast<double>(m_pressTick);
    }
    else if (m_heldDirection == direction)
        m_heldDirection = 0;
}

void CTextListView::controlBeginEdit(CControl* control)
{
    if (control == m_upButton)
        setHeld(-1, true);
    else if (control == m_downButton)
        setHeld(1, true);
}

void CTextListView::valueChanged(CControl* control)
{
    if (!control)
        return;
    if (control == m_upButton || control == m_downButton)
    {
        setHeld(control == m_upButton ? -1 : 1, control->getValue() > 0.5f);
        return;
    }
    const std::int64_t tag = control->getTag();
    const bool status = tag >= CTextListRow::kStatusTagOffset;
    const std::int64_t row = status ? tag - CTextListRow::kStatusTagOffset : tag;
    if (!getRowView(row))
        return;
    m_clickedRow = row;
    m_statusClicked = status;
    if (status && control->isTypeOf("CClickableDisplay"))
        m_clickButtons = static_cast<CClickableDisplay*>(control)->getClickButtons();
    else if (control->isTypeOf("CTextListRowText"))
        m_clickButtons = static_cast<CTextListRowText*>(control)->getClickButtons();
    if (!status)
        setSelected(row);
    // The listener may replace the rows, this control's among them.
    if (m_listener)
        m_listener->textListClicked(this, control);
}

void CTextListView::scrollAt(float rate, int direction, std::uint64_t milliseconds)
{
    const CCoord range = scrollRange();
    if (range <= 0)
    {
        m_animating = false;
        return;
    }
    const double elapsed = static_cast<double>(milliseconds) - m_lastStep;
    const double pixels = std::floor(elapsed * static_cast<double>(m_rowHeight) / 1000.0);
    if (pixels < 1.0)
        return;
    m_lastStep += pixels * 1000.0 / static_cast<double>(m_rowHeight);
    float position = getScrollPosition() +
                     static_cast<float>(direction * rate * pixels / static_cast<double>(range));
    if (position <= 0.0f || position >= 1.0f)
    {
        position = std::clamp(position, 0.0f, 1.0f);
        m_animating = false;
    }
    setScrollPosition(position);
}

void CTextListView::tick(std::uint64_t milliseconds)
{
    if (m_heldDirection != 0)
    {
        const std::uint64_t held = milliseconds > m_pressTick ? milliseconds - m_pressTick : 0;
        const auto rate = static_cast<float>(std::min<std::uint64_t>(1 + held / 1000, kMaxRowsPerSecond));
        scrollAt(rate, m_heldDirection, milliseconds);
        return;
    }
    if (!m_animating)
        return;
    const float position = getScrollPosition();
    if (position >= m_targetLow && position <= m_targetHigh)
    {
        m_animating = false;
        return;
    }
    if (!(m_rowShare > 0.0f))
    {
        m_animating = false;
        return;
    }
    const float nearer = position < m_targetLow ? m_targetLow : m_targetHigh;
    const float rowsAway = std::fabs(nearer - position) / m_rowShare;
    if (rowsAway > 3.0f)
    {
        setScrollPosition((position + nearer) / 2.0f);
        m_lastStep = static_cast<double>(milliseconds);
        return;
    }
    scrollAt(rowsAway + 1.0f, position < m_targetLow ? 1 : -1, milliseconds);
}

bool CTextListView::isTypeOf(const char* className) const
{
    return std::strcmp(className, "CTextListView") == 0 || CViewContainer::isTypeOf(className);
}
