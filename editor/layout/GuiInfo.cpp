#include "editor/layout/GuiInfo.h"

#include "Source/parameters/ParameterTable.h"
#include "dsp/Lasting.h"
#include "editor/widgets/Widget.h"
#include "toolkit/CFontDesc.h"
#include "toolkit/Clock.h"

#include <algorithm>

namespace
{
struct TagName
{
    std::int64_t tag;
    const char* name;
};

// The editor's own tags; the parameters come first, by their patch keys.
// Only the first of each run of harmonic levels has a name.
const TagName kEditorTags[] = {{107, "Wave1Fundamental"}, {131, "Wave2Fundamental"}, {155, "GuiMode"},
    {156, "EffectsOpen"}, {181, "HarmonicWaveSave"}, {182, "HarmonicWaveSelect0"}, {183, "HarmonicWaveSelect1"},
    {184, "HarmonicWaveSaveSelect"}, {185, "ModWheel"}, {186, "BendWheel"}, {187, "KnobMode"},
    {188, "LayoutSelector"}, {189, "MidiBankSelect"}, {157, "PatchInc"}, {175, "PatchInfoActive"},
    {165, "BrowserClose"}, {158, "PatchDec"}, {167, "PatchSave"}, {599, "PatchModified"}, {159, "BankList"},
    {160, "PatchList"}, {161, "ProgramList"}, {162, "ClearProgram"}, {163, "ClearBank"}, {168, "PatchMem1"},
    {169, "PatchMem2"}, {170, "PatchMem3"}, {171, "PatchMem4"}, {172, "SplashOpen"}, {173, "SplashClose"},
    {164, "BrowserOpen"}, {166, "BrowserRefresh"}};

// A leading decimal integer as atoi reads it, without its undefined
// behaviour on overflow.
std::int32_t leadingNumber(const std::string& text)
{
    std::size_t i = text.find_first_not_of(" \t\n\v\f\r");
    if (i == std::string::npos)
        return 0;
    bool negative = false;
    if (text[i] == '+' || text[i] == '-')
        negative = text[i++] == '-';
    std::int64_t value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i)
        value = std::min<std::int64_t>(value * 10 + (text[i] - '0'), std::int64_t{1} << 32);
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(negative ? -value : value, INT32_MIN, INT32_MAX));
}
}

// Every editor of the process reads the same names; they are made once.
const GuiInfo::Names& GuiInfo::sharedNames()
{
    static const Lasting<Names> names([] {
        Names made;
        for (std::int64_t tag = 0; tag < kNamedParameterCount; ++tag)
            made.tagsByName[parameterNameTable[tag].key] = tag;
        for (const TagName& row : kEditorTags)
            made.tagsByName[row.name] = row.tag;

        made.colours = {{"ColorTransparent", kColorTransparent}, {"ColorBlack", kColorBlack},
            {"ColorWhite", kColorWhite}, {"ColorGrey", kColorGrey}, {"ColorRed", kColorRed},
            {"ColorGreen", kColorGreen}, {"ColorBlue", kColorBlue}, {"ColorYellow", kColorYellow},
            {"ColorCyan", kColorCyan}, {"ColorMagenta", kColorMagenta}};

        // Plain name and size records: no font face exists before first drawn.
        made.fonts = {{"SystemFont", kFontSystem}, {"NormalFontVeryBig", kFontHelvetica18},
            {"NormalFontBig", kFontHelvetica14}, {"NormalFont", kFontHelvetica12},
            {"NormalFontSmall", kFontHelvetica11}, {"NormalFontSmaller", kFontHelvetica10},
            {"NormalFontVerySmall", kFontHelvetica9}, {"SymbolFont", kFontHelvetica12Alt}};

        made.alignments = {{"Left", kLeftText}, {"Centre", kCenterText}, {"Right", kRightText}};
        return made;
    }());
    return *names;
}

GuiInfo::GuiInfo(Zentrova* effect, ZentrovaEditor* editor)
    : m_names(sharedNames()), m_editor(editor), m_effect(effect)
{
}

Widget* GuiInfo::findWidget(const std::string& name) const
{
    const auto found = m_widgetsByName.find(name);
    return found != m_widgetsByName.end() ? found->second : nullptr;
}

CView* GuiInfo::findControl(const std::string& name) const
{
    Widget* widget = findWidget(name);
    return widget ? widget->getControl() : nullptr;
}

void GuiInfo::showValue(std::int64_t tag, float value)
{
    const auto bound = m_widgetsByTag.find(tag);
    if (bound == m_widgetsByTag.end())
        return;
    for (Widget* widget : bound->second)
        widget->setValue(ParameterIndexAndValue(tag, value));
}

void GuiInfo::tickWidgets()
{
    // A tick that idles the editor again does not tick anything twice.
    if (m_inTick)
        return;
    m_inTick = true;
    const std::uint64_t now = getTicks();
    // A widget may leave the list while it ticks.
    m_ticking.assign(m_tickWidgets.begin(), m_tickWidgets.end());
    for (Widget* widget : m_ticking)
        if (std::find(m_tickWidgets.begin(), m_tickWidgets.end(), widget) != m_tickWidgets.end())
            widget->tick(now);
    m_inTick = false;
}

bool GuiInfo::getColour(const std::string& name, CColor& colour) const
{
    const auto found = m_names.colours.find(name);
    if (found == m_names.colours.end())
        return false;
    colour = found->second;
    return true;
}

bool GuiInfo::getAlignment(const std::string& name, std::int32_t& alignment) const
{
    const auto found = m_names.alignments.find(name);
    if (found == m_names.alignments.end())
        return false;
    alignment = found->second;
    return true;
}

bool GuiInfo::parseFont(const std::string& text, CFontDesc*& font) const
{
    const std::size_t colon = text.find(':');
    const auto found = m_names.fonts.find(text.substr(0, colon));
    if (found == m_names.fonts.end())
        return false;
    const std::int32_t style = colon == std::string::npos ? 0 : leadingNumber(text.substr(colon + 1));
    if (font != nullptr)
        font->forget();
    font = new CFontDesc(*found->second);
    font->setStyle(style);
    return true;
}

void GuiInfo::addParameterWidget(std::int64_t tag, Widget* widget)
{
    m_widgetsByTag[tag].push_back(widget);
}

void GuiInfo::removeParameterWidget(std::int64_t tag, Widget* widget)
{
    const auto found = m_widgetsByTag.find(tag);
    if (found == m_widgetsByTag.end())
        return;
    WidgetList& widgets = found->second;
    widgets.erase(std::remove(widgets.begin(), widgets.end(), widget), widgets.end());
    if (widgets.empty())
        m_widgetsByTag.erase(found);
}

std::uint64_t GuiInfo::getTicks() const
{
    return Clock::now();
}

std::int64_t GuiInfo::tagOf(const std::string& name) const
{
    const auto found = m_names.tagsByName.find(name);
    return found != m_names.tagsByName.end() ? found->second : -1;
}
