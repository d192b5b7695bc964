#include "patches/Configuration.h"

#include <array>

#include "Source/PatchTree.h"
#include "Source/Voices/KeyboardHandler.h"
#include "Source/Voices/Voice.h"
#include "Source/Zentrova.h"
#include "editor/ZentrovaEditor.h"
#include "patches/ConfigurationPointer.h"

namespace
{
ConfigurationPointer configurationHolder;

// Hosts may create and close instances on several threads.
std::mutex& acquisitionMutex()
{
    static std::mutex mutex;
    return mutex;
}

// Which parameter each controller drives; one table per loaded deliverable.
std::array<std::int32_t, Configuration::kNumMidiControllers> parameterOfController = [] {
    std::array<std::int32_t, Configuration::kNumMidiControllers> table;
    table.fill(-1);
    return table;
}();
} // namespace

Configuration* Configuration::acquire(std::uint64_t& clientId, Zentrova* plugin, ZentrovaParameter* const* parameters)
{
    std::lock_guard<std::mutex> guard(acquisitionMutex());
    Configuration* configuration = configurationHolder.get();
    if (!configuration)
    {
        configuration = new Configuration(plugin, parameters);
        configurationHolder.set(configuration);
    }
    std::lock_guard<std::mutex> lock(configuration->m_mutex);
    clientId = configuration->registerClient(plugin);
    return configuration;
}

void Configuration::release(std::uint64_t clientId)
{
    std::lock_guard<std::mutex> guard(acquisitionMutex());
    Configuration* configuration = configurationHolder.get();
    if (!configuration)
        return;
    {
        std::lock_guard<std::mutex> lock(configuration->m_mutex);
        configuration->m_clients.erase(clientId);
        if (configuration->m_clients.empty())
            configurationHolder.set(nullptr);
    }
    if (!configurationHolder.get())
        delete configuration;
}

Configuration::Configuration(Zentrova*, ZentrovaParameter* const*) : m_patchTree(new PatchTree)
{
    for (std::int32_t& controller : m_controllerOfParameter)
        controller = -1;
    for (int controller = 0; controller < kNumMidiControllers; ++controller)
    {
        const std::int32_t parameter = parameterOfController[controller];
        if (parameter >= 0 && parameter < kNumControllableParameters)
            m_controllerOfParameter[parameter] = controller;
    }
}

Configuration::~Configuration() = default;

std::uint64_t Configuration::registerClient(Zentrova* plugin)
{
    std::uint64_t id = m_nextClientId;
    while (m_clients.count(id))
        ++id;
    m_clients[id] = plugin;
    m_nextClientId = id + 1;
    return id;
}

void Configuration::applyToPlugin(Zentrova* plugin, unsigned mask)
{
    if (!plugin)
        return;
    if (mask & kMidiControllerMapChanged)
        plugin->updateMidiControllerMap();
    if ((mask & kKnobModeChanged) && plugin->getZentrovaEditor())
        plugin->getZentrovaEditor()->knobModeChanged(m_knobMode);
    if (mask & kDamperScaleChanged)
        plugin->getKeyboardHandler().setDamperScale(m_damperScale);
    if ((mask & kHold2ScaleChanged) && plugin->getVoiceEngine())
        plugin->getVoiceEngine()->setHold2Scale(m_hold2Scale);
}

int Configuration::getMidiController(int parameter)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    if (parameter < 0 || parameter >= kNumControllableParameters)
        return -1;
    return m_controllerOfParameter[parameter];
}

void Configuration::getMidiControllerMap(std::int32_t map[kNumMidiControllers])
{
    std::lock_guard<std::mutex> lock(m_mutex);
    for (int controller = 0; controller < kNumMidiControllers; ++controller)
        map[controller] = parameterOfController[controller];
}
