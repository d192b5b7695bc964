#pragma once

#include "editor/layout/Bitmaps.h"
#include "toolkit/BaseTypes.h"

#include <cstdint>
#include <map>
#include <string>
#include <vector>

class CControl;
class CFontDesc;
class CParamMonitorBase;
class CView;
class Widget;
class Zentrova;
class ZentrovaEditor;

// The editor's shared widget context: it resolves the names the layout uses
// (colours, fonts, alignments, control tags, bitmaps) and holds the
// registries through which the editor and the widgets find each other.
// Building it touches no display and makes no font face, so it may happen
// when a host scans the plug-in.
class GuiInfo
{
public:
    using WidgetList = std::vector<Widget*>;
    using MonitoredControls = std::map<CControl*, std::int64_t>;

    GuiInfo(Zentrova* effect, ZentrovaEditor* editor);

    GuiInfo(const GuiInfo&) = delete;
    GuiInfo& operator=(const GuiInfo&) = delete;

    // Null when no widget has that name.
    Widget* findWidget(const std::string& name) const;
    // The view of the widget of that name (a control, or a container), or
    // null.
    CView* findControl(const std::string& name) const;
    // Shows value in the control of every widget bound to tag, telling no
    // one: what the editor's own buttons show after their click is handled.
    void showValue(std::int64_t tag, float value);
    // False, output untouched, for a name that is no colour (alignment).
    bool getColour(const std::string& name, CColor& colour) const;
    bool getAlignment(const std::string& name, std::int32_t& alignment) const;
    // "Name" or "Name:style". For a known name, releases font (if any) and
    // stores a new copy of that standard font with the style bits; the
    // caller holds its one reference. False, font untouched, otherwise.
    bool parseFont(const std::string& text, CFontDesc*& font) const;
    void addParameterWidget(std::int64_t tag, Widget* widget);
    // Every occurrence; a tag left without widgets goes.
    void removeParameterWidget(std::int64_t tag, Widget* widget);
    // The editor's clock, in milliseconds; 64 bits, so it never wraps.
    std::uint64_t getTicks() const;

    std::map<std::int64_t, WidgetList>& widgetsByTag() { return m_widgetsByTag; }
    std::map<std::int64_t, MonitoredControls>& monitorControls() { return m_monitorControls; }
    const std::map<std::string, std::int64_t>& tagsByName() const { return m_names.tagsByName; }
    // The tag of a name, or -1.
    std::int64_t tagOf(const std::string& name) const;
    const std::map<std::string, CColor>& colours() const { return m_names.colours; }
    const std::map<std::string, CFontDesc*>& fonts() const { return m_names.fonts; }
    const std::map<std::string, std::int32_t>& alignments() const { return m_names.alignments; }
    Bitmaps& bitmaps() { return m_bitmaps; }
    std::map<std::int64_t, CParamMonitorBase*>& monitors() { return m_monitors; }
    std::map<std::string, Widget*>& widgetsByName() { return m_widgetsByName; }
    ZentrovaEditor* editor() const { return m_editor; }
    Zentrova* effect() const { return m_effect; }
    // The widgets that take the clock; the editor's close empties it.
    WidgetList& tickList() { return m_tickWidgets; }
    // Reads the clock once and hands it to every widget of the tick list.
    void tickWidgets();

private:
    // The names a layout may use, the same for every editor.
    struct Names
    {
        std::map<std::string, std::int64_t> tagsByName;
        std::map<std::string, CColor> colours;
        std::map<std::string, CFontDesc*> fonts;
        std::map<std::string, std::int32_t> alignments;
    };
    static const Names& sharedNames();

    const Names& m_names;
    std::map<std::int64_t, WidgetList> m_widgetsByTag;
    std::map<std::int64_t, MonitoredControls> m_monitorControls;
    Bitmaps m_bitmaps;
    std::map<std::int64_t, CParamMonitorBase*> m_monitors;
    std::map<std::string, Widget*> m_widgetsByName;
    ZentrovaEditor* m_editor;
    Zentrova* m_effect;
    WidgetList m_tickWidgets;
    // The list as it stood when the ticking began, kept for its capacity.
    WidgetList m_ticking;
    bool m_inTick = false;
};
