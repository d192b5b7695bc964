// The instrument deliverable as a host sees it, beside the effect: same
// sources, its own identity.

#include "tools/HostedPlugin.h"
#include "tests/support/TemporaryHome.h"

#include <gtest/gtest.h>

#include <memory>

namespace
{
std::unique_ptr<HostedPlugin> load(const char* path)
{
    HostSettings settings;
    settings.blockSize = 256;
    return std::make_unique<HostedPlugin>(path, settings);
}

class InstrumentFlavour : public ::testing::Test
{
protected:
    TemporaryHome home;
};
}

TEST_F(InstrumentFlavour, RecordAnnouncesASynthesizerWithoutInputs)
{
    auto plugin = load(ZENTROVA_INSTRUMENT_PLUGIN_PATH);
    const AEffect* record = plugin->effect();
    EXPECT_EQ(plugin->library().entryName(), "VSTPluginMain");
    EXPECT_EQ(record->magic, kEffectMagic);
    EXPECT_EQ(record->numPrograms, 128);
    EXPECT_EQ(record->numParams, 155);
    EXPECT_EQ(record->numInputs, 0);
    EXPECT_EQ(record->numOutputs, 2);
    EXPECT_TRUE(record->flags & effFlagsIsSynth);
    EXPECT_TRUE(record->flags & effFlagsCanReplacing);
    EXPECT_TRUE(record->flags & effFlagsProgramChunks);
    EXPECT_EQ(record->uniqueID, fourCharCode("Zen2"));
    EXPECT_EQ(plugin->dispatch(effGetPlugCategory), kPlugCategSynth);
}

TEST_F(InstrumentFlavour, AnswersItsOwnIdentity)
{
    auto instrument = load(ZENTROVA_INSTRUMENT_PLUGIN_PATH);
    EXPECT_EQ(instrument->effectName(), "Zentrova2");
    EXPECT_EQ(instrument->productString(), "Zentrova2 Synth");
    EXPECT_EQ(instrument->vendorString(), "Vorlix");

    auto effect = load(ZENTROVA_EFFECT_PLUGIN_PATH);
    EXPECT_EQ(effect->effectName(), "Zentrova2FX");
    EXPECT_FALSE(effect->effect()->flags & effFlagsIsSynth);
    EXPECT_EQ(effect->dispatch(effGetPlugCategory), 0);
}

TEST_F(InstrumentFlavour, RefusesEveryInputPropertyQuery)
{
    auto instrument = load(ZENTROVA_INSTRUMENT_PLUGIN_PATH);
    VstPinProperties properties{};
    for (int index = -1; index < 4; ++index)
        EXPECT_FALSE(instrument->pinProperties(true, index, properties)) << index;
    EXPECT_TRUE(instrument->pinProperties(false, 0, properties));
    EXPECT_TRUE(instrument->pinProperties(false, 1, properties));
}
