#include "editor/widgets/ViewContainerWidget.h"

#include "Source/ticpp/ticpp.h"
#include "editor/widgets/WidgetFactory.h"
#include "toolkit/CViewContainer.h"

ViewContainerWidget::ViewContainerWidget(ticpp::Element* element, CViewContainer* parent, CFrame* frame,
                                         ZentrovaEditor* editor, GuiInfo& guiInfo)
    : Widget(element, parent, frame, editor, guiInfo)
{
    // The frame widget builds its frame itself.
    if (!frame)
        return;
    createChildren(new CViewContainer(getRect(), frame, m_bitmap), element);
    // Only now, with all its children in it.
    setVisible(m_visible);
}

ViewContainerWidget::~ViewContainerWidget()
{
    deleteChildren();
}

void ViewContainerWidget::deleteChildren()
{
    for (Widget* child : m_children)
        delete child;
    m_children.clear();
}

void ViewContainerWidget::createChildren(CViewContainer* container, ticpp::Element* element)
{
    m_view = container;
    try
    {
        ticpp::Iterator<ticpp::Element> child("widget");
        for (child = child.begin(element); child != child.end(); ++child)
        {
            try
            {
                std::string type;
                child->GetAttribute("type", &type);
                m_children.push_back(WidgetFactory::create(type, child.Get(), container, m_frame, m_editor, m_guiInfo));
            }
            catch (const ticpp::Exception&)
            {
            }
            catch (const WidgetFactory::UnknownType&)
            {
            }
        }
    }
    catch (...)
    {
        // The destructor will not run for a container that fails to build.
        deleteChildren();
        throw;
    }
}

void ViewContainerWidget::layoutMidiEdit()
{
    for (Widget* child : m_children)
        child->layoutMidiEdit();
    Widget::layoutMidiEdit();
}
