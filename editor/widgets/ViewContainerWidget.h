#pragma once

#include <vector>

#include "editor/widgets/Widget.h"

// A panel: a container with a background image and the widgets of its
// child elements inside. Hiding it takes its whole subtree out at once.
class ViewContainerWidget : public Widget
{
public:
    ViewContainerWidget(ticpp::Element* element, CViewContainer* parent, CFrame* frame, ZentrovaEditor* editor,
                        GuiInfo& guiInfo);
    // The children go first, in creation order.
    ~ViewContainerWidget() override;

    bool isContainer() const override { return true; }
    void layoutMidiEdit() override;

    // Takes container as the widget's view and makes a widget for every
    // "widget" child of element, in document order. A child whose type is
    // missing or unknown, or whose element is faulty, is left out.
    void createChildren(CViewContainer* container, ticpp::Element* element);
    const std::vector<Widget*>& getChildren() const { return m_children; }

protected:
    void deleteChildren();

    std::vector<Widget*> m_children;
};
