#include "editor/controls/CBendWheel.h"

#include <algorithm>

#include "Source/Zentrova.h"
#include "editor/controls/CWheel.h"
#include "editor/layout/GuiInfo.h"

namespace
{
constexpr float kCentre = 0.5f;
// Value per millisecond: from an end to the centre in 300 ms.
constexpr double kReturnRate = 1.0 / 600.0;
} // namespace

CBendWheel::CBendWheel(GuiInfo& guiInfo, const std::string& widgetName)
    : m_guiInfo(guiInfo), m_lastTicks(guiInfo.getTicks())
{
    CView* view = guiInfo.findControl(widgetName);
    if (view && view->isTypeOf("CWheel"))
    {
        m_wheel = static_cast<CWheel*>(view);
        m_wheel->retain();
        m_wheel->setValue(kCentre);
    }
}

CBendWheel::~CBendWheel()
{
    if (!m_wheel)
        return;
    // Closing the editor mid-bend would leave the engine bent for good.
    if (m_wheel->getValue() != kCentre && m_held == 0 && m_guiInfo.effect())
        m_guiInfo.effect()->setPitchBendFromGui(kCentre);
    m_wheel->release();
}

bool CBendWheel::springBack()
{
    if (!m_wheel)
        return false;
    float value = m_wheel->getValue();
    const std::uint64_t now = m_guiInfo.getTicks();
    if (value == kCentre || m_wheel->isDragging() || m_held != 0)
    {
        m_lastTicks = now;
        return false;
    }
    const std::uint64_t elapsed = now >= m_lastTicks ? now - m_lastTicks : 0;
    const float step = static_cast<float>(static_cast<double>(elapsed) * kReturnRate);
    value = value > kCentre ? std::max(value - step, kCentre) : std::min(value + step, kCentre);
    m_wheel->setValue(value);
    m_lastTicks = now;
    return true;
}
