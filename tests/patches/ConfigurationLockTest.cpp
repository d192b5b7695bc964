// The configuration used from several threads at once, as hosts do: the
// audio thread's look-ups and learning beside the editor's changes, and
// instances opened and closed on two threads.

#include "patches/Configuration.h"

#include "tests/patches/ConfigurationTestSupport.h"

#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <thread>
#include <vector>

TEST(ConfigurationLock, AudioThreadLookUpsAndLearningRunBesideEditorChanges)
{
    ConfigurationFiles files;
    PluginInstance first;
    PluginInstance second;
    Configuration* configuration = first->getConfiguration();
    std::atomic<bool> stop{false};

    std::thread audio([&] {
        std::int32_t map[Configuration::kNumMidiControllers];
        for (int round = 0; round < 2000; ++round)
        {
            configuration->assignMidiController(round % 107, 2 + round % 100, kMidiControllerMapChanged);
            for (int parameter = 0; parameter < 107; parameter += 13)
                configuration->getMidiController(parameter);
            configuration->getMidiControllerMap(map);
            configuration->getMidiBankPath(round % 16, round % 128);
            second.controlChange(2 + round % 100, round % 128);
        }
        stop = true;
    });
    for (int round = 0; !stop; ++round)
    {
        configuration->setKnobMode(round % 4 - 1);
        configuration->setDamperScale(static_cast<float>(round % 5) / 4.0f);
        configuration->setHold2Scale(static_cast<float>(round % 3));
        configuration->setMidiBankPath(round % 16, round % 128, "Inst/Bank/" + std::to_string(round));
        configuration->setPatchMemory(round % 8, "Inst/Bank#" + std::to_string(round));
        configuration->setLayoutName(configuration->getLayoutName() == "A" ? "B" : "A");
        configuration->setMidiController(round % 107, -1, kMidiControllerMapChanged);
        configuration->getPatchMemory(round % 8);
    }
    audio.join();

    std::int32_t map[Configuration::kNumMidiControllers];
    configuration->getMidiControllerMap(map);
    for (int controller = 0; controller < Configuration::kNumMidiControllers; ++controller)
    {
        if (map[controller] >= 0)
        {
            EXPECT_EQ(configuration->getMidiController(map[controller]), controller);
        }
    }
    for (int parameter = 0; parameter < Configuration::kNumControllableParameters; ++parameter)
    {
        const int controller = configuration->getMidiController(parameter);
        if (controller >= 0)
        {
            EXPECT_EQ(map[controller], parameter);
        }
    }
}

TEST(ConfigurationLock, InstancesOpenedAndClosedOnTwoThreadsShareOneConfiguration)
{
    ConfigurationFiles files;
    auto openAndClose = [] {
        for (int round = 0; round < 20; ++round)
        {
            PluginInstance plugin;
            plugin->getConfiguration()->setKnobMode(1);
        }
    };
    std::thread other(openAndClose);
    openAndClose();
    other.join();
    EXPECT_TRUE(std::filesystem::exists(files.userConfigFile()));
    AcquiredConfiguration configuration;
    EXPECT_EQ(configuration.id(), 0u) << "every client was released";
    EXPECT_EQ(configuration->getKnobMode(), 1);
}

namespace
{
// A client that answers a change by reading the configuration and making a
// change of its own, as an editor may.
class AnsweringClient : public ConfigurationClient
{
public:
    void configurationChanged(unsigned mask) override
    {
        masks.push_back(mask);
        if ((mask & kKnobModeChanged) && configuration && configuration->getKnobMode() == 2)
            configuration->setDamperScale(0.25f);
    }
    Configuration* configuration = nullptr;
    std::vector<unsigned> masks;
};
} // namespace

TEST(ConfigurationLock, ClientsAreToldOutsideTheLockAndMayChangeSettingsInTurn)
{
    ConfigurationFiles files;
    AnsweringClient client;
    AcquiredConfiguration configuration(effectFlavour(), &client);
    client.configuration = configuration.get();
    configuration->setClientActive(configuration.id(), true);
    client.masks.clear();

    configuration->setKnobMode(2);
    EXPECT_EQ(configuration->getDamperScale(), 0.25f);
    EXPECT_EQ(client.masks, (std::vector<unsigned>{kKnobModeChanged, kDamperScaleChanged}));

    // Once deactivated, the client hears nothing more.
    configuration->setClientActive(configuration.id(), false);
    configuration->setHold2Scale(1.0f);
    EXPECT_EQ(client.masks.size(), 2u);
}
