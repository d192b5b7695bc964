#pragma once

#include <atomic>
#include <string>

#include "Source/vst/VstDeclarations.h"
#include "dsp/LibraryLifetime.h"

class AEffEditor;

// The base of a plug-in object: owns the effect record the host sees and
// the editor, keeps the host callback, sample rate, block size and counts,
// and turns the basic opcodes (0-24) into virtual operations. Each instance
// holds the library's process-wide objects from its first constructor to its
// last destructor (see LibraryLifetime).
class AudioEffect : private LibraryLifetime::Hold
{
public:
    AudioEffect(audioMasterCallback audioMaster, VstInt32 numPrograms, VstInt32 numParams);
    virtual ~AudioEffect();

    AudioEffect(const AudioEffect&) = delete;
    AudioEffect& operator=(const AudioEffect&) = delete;

    virtual VstIntPtr dispatcher(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt);

    virtual void open() {}
    virtual void close() {}
    virtual void suspend() {}
    virtual void resume() {}

    virtual void setSampleRate(float sampleRate) { m_sampleRate = sampleRate; }
    virtual void setBlockSize(VstInt32 blockSize) { m_blockSize = blockSize; }

    virtual void process(float** inputs, float** outputs, VstInt32 sampleFrames);
    virtual void processReplacing(float** inputs, float** outputs, VstInt32 sampleFrames);
    virtual void processDoubleReplacing(double** inputs, double** outputs, VstInt32 sampleFrames);

    virtual void setParameter(VstInt32 index, float value);
    virtual float getParameter(VstInt32 index);
    // Stores the value through setParameter, then tells the host.
    virtual void setParameterAutomated(VstInt32 index, float value);

    virtual void setProgram(VstInt32 program) { m_curProgram = program; }
    virtual VstInt32 getProgram() { return m_curProgram; }
    virtual void setProgramName(char* name);
    virtual void getProgramName(char* name);

    virtual void getParameterLabel(VstInt32 index, char* label);
    virtual void getParameterDisplay(VstInt32 index, char* text);
    virtual void getParameterName(VstInt32 index, char* text);

    virtual VstInt32 getChunk(void** data, bool isPreset);
    virtual VstInt32 setChunk(void* data, VstInt32 byteSize, bool isPreset);

    virtual AEffEditor* getEditor() { return m_editor; }

    // Takes ownership; sets or clears effFlagsHasEditor.
    void setEditor(AEffEditor* editor);

    void setUniqueID(VstInt32 id) { m_effect.uniqueID = id; }
    void setNumInputs(VstInt32 inputs) { m_effect.numInputs = inputs; }
    void setNumOutputs(VstInt32 outputs) { m_effect.numOutputs = outputs; }
    void setInitialDelay(VstInt32 delay) { m_effect.initialDelay = delay; }
    void setRealQualities(VstInt32 qualities) { m_effect.realQualities = qualities; }
    void setOffQualities(VstInt32 qualities) { m_effect.offQualities = qualities; }
    void canProcessReplacing(bool state = true) { setFlag(effFlagsCanReplacing, state); }
    void canDoubleReplacing(bool state = true) { setFlag(effFlagsCanDoubleReplacing, state); }
    void programsAreChunks(bool state = true) { setFlag(effFlagsProgramChunks, state); }
    void hasVu(bool state = true) { setFlag(effFlagsHasVu, state); }
    void hasClip(bool state = true) { setFlag(effFlagsHasClip, state); }
    void canMono(bool state = true) { setFlag(effFlagsCanMono, state); }

    AEffect* getAeffect() { return &m_effect; }
    float getSampleRate() const { return m_sampleRate; }
    VstInt32 getBlockSize() const { return m_blockSize; }
    VstInt32 getNumPrograms() const { return m_numPrograms; }
    VstInt32 getNumParams() const { return m_numParams; }
    bool hasHostCallback() const { return m_audioMaster != nullptr; }

    // The host learns of the effect record only when the entry point returns
    // it; until then the object keeps its callbacks to itself.
    void markHandedToHost() { m_handedToHost.store(true, std::memory_order_release); }

    VstInt32 getMasterVersion();
    void masterIdle();

protected:
    void setFlag(VstInt32 flag, bool state);
    // The host callback with this effect's record, or 0 when there is none
    // or the record has not been handed out yet.
    VstIntPtr callHost(VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0, void* ptr = nullptr,
                       float opt = 0.0f);

    audioMasterCallback m_audioMaster;
    AEffEditor* m_editor = nullptr;
    float m_sampleRate = 44100.0f;
    VstInt32 m_blockSize = 1024;
    VstInt32 m_numPrograms;
    VstInt32 m_numParams;
    std::atomic<VstInt32> m_curProgram{0};
    AEffect m_effect;

private:
    std::atomic<bool> m_handedToHost{false};
};

// Copies text into a host buffer of size bytes, always terminated.
void copyHostString(char* destination, const char* source, VstInt32 size);
// The same for names that come from files and chunks: hosts show them in
// one-line menus and pass them to UTF-8 toolkits, so what they receive is
// valid UTF-8 (a stray byte becomes "?") without control characters (each
// becomes a space), cut only between characters.
void copyHostName(char* destination, const std::string& name, VstInt32 size);
