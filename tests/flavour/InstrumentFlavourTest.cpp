// What sets the instrument apart from the effect, side by side: identity,
// pins, the audio input, and each one's side of the configuration and of the
// patch library they share. Everything else runs against both in the shared
// suites.

#include "Source/Zentrova.h"
#include "Source/patchtree/PatchTree.h"
#include "patches/Configuration.h"
#include "patches/PatchFileHandler.h"
#include "tests/patches/ConfigurationTestSupport.h"
#include "tests/support/Deliverables.h"
#include "tests/support/MidiEvents.h"
#include "tests/support/PatchDocuments.h"
#include "tools/HostedPlugin.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace
{
class InstrumentFlavour : public ::testing::Test
{
protected:
    std::unique_ptr<PluginInstance> open(const Deliverable& deliverable)
    {
        return std::make_unique<PluginInstance>(PluginInstance::quietHost, *deliverable.flavour);
    }

    std::string patchFolder(const Deliverable& deliverable, const std::string& bank) const
    {
        return files.userFolder() + "/" + deliverable.patchFolder + "/" + bank;
    }

    // The loudest sample of a second with one note held, a sine at both
    // inputs, and a patch whose oscillators and noise play the audio input.
    static float loudestWithInput(const Deliverable& deliverable)
    {
        std::unique_ptr<HostedPlugin> plugin = loadPlugin(deliverable);
        const ParameterTexts patch = {
            {"Osc1Waveform", "Audio Input"}, {"Osc2Waveform", "Audio Input"}, {"NoiseType", "Audio Input"}};
        EXPECT_EQ(plugin->setChunk(plainChunk(patchDocument("609", patch)), true), 1);
        plugin->resume();
        const int block = 256;
        std::vector<float> left(block), right(block), sine(block);
        float* outputs[] = {left.data(), right.data()};
        float* inputs[] = {sine.data(), sine.data()};
        float loudest = 0.0f;
        for (int done = 0; done < 48000; done += block)
        {
            for (int i = 0; i < block; ++i)
                sine[i] = 0.5f * std::sin(0.0576f * static_cast<float>(done + i));
            std::vector<VstMidiEvent> events;
            if (done == 0)
                events.push_back(midiEvent(0, 0x90, 60, 100));
            plugin->processBlock(events, inputs, outputs, block);
            for (int i = 0; i < block; ++i)
                loudest = std::max({loudest, std::fabs(left[i]), std::fabs(right[i])});
        }
        return loudest;
    }

    ConfigurationFiles files;
};
} // namespace

TEST_F(InstrumentFlavour, EachDeliverableAnnouncesItsOwnIdentity)
{
    struct Identity
    {
        const Deliverable& deliverable;
        const char* effectName;
        const char* productString;
        VstInt32 uniqueId;
        int inputs;
        bool synth;
        VstIntPtr category;
    };
    for (const Identity& expected : {
             Identity{effectDeliverable(), "Zentrova2FX", "Zentrova2 Effect", fourCharCode("Z2FX"), 2, false, kPlugCategEffect},
             Identity{instrumentDeliverable(), "Zentrova2", "Zentrova2 Synth", fourCharCode("Zen2"), 0, true, kPlugCategSynth},
         })
    {
        SCOPED_TRACE(expected.deliverable.name);
        std::unique_ptr<HostedPlugin> plugin = loadPlugin(expected.deliverable);
        const AEffect* record = plugin->effect();
        EXPECT_EQ(plugin->effectName(), expected.effectName);
        EXPECT_EQ(plugin->productString(), expected.productString);
        EXPECT_EQ(plugin->vendorString(), "Vorlix");
        EXPECT_EQ(record->uniqueID, expected.uniqueId);
        EXPECT_EQ(record->numInputs, expected.inputs);
        EXPECT_EQ(record->numOutputs, 2);
        EXPECT_EQ((record->flags & effFlagsIsSynth) != 0, expected.synth);
        EXPECT_TRUE(record->flags & effFlagsCanReplacing);
        EXPECT_TRUE(record->flags & effFlagsProgramChunks);
        EXPECT_EQ(plugin->dispatch(effGetPlugCategory), expected.category);
    }
}

TEST_F(InstrumentFlavour, OnlyTheEffectHasInputPins)
{
    std::unique_ptr<HostedPlugin> effect = loadPlugin(effectDeliverable());
    VstPinProperties pin;
    ASSERT_TRUE(effect->pinProperties(true, 0, pin));
    EXPECT_STREQ(pin.label, "Input Left");
    EXPECT_EQ(pin.flags, kVstPinIsActive | kVstPinIsStereo);
    ASSERT_TRUE(effect->pinProperties(true, 1, pin));
    EXPECT_STREQ(pin.label, "Input Right");
    EXPECT_EQ(pin.flags, kVstPinIsActive);
    EXPECT_FALSE(effect->pinProperties(true, 2, pin));
    EXPECT_FALSE(effect->pinProperties(true, -1, pin));

    std::unique_ptr<HostedPlugin> instrument = loadPlugin(instrumentDeliverable());
    for (int index : {-1, 0, 1, 2, 1000})
        EXPECT_FALSE(instrument->pinProperties(true, index, pin)) << index;
    EXPECT_TRUE(instrument->pinProperties(false, 1, pin)) << "its outputs are the effect's";
}

TEST_F(InstrumentFlavour, TheInstrumentNeverHearsTheHostsInput)
{
    EXPECT_GT(loudestWithInput(effectDeliverable()), 0.01f);
    // Silence, but for what the effects' denormal guard leaves of it.
    EXPECT_LT(loudestWithInput(instrumentDeliverable()), 1e-12f);
}

TEST_F(InstrumentFlavour, SavedFilesCarryTheSavingDeliverablesIdentity)
{
    struct Written
    {
        const Deliverable& deliverable;
        const char* programId;
        const char* auSubtype;
        const char* auType;
        std::uint32_t flavourBit;
    };
    for (const Written& expected : {
             Written{effectDeliverable(), "Z2FX", "2050123384", "1635083896", kFileTypeEffect},
             Written{instrumentDeliverable(), "Zen2", "2053467698", "1635085685", kFileTypeInstrument},
         })
    {
        SCOPED_TRACE(expected.deliverable.name);
        const std::string folder = files.home() + "/Saved/" + expected.deliverable.name;
        fs::create_directories(folder);
        {
            std::unique_ptr<PluginInstance> plugin = open(expected.deliverable);
            EXPECT_EQ((*plugin)->getConfiguration()->getPatchFormatFlags(), static_cast<int>(kFileTypeFxp | expected.flavourBit));
            (*plugin)->savePatchAs(folder, "Kept", kFileTypeAupreset | kFileTypeFxp | kFileTypeTfx, false, false);
        }
        const std::string program = readTextFile(folder + "/Kept.fxp");
        ASSERT_GE(program.size(), 20u);
        EXPECT_EQ(program.substr(16, 4), expected.programId);
        const std::string preset = readTextFile(folder + "/Kept.aupreset");
        EXPECT_NE(preset.find(std::string("<key>subtype</key>\n\t<integer>") + expected.auSubtype), std::string::npos);
        EXPECT_NE(preset.find(std::string("<key>type</key>\n\t<integer>") + expected.auType), std::string::npos);
        const std::string host = readTextFile(folder + "/Kept.tfx");
        ASSERT_GE(host.size(), 16u);
        EXPECT_EQ(host.substr(12, 4), expected.programId);

        EXPECT_EQ(PatchFileHandler::classifyPatchFile(folder + "/Kept.fxp"), kFileTypeFxp | expected.flavourBit);
        EXPECT_EQ(PatchFileHandler::classifyPatchFile(folder + "/Kept.aupreset"),
                  kFileTypeAupreset | expected.flavourBit);
        EXPECT_EQ(PatchFileHandler::classifyPatchFile(folder + "/Kept.tfx"), kFileTypeTfx | expected.flavourBit);
    }
}

TEST_F(InstrumentFlavour, EachPlaysThePatchesTheOtherSaved)
{
    for (const Deliverable* saver : {&instrumentDeliverable(), &effectDeliverable()})
    {
        const Deliverable& reader = saver->isEffect ? instrumentDeliverable() : effectDeliverable();
        SCOPED_TRACE(std::string(saver->name) + " saves");
        fs::create_directories(patchFolder(*saver, "Pads"));
        {
            std::unique_ptr<PluginInstance> plugin = open(*saver);
            (*plugin)->setParameter(0, 0.25f);
            (*plugin)->savePatchAs(patchFolder(*saver, "Pads"), "Shared", 0, true, false);
        }
        std::unique_ptr<PluginInstance> plugin = open(reader);
        Zentrova& other = *plugin->get();
        const std::string address = std::string(saver->treePrefix) + "Pads/Shared";
        const PatchInfoPointer info = other.getConfiguration()->getPatchTree()->getPatchInfo(address);
        ASSERT_NE(info, nullptr) << address;
        EXPECT_EQ(info->patchType & 0xFF, kFileTypeFxp | (saver->isEffect ? kFileTypeEffect : kFileTypeInstrument));
        EXPECT_EQ(info->patchTypeError, 0u) << "in its own flavour's tree";
        other.selectBank(std::string(saver->treePrefix) + "Pads/", true);
        char name[64] = {};
        other.getProgramName(name);
        EXPECT_STREQ(name, "Shared");
        EXPECT_EQ(other.getParameter(0), 0.25f);
    }
}

TEST_F(InstrumentFlavour, MirroredMemoriesAreTheInstrumentsOwn)
{
    files.writeUserFile("{Inst Patch Memories}{Inst/A#a;Inst/B#b;;;}\n{FX Patch Memories}{dup}\n");
    fs::create_directories(patchFolder(instrumentDeliverable(), "Pads"));
    fs::create_directories(patchFolder(effectDeliverable(), "Bass"));
    {
        std::unique_ptr<PluginInstance> instrument = open(instrumentDeliverable());
        EXPECT_EQ((*instrument)->getConfiguration()->getPatchMemory(1), "Inst/B#b");
        (*instrument)->selectBank("Inst/Pads/", false);
        (*instrument)->storePatchMemory(2, true);
    }
    {
        std::unique_ptr<PluginInstance> effect = open(effectDeliverable());
        EXPECT_EQ((*effect)->getConfiguration()->getPatchMemory(1), "Inst/B#b");
        EXPECT_EQ((*effect)->recallPatchMemory(2, false), "Inst/Pads/") << "what the instrument stored";
        (*effect)->selectBank("FX/Bass/", false);
        (*effect)->storePatchMemory(3, true);
    }
    EXPECT_NE(readTextFile(files.userConfigFile()).find("{FX Patch Memories}{dup}"), std::string::npos);
    std::unique_ptr<PluginInstance> instrument = open(instrumentDeliverable());
    EXPECT_EQ((*instrument)->getConfiguration()->getPatchMemory(3), "FX/Bass/") << "what the mirroring effect stored";
}

TEST_F(InstrumentFlavour, WithoutMirroringTheEffectKeepsItsOwnMemories)
{
    files.writeUserFile("{Inst Patch Memories}{Inst/A#a;Inst/B#b;;;}\n{FX Patch Memories}{FX/E#e;FX/F#f;;;}\n");
    {
        std::unique_ptr<PluginInstance> effect = open(effectDeliverable());
        EXPECT_EQ((*effect)->getConfiguration()->getPatchMemory(1), "FX/F#f");
        EXPECT_TRUE((*effect)->getConfiguration()->setPatchMemory(1, "FX/G#g"));
    }
    std::unique_ptr<PluginInstance> instrument = open(instrumentDeliverable());
    EXPECT_EQ((*instrument)->getConfiguration()->getPatchMemory(1), "Inst/B#b");
}
