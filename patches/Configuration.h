#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "Source/parameters/ParameterIndices.h"
#include "patches/ConfigurationClient.h"
#include "patches/PatchConfiguration.h"

class ZentrovaParameter;

// The user configuration of this deliverable: one object in the process,
// shared by every plug-in instance, created by the first and written and
// deleted by the last that lets it go. It holds the editor settings, the
// two pedal scales, the MIDI controller map, the MIDI bank program table
// and, through its base, the patch settings.
//
// Locking: one non-recursive mutex guards the settings. Operations that
// change anything take it, and tell the clients once they have let it go.
// The controller look-ups and the plain getters read atomics and take no
// lock: they are safe on the audio thread. The lock is never held while the
// patch tree is called, so the tree may read the configuration under its
// own lock.
class Configuration : public PatchConfiguration
{
public:
    static constexpr int kNumMidiControllers = 128;
    static constexpr int kNumControllableParameters = kNamedParameterCount;
    static constexpr int kNumMidiPrograms = 128;
    // Bank select reaches 128 banks; a file always yields at least 16.
    static constexpr int kMaxMidiBanks = 128;
    static constexpr int kMinMidiBanks = 16;
    // MIDI learn never takes the modulation wheel.
    static constexpr int kModulationWheel = 1;
    static constexpr int kControllerRefused = -2;

    // Results of load and save.
    enum FileResult
    {
        kFileDone = 0,
        kFileNotOpened = 2,
        kFileWrongHeader = 3,
    };

    // Registers client (which may be null), creating the configuration
    // first when none exists; clientId receives the client's id. The
    // creating call's deliverable (isEffect) and parameter objects (0-106,
    // whose short names key the controller lines of the file; null: the
    // parameter table's names) shape the new configuration.
    static Configuration* acquire(std::uint64_t& clientId, ConfigurationClient* client, bool isEffect,
                                  const ZentrovaParameter* const* parameters);
    // Removes the client; the last one writes the file and deletes the
    // configuration, with an alert when the file could not be written.
    static void release(std::uint64_t clientId);
    // A client is told of changes only while it is active: from when its
    // instance is completely built until it starts being taken apart.
    // Activation brings it up to date with every setting; once deactivation
    // returns, the client is told nothing more.
    void setClientActive(std::uint64_t clientId, bool active);

    ~Configuration() override;

    // The controller that drives parameter 0-106, or -1.
    int getMidiController(int parameter) const;
    // The parameter each of the 128 controllers drives, or -1.
    void getMidiControllerMap(std::int32_t map[kNumMidiControllers]) const;
    // Gives controller (-1 for none) to parameter, taking it from the
    // parameter that had it, and tells the clients with mask. Returns the
    // parameter that lost the controller, or -1 (also when the controller is
    // outside -1..127 or the parameter outside 0..106, which changes nothing).
    int setMidiController(int parameter, int controller, unsigned mask);
    // The same for MIDI learn, which refuses the modulation wheel with
    // kControllerRefused.
    int assignMidiController(int parameter, int controller, unsigned mask);

    int getTooltipDelay() const { return m_tooltipDelay.load(std::memory_order_relaxed); }
    int getKnobMode() const { return m_knobMode.load(std::memory_order_relaxed); }
    bool getLinearKnobCursorMove() const { return m_linearKnobCursorMove.load(std::memory_order_relaxed); }
    int getEditMode() const { return m_editMode.load(std::memory_order_relaxed); }
    int getEffectsPanel() const { return m_effectsPanel.load(std::memory_order_relaxed); }
    float getDamperScale() const { return m_damperScale.load(std::memory_order_relaxed); }
    float getHold2Scale() const { return m_hold2Scale.load(std::memory_order_relaxed); }
    std::string getLayoutName() const;

    // False, changing nothing, for a name the file cannot hold ("}" or a
    // line break).
    bool setLayoutName(const std::string& name);
    // -1 "System Default", 0 "Circular", 1 "Relative Circular", 2 "Linear";
    // other values are ignored.
    void setKnobMode(int mode);
    // 0..1; other values are ignored.
    void setDamperScale(float scale);
    // 0 or more; other values are ignored.
    void setHold2Scale(float scale);

    int getNumMidiBanks() const;
    // The path stored for a program of a MIDI bank; empty when unset or when
    // either index is out of range.
    std::string getMidiBankPath(int bank, int program) const;
    // Banks up to 127 are added as needed; false for other indices.
    bool setMidiBankPath(int bank, int program, const std::string& path);

    // Writes the patch-tree cache, then the configuration file to path, or
    // to the user's Preferences folder, replacing the old file only once
    // the new one is complete. A damaged file that the last load read but
    // could not use is kept beside the new one (its name followed by
    // "._bk"); when that cannot be done, nothing is written. A file that
    // the load could not read at all is never written over.
    int save(const std::string& path = std::string());
    // Reads the configuration file at path, or the default one; what the
    // file does not set keeps its value, then the folder defaults apply.
    // A byte-order mark and blank lines before the header are passed over.
    // A file that exists but cannot be read is told of once in the process:
    // on standard error, and in an alert when an editor opens.
    int load(const std::string& path = std::string());

private:
    Configuration(bool isEffect, const ZentrovaParameter* const* parameters);

    std::uint64_t registerClient(ConfigurationClient* client);
    // Tells the active clients; never with the settings' lock held.
    void notifyClients(unsigned mask);
    // These need the lock held, or the object not yet shared. The changes
    // they make are told to the clients by the operation that called them,
    // which takes the mask with takeUntold once it lets the lock go.
    bool changeMidiController(int parameter, int controller, int& loser);
    void changeDamperScale(float scale);
    void changeHold2Scale(float scale);
    unsigned takeUntold();
    int loadLocked(const std::string& path);
    // Saves as the last client goes: empty when written, else what to tell
    // the user.
    std::string saveOnLeaving();
    std::string configurationText() const;
    int readConfiguration(const std::string& text);
    void readRecord(const std::string& line, std::size_t keyStart, std::size_t keyEnd, std::size_t valueStart,
                    std::size_t valueEnd);
    void readControllerLine(const std::string& line, const std::string& key, std::size_t valueStart);
    void readMidiBanks(const std::string& block);
    std::string midiBankBlock() const;

    struct Client
    {
        ConfigurationClient* client;
        bool active;
    };

    // Guards the client list, and is held while clients are told: a client
    // being deactivated waits until it has been told. Recursive, so that a
    // client's handler may change a setting in turn.
    std::recursive_mutex m_clientsMutex;
    std::map<std::uint64_t, Client> m_clients;
    std::uint64_t m_nextClientId = 0;
    std::vector<std::string> m_parameterNames;
    std::array<std::atomic<std::int32_t>, kNumMidiControllers> m_parameterOfController;
    std::array<std::atomic<std::int32_t>, kNumControllableParameters> m_controllerOfParameter;
    std::atomic<int> m_editMode{1};
    std::atomic<int> m_effectsPanel{0};
    std::string m_layoutName;
    std::atomic<int> m_knobMode{-1};
    std::atomic<float> m_damperScale{0.5f};
    std::atomic<float> m_hold2Scale{2.0f};
    std::atomic<bool> m_linearKnobCursorMove{true};
    std::atomic<int> m_tooltipDelay{0};
    std::vector<std::vector<std::string>> m_midiBanks;
    // The settings changed under the lock and not yet told to the clients.
    unsigned m_untold = 0;
    // A file that was read but is no configuration: the defaults that stand
    // in for it must not take its place unnoticed.
    std::string m_damagedFile;
    // A file that exists but could not be read at all (no permission, not a
    // regular file): it may still hold the user's settings, and the
    // defaults never take its place.
    std::string m_unreadableFile;
};
