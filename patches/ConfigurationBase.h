#pragma once

#include <memory>
#include <mutex>

#include "patches/SupportFiles.h"

// The root of the configuration: its support folders and its one lock.
class ConfigurationBase
{
public:
    ConfigurationBase();
    virtual ~ConfigurationBase();

    ConfigurationBase(const ConfigurationBase&) = delete;
    ConfigurationBase& operator=(const ConfigurationBase&) = delete;

    const SupportFiles& getSupportFiles() const { return *m_supportFiles; }

protected:
    // Not recursive: nothing that holds it calls an operation that takes it.
    mutable std::mutex m_mutex;

private:
    std::unique_ptr<SupportFiles> m_supportFiles;
};
