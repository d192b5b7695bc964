#pragma once

#include "Source/vst/VstDeclarations.h"

class AudioEffect;

// The editor side of the plug-in interface: the host's editor opcodes end up
// in these operations. The defaults answer "no editor window".
class AEffEditor
{
public:
    explicit AEffEditor(AudioEffect* effect);
    virtual ~AEffEditor();

    virtual AudioEffect* getEffect() { return m_effect; }
    virtual bool getRect(ERect** rect);
    virtual bool open(void* parentWindow);
    virtual void close();
    virtual bool isOpen() { return m_systemWindow != nullptr; }
    virtual void idle() {}
    virtual bool onKeyDown(VstKeyCode& keyCode);
    virtual bool onKeyUp(VstKeyCode& keyCode);
    virtual bool onWheel(float distance);
    virtual bool setKnobMode(VstInt32 mode);

protected:
    AudioEffect* m_effect;
    void* m_systemWindow = nullptr;
};
