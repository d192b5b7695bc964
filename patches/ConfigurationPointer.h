#pragma once

#include "Source/shared/SingletonPointer.h"

class Configuration;

// The holder of the process-wide configuration of this deliverable.
class ConfigurationPointer : public SingletonPointer<Configuration>
{
public:
    // At unload: a configuration still alive is written, then deleted.
    ~ConfigurationPointer() override;

    // Deletes the configuration without writing it.
    void release() override;
};
