#pragma once

#include <atomic>
#include <cstdint>

#include "Source/vst/AEffEditor.h"
#include "toolkit/CTimerRegistry.h"
#include "toolkit/VSTGUIEditorInterface.h"

class CFrame;

// The plug-in editor that owns a toolkit frame: it answers the editor
// rectangle, runs the idle (window events, timers, dirty views, painting),
// throttles the idle a tracking control asks for, passes keys to the frame,
// keeps the host's knob mode and brackets parameter edits towards the host.
// The derived editor makes and destroys the frame.
class AEffGUIEditor : public AEffEditor, public VSTGUIEditorInterface
{
public:
    explicit AEffGUIEditor(AudioEffect* effect);
    ~AEffGUIEditor() override;

    bool getRect(ERect** rect) override;
    bool open(void* parentWindow) override;
    void idle() override;
    bool onKeyDown(VstKeyCode& keyCode) override;
    bool onKeyUp(VstKeyCode& keyCode) override;
    bool onWheel(float distance) override;
    bool setKnobMode(VstInt32 mode) override;

    virtual void setParameter(VstInt32 index, float value);
    // Draws rect of the frame (its corners in any order), or all of it.
    virtual void draw(ERect* rect);

    // VSTGUIEditorInterface
    void processIdle() override;
    std::int32_t getKnobMode() const override;
    void beginEdit(std::int32_t index) override;
    void endEdit(std::int32_t index) override;
    bool sizeHostWindow(CCoord width, CCoord height) override;

    static std::uint64_t getTicks();
    CFrame* getFrame() const { return m_frame; }
    CTimerRegistry& getTimers() { return m_timers; }
    // Makes this editor's timers the ones a timer started now joins; every
    // entry from the host does this first.
    void makeTimersCurrent() { CTimerRegistry::setCurrent(&m_timers); }

protected:
    CFrame* m_frame = nullptr;
    ERect m_rect{};
    std::uint64_t m_lastTicks;
    bool m_inIdleStuff = false;

private:
    bool m_pumpingEvents = false;
    CTimerRegistry m_timers;

    // The host's knob mode, shared by every instance in the process.
    static std::atomic<std::int32_t> s_knobMode;
};
