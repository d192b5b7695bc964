#pragma once

// The views of the window tests' plug-in, in one frame of kWidth by
// kHeight: each logs what reaches it as one line ("pad down 20,30 L"),
// through the platform interface where it opens a text field, a menu or a
// dialog. The same tree is drawn headlessly by the tests to compare with
// the window's screenshot.

#include <functional>
#include <memory>
#include <string>

#include "toolkit/BaseTypes.h"

class CFrame;
class CVSTGUITimer;
class SceneTimerListener;

class WindowTestScene
{
public:
    static constexpr CCoord kWidth = 400;
    static constexpr CCoord kHeight = 300;
    static constexpr CCoord kGrownWidth = 420;
    static constexpr CCoord kGrownHeight = 320;

    struct Hooks
    {
        std::function<void(const std::string&)> log;
        // A parameter edit as a control makes it: begin, automate, end.
        std::function<void(int index, float value)> automate;
    };

    // Adds the views to frame; with timers, starts the 50 ms timer.
    WindowTestScene(CFrame* frame, Hooks hooks, bool timers);
    ~WindowTestScene();
    WindowTestScene(const WindowTestScene&) = delete;
    WindowTestScene& operator=(const WindowTestScene&) = delete;

    // The button names of a mouse event, "L+shift+dbl" style, "-" for none.
    static std::string describe(CButtonState buttons);

private:
    std::shared_ptr<Hooks> m_hooks;
    SceneTimerListener* m_listener = nullptr;
    CVSTGUITimer* m_timer = nullptr;
};
