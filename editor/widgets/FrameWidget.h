#pragma once

#include "Source/vst/VstDeclarations.h"
#include "editor/widgets/ViewContainerWidget.h"

class CZentrovaFrame;
class VSTGUIEditorInterface;

// The root of the widget tree: the window's frame, as large as its
// background image, with the whole layout below it.
class FrameWidget : public ViewContainerWidget
{
public:
    // rect is the editor's window rectangle: its right and bottom edges
    // follow the background image. Without a parent window the frame is
    // made without a window of its own (drawn offscreen).
    FrameWidget(ticpp::Element* element, ZentrovaEditor* editor, GuiInfo& guiInfo, void* parentWindow, ERect& rect,
                VSTGUIEditorInterface* frameEditor);
    // Deletes the tree, then releases the frame (the last reference unless
    // someone else retained it).
    ~FrameWidget() override;

    CZentrovaFrame* getFrame() const;
};
