#pragma once

#include <cstdlib>
#include <filesystem>
#include <string>

#include <unistd.h>

// Points HOME and the XDG folders at a fresh temporary folder for the
// lifetime of the object, so that nothing a test loads touches the real
// home folder or the system's folders.
class TemporaryHome
{
public:
    TemporaryHome()
    {
        char pattern[] = "/tmp/zentrova-home-XXXXXX";
        m_root = mkdtemp(pattern);
        for (int i = 0; i < kNumVariables; ++i)
        {
            const char* value = std::getenv(kVariables[i]);
            m_saved[i] = value ? std::string(value) : std::string();
            m_hadValue[i] = value != nullptr;
        }
        std::filesystem::create_directories(m_root + "/.config");
        std::filesystem::create_directories(m_root + "/.local/share");
        std::filesystem::create_directories(m_root + "/share");
        std::filesystem::create_directories(m_root + "/etc");
        setenv("HOME", m_root.c_str(), 1);
        setenv("XDG_CONFIG_HOME", (m_root + "/.config").c_str(), 1);
        setenv("XDG_DATA_HOME", (m_root + "/.local/share").c_str(), 1);
        setenv("XDG_DATA_DIRS", (m_root + "/share").c_str(), 1);
        setenv("XDG_CONFIG_DIRS", (m_root + "/etc").c_str(), 1);
    }

    ~TemporaryHome()
    {
        for (int i = 0; i < kNumVariables; ++i)
        {
            if (m_hadValue[i])
                setenv(kVariables[i], m_saved[i].c_str(), 1);
            else
                unsetenv(kVariables[i]);
        }
        std::error_code ignored;
        std::filesystem::remove_all(m_root, ignored);
    }

    const std::string& path() const { return m_root; }

private:
    static constexpr int kNumVariables = 5;
    static constexpr const char* kVariables[kNumVariables] = {"HOME", "XDG_CONFIG_HOME", "XDG_DATA_HOME",
                                                              "XDG_DATA_DIRS", "XDG_CONFIG_DIRS"};

    std::string m_root;
    std::string m_saved[kNumVariables];
    bool m_hadValue[kNumVariables] = {};
};
