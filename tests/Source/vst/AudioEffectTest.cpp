#include "Source/vst/AEffEditor.h"
#include "Source/vst/AudioEffectX.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <vector>

namespace
{
struct HostCall
{
    VstInt32 opcode;
    VstInt32 index;
    VstIntPtr value;
    float opt;
};

std::vector<HostCall> hostCalls;

VstIntPtr recordingHost(AEffect*, VstInt32 opcode, VstInt32 index, VstIntPtr value, void*, float opt)
{
    hostCalls.push_back({opcode, index, value, opt});
    return opcode == audioMasterVersion ? 2400 : 1;
}

int instances = 0;

class ProbeEffect : public AudioEffectX
{
public:
    explicit ProbeEffect(audioMasterCallback host = recordingHost) : AudioEffectX(host, 4, 10) { ++instances; }
    ~ProbeEffect() override { --instances; }

    void suspend() override { log.push_back("suspend"); }
    void resume() override
    {
        log.push_back("resume");
        AudioEffectX::resume();
    }
    void setProgram(VstInt32 program) override { log.push_back("program " + std::to_string(program)); }
    void setParameter(VstInt32 index, float value) override
    {
        log.push_back("parameter " + std::to_string(index) + " " + std::to_string(value));
    }
    VstInt32 getChunk(void** data, bool isPreset) override
    {
        *data = chunk;
        return isPreset ? 1 : 2;
    }
    VstInt32 setChunk(void*, VstInt32 size, bool isPreset) override { return size * 10 + (isPreset ? 1 : 0); }
    VstInt32 canDo(char* text) override { return std::string(text) == "receiveVstMidiEvent" ? receivesMidi : -1; }
    VstInt32 processEvents(VstEvents*) override { throw std::runtime_error("escaped"); }

    std::vector<std::string> log;
    VstInt32 receivesMidi = 1;
    char chunk[4] = {1, 2, 3, 4};
};

class ProbeEditor : public AEffEditor
{
public:
    using AEffEditor::AEffEditor;
    bool onKeyDown(VstKeyCode& key) override
    {
        lastKey = key;
        return true;
    }
    bool setKnobMode(VstInt32 mode) override
    {
        knobMode = mode;
        return true;
    }
    VstKeyCode lastKey{};
    VstInt32 knobMode = -1;
};

VstIntPtr dispatch(AEffect* effect, VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0, void* ptr = nullptr,
                   float opt = 0.0f)
{
    return effect->dispatcher(effect, opcode, index, value, ptr, opt);
}
} // namespace

TEST(AudioEffect, RecordStartsWithTheInterfaceDefaults)
{
    ProbeEffect effect;
    const AEffect* record = effect.getAeffect();
    EXPECT_EQ(record->magic, 0x56737450);
    EXPECT_EQ(record->numPrograms, 4);
    EXPECT_EQ(record->numParams, 10);
    EXPECT_EQ(record->numInputs, 1);
    EXPECT_EQ(record->numOutputs, 2);
    EXPECT_EQ(record->flags, effFlagsCanReplacing);
    EXPECT_EQ(record->ioRatio, 1.0f);
    EXPECT_EQ(record->uniqueID, 0x4E6F4566);
    EXPECT_EQ(record->version, 1);
    EXPECT_EQ(record->object, &effect);
    EXPECT_NE(record->processReplacing, nullptr);
    EXPECT_NE(record->processDoubleReplacing, nullptr);
    EXPECT_EQ(effect.getSampleRate(), 44100.0f);
    EXPECT_EQ(effect.getBlockSize(), 1024);
}

TEST(AudioEffect, CloseDeletesTheObjectAndAnswersOne)
{
    instances = 0;
    auto* effect = new ProbeEffect;
    ASSERT_EQ(instances, 1);
    EXPECT_EQ(dispatch(effect->getAeffect(), effClose), 1);
    EXPECT_EQ(instances, 0);
}

TEST(AudioEffect, FixedAnswersWhateverTheArguments)
{
    ProbeEffect effect;
    AEffect* record = effect.getAeffect();
    EXPECT_EQ(dispatch(record, effIdentify, 5, 7, nullptr, 3.0f), 0x4E764566);
    EXPECT_EQ(dispatch(record, effGetVstVersion), 2400);
    for (VstInt32 index : {0, 9, 500})
        EXPECT_EQ(dispatch(record, effCanBeAutomated, index), 1);
    EXPECT_EQ(dispatch(record, effGetCurrentMidiProgram), -1);
    EXPECT_EQ(dispatch(record, effGetTailSize), 0);
    EXPECT_EQ(dispatch(record, 80), 0);
    EXPECT_EQ(dispatch(record, -3), 0);
    EXPECT_EQ(dispatch(record, effGetPlugCategory), kPlugCategUnknown);
    effect.isSynth();
    EXPECT_EQ(dispatch(record, effGetPlugCategory), kPlugCategSynth);
}

TEST(AudioEffect, MainsChangedSuspendsOnZeroAndResumesOtherwise)
{
    ProbeEffect effect;
    AEffect* record = effect.getAeffect();
    dispatch(record, effMainsChanged, 0, 0);
    dispatch(record, effMainsChanged, 0, 1);
    dispatch(record, effMainsChanged, 0, 7);
    EXPECT_EQ(effect.log, (std::vector<std::string>{"suspend", "resume", "resume"}));
}

TEST(AudioEffect, ProgramChangesOutsideTheProgramsAreIgnored)
{
    ProbeEffect effect;
    AEffect* record = effect.getAeffect();
    dispatch(record, effSetProgram, 0, 3);
    dispatch(record, effSetProgram, 0, 4);
    dispatch(record, effSetProgram, 0, -1);
    EXPECT_EQ(effect.log, (std::vector<std::string>{"program 3"}));
}

TEST(AudioEffect, ChunkCallsPassTheProgramFlagFromTheIndex)
{
    ProbeEffect effect;
    AEffect* record = effect.getAeffect();
    void* data = nullptr;
    EXPECT_EQ(dispatch(record, effGetChunk, 0, 0, &data), 2);
    EXPECT_EQ(data, effect.chunk);
    EXPECT_EQ(dispatch(record, effGetChunk, 1, 0, &data), 1);
    EXPECT_EQ(dispatch(record, effSetChunk, 0, 5, effect.chunk), 50);
    EXPECT_EQ(dispatch(record, effSetChunk, 3, 5, effect.chunk), 51);
}

TEST(AudioEffect, EditorOpcodesAnswerZeroWithoutAnEditor)
{
    ProbeEffect effect;
    AEffect* record = effect.getAeffect();
    ERect* rect = nullptr;
    EXPECT_EQ(dispatch(record, effEditGetRect, 0, 0, &rect), 0);
    EXPECT_EQ(dispatch(record, effEditOpen), 0);
    EXPECT_EQ(dispatch(record, effEditIdle), 0);
    EXPECT_EQ(dispatch(record, effEditKeyDown, 'a', 3, nullptr, 1.0f), 0);
    EXPECT_EQ(dispatch(record, effSetEditKnobMode, 0, 2), 0);
}

TEST(AudioEffect, EditorReceivesKeysAndKnobModeAndSetsTheEditorFlag)
{
    ProbeEffect effect;
    AEffect* record = effect.getAeffect();
    auto* editor = new ProbeEditor(&effect);
    effect.setEditor(editor);
    EXPECT_TRUE(record->flags & effFlagsHasEditor);
    EXPECT_EQ(dispatch(record, effEditKeyDown, 'a', 3, nullptr, 4.0f), 1);
    EXPECT_EQ(editor->lastKey.character, 'a');
    EXPECT_EQ(editor->lastKey.virt, 3);
    EXPECT_EQ(editor->lastKey.modifier, 4);
    EXPECT_EQ(dispatch(record, effEditKeyUp, 'a'), 0);
    EXPECT_EQ(dispatch(record, effSetEditKnobMode, 0, 2), 1);
    EXPECT_EQ(editor->knobMode, 2);
    EXPECT_EQ(dispatch(record, effEditOpen, 0, 0, &effect), 0) << "the base editor opens no window";
}

TEST(AudioEffect, ExceptionsStopAtTheInterface)
{
    ProbeEffect effect;
    VstEvents events{};
    EXPECT_EQ(dispatch(effect.getAeffect(), effProcessEvents, 0, 0, &events), 0);
}

TEST(AudioEffect, NoHostCallbackBeforeTheRecordIsHandedOut)
{
    hostCalls.clear();
    ProbeEffect effect;
    effect.setParameterAutomated(3, 0.5f);
    EXPECT_TRUE(hostCalls.empty());
    EXPECT_EQ(effect.log, (std::vector<std::string>{"parameter 3 0.500000"}));

    effect.markHandedToHost();
    effect.setParameterAutomated(4, 0.25f);
    ASSERT_EQ(hostCalls.size(), 1u);
    EXPECT_EQ(hostCalls[0].opcode, audioMasterAutomate);
    EXPECT_EQ(hostCalls[0].index, 4);
    EXPECT_EQ(hostCalls[0].opt, 0.25f);
}

TEST(AudioEffect, WrappersAnswerFalseWithoutAHostCallback)
{
    ProbeEffect effect(nullptr);
    effect.markHandedToHost();
    char text[] = "sizeWindow";
    EXPECT_EQ(effect.getTimeInfo(0), nullptr);
    EXPECT_FALSE(effect.canHostDo(text));
    EXPECT_FALSE(effect.sizeWindow(10, 10));
    EXPECT_FALSE(effect.updateDisplay());
    EXPECT_FALSE(effect.beginEdit(1));
    EXPECT_FALSE(effect.endEdit(1));
    EXPECT_EQ(effect.getMasterVersion(), 0);
}

TEST(AudioEffect, ResumeAsksForMidiOnlyWhenTheObjectReceivesIt)
{
    hostCalls.clear();
    ProbeEffect effect;
    effect.markHandedToHost();
    effect.resume();
    ASSERT_EQ(hostCalls.size(), 1u);
    EXPECT_EQ(hostCalls[0].opcode, audioMasterWantMidi);
    EXPECT_EQ(hostCalls[0].value, 1);

    hostCalls.clear();
    effect.receivesMidi = -1;
    effect.resume();
    EXPECT_TRUE(hostCalls.empty());
    effect.isSynth();
    effect.resume();
    EXPECT_EQ(hostCalls.size(), 1u) << "an instrument always asks";
}
