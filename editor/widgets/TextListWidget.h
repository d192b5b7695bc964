#pragma once

#include "editor/controls/CTextListView.h"
#include "editor/widgets/Widget.h"

// The "TextList" type: a scrolling list of text rows. A click on a row
// reaches the editor under the widget's tag; the list then tells which
// row, whether its status picture, and with which buttons.
class TextListWidget : public Widget, public CTextListView::Listener
{
public:
    TextListWidget(ticpp::Element* element, CViewContainer* parent, CFrame* frame, ZentrovaEditor* editor,
                   GuiInfo& guiInfo);

    bool isContainer() const override { return true; }
    // The rows' own reports go through the list, not here.
    void valueChanged(CControl*) override {}
    void tick(std::uint64_t milliseconds) override;
    void textListClicked(CTextListView* list, CControl* cell) override;

    CTextListView* getList() const { return m_list; }

private:
    CTextListView* m_list = nullptr;
};
