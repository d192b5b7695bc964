#pragma once

#include "toolkit/CFrame.h"

class ZentrovaEditor;

// The editor window's root view: it takes harmonic lists dropped from the
// desktop, and steps through the patches on "+" and "-".
class CZentrovaFrame : public CFrame
{
public:
    // Without a window (drawn offscreen), or in a window made inside the
    // host's parent window.
    CZentrovaFrame(const CRect& size, VSTGUIEditorInterface* editor);
    CZentrovaFrame(const CRect& size, void* systemWindow, VSTGUIEditorInterface* editor);

    bool isTypeOf(const char* className) const override;
    CKeyResult onKeyDown(VstKeyCode& keyCode) override;
    bool onDrop(CDragContainer* drag, const CPoint& where) override;
    void onDragEnter(CDragContainer* drag, const CPoint& where) override;

private:
    ZentrovaEditor* zentrovaEditor() const;
};
