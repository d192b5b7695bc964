#pragma once

#include "Source/shared/SingletonPointer.h"

class Configuration;

// The holder of the process-wide configuration of this deliverable.
class ConfigurationPointer : public SingletonPointer<Configuration>
{
public:
    // When the library goes: a configuration still alive is written, then
    // deleted.
    ~ConfigurationPointer() override;

    // A configuration alive is written (and kept).
    void saveNow();

    // Deletes the configuration without writing it.
    void release() override;
};
