#include "editor/widgets/TextListWidget.h"

#include "Source/ticpp/ticpp.h"
#include "editor/ZentrovaEditor.h"
#include "editor/layout/GuiInfo.h"
#include "toolkit/CBitmap.h"
#include "toolkit/CFontDesc.h"

#include <algorithm>
#include <cstdlib>

namespace
{
constexpr std::int64_t kDefaultRowHeight = 20;
constexpr std::int64_t kDefaultStatusFrames = 2;

CBitmap* loadedBitmap(GuiInfo& guiInfo, const std::string& name)
{
    CBitmap* bitmap = guiInfo.bitmaps().getBitmap(name);
    return bitmap && bitmap->getWidth() > 0 && bitmap->getHeight() > 0 ? bitmap : nullptr;
}

// A standard font by name, with a pixel size after a colon; the caller
// holds the new font's one reference.
CFontDesc* listFont(const GuiInfo& guiInfo, const std::string& text)
{
    const std::size_t colon = text.find(':');
    auto found = guiInfo.fonts().find(text.substr(0, colon));
    if (found == guiInfo.fonts().end())
        found = guiInfo.fonts().find("NormalFont");
    auto* font = new CFontDesc(*found->second);
    if (colon != std::string::npos)
    {
        const long size = std::strtol(text.c_str() + colon + 1, nullptr, 10);
        if (size > 0 && size < 1000)
            font->setSize(size);
    }
    return font;
}

void readColour(const GuiInfo& guiInfo, ticpp::Element* element, const char* attribute, CColor& colour)
{
    if (element)
        Widget::parseColour(guiInfo, element->GetAttribute(attribute), colour);
}
} // namespace

TextListWidget::TextListWidget(ticpp::Element* element, CViewContainer* parent, CFrame* frame,
                               ZentrovaEditor* editor, GuiInfo& guiInfo)
    : Widget(element, parent, frame, editor, guiInfo)
{
    CTextListView::Appearance appearance;
    appearance.upBitmap = loadedBitmap(guiInfo, element->GetAttribute("upbitmap"));
    appearance.downBitmap = loadedBitmap(guiInfo, element->GetAttribute("downbitmap"));
    appearance.statusBitmap = loadedBitmap(guiInfo, element->GetAttribute("statusbitmap"));
    std::int64_t statusFrames = kDefaultStatusFrames;
    element->GetAttributeOrDefault("statusframes", &statusFrames, kDefaultStatusFrames);
    appearance.statusFrames = std::max<std::int64_t>(statusFrames, 1);
    std::int64_t transparent = 0;
    element->GetAttributeOrDefault("transparent", &transparent, 0);
    std::int64_t rowHeight = kDefaultRowHeight;
    element->GetAttributeOrDefault("rowheight", &rowHeight, kDefaultRowHeight);
    appearance.rowHeight = rowHeight >= 1 ? rowHeight : kDefaultRowHeight;

    ticpp::Element* scrollbar = element->FirstChildElement("scrollbarcolors", false);
    readColour(guiInfo, scrollbar, "frame", appearance.scrollbarFrame);
    readColour(guiInfo, scrollbar, "scroller", appearance.scrollbarScroller);
    readColour(guiInfo, scrollbar, "background", appearance.scrollbarBackground);

    for (ticpp::Element* text = element->FirstChildElement("text", false); text;
         text = text->NextSiblingElement("text", false))
    {
        CTextListView::StylePair pair;
        pair.selected.fontColour = kColorWhite;
        ticpp::Element* colours = text->FirstChildElement("colors", false);
        readColour(guiInfo, colours, "normal", pair.normal.fontColour);
        readColour(guiInfo, colours, "selected", pair.selected.fontColour);
        ticpp::Element* fonts = text->FirstChildElement("fonts", false);
        pair.normal.font = listFont(guiInfo, fonts ? fonts->GetAttribute("normal") : std::string());
        pair.selected.font = listFont(guiInfo, fonts ? fonts->GetAttribute("selected") : std::string());
        for (CTextListRow::Style* style : {&pair.normal, &pair.selected})
        {
            style->backColour = m_backColour;
            style->transparent = transparent != 0;
        }
        appearance.styles.push_back(pair);
    }

    m_list = new CTextListView(getRect(), frame, this, &guiInfo, appearance, m_bitmap);
    // The list holds the fonts now.
    for (CTextListView::StylePair& pair : appearance.styles)
    {
        pair.normal.font->forget();
        pair.selected.font->forget();
    }
    if (transparent != 0)
        m_list->setTransparency(true);
    else
        m_list->setBackgroundColor(m_backColour);
    bindView(m_list);
    guiInfo.tickList().push_back(this);
}

void TextListWidget::tick(std::uint64_t milliseconds)
{
    if (m_list)
        m_list->tick(milliseconds);
}

void TextListWidget::textListClicked(CTextListView* list, CControl* cell)
{
    if (m_editor && m_tag >= 0)
        m_editor->valueChanged(static_cast<VstInt32>(m_tag), cell, static_cast<float>(list->getClickedRow()));
}
