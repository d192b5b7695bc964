#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <mutex>

class PatchTree;
class Zentrova;
class ZentrovaParameter;

// What changed, as told to the configuration's clients.
enum ConfigurationChange : unsigned
{
    kMidiControllerMapChanged = 1,
    kKnobModeChanged = 2,
    kDamperScaleChanged = 4,
    kHold2ScaleChanged = 8,
};

// The user configuration of this deliverable: one object in the process,
// shared by every plug-in instance, created by the first and deleted by the
// last that lets it go.
class Configuration
{
public:
    static constexpr int kNumMidiControllers = 128;
    static constexpr int kNumControllableParameters = 107;

    // Registers plugin as a client, creating the configuration first when
    // none exists; clientId receives the client's id.
    static Configuration* acquire(std::uint64_t& clientId, Zentrova* plugin, ZentrovaParameter* const* parameters);
    // Removes the client; the last one deletes the configuration.
    static void release(std::uint64_t clientId);

    virtual ~Configuration();

    Configuration(const Configuration&) = delete;
    Configuration& operator=(const Configuration&) = delete;

    // Applies the settings named by mask to one plug-in instance.
    void applyToPlugin(Zentrova* plugin, unsigned mask);

    // The controller that drives parameter 0-106, or -1.
    int getMidiController(int parameter);
    // The parameter each of the 128 controllers drives, or -1.
    void getMidiControllerMap(std::int32_t map[kNumMidiControllers]);

    int getKnobMode() const { return m_knobMode; }
    float getDamperScale() const { return m_damperScale; }
    float getHold2Scale() const { return m_hold2Scale; }
    PatchTree* getPatchTree() { return m_patchTree.get(); }

private:
    Configuration(Zentrova* plugin, ZentrovaParameter* const* parameters);

    std::uint64_t registerClient(Zentrova* plugin);

    std::mutex m_mutex;
    std::uint64_t m_nextClientId = 0;
    std::map<std::uint64_t, Zentrova*> m_clients;
    std::int32_t m_controllerOfParameter[kNumControllableParameters];
    int m_knobMode = -1;
    float m_damperScale = 0.5f;
    float m_hold2Scale = 2.0f;
    std::unique_ptr<PatchTree> m_patchTree;
};
