#include "editor/layout/SharedLayout.h"

#include "dsp/Lasting.h"

#include <map>
#include <memory>

namespace
{
std::recursive_mutex& layoutMutex()
{
    static std::recursive_mutex mutex;
    return mutex;
}

int users = 0;
std::map<std::string, std::unique_ptr<GuiLayout>>& expansions()
{
    static Lasting<std::map<std::string, std::unique_ptr<GuiLayout>>> made;
    return *made;
}
} // namespace

const std::vector<LayoutConfiguration>& SharedLayout::configurations()
{
    std::lock_guard<std::recursive_mutex> guard(layoutMutex());
    static const Lasting<std::vector<LayoutConfiguration>> offered([] {
        GuiLayout layout;
        return layout.load() ? layout.getConfigurations() : std::vector<LayoutConfiguration>();
    }());
    return *offered;
}

GuiLayout* SharedLayout::acquire(const std::string& configurationName)
{
    std::lock_guard<std::recursive_mutex> guard(layoutMutex());
    std::unique_ptr<GuiLayout>& expansion = expansions()[configurationName];
    if (!expansion)
    {
        auto made = std::make_unique<GuiLayout>();
        if (!made->load())
        {
            expansions().erase(configurationName);
            return nullptr;
        }
        made->buildLayout(configurationName);
        expansion = std::move(made);
    }
    ++users;
    return expansion.get();
}

void SharedLayout::release()
{
    std::lock_guard<std::recursive_mutex> guard(layoutMutex());
    if (users == 0)
        return;
    if (--users == 0)
    {
        expansions().clear();
        return;
    }
    // No walk is under way: each holds the lock.
    for (auto& [name, expansion] : expansions())
        expansion->releaseWrappers();
}

std::unique_lock<std::recursive_mutex> SharedLayout::lock()
{
    return std::unique_lock<std::recursive_mutex>(layoutMutex());
}
