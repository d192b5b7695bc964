#pragma once

#include <atomic>
#include <cstdint>

#include "Source/editorport/EditorPort.h"
#include "Source/queues/GuiCue.h"
#include "Source/queues/ParameterIndexAndValue.h"
#include "Source/vst/AEffEditor.h"

class Zentrova;

// The plug-in's editor. Values from the plug-in side reach it only through
// its queue, which it drains in its idle call on the user-interface thread.
class ZentrovaEditor : public AEffEditor, public EditorPort
{
public:
    explicit ZentrovaEditor(Zentrova* effect);
    ~ZentrovaEditor() override;

    bool getRect(ERect** rect) override;
    bool open(void* parentWindow) override;
    void close() override;
    bool isOpen() override;
    void idle() override;
    bool setKnobMode(VstInt32 mode) override;

    // Any thread: queues the value on the host lane while the editor is open.
    void setParameter(VstInt32 index, float value) override;
    void draw(ERect* rect) override;
    // Any thread: queues the value on lane while the editor is open.
    void postToGui(int lane, std::int64_t index, float value) override;

    void bindMidiLearn(int controller) override;
    void midiMapChanged() override;
    void knobModeChanged(int mode) override;

    GuiCue<ParameterIndexAndValue>& parameterQueue() { return m_parameterQueue; }

private:
    void applyGuiItem(const ParameterIndexAndValue& item);

    Zentrova* m_pZentrova;
    VstInt32 m_hostKnobMode = 0;
    int m_configuredKnobMode = -1;
    GuiCue<ParameterIndexAndValue> m_parameterQueue;
    std::atomic<bool> m_open{false};
    std::atomic<int> m_pendingLearnParameter{-1};
};
