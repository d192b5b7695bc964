#include "toolkit/AEffGUIEditor.h"

#include "Source/vst/AudioEffectX.h"
#include "toolkit/BundleLocation.h"
#include "toolkit/CDrawContext.h"
#include "toolkit/CFrame.h"
#include "toolkit/Clock.h"

std::atomic<std::int32_t> AEffGUIEditor::s_knobMode{0};

namespace
{
constexpr std::uint64_t kIdleInterval = 100;
constexpr std::uint64_t kIdleTolerance = 50;
constexpr std::uint64_t kEventLoopSlice = 4;

class FlagScope
{
public:
    explicit FlagScope(bool& flag) : m_flag(flag) { m_flag = true; }
    ~FlagScope() { m_flag = false; }
    FlagScope(const FlagScope&) = delete;
    FlagScope& operator=(const FlagScope&) = delete;

private:
    bool& m_flag;
};
} // namespace

AEffGUIEditor::AEffGUIEditor(AudioEffect* effect) : AEffEditor(effect), m_lastTicks(getTicks())
{
    if (effect)
        effect->setEditor(this);
    BundleLocation::path();
}

AEffGUIEditor::~AEffGUIEditor() = default;

std::uint64_t AEffGUIEditor::getTicks()
{
    return Clock::now();
}

bool AEffGUIEditor::getRect(ERect** rect)
{
    if (!rect)
        return false;
    *rect = &m_rect;
    return true;
}

bool AEffGUIEditor::open(void* parentWindow)
{
    makeTimersCurrent();
    m_systemWindow = parentWindow;
    return false;
}

void AEffGUIEditor::idle()
{
    if (m_inIdleStuff)
        return;
    makeTimersCurrent();
    // Window events first. An event handler that asks for idle (a tracking
    // control) gets everything but the events it is part of.
    if (!m_pumpingEvents && m_frame && m_frame->getPlatformWindow())
    {
        FlagScope pumping(m_pumpingEvents);
        m_frame->getPlatformWindow()->pumpEvents();
    }
    m_timers.fire(getTicks());
    // The handlers and timers may have replaced the frame.
    if (m_frame)
        m_frame->idle();
    if (m_frame && m_frame->getPlatformWindow())
        m_frame->getPlatformWindow()->paint();
}

void AEffGUIEditor::processIdle()
{
    std::uint64_t now = getTicks();
    if (now < m_lastTicks)
    {
        // The host's idle pumps the window events; running them here would
        // re-enter the handler that asked. The slice is only counted.
        now += kEventLoopSlice;
        if (now + kIdleTolerance < m_lastTicks)
            return;
    }
    idle();
    m_lastTicks = now + kIdleInterval;
    FlagScope inIdleStuff(m_inIdleStuff);
    if (m_effect)
        m_effect->masterIdle();
}

bool AEffGUIEditor::onKeyDown(VstKeyCode& keyCode)
{
    makeTimersCurrent();
    // Anything but "not handled" is a used key, 0 included.
    return m_frame && m_frame->onKeyDown(keyCode) != kKeyNotHandled;
}

bool AEffGUIEditor::onKeyUp(VstKeyCode& keyCode)
{
    makeTimersCurrent();
    return m_frame && m_frame->onKeyUp(keyCode) != kKeyNotHandled;
}

bool AEffGUIEditor::onWheel(float)
{
    return false;
}

bool AEffGUIEditor::setKnobMode(VstInt32 mode)
{
    s_knobMode.store(mode, std::memory_order_relaxed);
    return true;
}

std::int32_t AEffGUIEditor::getKnobMode() const
{
    return s_knobMode.load(std::memory_order_relaxed);
}

void AEffGUIEditor::setParameter(VstInt32, float) {}

void AEffGUIEditor::draw(ERect* rect)
{
    if (!m_frame)
        return;
    makeTimersCurrent();
    CRect update = m_frame->getViewSize();
    if (rect)
        update = CRect(rect->left, rect->top, rect->right, rect->bottom).normalize();
    CDrawContext* context = m_frame->createDrawContext();
    m_frame->drawRect(context, update);
    context->release();
}

void AEffGUIEditor::beginEdit(std::int32_t index)
{
    if (auto* effect = dynamic_cast<AudioEffectX*>(m_effect))
        effect->beginEdit(index);
}

void AEffGUIEditor::endEdit(std::int32_t index)
{
    if (auto* effect = dynamic_cast<AudioEffectX*>(m_effect))
        effect->endEdit(index);
}

bool AEffGUIEditor::sizeHostWindow(CCoord width, CCoord height)
{
    auto* effect = dynamic_cast<AudioEffectX*>(m_effect);
    char canDo[] = "sizeWindow";
    return effect && effect->canHostDo(canDo) &&
           effect->sizeWindow(static_cast<VstInt32>(width), static_cast<VstInt32>(height));
}
