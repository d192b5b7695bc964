// The window tests' plug-in: an effect whose editor shows the test scene
// in an X11 window and writes the scene's lines to standard output, after
// the host's own, as "view N LINE" (N counts the editors of the process).

#include "DialogTestScene.h"
#include "WindowTestScene.h"

#include "Source/vst/AudioEffectX.h"
#include "toolkit/AEffGUIEditor.h"
#include "toolkit/CFrame.h"
#include "toolkit/x11/X11Platform.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

namespace
{
class WindowTestEditor : public AEffGUIEditor
{
public:
    explicit WindowTestEditor(AudioEffect* effect) : AEffGUIEditor(effect), m_number(++s_editors)
    {
        m_rect.right = static_cast<VstInt16>(WindowTestScene::kWidth);
        m_rect.bottom = static_cast<VstInt16>(WindowTestScene::kHeight);
    }
    ~WindowTestEditor() override { close(); }

    bool open(void* parentWindow) override
    {
        X11Platform::install();
        AEffGUIEditor::open(parentWindow);
        m_frame = new CFrame(CRect(0, 0, WindowTestScene::kWidth, WindowTestScene::kHeight), parentWindow, this);
        if (!m_frame->isOpen())
        {
            close();
            return false;
        }
        auto log = [number = m_number](const std::string& line) {
            std::printf("view %d %s\n", number, line.c_str());
            std::fflush(stdout);
        };
        // ZENTROVA_WINDOW_SCENE=dialogs picks the scene of dialogs and drops.
        const char* scene = std::getenv("ZENTROVA_WINDOW_SCENE");
        if (scene && std::strcmp(scene, "dialogs") == 0)
        {
            m_dialogScene = std::make_unique<DialogTestScene>(m_frame, log);
            return true;
        }
        WindowTestScene::Hooks hooks;
        hooks.log = log;
        hooks.automate = [effect = m_effect](int index, float value) { effect->setParameterAutomated(index, value); };
        m_scene = std::make_unique<WindowTestScene>(m_frame, hooks, true);
        return true;
    }

    void close() override
    {
        makeTimersCurrent();
        m_scene.reset();
        m_dialogScene.reset();
        if (m_frame)
        {
            m_frame->release();
            m_frame = nullptr;
        }
        AEffGUIEditor::close();
    }

    bool sizeHostWindow(CCoord width, CCoord height) override
    {
        m_rect.right = static_cast<VstInt16>(width);
        m_rect.bottom = static_cast<VstInt16>(height);
        return AEffGUIEditor::sizeHostWindow(width, height);
    }

private:
    static inline int s_editors = 0;
    int m_number;
    std::unique_ptr<WindowTestScene> m_scene;
    std::unique_ptr<DialogTestScene> m_dialogScene;
};

class WindowTestEffect : public AudioEffectX
{
public:
    explicit WindowTestEffect(audioMasterCallback audioMaster) : AudioEffectX(audioMaster, 1, 8)
    {
        setNumInputs(2);
        setNumOutputs(2);
        setUniqueID(fourCharCode("ZwTs"));
        new WindowTestEditor(this);
    }

    void setParameter(VstInt32 index, float value) override
    {
        if (index >= 0 && index < 8)
            m_values[index] = value;
    }
    float getParameter(VstInt32 index) override { return index >= 0 && index < 8 ? m_values[index] : 0.0f; }

private:
    float m_values[8] = {};
};
} // namespace

extern "C" __attribute__((visibility("default"))) AEffect* VSTPluginMain(audioMasterCallback audioMaster)
{
    try
    {
        auto* effect = new WindowTestEffect(audioMaster);
        effect->markHandedToHost();
        return effect->getAeffect();
    }
    catch (...)
    {
        return nullptr;
    }
}
