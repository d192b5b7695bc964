#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "toolkit/CFrame.h"

// The frame of a modal dialog: made without a window, run above another
// window of ours until end() is called or the user closes it. Return and
// Escape that no view takes go to the dialog's own handlers.
class CDialogFrame : public CFrame
{
public:
    explicit CDialogFrame(const CRect& size);

    // The result of end(), or 0 when the user closed the window (or none
    // could be shown).
    std::int32_t runModal(PlatformWindow* owner, const std::string& title);
    void end(std::int32_t result);
    bool isRunning() const { return m_owner != nullptr; }

    // Called once the dialog shows, from its first idle.
    std::function<void()> onOpen;
    std::function<void()> onReturn;
    std::function<void()> onEscape;

    void idle() override;
    CKeyResult onKeyDown(VstKeyCode& keyCode) override;

private:
    PlatformWindow* m_owner = nullptr;
    bool m_opened = false;
};
