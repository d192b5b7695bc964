#pragma once

#include <cstdint>
#include <string>

#include "Source/queues/ParameterIndexAndValue.h"
#include "toolkit/BaseTypes.h"
#include "toolkit/CControlListener.h"

namespace ticpp
{
class Element;
}
class CBitmap;
class CControl;
class CFrame;
class CView;
class CViewContainer;
class GuiInfo;
class MonitoredControl;
class ZentrovaEditor;

// One element of the layout's widget tree: it reads its attributes, builds
// one view in its parent container, binds it to a control tag and to itself
// as listener, and registers itself with GuiInfo so that the editor finds
// it by tag and by name. It is the editor's handle on the view for as long
// as the window lives, and holds one reference of it.
class Widget : public CControlListener
{
public:
    // The tags of a parameter's MIDI parts: its tag plus these.
    static constexpr std::int64_t kEditBoxTagOffset = 190;
    static constexpr std::int64_t kLearnButtonTagOffset = 381;

    // Reads the common attributes; the subclass builds the view. Throws
    // ticpp::Exception for an attribute that does not convert.
    Widget(ticpp::Element* element, CViewContainer* parent, CFrame* frame, ZentrovaEditor* editor, GuiInfo& guiInfo);
    ~Widget() override;

    Widget(const Widget&) = delete;
    Widget& operator=(const Widget&) = delete;

    // CControlListener: the editor hears of the control's tag and value.
    void valueChanged(CControl* control) override;
    std::int32_t controlModifierClicked(CControl* control, CButtonState buttons) override;

    // The view built (a control, or a container); null when none was.
    virtual CView* getControl() const { return m_view; }
    virtual bool isContainer() const { return false; }
    // The index is not used here; the value goes to the control.
    virtual void setValue(ParameterIndexAndValue item);
    virtual void setDefaultValue(ParameterIndexAndValue item);
    // Puts the view into its parent (on top of its siblings) or takes it
    // out, keeping it.
    virtual void setVisible(bool visible);
    virtual bool isVisible() const { return m_visible; }
    // Moves the widget's registrations to the run of tags from tag.
    virtual void setTag(std::int64_t tag);
    virtual std::int64_t getTag() const { return m_tag; }
    // The MIDI controller box and learn button, built from the layout's
    // midiedit element; only for a widget with "midi" and a tag.
    virtual void createMidiEdit(ticpp::Element* midiEdit);
    virtual void destroyMidiEdit();
    virtual void setPosition(std::int64_t x, std::int64_t y);
    virtual bool isMidi() const { return m_midi; }
    // Shows n in the controller box ("---" for none) and lets the learn
    // button up.
    virtual void setMidiNumber(std::int32_t number);
    // Reads the controller box: blanks around are ignored, dashes mean none,
    // digits up to 127 a controller; anything else keeps the number shown.
    virtual std::int32_t getMidiNumber();
    // The editor's clock, for the widgets on GuiInfo's tick list.
    virtual void tick(std::uint64_t milliseconds);
    // Places the MIDI parts around the anchor while the view is in a frame:
    // the box just above it, the learn button just below.
    virtual void layoutMidiEdit();

    // The text of a text widget; other widgets have none.
    virtual void setText(const std::string& text);
    virtual std::string getText() const;

    const std::string& getName() const { return m_name; }
    const std::string& getParameterName() const { return m_parameterName; }
    std::int64_t getX() const { return m_x; }
    std::int64_t getY() const { return m_y; }
    std::int64_t getWidth() const { return m_width; }
    std::int64_t getHeight() const { return m_height; }
    std::int64_t getFrames() const { return m_frames; }
    std::int64_t getFrameHeight() const { return m_frameHeight; }
    std::int64_t getTagCount() const { return m_tagCount; }
    std::int64_t getMonitor() const { return m_monitor; }
    const CColor& getBackColour() const { return m_backColour; }
    CBitmap* getBitmap() const { return m_bitmap; }
    Widget* getLearnButton() const { return m_learnButton; }
    Widget* getEditBox() const { return m_editBox; }

    // A colour text: a colour name of GuiInfo, or "r:g:b" or "r:g:b:a"
    // (decimal, each at most 255; alpha 255 when left out). False, colour
    // untouched, for anything else.
    static bool parseColour(const GuiInfo& guiInfo, const std::string& text, CColor& colour);
    // From a towards b by t, per channel, never below a's value.
    static CColor blendColour(const CColor& a, const CColor& b, float t);

    // The factory calls this once the whole widget is built; until then a
    // destroyed widget takes its name back out of GuiInfo.
    void constructionComplete() { m_complete = true; }

protected:
    CRect getRect() const { return CRect(m_x, m_y, m_x + m_width, m_y + m_height); }
    // Takes the control as the widget's view and control, shows it when
    // visible, binds the tag run, enters the monitor table when asked and
    // gives a monitored control its monitor.
    void bindControl(CControl* control, bool monitorTable, MonitoredControl* monitored);
    // The same for a view that is no control.
    void bindView(CView* view);
    void addTagRun();
    void removeTagRun();
    // One MIDI part from the midiedit element's child, hidden until placed.
    Widget* createMidiPart(ticpp::Element* midiEdit, const char* partName, std::int64_t tag);

    bool m_midi = false;
    std::int64_t m_x = 0;
    std::int64_t m_y = 0;
    std::int64_t m_width = 0;
    std::int64_t m_height = 0;
    std::int64_t m_bitmapWidth = 0;
    std::int64_t m_bitmapHeight = 0;
    std::int64_t m_frameHeight = 0;
    std::int64_t m_tagCount = 1;
    CColor m_backColour{0, 0, 0, 255};
    std::string m_parameterName;
    CBitmap* m_bitmap = nullptr;
    std::int64_t m_frames = 1;
    std::string m_bitmapName;
    GuiInfo& m_guiInfo;
    std::int64_t m_tag = -1;
    std::int64_t m_monitor = -1;
    CView* m_view = nullptr;
    CControl* m_control = nullptr;
    std::string m_name;
    CViewContainer* m_parent;
    CFrame* m_frame;
    bool m_visible = true;
    Widget* m_learnButton = nullptr;
    Widget* m_editBox = nullptr;
    std::int64_t m_midiX = 0;
    std::int64_t m_midiY = 0;
    ZentrovaEditor* m_editor;
    bool m_midiEditCreated = false;
    std::int32_t m_midiNumber = -1;

private:
    // The name this widget registered under, and whom it displaced there.
    std::string m_registeredName;
    Widget* m_displaced = nullptr;
    bool m_takesMonitor = false;
    bool m_inMonitorTable = false;
    bool m_complete = false;
};
