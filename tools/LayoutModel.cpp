#include "tools/LayoutModel.h"

#include <stdexcept>

namespace
{
int integerOf(const ticpp::Element* element, const char* attribute, int fallback)
{
    std::string text;
    if (!element->GetAttributeImp(attribute, &text) || text.empty())
        return fallback;
    std::size_t used = 0;
    int value = 0;
    try
    {
        value = std::stoi(text, &used);
    }
    catch (const std::exception&)
    {
        used = 0;
    }
    if (used != text.size())
        throw std::runtime_error(std::string("attribute ") + attribute + " is not an integer: \"" + text + "\"");
    return value;
}

void readConstants(ticpp::Element* element, std::map<std::string, std::string>& constants)
{
    for (ticpp::Element* child = element->FirstChildElement("constant", false); child;
         child = child->NextSiblingElement("constant", false))
        constants[child->GetAttribute("name")] = child->GetAttribute("value");
}
}

LayoutModel::LayoutModel(GuiLayout& layout, const LayoutConfiguration& configuration, const BitmapSize& bitmapSize)
    : m_configuration(configuration), m_bitmapSize(bitmapSize)
{
    m_frame = layout.frameElement(configuration.name);
    m_midiedit = layout.midieditElement();
    auto* root = dynamic_cast<ticpp::Element*>(m_frame->Parent());
    if (root)
        readConstants(root, m_constants);
    readConstants(m_frame, m_constants);
    m_index = constant("bmp_prfx");
    readChildren(m_frame, -1);
}

std::string LayoutModel::constant(const std::string& name) const
{
    const auto found = m_constants.find(name);
    return found == m_constants.end() ? std::string() : found->second;
}

int LayoutModel::intConstant(const std::string& name) const
{
    const std::string text = constant(name);
    if (text.empty())
        throw std::runtime_error("the layout has no constant " + name);
    return std::stoi(text);
}

std::vector<int> LayoutModel::childrenOf(int parent) const
{
    std::vector<int> children;
    for (int i = 0; i < static_cast<int>(m_items.size()); ++i)
        if (m_items[i].parent == parent)
            children.push_back(i);
    return children;
}

const LayoutItem* LayoutModel::find(const std::string& key) const
{
    const LayoutItem* found = nullptr;
    for (const LayoutItem& item : m_items)
        if (item.kind == LayoutItem::Kind::kWidget && !key.empty() && item.key() == key)
            found = &item;
    return found;
}

std::map<std::string, std::vector<int>> LayoutModel::bitmapUsers() const
{
    std::map<std::string, std::vector<int>> users;
    for (int i = 0; i < static_cast<int>(m_items.size()); ++i)
    {
        const LayoutItem& item = m_items[i];
        if (!item.bitmap.empty())
            users[item.bitmap].push_back(i);
        for (const auto& [attribute, bitmap] : item.bitmaps)
            if (!bitmap.empty())
                users[bitmap].push_back(i);
    }
    return users;
}

void LayoutModel::readChildren(ticpp::Element* element, int parent)
{
    for (ticpp::Element* child = element->FirstChildElement(false); child; child = child->NextSiblingElement(false))
    {
        const std::string kind = child->Value();
        if (kind == "widget")
            readWidget(child, parent);
        else if (kind == "section")
            readShape(child, parent, LayoutItem::Kind::kSection);
        else if (kind == "paneltext")
            readShape(child, parent, LayoutItem::Kind::kPanelText);
    }
}

void LayoutModel::readShape(ticpp::Element* element, int parent, LayoutItem::Kind kind)
{
    LayoutItem item;
    item.kind = kind;
    item.element = element;
    item.parent = parent;
    item.text = element->GetAttribute(kind == LayoutItem::Kind::kSection ? "title" : "text");
    item.align = element->GetAttribute("align");
    item.x = integerOf(element, "x", 0);
    item.y = integerOf(element, "y", 0);
    item.width = integerOf(element, "width", 0);
    item.height = integerOf(element, "height", 0);
    item.rotate = integerOf(element, "rotate", 0);
    item.windowX = item.x + (parent >= 0 ? m_items[parent].windowX : 0);
    item.windowY = item.y + (parent >= 0 ? m_items[parent].windowY : 0);
    m_items.push_back(item);
}

void LayoutModel::readWidget(ticpp::Element* element, int parent)
{
    LayoutItem item;
    item.element = element;
    item.parent = parent;
    item.type = element->GetAttribute("type");
    item.name = element->GetAttribute("name");
    item.parameter = element->GetAttribute("parameter");
    item.bitmap = element->GetAttribute("bitmap");
    item.text = element->GetAttribute("label");
    item.labelPosition = element->GetAttribute("labelpos");
    item.x = integerOf(element, "x", 0);
    item.y = integerOf(element, "y", 0);
    item.width = integerOf(element, "width", 0);
    item.height = integerOf(element, "height", 0);
    item.frames = integerOf(element, "frames", 1);
    item.monitor = integerOf(element, "monitor", -1);
    item.midi = integerOf(element, "midi", 0) != 0;
    item.visible = integerOf(element, "visible", 1) != 0;
    for (const char* attribute :
         {"whitebitmap", "blackbitmap", "barbitmap", "bitmapdwn", "statusbitmap", "upbitmap", "downbitmap"})
        if (!element->GetAttribute(attribute).empty())
            item.bitmaps[attribute] = element->GetAttribute(attribute);

    int imageWidth = 0;
    int imageHeight = 0;
    const bool hasImage = !item.bitmap.empty() && m_bitmapSize(item.bitmap, imageWidth, imageHeight);
    if (item.type == "Wheel")
    {
        // Frames of a wheel lie side by side; its size is never given.
        if (hasImage && item.frames > 0)
        {
            item.width = imageWidth / item.frames;
            item.height = imageHeight;
        }
    }
    else if (item.type == "Keyboard")
    {
        int whiteWidth = 0;
        int whiteHeight = 0;
        if (m_bitmapSize(element->GetAttribute("whitebitmap"), whiteWidth, whiteHeight))
        {
            item.width = whiteWidth * integerOf(element, "numwhitekeys", 1);
            item.height = whiteHeight / 2;
        }
    }
    else if (item.type == "BarGraph")
    {
        int barWidth = 0;
        int barImageHeight = 0;
        if (m_bitmapSize(element->GetAttribute("barbitmap"), barWidth, barImageHeight) && !hasImage)
        {
            const int bars = integerOf(element, "numbars", 0);
            const int grouping = std::max(1, integerOf(element, "xgrouping", 0));
            const int spacing = integerOf(element, "xgroupspacing", 0);
            int left = integerOf(element, "graphxpos", 0);
            int extent = 0;
            for (int bar = 0; bar < bars; ++bar)
            {
                extent = left + barWidth;
                if (bar > 0 && bar % grouping != 0 && bar % grouping == grouping - 1)
                    left += spacing;
                left += barWidth;
            }
            item.width = extent;
            item.height = integerOf(element, "graphypos", 0) + barImageHeight / 2 * integerOf(element, "barheight", 0);
        }
    }
    else if (hasImage)
    {
        const int frameHeight = item.frames > 0 ? imageHeight / item.frames : imageHeight;
        if (item.width == 0)
            item.width = imageWidth;
        if (item.height == 0)
            item.height = frameHeight;
    }
    item.midiX = integerOf(element, "midi_x", item.width >> 1);
    item.midiY = integerOf(element, "midi_y", item.height >> 1);
    item.windowX = item.x + (parent >= 0 ? m_items[parent].windowX : 0);
    item.windowY = item.y + (parent >= 0 ? m_items[parent].windowY : 0);
    m_items.push_back(item);
    if (m_items.back().isContainer())
        readChildren(element, static_cast<int>(m_items.size()) - 1);
}
