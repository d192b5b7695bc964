#pragma once

// A plug-in object with a recording host for the editor bridge, and an
// editor on the bridge that makes its frame in a fake window at open.

#include "Source/vst/AudioEffectX.h"
#include "toolkit/AEffGUIEditor.h"
#include "toolkit/CFrame.h"

#include <cstring>
#include <string>
#include <vector>

struct ToolkitHostCall
{
    VstInt32 opcode;
    VstInt32 index;
    VstIntPtr value;
    std::string text;
};

class ToolkitHostEffect : public AudioEffectX
{
public:
    ToolkitHostEffect() : AudioEffectX(&hostCallback, 1, 1) { markHandedToHost(); }

    std::vector<ToolkitHostCall> calls;
    bool hostCanSizeWindow = true;

private:
    static VstIntPtr hostCallback(AEffect* record, VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float)
    {
        auto* self = record ? dynamic_cast<ToolkitHostEffect*>(static_cast<AudioEffect*>(record->object)) : nullptr;
        if (!self)
            return 0;
        std::string text = opcode == audioMasterCanDo && ptr ? static_cast<const char*>(ptr) : "";
        self->calls.push_back({opcode, index, value, text});
        if (opcode == audioMasterCanDo)
            return self->hostCanSizeWindow && text == "sizeWindow" ? 1 : 0;
        return 1;
    }
};

class ToolkitTestEditor : public AEffGUIEditor
{
public:
    explicit ToolkitTestEditor(AudioEffect* effect, CRect size = CRect(0, 0, 200, 100))
        : AEffGUIEditor(effect), m_size(size)
    {
    }
    ~ToolkitTestEditor() override { close(); }

    bool open(void* parentWindow) override
    {
        AEffGUIEditor::open(parentWindow);
        m_frame = new CFrame(m_size, parentWindow, this);
        return m_frame->isOpen();
    }
    void close() override
    {
        if (m_frame)
        {
            m_frame->release();
            m_frame = nullptr;
        }
        AEffGUIEditor::close();
    }
    void idle() override
    {
        ++idles;
        AEffGUIEditor::idle();
    }

    int idles = 0;

private:
    CRect m_size;
};
