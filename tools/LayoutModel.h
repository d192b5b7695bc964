#pragma once

#include "editor/layout/GuiLayout.h"

#include <functional>
#include <map>
#include <string>
#include <vector>

// One element of an expanded layout that shows on the panel: a widget, a
// titled section or a printed caption, with the position and size the
// editor gives it.
struct LayoutItem
{
    enum class Kind
    {
        kWidget,
        kSection,
        kPanelText
    };

    Kind kind = Kind::kWidget;
    std::string type;
    std::string name;
    std::string parameter;
    std::string bitmap;
    // What the artwork prints: a widget's label, a section's title, a caption.
    std::string text;
    std::string labelPosition;
    std::string align;
    double rotate = 0.0;
    // Relative to the parent container; the size as the editor resolves it.
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    int frames = 1;
    int monitor = -1;
    bool midi = false;
    int midiX = 0;
    int midiY = 0;
    bool visible = true;
    // Index of the enclosing container item, -1 for the frame.
    int parent = -1;
    // Position in the window.
    int windowX = 0;
    int windowY = 0;
    // Bitmap attributes other than "bitmap" (keys, bars, list parts).
    std::map<std::string, std::string> bitmaps;
    // The expanded element; valid while the layout keeps this expansion.
    ticpp::Element* element = nullptr;

    bool isContainer() const { return kind == Kind::kWidget && type == "ViewContainer"; }
    // The name under which the editor finds the widget.
    std::string key() const { return name.empty() ? parameter : name; }
};

// The expanded layout of one window configuration, with every widget sized
// as the widget factory sizes it. Bitmap sizes come from the caller, so the
// generator can size widgets before their images exist and the tests from
// the images themselves.
class LayoutModel
{
public:
    // Whole image size of a bitmap name; false when there is none.
    using BitmapSize = std::function<bool(const std::string& bitmap, int& width, int& height)>;

    // Expands the configuration in layout (which must outlive the model's
    // use of LayoutItem::element). Throws std::runtime_error for a value
    // that is not an integer.
    LayoutModel(GuiLayout& layout, const LayoutConfiguration& configuration, const BitmapSize& bitmapSize);

    const LayoutConfiguration& configuration() const { return m_configuration; }
    // The configuration's index text ("840", "1024", "1600").
    const std::string& index() const { return m_index; }
    // The constants of the configuration and of the frame.
    bool hasConstant(const std::string& name) const { return m_constants.count(name) != 0; }
    std::string constant(const std::string& name) const;
    int intConstant(const std::string& name) const;
    // Pixels per layout unit.
    int unit() const { return intConstant("u"); }

    const std::vector<LayoutItem>& items() const { return m_items; }
    std::vector<int> childrenOf(int parent) const;
    // The widget the editor finds under that name (the last of that name).
    const LayoutItem* find(const std::string& key) const;
    // Every widget bitmap name the layout uses, with the widgets using it.
    std::map<std::string, std::vector<int>> bitmapUsers() const;

    ticpp::Element* frame() const { return m_frame; }
    ticpp::Element* midiedit() const { return m_midiedit; }

private:
    void readChildren(ticpp::Element* element, int parent);
    void readWidget(ticpp::Element* element, int parent);
    void readShape(ticpp::Element* element, int parent, LayoutItem::Kind kind);

    LayoutConfiguration m_configuration;
    std::string m_index;
    BitmapSize m_bitmapSize;
    std::map<std::string, std::string> m_constants;
    std::vector<LayoutItem> m_items;
    ticpp::Element* m_frame = nullptr;
    ticpp::Element* m_midiedit = nullptr;
};
