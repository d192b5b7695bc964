#include "toolkit/Platform.h"

namespace
{
Platform::WindowFactory windowFactory = nullptr;
}

void Platform::setWindowFactory(WindowFactory factory)
{
    windowFactory = factory;
}

Platform::WindowFactory Platform::getWindowFactory()
{
    return windowFactory;
}

std::unique_ptr<PlatformWindow> Platform::createWindow(CFrame& frame, void* parentWindow, const CRect& size)
{
    if (!windowFactory || !parentWindow)
        return nullptr;
    return windowFactory(frame, parentWindow, size);
}
