// The connection's event pump, against the places an event can wait.

// gtest first: Xlib's macros (None, Bool) break its headers.
#include <gtest/gtest.h>

#include "toolkit/x11/X11Display.h"

#include <X11/Xlib.h>

#include <vector>

namespace
{
struct ClientMessages : X11Display::Target
{
    void handleEvent(XEvent& event) override
    {
        if (event.type == ClientMessage)
            received.push_back(event.xclient.data.l[0]);
    }
    std::vector<long> received;
};

void sendClientMessage(Display* from, Window to, long value)
{
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = to;
    event.xclient.format = 32;
    event.xclient.message_type = XInternAtom(from, "ZENTROVA_TEST", False);
    event.xclient.data.l[0] = value;
    XSendEvent(from, to, False, NoEventMask, &event);
    XSync(from, False);
}
} // namespace

TEST(X11Display, AnEventIsHandedOutWhetherItWaitsOnTheSocketOrWasReadWhileAnAnswerWasAwaited)
{
    std::shared_ptr<X11Display> display = X11Display::open();
    Display* other = XOpenDisplay(nullptr);
    ASSERT_TRUE(display && other);
    Display* ours = display->get();
    Window window = XCreateSimpleWindow(ours, display->root(), 0, 0, 10, 10, 0, 0, 0);
    ClientMessages target;
    display->addTarget(window, &target);
    XSync(ours, False);
    display->pumpEvents(100, 1000);

    // Arrived since a look that found nothing.
    sendClientMessage(other, window, 1);
    display->pumpEvents(100, 1000);
    EXPECT_EQ(target.received, std::vector<long>{1});

    // Read off the socket by a round trip of ours before the next look.
    sendClientMessage(other, window, 2);
    XSync(ours, False);
    display->pumpEvents(100, 1000);
    EXPECT_EQ(target.received, (std::vector<long>{1, 2}));

    display->removeTarget(window);
    XDestroyWindow(ours, window);
    XCloseDisplay(other);
}
