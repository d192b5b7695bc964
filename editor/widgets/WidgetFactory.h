#pragma once

#include <stdexcept>
#include <string>

namespace ticpp
{
class Element;
}
class CFrame;
class CViewContainer;
class GuiInfo;
class Widget;
class ZentrovaEditor;

// Turns the layout's type names into widgets: one process-wide registry of
// creators, filled once, before the first widget is made.
class WidgetFactory
{
public:
    using Creator = Widget* (*)(ticpp::Element* element, CViewContainer* parent, CFrame* frame, ZentrovaEditor* editor,
                                GuiInfo& guiInfo);

    // A type name without a creator.
    class UnknownType : public std::runtime_error
    {
    public:
        UnknownType() : std::runtime_error("Unknown Type") {}
    };

    // Registers the layout's widget types, once per process.
    static void registerTypes();
    // False when the name has a creator already.
    static bool registerType(const std::string& type, Creator creator);
    // A new widget of the type; throws UnknownType for a name without a
    // creator, and passes on whatever the widget's construction throws.
    static Widget* create(const std::string& type, ticpp::Element* element, CViewContainer* parent, CFrame* frame,
                          ZentrovaEditor* editor, GuiInfo& guiInfo);

    template <class T>
    static Widget* make(ticpp::Element* element, CViewContainer* parent, CFrame* frame, ZentrovaEditor* editor,
                        GuiInfo& guiInfo)
    {
        return new T(element, parent, frame, editor, guiInfo);
    }
};
