#include "editor/widgets/Widget.h"

#include <algorithm>
#include <cstdio>
#include <memory>
#include <vector>

#include "Source/ticpp/ticpp.h"
#include "editor/ZentrovaEditor.h"
#include "editor/controls/MonitoredControl.h"
#include "editor/layout/GuiInfo.h"
#include "editor/widgets/WidgetFactory.h"
#include "toolkit/CBitmap.h"
#include "toolkit/CControl.h"
#include "toolkit/CFrame.h"

namespace
{
// A colour channel read as atoi reads its leading digits, held to 0..255
// whatever the text's length.
std::uint8_t colourChannel(const std::string& text)
{
    std::size_t i = text.find_first_not_of(" \t\n\v\f\r");
    if (i == std::string::npos)
        return 0;
    bool negative = false;
    if (text[i] == '+' || text[i] == '-')
        negative = text[i++] == '-';
    int value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i)
        value = std::min(value * 10 + (text[i] - '0'), 256);
    return negative ? 0 : static_cast<std::uint8_t>(std::min(value, 255));
}

bool isBlank(char c)
{
    return c == ' ' || c == '\t';
}
} // namespace

Widget::Widget(ticpp::Element* element, CViewContainer* parent, CFrame* frame, ZentrovaEditor* editor, GuiInfo& guiInfo)
    : m_guiInfo(guiInfo), m_parent(parent), m_frame(frame), m_editor(editor)
{
    WidgetFactory::registerTypes();
    if (!element)
        throw ticpp::Exception("A widget needs its layout element");

    m_parameterName = element->GetAttribute("parameter");
    if (!m_parameterName.empty())
        m_tag = guiInfo.tagOf(m_parameterName);
    element->GetAttributeOrDefault("x", &m_x, 0);
    element->GetAttributeOrDefault("y", &m_y, 0);
    element->GetAttributeOrDefault("width", &m_width, 0);
    element->GetAttributeOrDefault("height", &m_height, 0);
    element->GetAttributeOrDefault("frames", &m_frames, 1);
    element->GetAttributeOrDefault("monitor", &m_monitor, -1);
    std::int64_t midi = 0;
    element->GetAttributeOrDefault("midi", &midi, 0);
    m_midi = midi != 0;
    parseColour(guiInfo, element->GetAttribute("backcolor"), m_backColour);

    m_bitmapName = element->GetAttribute("bitmap");
    m_bitmap = guiInfo.bitmaps().getBitmap(m_bitmapName);
    // An image that did not load has no size to take.
    if (m_bitmap && (m_bitmap->getWidth() <= 0 || m_bitmap->getHeight() <= 0))
        m_bitmap = nullptr;
    if (m_bitmap)
    {
        m_bitmapWidth = m_bitmap->getWidth();
        m_bitmapHeight = m_bitmap->getHeight();
        m_frameHeight = m_frames > 0 ? m_bitmapHeight / m_frames : m_bitmapHeight;
        if (m_width == 0)
            m_width = m_bitmapWidth;
        if (m_height == 0)
            m_height = m_frameHeight;
    }

    m_name = element->GetAttribute("name");
    std::int64_t visible = 1;
    element->GetAttributeOrDefault("visible", &visible, 1);
    m_visible = visible != 0;
    element->GetAttributeOrDefault("midi_x", &m_midiX, m_width >> 1);
    element->GetAttributeOrDefault("midi_y", &m_midiY, m_height >> 1);

    // Last, so that a widget whose attributes fail leaves no entry.
    const std::string& key = m_name.empty() ? m_parameterName : m_name;
    if (!key.empty())
    {
        Widget*& entry = guiInfo.widgetsByName()[key];
        m_displaced = entry;
        entry = this;
        m_registeredName = key;
    }
}

Widget::~Widget()
{
    destroyMidiEdit();
    removeTagRun();

    auto& byName = m_guiInfo.widgetsByName();
    const auto named = byName.find(m_registeredName);
    if (named != byName.end() && named->second == this)
    {
        // A widget that never got built gives its name back to the one it
        // displaced, which is still in the tree being built.
        if (!m_complete && m_displaced)
            named->second = m_displaced;
        else
            byName.erase(named);
    }
    if (m_inMonitorTable)
    {
        auto& monitorControls = m_guiInfo.monitorControls();
        const auto controls = monitorControls.find(m_monitor);
        if (controls != monitorControls.end())
        {
            controls->second.erase(m_control);
            if (controls->second.empty())
                monitorControls.erase(controls);
        }
    }
    auto& ticking = m_guiInfo.tickList();
    ticking.erase(std::remove(ticking.begin(), ticking.end(), this), ticking.end());

    if (m_view)
    {
        if (m_parent && m_parent->isChild(m_view))
            m_parent->removeView(m_view, false);
        m_view->release();
    }
}

void Widget::valueChanged(CControl* control)
{
    if (m_editor && control)
        m_editor->valueChanged(static_cast<VstInt32>(control->getTag()), control, control->getValue());
}

std::int32_t Widget::controlModifierClicked(CControl*, CButtonState)
{
    return 0;
}

void Widget::setValue(ParameterIndexAndValue item)
{
    if (m_control)
        m_control->setValue(item.value);
}

void Widget::setDefaultValue(ParameterIndexAndValue item)
{
    if (m_control)
        m_control->setDefaultValue(item.value);
}

void Widget::setVisible(bool visible)
{
    m_visible = visible;
    if (m_view && m_parent)
    {
        const bool shown = m_parent->isChild(m_view);
        if (visible && !shown)
        {
            m_parent->addView(m_view);
            m_view->setDirty(true);
        }
        else if (!visible && shown)
        {
            m_parent->removeView(m_view, false);
            m_parent->setDirty(true);
        }
    }
    layoutMidiEdit();
}

void Widget::addTagRun()
{
    if (m_tag < 0)
        return;
    for (std::int64_t tag = m_tag; tag < m_tag + m_tagCount; ++tag)
        m_guiInfo.addParameterWidget(tag, this);
}

void Widget::removeTagRun()
{
    if (m_tag < 0)
        return;
    for (std::int64_t tag = m_tag; tag < m_tag + m_tagCount; ++tag)
        m_guiInfo.removeParameterWidget(tag, this);
}

void Widget::setTag(std::int64_t tag)
{
    removeTagRun();
    m_tag = tag;
    if (!m_control)
        return;
    m_control->setTag(tag);
    if (tag < 0)
        return;
    addTagRun();
    if (m_takesMonitor && m_monitor >= 0)
    {
        m_guiInfo.monitorControls()[m_monitor][m_control] = tag;
        m_inMonitorTable = true;
    }
}

void Widget::bindControl(CControl* control, bool monitorTable, MonitoredControl* monitored)
{
    m_control = control;
    bindView(control);
    m_takesMonitor = monitorTable;
    if (monitorTable && m_monitor >= 0)
    {
        m_guiInfo.monitorControls()[m_monitor][control] = m_tag;
        m_inMonitorTable = true;
    }
    if (monitored)
        monitored->setMonitor(&m_guiInfo, m_monitor);
}

void Widget::bindView(CView* view)
{
    m_view = view;
    setVisible(m_visible);
    addTagRun();
}

void Widget::setPosition(std::int64_t x, std::int64_t y)
{
    m_x = x;
    m_y = y;
    if (!m_view)
        return;
    const CRect rect = getRect();
    m_view->setViewSize(rect, true);
    m_view->setMouseableArea(rect);
}

Widget* Widget::createMidiPart(ticpp::Element* midiEdit, const char* partName, std::int64_t tag)
{
    ticpp::Element* part = midiEdit->FirstChildElement(partName);
    part->SetAttribute("visible", 0);
    Widget* widget = WidgetFactory::create(part->GetAttribute("type"), part, m_parent, m_frame, m_editor, m_guiInfo);
    widget->setTag(tag);
    return widget;
}

void Widget::createMidiEdit(ticpp::Element* midiEdit)
{
    if (!m_midi || m_midiEditCreated || !midiEdit || m_tag < 0)
        return;
    std::unique_ptr<Widget> learnButton(createMidiPart(midiEdit, "learnbutton", m_tag + kLearnButtonTagOffset));
    std::unique_ptr<Widget> editBox(createMidiPart(midiEdit, "editbox", m_tag + kEditBoxTagOffset));
    m_learnButton = learnButton.release();
    m_editBox = editBox.release();
    m_midiEditCreated = true;
    layoutMidiEdit();
}

void Widget::destroyMidiEdit()
{
    if (!m_midiEditCreated)
        return;
    delete m_learnButton;
    delete m_editBox;
    m_learnButton = nullptr;
    m_editBox = nullptr;
    m_midiEditCreated = false;
}

void Widget::layoutMidiEdit()
{
    if (!m_midiEditCreated || !m_view || !m_view->isAttached() || !m_view->getFrame())
        return;
    const std::int64_t anchorX = m_x + m_midiX;
    const std::int64_t anchorY = m_y + m_midiY;
    m_learnButton->setVisible(true);
    m_learnButton->setPosition(anchorX - (m_learnButton->getWidth() >> 1), anchorY);
    m_editBox->setVisible(true);
    m_editBox->setPosition(anchorX - (m_editBox->getWidth() >> 1), anchorY - m_editBox->getHeight());
}

void Widget::setMidiNumber(std::int32_t number)
{
    if (!m_midiEditCreated)
        return;
    m_midiNumber = number;
    char text[16];
    if (number < 0)
        std::snprintf(text, sizeof text, "---");
    else
        std::snprintf(text, sizeof text, "%3d", number);
    m_editBox->setText(text);
    m_learnButton->setValue(ParameterIndexAndValue(m_learnButton->getTag(), 0.0f));
}

std::int32_t Widget::getMidiNumber()
{
    if (!m_midiEditCreated)
        return 0;
    const std::string text = m_editBox->getText();
    std::int32_t number = m_midiNumber;
    if (!text.empty())
    {
        std::size_t end = text.size();
        while (end > 0 && isBlank(text[end - 1]))
            --end;
        std::size_t begin = 0;
        while (begin < end && isBlank(text[begin]))
            ++begin;
        const std::string trimmed = text.substr(begin, end - begin);
        const auto all = [&trimmed](auto test) { return std::all_of(trimmed.begin(), trimmed.end(), test); };
        if (trimmed.empty())
            number = 0;
        else if (all([](char c) { return c == '-'; }))
            number = -1;
        // More than three digits is above 127 whatever they are; reading
        // them could overflow.
        else if (trimmed.size() <= 3 && all([](char c) { return c >= '0' && c <= '9'; }))
        {
            const std::int32_t read = std::stoi(trimmed);
            if (read <= 127)
                number = read;
        }
    }
    setMidiNumber(number);
    return m_midiNumber;
}

void Widget::tick(std::uint64_t) {}

void Widget::setText(const std::string&) {}

std::string Widget::getText() const
{
    return std::string();
}

bool Widget::parseColour(const GuiInfo& guiInfo, const std::string& text, CColor& colour)
{
    if (guiInfo.getColour(text, colour))
        return true;
    std::vector<std::string> pieces;
    std::size_t start = 0;
    while (start <= text.size())
    {
        std::size_t colon = text.find(':', start);
        if (colon == std::string::npos)
            colon = text.size();
        if (colon > start)
            pieces.push_back(text.substr(start, colon - start));
        start = colon + 1;
    }
    if (pieces.size() < 3)
        return false;
    colour.red = colourChannel(pieces[0]);
    colour.green = colourChannel(pieces[1]);
    colour.blue = colourChannel(pieces[2]);
    colour.alpha = pieces.size() > 3 ? colourChannel(pieces[3]) : 255;
    return true;
}

CColor Widget::blendColour(const CColor& a, const CColor& b, float t)
{
    const auto channel = [t](std::uint8_t from, std::uint8_t to) -> std::uint8_t {
        const double blended = from + (static_cast<double>(to) - from) * t;
        if (!(blended > from))
            return from;
        return static_cast<std::uint8_t>(std::min<double>(blended, to));
    };
    return CColor{channel(a.red, b.red), channel(a.green, b.green), channel(a.blue, b.blue), channel(a.alpha, b.alpha)};
}
