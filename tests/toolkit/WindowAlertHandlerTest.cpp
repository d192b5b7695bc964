#include "toolkit/WindowAlertHandler.h"

#include "toolkit/CFrame.h"
#include "toolkit/CTextButton.h"

#include "support/FakePlatform.h"

#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

namespace
{
// Answers as a host or test that replaced the default would.
struct RecordingHandler : AlertHandler
{
    void showAlert(const char* message, const char*) override { heard.push_back(message); }
    int askSkipStop(const char* title, const char*) override
    {
        heard.push_back(title);
        return kAnswerSkip;
    }
    std::vector<std::string> heard;
};

// Presses the button of the alert window titled title, and records the
// window's texts: its title and its buttons.
void pressButton(FakePlatformWindow* window, const std::string& title, std::vector<std::string>& seen)
{
    window->onModalDialog = [&seen, title](CFrame* dialog) {
        auto* panel = static_cast<CViewContainer*>(dialog->getView(0));
        for (std::int64_t i = 0; CView* view = panel->getView(i); ++i)
        {
            auto* button = static_cast<CTextButton*>(view);
            seen.push_back(button->getTitle());
            if (button->getTitle() == title)
                button->press();
        }
    };
}
} // namespace

TEST(WindowAlertHandler, OnlyTheEditorsThreadShowsAWindowAndOthersAnswerAsBefore)
{
    FakePlatform platform;
    RecordingHandler before;
    AlertHandler* original = setAlertHandler(&before);
    CFrame* frame = new CFrame(CRect(0, 0, 200, 100), platform.parentWindow(), nullptr);
    FakePlatformWindow* window = FakePlatform::windowOf(frame);
    WindowAlertHandler::install(frame);

    std::vector<std::string> seen;
    pressButton(window, "Stop", seen);
    EXPECT_EQ(askSkipStop("Converting", "Bass.fxp cannot be read."), kAnswerStop);
    EXPECT_EQ(seen, (std::vector<std::string>{"Skip All", "Stop", "Skip"}));
    pressButton(window, "Skip", seen);
    EXPECT_EQ(askSkipStop("Converting", "Bass.fxp cannot be read."), kAnswerSkip);
    // Closed without a button: stopping loses nothing.
    window->onModalDialog = nullptr;
    EXPECT_EQ(askSkipStop("Converting", "Bass.fxp cannot be read."), kAnswerStop);
    seen.clear();
    pressButton(window, "OK", seen);
    showAlert("Saving failed", "The disk is full.");
    EXPECT_EQ(seen, std::vector<std::string>{"OK"});
    EXPECT_EQ(window->dialogTitles.size(), 4u);

    int answer = -1;
    std::thread other([&] {
        answer = askSkipStop("From a worker", "");
        showAlert("Worker alert", "");
    });
    other.join();
    EXPECT_EQ(answer, kAnswerSkip);
    EXPECT_EQ(before.heard, (std::vector<std::string>{"From a worker", "Worker alert"}));
    EXPECT_EQ(window->dialogTitles.size(), 4u);

    WindowAlertHandler::uninstall(frame);
    EXPECT_EQ(askSkipStop("Closed", ""), kAnswerSkip);
    EXPECT_EQ(setAlertHandler(original), &before);
    frame->release();
}
