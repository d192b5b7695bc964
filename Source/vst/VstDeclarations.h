#pragma once

// The binary interface between a VST 2.4 host and a plug-in, declared from
// the interface's published facts: opcode numbers, flag values and field
// order. Every structure here crosses the host boundary, so its layout is
// pinned by the static_asserts at the end.

#include <cstddef>
#include <cstdint>

using VstInt16 = std::int16_t;
using VstInt32 = std::int32_t;
using VstIntPtr = std::intptr_t;

struct AEffect;

using audioMasterCallback = VstIntPtr (*)(AEffect* effect, VstInt32 opcode, VstInt32 index, VstIntPtr value,
                                          void* ptr, float opt);
using AEffectDispatcherProc = VstIntPtr (*)(AEffect* effect, VstInt32 opcode, VstInt32 index, VstIntPtr value,
                                            void* ptr, float opt);
using AEffectProcessProc = void (*)(AEffect* effect, float** inputs, float** outputs, VstInt32 sampleFrames);
using AEffectProcessDoubleProc = void (*)(AEffect* effect, double** inputs, double** outputs,
                                          VstInt32 sampleFrames);
using AEffectSetParameterProc = void (*)(AEffect* effect, VstInt32 index, float parameter);
using AEffectGetParameterProc = float (*)(AEffect* effect, VstInt32 index);

// Four characters packed the way the interface packs identifiers: the first
// character in the most significant byte.
constexpr VstInt32 fourCharCode(const char (&text)[5])
{
    return static_cast<VstInt32>((static_cast<std::uint32_t>(static_cast<unsigned char>(text[0])) << 24) |
                                 (static_cast<std::uint32_t>(static_cast<unsigned char>(text[1])) << 16) |
                                 (static_cast<std::uint32_t>(static_cast<unsigned char>(text[2])) << 8) |
                                 static_cast<std::uint32_t>(static_cast<unsigned char>(text[3])));
}

constexpr VstInt32 kEffectMagic = fourCharCode("VstP");

// The effect record the host holds for every plug-in instance.
struct AEffect
{
    VstInt32 magic;
    AEffectDispatcherProc dispatcher;
    AEffectProcessProc process; // accumulating, no longer used by hosts
    AEffectSetParameterProc setParameter;
    AEffectGetParameterProc getParameter;
    VstInt32 numPrograms;
    VstInt32 numParams;
    VstInt32 numInputs;
    VstInt32 numOutputs;
    VstInt32 flags;
    VstIntPtr resvd1; // the host's
    VstIntPtr resvd2;
    VstInt32 initialDelay;
    VstInt32 realQualities;
    VstInt32 offQualities;
    float ioRatio;
    void* object; // the plug-in's own object
    void* user;
    VstInt32 uniqueID;
    VstInt32 version;
    AEffectProcessProc processReplacing;
    AEffectProcessDoubleProc processDoubleReplacing;
    char future[56];
};

enum VstAEffectFlags : VstInt32
{
    effFlagsHasEditor = 1 << 0,
    effFlagsHasClip = 1 << 1,
    effFlagsHasVu = 1 << 2,
    effFlagsCanMono = 1 << 3,
    effFlagsCanReplacing = 1 << 4,
    effFlagsProgramChunks = 1 << 5,
    effFlagsIsSynth = 1 << 8,
    effFlagsNoSoundInStop = 1 << 9,
    effFlagsCanDoubleReplacing = 1 << 12,
};

// Host to plug-in.
enum AEffectOpcodes : VstInt32
{
    effOpen = 0,
    effClose,
    effSetProgram,
    effGetProgram,
    effSetProgramName,
    effGetProgramName,
    effGetParamLabel,
    effGetParamDisplay,
    effGetParamName,
    effGetVu,
    effSetSampleRate,
    effSetBlockSize,
    effMainsChanged,
    effEditGetRect,
    effEditOpen,
    effEditClose,
    effEditDraw,
    effEditMouse,
    effEditKey,
    effEditIdle,
    effEditTop,
    effEditSleep,
    effIdentify,
    effGetChunk,
    effSetChunk,
    effProcessEvents,
    effCanBeAutomated,
    effString2Parameter,
    effGetNumProgramCategories,
    effGetProgramNameIndexed,
    effCopyProgram,
    effConnectInput,
    effConnectOutput,
    effGetInputProperties,
    effGetOutputProperties,
    effGetPlugCategory,
    effGetCurrentPosition,
    effGetDestinationBuffer,
    effOfflineNotify,
    effOfflinePrepare,
    effOfflineRun,
    effProcessVarIo,
    effSetSpeakerArrangement,
    effSetBlockSizeAndSampleRate,
    effSetBypass,
    effGetEffectName,
    effGetErrorText,
    effGetVendorString,
    effGetProductString,
    effGetVendorVersion,
    effVendorSpecific,
    effCanDo,
    effGetTailSize,
    effIdle,
    effGetIcon,
    effSetViewPosition,
    effGetParameterProperties,
    effKeysRequired,
    effGetVstVersion,
    effEditKeyDown,
    effEditKeyUp,
    effSetEditKnobMode,
    effGetMidiProgramName,
    effGetCurrentMidiProgram,
    effGetMidiProgramCategory,
    effHasMidiProgramsChanged,
    effGetMidiKeyName,
    effBeginSetProgram,
    effEndSetProgram,
    effGetSpeakerArrangement,
    effShellGetNextPlugin,
    effStartProcess,
    effStopProcess,
    effSetTotalSampleToProcess,
    effSetPanLaw,
    effBeginLoadBank,
    effBeginLoadProgram,
    effSetProcessPrecision,
    effGetNumMidiInputChannels,
    effGetNumMidiOutputChannels,
};

// Plug-in to host.
enum AudioMasterOpcodes : VstInt32
{
    audioMasterAutomate = 0,
    audioMasterVersion,
    audioMasterCurrentId,
    audioMasterIdle,
    audioMasterPinConnected,
    audioMasterWantMidi = 6,
    audioMasterGetTime,
    audioMasterProcessEvents,
    audioMasterSetTime,
    audioMasterTempoAt,
    audioMasterGetNumAutomatableParameters,
    audioMasterGetParameterQuantization,
    audioMasterIOChanged,
    audioMasterNeedIdle,
    audioMasterSizeWindow,
    audioMasterGetSampleRate,
    audioMasterGetBlockSize,
    audioMasterGetInputLatency,
    audioMasterGetOutputLatency,
    audioMasterGetPreviousPlug,
    audioMasterGetNextPlug,
    audioMasterWillReplaceOrAccumulate,
    audioMasterGetCurrentProcessLevel,
    audioMasterGetAutomationState,
    audioMasterOfflineStart,
    audioMasterOfflineRead,
    audioMasterOfflineWrite,
    audioMasterOfflineGetCurrentPass,
    audioMasterOfflineGetCurrentMetaPass,
    audioMasterSetOutputSampleRate,
    audioMasterGetOutputSpeakerArrangement,
    audioMasterGetVendorString,
    audioMasterGetProductString,
    audioMasterGetVendorVersion,
    audioMasterVendorSpecific,
    audioMasterSetIcon,
    audioMasterCanDo,
    audioMasterGetLanguage,
    audioMasterOpenWindow,
    audioMasterCloseWindow,
    audioMasterGetDirectory,
    audioMasterUpdateDisplay,
    audioMasterBeginEdit,
    audioMasterEndEdit,
    audioMasterOpenFileSelector,
    audioMasterCloseFileSelector,
};

enum VstPlugCategory : VstInt32
{
    kPlugCategUnknown = 0,
    kPlugCategEffect,
    kPlugCategSynth,
};

enum VstStringLengths : VstInt32
{
    kVstMaxProgNameLen = 24,
    kVstMaxParamStrLen = 8,
    kVstMaxVendorStrLen = 64,
    kVstMaxProductStrLen = 64,
    kVstMaxEffectNameLen = 32,
    kVstMaxLabelLen = 64,
    kVstMaxShortLabelLen = 8,
};

// Events travel as a counted list of pointers; each event states its own
// type and size so that a reader can skip kinds it does not know.
struct VstEvent
{
    VstInt32 type;
    VstInt32 byteSize; // of the event, less the first two fields
    VstInt32 deltaFrames; // sample offset inside the current block
    VstInt32 flags;
    char data[16];
};

enum VstEventTypes : VstInt32
{
    kVstMidiType = 1,
    kVstSysExType = 6,
};

struct VstEvents
{
    VstInt32 numEvents;
    VstIntPtr reserved;
    VstEvent* events[2]; // really numEvents entries
};

struct VstMidiEvent
{
    VstInt32 type;
    VstInt32 byteSize;
    VstInt32 deltaFrames;
    VstInt32 flags;
    VstInt32 noteLength;
    VstInt32 noteOffset;
    char midiData[4]; // status and up to two data bytes, then a zero
    char detune;
    char noteOffVelocity;
    char reserved1;
    char reserved2;
};

enum VstMidiEventFlags : VstInt32
{
    kVstMidiEventIsRealtime = 1 << 0,
};

struct VstTimeInfo
{
    double samplePos;
    double sampleRate;
    double nanoSeconds;
    double ppqPos; // position in quarter notes
    double tempo; // beats per minute
    double barStartPos; // quarter-note position of the last bar start
    double cycleStartPos;
    double cycleEndPos;
    VstInt32 timeSigNumerator;
    VstInt32 timeSigDenominator;
    VstInt32 smpteOffset;
    VstInt32 smpteFrameRate;
    VstInt32 samplesToNextClock;
    VstInt32 flags;
};

// What the host answers audioMasterGetCurrentProcessLevel with.
enum VstProcessLevels : VstInt32
{
    kVstProcessLevelUnknown = 0,
    kVstProcessLevelUser,
    kVstProcessLevelRealtime,
    kVstProcessLevelPrefetch,
    kVstProcessLevelOffline
};

enum VstTimeInfoFlags : VstInt32
{
    kVstTransportChanged = 1,
    kVstTransportPlaying = 1 << 1,
    kVstTransportCycleActive = 1 << 2,
    kVstTransportRecording = 1 << 3,
    kVstAutomationWriting = 1 << 6,
    kVstAutomationReading = 1 << 7,
    kVstNanosValid = 1 << 8,
    kVstPpqPosValid = 1 << 9,
    kVstTempoValid = 1 << 10,
    kVstBarsValid = 1 << 11,
    kVstCyclePosValid = 1 << 12,
    kVstTimeSigValid = 1 << 13,
    kVstSmpteValid = 1 << 14,
    kVstClockValid = 1 << 15,
};

struct VstPinProperties
{
    char label[kVstMaxLabelLen];
    VstInt32 flags;
    VstInt32 arrangementType;
    char shortLabel[kVstMaxShortLabelLen];
    char future[48];
};

enum VstPinPropertiesFlags : VstInt32
{
    kVstPinIsActive = 1 << 0,
    kVstPinIsStereo = 1 << 1,
    kVstPinUseSpeaker = 1 << 2,
};

struct VstKeyCode
{
    VstInt32 character;
    unsigned char virt;
    unsigned char modifier;
};

struct ERect
{
    VstInt16 top;
    VstInt16 left;
    VstInt16 bottom;
    VstInt16 right;
};

static_assert(sizeof(void*) == 8, "the declarations describe the 64-bit interface");
static_assert(sizeof(AEffect) == 192, "effect record size");
static_assert(offsetof(AEffect, dispatcher) == 8, "effect record layout");
static_assert(offsetof(AEffect, numPrograms) == 40, "effect record layout");
static_assert(offsetof(AEffect, flags) == 56, "effect record layout");
static_assert(offsetof(AEffect, resvd1) == 64, "effect record layout");
static_assert(offsetof(AEffect, ioRatio) == 92, "effect record layout");
static_assert(offsetof(AEffect, object) == 96, "effect record layout");
static_assert(offsetof(AEffect, uniqueID) == 112, "effect record layout");
static_assert(offsetof(AEffect, processReplacing) == 120, "effect record layout");
static_assert(offsetof(AEffect, processDoubleReplacing) == 128, "effect record layout");
static_assert(sizeof(VstEvent) == 32, "event size");
static_assert(sizeof(VstMidiEvent) == 32, "MIDI event size");
static_assert(offsetof(VstMidiEvent, midiData) == 24, "MIDI event layout");
static_assert(offsetof(VstEvents, events) == 16, "event list layout");
static_assert(sizeof(VstTimeInfo) == 88, "time info size");
static_assert(offsetof(VstTimeInfo, timeSigNumerator) == 64, "time info layout");
static_assert(offsetof(VstTimeInfo, flags) == 84, "time info layout");
static_assert(sizeof(VstPinProperties) == 128, "pin properties size");
static_assert(sizeof(ERect) == 8, "rectangle size");
static_assert(effGetChunk == 23 && effProcessEvents == 25 && effGetEffectName == 45 && effCanDo == 51 &&
                  effGetVstVersion == 58 && effSetEditKnobMode == 61 && effGetNumMidiOutputChannels == 79,
              "plug-in opcode numbers");
static_assert(audioMasterGetTime == 7 && audioMasterProcessEvents == 8 && audioMasterSizeWindow == 15 &&
                  audioMasterCanDo == 37 && audioMasterUpdateDisplay == 42 && audioMasterEndEdit == 44,
              "host opcode numbers");
