#pragma once

// What changed, as told to the configuration's clients.
enum ConfigurationChange : unsigned
{
    kMidiControllerMapChanged = 1,
    kKnobModeChanged = 2,
    kDamperScaleChanged = 4,
    kHold2ScaleChanged = 8,
};

// A client of the shared configuration, one per plug-in instance: it is told
// which settings changed and applies those that concern it. The
// configuration never holds its lock while it tells a client, so the client
// may read and change the configuration in return.
class ConfigurationClient
{
public:
    virtual ~ConfigurationClient();

    // mask: the ConfigurationChange bits of the settings that changed.
    virtual void configurationChanged(unsigned mask) = 0;
};
