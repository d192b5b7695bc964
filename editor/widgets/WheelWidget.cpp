#include "editor/widgets/WheelWidget.h"

#include <algorithm>

#include "editor/controls/CWheel.h"

WheelWidget::WheelWidget(ticpp::Element* element, CViewContainer* parent, CFrame* frame, ZentrovaEditor* editor,
                         GuiInfo& guiInfo)
    : Widget(element, parent, frame, editor, guiInfo)
{
    if (!m_bitmap)
        return;
    // The frames lie side by side; fewer than one would divide by zero.
    const std::int64_t frames = std::max<std::int64_t>(m_frames, 1);
    m_width = m_bitmapWidth / frames;
    m_height = m_bitmapHeight;
    bindControl(
        new CWheel(getRect(), this, m_tag, frames, m_width, m_bitmap, CPoint(), static_cast<float>(m_bitmapHeight)),
        false, nullptr);
}
