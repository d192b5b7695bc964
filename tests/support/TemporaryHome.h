#pragma once

#include <cstdlib>
#include <filesystem>
#include <string>

#include <unistd.h>

// Points HOME and the XDG folders at a fresh temporary folder for the
// lifetime of the object, so that nothing a test loads touches the real
// home folder.
class TemporaryHome
{
public:
    TemporaryHome()
    {
        char pattern[] = "/tmp/zentrova-home-XXXXXX";
        m_root = mkdtemp(pattern);
        for (const char* name : {"HOME", "XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_DATA_DIRS"})
        {
            const char* value = std::getenv(name);
            m_saved[index(name)] = value ? std::string(value) : std::string();
            m_hadValue[index(name)] = value != nullptr;
        }
        std::filesystem::create_directories(m_root + "/.config");
        std::filesystem::create_directories(m_root + "/.local/share");
        std::filesystem::create_directories(m_root + "/share");
        setenv("HOME", m_root.c_str(), 1);
        setenv("XDG_CONFIG_HOME", (m_root + "/.config").c_str(), 1);
        setenv("XDG_DATA_HOME", (m_root + "/.local/share").c_str(), 1);
        setenv("XDG_DATA_DIRS", (m_root + "/share").c_str(), 1);
    }

    ~TemporaryHome()
    {
        for (const char* name : {"HOME", "XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_DATA_DIRS"})
        {
            if (m_hadValue[index(name)])
                setenv(name, m_saved[index(name)].c_str(), 1);
            else
                unsetenv(name);
        }
        std::error_code ignored;
        std::filesystem::remove_all(m_root, ignored);
    }

    const std::string& path() const { return m_root; }

private:
    static int index(const std::string& name)
    {
        return name == "HOME" ? 0 : name == "XDG_CONFIG_HOME" ? 1 : name == "XDG_DATA_HOME" ? 2 : 3;
    }

    std::string m_root;
    std::string m_saved[4];
    bool m_hadValue[4] = {};
};
