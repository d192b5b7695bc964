#pragma once

#include "Source/shared/Alerts.h"

class CFrame;

// Shows the message box and the three-button question in a modal window
// above an open editor's frame. It answers only on the thread that opened
// that editor; anywhere else, and while no editor is open, the handler
// that answered before (the standard-error default) does. Editors install their frame when they open and
// uninstall it when they close; the newest open frame carries the window.
class WindowAlertHandler : public AlertHandler
{
public:
    static void install(CFrame* frame);
    static void uninstall(CFrame* frame);

    void showAlert(const char* message, const char* informative) override;
    int askSkipStop(const char* title, const char* message) override;

private:
    WindowAlertHandler() = default;
};
