#include "patches/Configuration.h"

#include "Source/Voices/KeyboardHandler.h"
#include "Source/Voices/Voice.h"
#include "Source/patchtree/PatchTree.h"
#include "tests/patches/ConfigurationTestSupport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <limits>
#include <set>

namespace fs = std::filesystem;

namespace
{
class SharedConfiguration : public ::testing::Test
{
protected:
    ConfigurationFiles files;
};

std::array<std::int32_t, Configuration::kNumMidiControllers> mapOf(const Configuration* configuration)
{
    std::array<std::int32_t, Configuration::kNumMidiControllers> map;
    configuration->getMidiControllerMap(map.data());
    return map;
}
} // namespace

TEST_F(SharedConfiguration, InstancesShareOneConfigurationUntilTheLastRelease)
{
    AcquiredConfiguration a;
    AcquiredConfiguration b;
    EXPECT_EQ(a.get(), b.get());
    EXPECT_EQ(a.id(), 0u);
    EXPECT_EQ(b.id(), 1u);
    a.release();
    EXPECT_FALSE(fs::exists(files.userConfigFile())) << "only the last release writes";

    AcquiredConfiguration c;
    EXPECT_EQ(c.get(), b.get());
    EXPECT_EQ(c.id(), 2u) << "ids are not reused while the configuration lives";
    b.release();
    c.release();
    EXPECT_TRUE(fs::exists(files.userConfigFile()));

    AcquiredConfiguration fresh;
    EXPECT_EQ(fresh.id(), 0u) << "a new configuration after the last release";
}

TEST_F(SharedConfiguration, AFreshConfigurationReadsWhatTheLastOneWrote)
{
    {
        AcquiredConfiguration first;
        first->setKnobMode(2);
        first->setHold2Scale(3.25f);
        first->setMidiController(3, 7, 0);
        first->setMidiBankPath(2, 9, "Inst/Pads/Glass");
    }
    AcquiredConfiguration second;
    EXPECT_EQ(second->getKnobMode(), 2);
    EXPECT_EQ(second->getHold2Scale(), 3.25f);
    EXPECT_EQ(second->getMidiController(3), 7);
    EXPECT_EQ(second->getMidiBankPath(2, 9), "Inst/Pads/Glass");
}

TEST_F(SharedConfiguration, StartsWithItsDefaults)
{
    AcquiredConfiguration configuration;
    EXPECT_EQ(configuration->getKnobMode(), -1);
    EXPECT_EQ(configuration->getEditMode(), 1);
    EXPECT_EQ(configuration->getEffectsPanel(), 0);
    EXPECT_EQ(configuration->getLayoutName(), "");
    EXPECT_EQ(configuration->getDamperScale(), 0.5f);
    EXPECT_EQ(configuration->getHold2Scale(), 2.0f);
    EXPECT_TRUE(configuration->getLinearKnobCursorMove());
    EXPECT_EQ(configuration->getTooltipDelay(), 0);
    EXPECT_EQ(configuration->getNumMidiBanks(), 16);
    EXPECT_EQ(configuration->getMidiBankPath(15, 127), "");
    EXPECT_EQ(configuration->getConvertMode(), 0);
    EXPECT_FALSE(configuration->getDeleteOriginal());
    ASSERT_NE(configuration->getPatchTree(), nullptr);
    // The default folders are made and scanned at once: two empty trees.
    EXPECT_NE(configuration->getPatchTree()->findNode("Inst/"), nullptr);
    EXPECT_NE(configuration->getPatchTree()->findNode("FX/"), nullptr);
    EXPECT_EQ(configuration->getPatchTreeCachePath(), files.userFolder() + "/patchtree.bin");
}

TEST_F(SharedConfiguration, DefaultControllerMapLeavesExactlyTheListedControllersFree)
{
    AcquiredConfiguration configuration;
    const auto map = mapOf(configuration.get());
    std::set<int> free;
    for (int controller = 0; controller < Configuration::kNumMidiControllers; ++controller)
        if (map[controller] < 0)
            free.insert(controller);
    const std::set<int> expected = {0,  1,  6,  7,   10,  11,  20,  32,  52,  64,  65,  66,  67, 68,
                                    69, 100, 101, 102, 103, 120, 121, 122, 123, 124, 125, 126, 127};
    EXPECT_EQ(free, expected);
    EXPECT_EQ(map[2], 69);
    EXPECT_EQ(map[5], 0);
    EXPECT_EQ(map[71], 1);
    EXPECT_EQ(map[60], 106);
    EXPECT_EQ(map[119], 7);
}

TEST_F(SharedConfiguration, ControllerMapIsTheExactInverseOfTheParametersControllers)
{
    AcquiredConfiguration configuration;
    const auto map = mapOf(configuration.get());
    int assigned = 0;
    for (int parameter = 0; parameter < Configuration::kNumControllableParameters; ++parameter)
    {
        const int controller = configuration->getMidiController(parameter);
        if (controller < 0)
            continue;
        ++assigned;
        EXPECT_EQ(map[controller], parameter) << parameter;
    }
    EXPECT_EQ(assigned, 128 - 27);
    for (int parameter : {-1, 107, 1000})
        EXPECT_EQ(configuration->getMidiController(parameter), -1);
}

TEST_F(SharedConfiguration, TakingAHeldControllerFreesItsHolderAndTheOldController)
{
    AcquiredConfiguration configuration;
    configuration->setMidiController(8, 7, 0);
    const int oldController = configuration->getMidiController(3);
    ASSERT_GE(oldController, 0);
    EXPECT_EQ(configuration->assignMidiController(3, 7, 0), 8);
    EXPECT_EQ(configuration->getMidiController(3), 7);
    EXPECT_EQ(configuration->getMidiController(8), -1);
    const auto map = mapOf(configuration.get());
    EXPECT_EQ(map[7], 3);
    EXPECT_EQ(map[oldController], -1);
}

TEST_F(SharedConfiguration, GivingAParameterItsOwnControllerChangesNothing)
{
    AcquiredConfiguration configuration;
    const auto before = mapOf(configuration.get());
    EXPECT_EQ(configuration->setMidiController(1, 71, 0), -1);
    EXPECT_EQ(mapOf(configuration.get()), before);
    EXPECT_EQ(configuration->getMidiController(1), 71);
}

TEST_F(SharedConfiguration, ControllerMinusOneClearsTheParameterAndFreesItsController)
{
    AcquiredConfiguration configuration;
    EXPECT_EQ(configuration->setMidiController(1, -1, 0), -1);
    EXPECT_EQ(configuration->getMidiController(1), -1);
    EXPECT_EQ(mapOf(configuration.get())[71], -1);
}

TEST_F(SharedConfiguration, MidiLearnRefusesTheModulationWheel)
{
    AcquiredConfiguration configuration;
    const auto before = mapOf(configuration.get());
    EXPECT_EQ(configuration->assignMidiController(3, 1, kMidiControllerMapChanged),
              Configuration::kControllerRefused);
    EXPECT_EQ(mapOf(configuration.get()), before);
    EXPECT_EQ(configuration->setMidiController(3, 1, 0), -1) << "only learning refuses it";
    EXPECT_EQ(configuration->getMidiController(3), 1);
}

TEST_F(SharedConfiguration, OutOfRangeAssignmentsChangeNothingAndTellNoClient)
{
    PluginInstance plugin;
    ASSERT_NE(plugin.get(), nullptr);
    Configuration* configuration = plugin->getConfiguration();
    const auto before = mapOf(configuration);
    // A stale value in the client shows whether it was told.
    plugin->getKeyboardHandler().setDamperScale(0.0f);
    EXPECT_EQ(configuration->setMidiController(3, 128, kDamperScaleChanged), -1);
    EXPECT_EQ(configuration->setMidiController(107, 7, kDamperScaleChanged), -1);
    EXPECT_EQ(configuration->assignMidiController(-1, 7, kDamperScaleChanged), -1);
    EXPECT_EQ(configuration->assignMidiController(3, -2, kDamperScaleChanged), -1);
    EXPECT_EQ(plugin->getKeyboardHandler().getDamperScale(), 0);
    EXPECT_EQ(mapOf(configuration), before);

    EXPECT_EQ(configuration->setMidiController(3, 7, kDamperScaleChanged), -1);
    EXPECT_EQ(plugin->getKeyboardHandler().getDamperScale(), 128) << "an accepted change tells the clients";
}

TEST_F(SharedConfiguration, LearningWithNotifyReloadsTheMapOfEveryInstance)
{
    PluginInstance first;
    PluginInstance second;
    ASSERT_EQ(first->getConfiguration(), second->getConfiguration());
    // Called as the editor's learn binding calls it, with the lock's own
    // change handlers reading the map back.
    EXPECT_EQ(first->getConfiguration()->assignMidiController(10, 7, kMidiControllerMapChanged), -1);
    second.controlChange(7, 127);
    EXPECT_EQ(second->getParameter(10), 1.0f);
    first.controlChange(7, 0);
    EXPECT_EQ(first->getParameter(10), 0.0f);
}

TEST_F(SharedConfiguration, TwoInstancesShareTheConfigurationAndTheLastToCloseWritesIt)
{
    auto first = std::make_unique<PluginInstance>();
    auto second = std::make_unique<PluginInstance>();
    ASSERT_EQ((*first)->getConfiguration(), (*second)->getConfiguration());
    (*first)->getConfiguration()->setKnobMode(1);
    first.reset();
    EXPECT_FALSE(fs::exists(files.userConfigFile()));
    second.reset();
    ASSERT_TRUE(fs::exists(files.userConfigFile()));
    EXPECT_NE(readTextFile(files.userConfigFile()).find("{Knob Mode}{Relative Circular}\n"), std::string::npos);
}

TEST_F(SharedConfiguration, SettersIgnoreOutOfRangeValuesAndTellEveryClientOfTheRest)
{
    PluginInstance plugin;
    Configuration* configuration = plugin->getConfiguration();
    for (float bad : {1.5f, -0.1f, std::numeric_limits<float>::quiet_NaN()})
        configuration->setDamperScale(bad);
    EXPECT_EQ(configuration->getDamperScale(), 0.5f);
    for (float bad : {-1.0f, std::numeric_limits<float>::infinity(), std::numeric_limits<float>::quiet_NaN()})
        configuration->setHold2Scale(bad);
    EXPECT_EQ(configuration->getHold2Scale(), 2.0f);
    for (int bad : {-2, 3})
        configuration->setKnobMode(bad);
    EXPECT_EQ(configuration->getKnobMode(), -1);

    configuration->setDamperScale(0.25f);
    EXPECT_EQ(plugin->getKeyboardHandler().getDamperScale(), 64);
    configuration->setHold2Scale(4.0f);
    EXPECT_EQ(plugin->getVoiceEngine()->getHold2Scale(), 4.0f);
    configuration->setKnobMode(0);
    EXPECT_EQ(configuration->getKnobMode(), 0);
}

TEST_F(SharedConfiguration, MidiBankIndicesAreCheckedWhereverTheyAreUsed)
{
    AcquiredConfiguration configuration;
    EXPECT_TRUE(configuration->setMidiBankPath(0, 127, "Inst/A/B"));
    EXPECT_EQ(configuration->getMidiBankPath(0, 127), "Inst/A/B");
    for (auto [bank, program] : {std::pair{-1, 0}, {16, 0}, {0, -1}, {0, 128}, {1000000, 5}})
        EXPECT_EQ(configuration->getMidiBankPath(bank, program), "") << bank << " " << program;
    for (auto [bank, program] : {std::pair{-1, 0}, {128, 0}, {0, -1}, {0, 128}})
        EXPECT_FALSE(configuration->setMidiBankPath(bank, program, "x")) << bank << " " << program;
    EXPECT_EQ(configuration->getNumMidiBanks(), 16);
}

TEST_F(SharedConfiguration, SettingAPathInALaterBankAddsTheBanksUpToIt)
{
    AcquiredConfiguration configuration;
    EXPECT_TRUE(configuration->setMidiBankPath(20, 3, "FX/Echoes/Long"));
    EXPECT_EQ(configuration->getNumMidiBanks(), 21);
    EXPECT_EQ(configuration->getMidiBankPath(20, 3), "FX/Echoes/Long");
    EXPECT_EQ(configuration->getMidiBankPath(19, 3), "");
    EXPECT_TRUE(configuration->setMidiBankPath(127, 0, "x"));
    EXPECT_EQ(configuration->getNumMidiBanks(), 128);
}

TEST_F(SharedConfiguration, EachNewConfigurationStartsFromTheDefaultControllerMap)
{
    std::array<std::int32_t, Configuration::kNumMidiControllers> defaults;
    {
        AcquiredConfiguration configuration;
        defaults = mapOf(configuration.get());
        configuration->setMidiController(3, 7, 0);
        configuration->setMidiController(1, -1, 0);
    }
    fs::remove(files.userConfigFile());
    AcquiredConfiguration next;
    EXPECT_EQ(mapOf(next.get()), defaults);
}

TEST_F(SharedConfiguration, LayoutNameRefusesTextTheFileCannotHold)
{
    AcquiredConfiguration configuration;
    EXPECT_TRUE(configuration->setLayoutName("Large"));
    EXPECT_FALSE(configuration->setLayoutName("Lar}ge"));
    EXPECT_FALSE(configuration->setLayoutName("Lar\nge"));
    EXPECT_EQ(configuration->getLayoutName(), "Large");
}
