#include "editor/controls/CZentrovaFrame.h"

#include <cstring>

CZentrovaFrame::CZentrovaFrame(const CRect& size, VSTGUIEditorInterface* editor) : CFrame(size, editor) {}

CZentrovaFrame::CZentrovaFrame(const CRect& size, void* systemWindow, VSTGUIEditorInterface* editor)
    : CFrame(size, systemWindow, editor)
{
}

bool CZentrovaFrame::isTypeOf(const char* className) const
{
    return std::strcmp(className, "CZentrovaFrame") == 0 || CFrame::isTypeOf(className);
}
