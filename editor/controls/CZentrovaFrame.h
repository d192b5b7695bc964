#pragma once

#include "toolkit/CFrame.h"

// The editor window's root view.
class CZentrovaFrame : public CFrame
{
public:
    // Without a window (drawn offscreen), or in a window made inside the
    // host's parent window.
    CZentrovaFrame(const CRect& size, VSTGUIEditorInterface* editor);
    CZentrovaFrame(const CRect& size, void* systemWindow, VSTGUIEditorInterface* editor);

    bool isTypeOf(const char* className) const override;
};
