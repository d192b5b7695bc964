#pragma once

#include <cstdint>

#include "Source/vst/VstDeclarations.h"

// What the core and the engine may ask of the plug-in's editor: the one
// door between them and the editor, which implements it. They hold it as a
// pointer, null while the instance has no editor; values travel through
// the editor's queue and reach its controls in its idle call.
class EditorPort
{
public:
    virtual ~EditorPort();

    // Any thread: shows value on the control with this tag (a parameter
    // index or an EditorTag item) while the editor is open.
    virtual void setParameter(VstInt32 index, float value) = 0;
    // Any thread: posts (index, value) on an EditorLane of the editor's
    // queue while the editor is open.
    virtual void postToGui(int lane, std::int64_t index, float value) = 0;
    // Audio thread: a controller arrived while MIDI learn was armed.
    virtual void bindMidiLearn(int controller) = 0;
    // The plug-in reloaded its MIDI controller map.
    virtual void midiMapChanged() = 0;
    // The configuration's knob mode changed.
    virtual void knobModeChanged(int mode) = 0;
    // The host asks for the rectangle to be drawn again; null: everything.
    virtual void draw(ERect* rect) = 0;
};
