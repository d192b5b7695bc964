#pragma once

#include "Source/Flavour.h"
#include "patches/Configuration.h"
#include "tests/support/TemporaryHome.h"

#include <cstdint>
#include <fstream>
#include <sstream>
#include <string>

// One client of the shared configuration, released when it goes.
class AcquiredConfiguration
{
public:
    explicit AcquiredConfiguration(const Flavour& flavour = effectFlavour(), ConfigurationClient* client = nullptr)
        : m_configuration(Configuration::acquire(m_id, client, !flavour.isSynth, nullptr))
    {
    }
    ~AcquiredConfiguration()
    {
        if (m_configuration)
            Configuration::release(m_id);
    }
    AcquiredConfiguration(const AcquiredConfiguration&) = delete;
    AcquiredConfiguration& operator=(const AcquiredConfiguration&) = delete;

    void release()
    {
        Configuration::release(m_id);
        m_configuration = nullptr;
    }

    Configuration* get() const { return m_configuration; }
    Configuration* operator->() const { return m_configuration; }
    std::uint64_t id() const { return m_id; }

private:
    std::uint64_t m_id = 0;
    Configuration* m_configuration;
};

inline std::string readTextFile(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

inline void writeTextFile(const std::string& path, const std::string& text)
{
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file << text;
}

// A temporary home with the file names the configuration uses in it.
class ConfigurationFiles
{
public:
    std::string userConfigFile() const { return m_home.path() + "/.config/com.vorlixworks.Zentrova2.sup"; }
    std::string localConfigFile() const { return m_home.path() + "/etc/com.vorlixworks.Zentrova2.sup"; }
    std::string userFolder() const { return m_home.path() + "/.local/share/Vorlix/Zentrova2"; }
    const std::string& home() const { return m_home.path(); }

    // The header, then the given records.
    void writeUserFile(const std::string& records) const
    {
        writeTextFile(userConfigFile(), "Zentrova Configuration File\n" + records);
    }

private:
    TemporaryHome m_home;
};

#include "Source/Zentrova.h"
#include "Source/entry/PluginEntry.h"

// A plug-in instance built as a host builds it, closed when it goes.
class PluginInstance
{
public:
    explicit PluginInstance(audioMasterCallback host = quietHost, const Flavour& flavour = effectFlavour())
    {
        m_effect = createPluginInstance(host, flavour);
        if (m_effect)
            m_plugin = static_cast<Zentrova*>(static_cast<AudioEffect*>(m_effect->object));
    }
    ~PluginInstance() { close(); }
    PluginInstance(const PluginInstance&) = delete;
    PluginInstance& operator=(const PluginInstance&) = delete;

    void close()
    {
        if (m_effect)
            m_effect->dispatcher(m_effect, effClose, 0, 0, nullptr, 0.0f);
        m_effect = nullptr;
        m_plugin = nullptr;
    }

    Zentrova* operator->() const { return m_plugin; }
    Zentrova* get() const { return m_plugin; }

    // Sends one control change through processEvents.
    void controlChange(int controller, int value, int channel = 0)
    {
        VstMidiEvent event{};
        event.type = kVstMidiType;
        event.byteSize = sizeof(VstMidiEvent);
        event.midiData[0] = static_cast<char>(0xB0 | channel);
        event.midiData[1] = static_cast<char>(controller);
        event.midiData[2] = static_cast<char>(value);
        struct
        {
            VstInt32 numEvents;
            VstIntPtr reserved;
            VstEvent* events[1];
        } list{1, 0, {reinterpret_cast<VstEvent*>(&event)}};
        m_plugin->processEvents(reinterpret_cast<VstEvents*>(&list));
    }

    static VstIntPtr quietHost(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void*, float)
    {
        return opcode == audioMasterVersion ? 2400 : 0;
    }

private:
    AEffect* m_effect = nullptr;
    Zentrova* m_plugin = nullptr;
};
