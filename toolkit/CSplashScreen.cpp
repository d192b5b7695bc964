#include "toolkit/CSplashScreen.h"

#include <cstring>

#include "toolkit/CDefaultSplashScreenView.h"
#include "toolkit/CFrame.h"

CSplashScreen::CSplashScreen(const CRect& size, CControlListener* listener, std::int64_t tag, CBitmap* background,
                             const CRect& toDisplay, const CPoint& offset)
    : CControl(size, listener, tag, background),
      m_toDisplay(toDisplay),
      m_offset(offset),
      m_modalView(new CDefaultSplashScreenView(toDisplay, this, background, offset))
{
}

CSplashScreen::CSplashScreen(const CSplashScreen& splash)
    : CControl(splash),
      CControlListener(),
      m_toDisplay(splash.m_toDisplay),
      m_unusedArea(splash.m_unusedArea),
      m_offset(splash.m_offset),
      m_modalView(splash.m_modalView ? splash.m_modalView->newCopy() : nullptr)
{
    // The copied view would report to the original.
    if (m_modalView && m_modalView->isTypeOf("CControl"))
    {
        auto* control = static_cast<CControl*>(m_modalView);
        if (control->getListener() == &splash)
            control->setListener(this);
    }
}

CSplashScreen::~CSplashScreen()
{
    if (!m_modalView)
        return;
    if (m_modalView->isTypeOf("CControl"))
    {
        auto* control = static_cast<CControl*>(m_modalView);
        if (control->getListener() == this)
            control->setListener(nullptr);
    }
    m_modalView->release();
}

void CSplashScreen::draw(CDrawContext*)
{
    setDirty(false);
}

CMouseEventResult CSplashScreen::onMouseDown(CPoint&, const CButtonState& buttons)
{
    if (!(buttons & kButtonLeft))
        return kMouseResultNotHandled;
    m_value = m_value == 0.0f ? 1.0f : 0.0f;
    if (m_value != 0.0f && m_modalView && m_frame && m_frame->setModalView(m_modalView) && m_listener)
        m_listener->valueChanged(this);
    return kMouseResultHandledNoTracking;
}

bool CSplashScreen::hitTest(const CPoint& where, const CButtonState& buttons)
{
    return where.isInside(m_mouseableArea) && (buttons & kButtonLeft);
}

void CSplashScreen::unSplash()
{
    m_value = 0.0f;
    if (m_frame && m_modalView && m_frame->getModalView() == m_modalView)
    {
        m_modalView->invalid();
        m_frame->setModalView(nullptr);
    }
}

void CSplashScreen::setDisplayArea(const CRect& rect)
{
    m_toDisplay = rect;
    if (m_modalView)
    {
        m_modalView->setViewSize(rect);
        m_modalView->setMouseableArea(rect);
    }
}

void CSplashScreen::valueChanged(CControl* control)
{
    if (control != m_modalView)
        return;
    unSplash();
    if (m_listener)
        m_listener->valueChanged(this);
}

bool CSplashScreen::removed(CView* parent)
{
    // A shown view would outlive the splash screen that takes it away.
    if (m_attached)
        unSplash();
    return CControl::removed(parent);
}

bool CSplashScreen::isTypeOf(const char* className) const
{
    return std::strcmp(className, "CSplashScreen") == 0 || CControl::isTypeOf(className);
}

CView* CSplashScreen::newCopy() const
{
    return new CSplashScreen(*this);
}
