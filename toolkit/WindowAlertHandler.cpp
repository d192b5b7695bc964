#include "toolkit/WindowAlertHandler.h"

#include <mutex>
#include <new>
#include <string>
#include <thread>
#include <vector>

#include "dsp/Lasting.h"
#include "toolkit/CAlertPanel.h"
#include "toolkit/CFrame.h"
#include "toolkit/SharedPointer.h"

namespace
{
const char* const kWindowTitle = "Zentrova2";

struct OpenEditor
{
    CFrame* frame;
    std::thread::id thread;
};

// Alerts may come from any thread; only the editors' own threads show
// windows, so the list is read under the lock and the frame used outside.
std::mutex openEditorsMutex;
Lasting<std::vector<OpenEditor>> editorList;
std::vector<OpenEditor>& openEditors = *editorList;
// Whatever answered before the first editor opened answers again after
// the last one closed.
AlertHandler* handlerBefore = nullptr;

// The frame whose window answers on this thread, retained, or null; then
// the handler that answered before (null for the standard-error default).
CFrame* frameForThisThread(AlertHandler*& before)
{
    std::lock_guard<std::mutex> lock(openEditorsMutex);
    before = handlerBefore;
    const std::thread::id self = std::this_thread::get_id();
    for (auto it = openEditors.rbegin(); it != openEditors.rend(); ++it)
        if (it->thread == self && it->frame->getPlatformWindow())
        {
            it->frame->retain();
            return it->frame;
        }
    return nullptr;
}

std::string orEmpty(const char* text)
{
    return text ? text : "";
}
} // namespace

void WindowAlertHandler::install(CFrame* frame)
{
    // Made once and never destroyed, as another thread may be inside it; it
    // lives in the library's own memory, which goes when the library does.
    alignas(WindowAlertHandler) static unsigned char storage[sizeof(WindowAlertHandler)];
    static WindowAlertHandler* handler = new (storage) WindowAlertHandler();
    if (!frame)
        return;
    std::lock_guard<std::mutex> lock(openEditorsMutex);
    openEditors.push_back({frame, std::this_thread::get_id()});
    if (openEditors.size() == 1)
        handlerBefore = setAlertHandler(handler);
}

void WindowAlertHandler::uninstall(CFrame* frame)
{
    std::lock_guard<std::mutex> lock(openEditorsMutex);
    auto it = openEditors.begin();
    while (it != openEditors.end() && it->frame != frame)
        ++it;
    if (it == openEditors.end())
        return;
    openEditors.erase(it);
    if (openEditors.empty())
        setAlertHandler(handlerBefore);
}

void WindowAlertHandler::showAlert(const char* message, const char* informative)
{
    AlertHandler* before = nullptr;
    CFrame* frame = frameForThisThread(before);
    if (!frame)
    {
        if (before)
            before->showAlert(message, informative);
        else
            AlertHandler::showAlert(message, informative);
        return;
    }
    SharedPointer<CFrame> keep(frame);
    frame->release();
    CAlertPanel::run(frame->getPlatformWindow(), kWindowTitle, orEmpty(message), orEmpty(informative), {"OK"}, 0, 0);
}

int WindowAlertHandler::askSkipStop(const char* title, const char* message)
{
    AlertHandler* before = nullptr;
    CFrame* frame = frameForThisThread(before);
    if (!frame)
        return before ? before->askSkipStop(title, message) : AlertHandler::askSkipStop(title, message);
    SharedPointer<CFrame> keep(frame);
    frame->release();
    // The default button stands rightmost, then the alternate, then the other.
    const int chosen = CAlertPanel::run(frame->getPlatformWindow(), kWindowTitle, orEmpty(title), orEmpty(message),
                                        {"Skip All", "Stop", "Skip"}, 0);
    switch (chosen)
    {
    case 0:
        return kAnswerSkipAll;
    case 2:
        return kAnswerSkip;
    default:
        // Stop, or the window closed: stopping loses nothing.
        return kAnswerStop;
    }
}
