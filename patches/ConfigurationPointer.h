#pragma once

#include "Source/SingletonPointer.h"

class Configuration;

// The holder of the process-wide configuration of this deliverable.
class ConfigurationPointer : public SingletonPointer<Configuration>
{
public:
    ~ConfigurationPointer() override;

    void release() override;
};
