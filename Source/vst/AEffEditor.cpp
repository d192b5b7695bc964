#include "Source/vst/AEffEditor.h"

AEffEditor::AEffEditor(AudioEffect* effect) : m_effect(effect) {}

AEffEditor::~AEffEditor() = default;

bool AEffEditor::getRect(ERect** rect)
{
    if (rect)
        *rect = nullptr;
    return false;
}

bool AEffEditor::open(void* parentWindow)
{
    m_systemWindow = parentWindow;
    return false;
}

void AEffEditor::close()
{
    m_systemWindow = nullptr;
}

bool AEffEditor::onKeyDown(VstKeyCode&)
{
    return false;
}

bool AEffEditor::onKeyUp(VstKeyCode&)
{
    return false;
}

bool AEffEditor::onWheel(float)
{
    return false;
}

bool AEffEditor::setKnobMode(VstInt32)
{
    return false;
}
