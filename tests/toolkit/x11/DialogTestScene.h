#pragma once

// The views of the window tests' plug-in for dialogs and drops, in a frame
// of the same size as the main scene's: a view with a tooltip, views that
// open the file selector's three styles on the folder named by
// ZENTROVA_TEST_FOLDER, the message box and the question, a drop target,
// a text edit that leaves the frame on Return and an option menu. Each
// logs what happens to it as one line.

#include <functional>
#include <memory>
#include <string>

#include "toolkit/BaseTypes.h"

class CControlListener;
class CFrame;
class CTooltipSupport;

class DialogTestScene
{
public:
    // Where the views lie, for the tests that click them.
    static CRect tipRect() { return CRect(10, 10, 190, 40); }
    static CRect saveRect() { return CRect(10, 50, 190, 76); }
    static CRect openRect() { return CRect(210, 50, 390, 76); }
    static CRect folderRect() { return CRect(10, 86, 190, 112); }
    static CRect alertRect() { return CRect(210, 86, 390, 112); }
    static CRect askRect() { return CRect(10, 122, 190, 148); }
    static CRect dropRect() { return CRect(210, 122, 390, 148); }
    static CRect editRect() { return CRect(10, 158, 190, 184); }
    static CRect menuRect() { return CRect(210, 158, 390, 184); }
    static constexpr std::uint32_t kTooltipDelay = 300;

    DialogTestScene(CFrame* frame, std::function<void(const std::string&)> log);
    ~DialogTestScene();
    DialogTestScene(const DialogTestScene&) = delete;
    DialogTestScene& operator=(const DialogTestScene&) = delete;

private:
    CFrame* m_frame;
    CTooltipSupport* m_tooltips;
    // The controls forget their listeners as they go with the frame.
    std::unique_ptr<CControlListener> m_editListener;
    std::unique_ptr<CControlListener> m_menuListener;
};
