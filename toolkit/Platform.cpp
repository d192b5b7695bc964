#include "toolkit/Platform.h"

#include <atomic>

namespace
{
// Every instance's entry registers it, on whichever host thread makes the
// instance, while editors of other instances open on the UI thread.
std::atomic<Platform::WindowFactory> windowFactory{nullptr};
} // namespace

void Platform::setWindowFactory(WindowFactory factory)
{
    windowFactory.store(factory, std::memory_order_release);
}

Platform::WindowFactory Platform::getWindowFactory()
{
    return windowFactory.load(std::memory_order_acquire);
}

std::unique_ptr<PlatformWindow> Platform::createWindow(CFrame& frame, void* parentWindow, const CRect& size)
{
    const WindowFactory factory = getWindowFactory();
    if (!factory || !parentWindow)
        return nullptr;
    return factory(frame, parentWindow, size);
}
