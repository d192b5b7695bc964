#pragma once

#include <cstdint>
#include <string>

class CWheel;
class GuiInfo;

// Springs the pitch-bend wheel back to its centre once the user lets go,
// at the editor's idle: a full deflection returns in 300 ms.
class CBendWheel
{
public:
    // Takes the wheel of the widget of that name (none when it is no
    // wheel) and centres it.
    CBendWheel(GuiInfo& guiInfo, const std::string& widgetName);
    // A bend the wheel left off centre returns to the centre with it.
    ~CBendWheel();

    CBendWheel(const CBendWheel&) = delete;
    CBendWheel& operator=(const CBendWheel&) = delete;

    // True when the wheel moved: its value is then the new bend.
    bool springBack();
    // Non-zero while the bend comes from elsewhere than the wheel.
    void setHeld(std::int32_t held) { m_held = held; }
    CWheel* getWheel() const { return m_wheel; }

private:
    GuiInfo& m_guiInfo;
    CWheel* m_wheel = nullptr;
    std::uint64_t m_lastTicks;
    std::int32_t m_held = 0;
};
