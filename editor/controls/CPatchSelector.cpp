#include "editor/controls/CPatchSelector.h"

#include "Source/Zentrova.h"
#include "toolkit/CMenuItem.h"
#include "toolkit/COptionMenu.h"
#include "toolkit/CTextLabel.h"
#include "toolkit/SharedPointer.h"

#include <cstring>

CPatchSelector::CPatchSelector(const CRect& size, CFrame* frame, CControlListener*, std::int64_t tag,
                               CBitmap* background, Zentrova* effect)
    : CViewContainer(size, frame, background), m_effect(effect)
{
    CViewContainer::setTransparency(true);
    const CRect inside(0, 0, size.width(), size.height());
    m_menu = new COptionMenu(inside, this, tag, nullptr, nullptr, kCheckStyle);
    m_menu->setTransparency(true);
    m_label = new CTextLabel(inside);
    m_label->setTransparency(true);
    // Both stay held here; the one shown is the container's child too.
    m_menu->retain();
    addView(m_menu);
}

CPatchSelector::~CPatchSelector()
{
    m_menu->forget();
    m_label->forget();
}

void CPatchSelector::rebuild()
{
    m_menu->removeAllEntry();
    if (m_effect)
        for (const PatchInfoPointer& patch : m_effect->getCurrentBankPatches())
            m_menu->addEntry(new CMenuItem(patch ? patch->name.c_str() : ""));
    // An empty bank still names the patch that plays, in an entry that
    // opens no menu.
    m_standIn = m_menu->getNbEntries() == 0;
    if (m_standIn)
        m_menu->addEntry(new CMenuItem(""));
    selectCurrent();
    m_menu->setDirty(true);
}

void CPatchSelector::selectCurrent()
{
    if (!m_effect)
        return;
    if (m_standIn)
    {
        renameEntry(0);
        m_menu->setValue(0.0f);
        return;
    }
    const int program = m_effect->getCurrentProgramIndex();
    // The value, not only the index: the pop-up ticks the value's entry.
    if (program >= 0 && program < m_menu->getNbEntries())
        m_menu->setValue(static_cast<float>(program));
}

void CPatchSelector::renameEntry(std::int64_t program)
{
    CMenuItem* entry = m_menu->getEntry(program);
    if (!m_effect || program < 0 || !entry)
        return;
    char name[CParamDisplay::kTextBufferSize] = {};
    if (m_standIn)
        m_effect->getProgramName(name);
    else
        m_effect->getProgramNameIndexed(0, static_cast<VstInt32>(program), name);
    name[sizeof name - 1] = 0;
    entry->setTitle(name);
    m_menu->setDirty(true);
}

void CPatchSelector::showText(const char* text)
{
    m_label->setText(text);
    if (isChild(m_menu))
    {
        removeView(m_menu, true);
        m_label->retain();
        addView(m_label);
    }
    m_label->setDirty(true);
    setDirty(true);
}

void CPatchSelector::showMenu()
{
    if (isChild(m_label))
    {
        removeView(m_label, true);
        m_menu->retain();
        addView(m_menu);
    }
    m_menu->setDirty(true);
    setDirty(true);
}

bool CPatchSelector::isShowingText() const
{
    return isChild(m_label);
}

void CPatchSelector::setFont(CFontDesc* font)
{
    m_menu->setFont(font);
    m_label->setFont(font);
}

void CPatchSelector::setFontColor(const CColor& colour)
{
    m_menu->setFontColor(colour);
    m_label->setFontColor(colour);
    m_menu->setDirty(true);
    m_label->setDirty(true);
}

void CPatchSelector::setBackColor(const CColor& colour)
{
    m_menu->setBackColor(colour);
    m_label->setBackColor(colour);
}

void CPatchSelector::setTransparency(bool state)
{
    m_menu->setTransparency(state);
    m_label->setTransparency(state);
}

const CColor& CPatchSelector::getFontColor() const
{
    return m_menu->getFontColor();
}

CMouseEventResult CPatchSelector::onMouseDown(CPoint& where, const CButtonState& buttons)
{
    if (!(buttons & kButtonLeft))
        return kMouseResultHandled;
    if (!isChild(m_menu) || m_standIn)
        return kMouseResultHandled;
    SharedPointer<CPatchSelector> self(this);
    m_busy = true;
    selectCurrent();
    CPoint local(where.h - m_size.left, where.v - m_size.top);
    m_menu->onMouseDown(local, buttons);
    m_busy = false;
    return kMouseResultHandledNoTracking;
}

void CPatchSelector::valueChanged(CControl* control)
{
    if (control != m_menu || !m_effect)
        return;
    const auto program = static_cast<std::int64_t>(m_menu->getValue());
    if (program >= 0 && program < m_menu->getNbEntries())
        m_effect->selectProgram(static_cast<int>(program), true, true);
}

bool CPatchSelector::isTypeOf(const char* className) const
{
    return std::strcmp(className, "CPatchSelector") == 0 || CViewContainer::isTypeOf(className);
}
