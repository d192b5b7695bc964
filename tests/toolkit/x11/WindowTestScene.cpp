#include "WindowTestScene.h"

#include "toolkit/CDrawContext.h"
#include "toolkit/CFontDesc.h"
#include "toolkit/CFrame.h"
#include "toolkit/CVSTGUITimer.h"
#include "toolkit/CView.h"
#include "toolkit/Platform.h"

#include <vector>

namespace
{
std::string point(const CPoint& where)
{
    return std::to_string(where.h) + "," + std::to_string(where.v);
}

// A coloured rectangle with its name in the middle.
class LabelledView : public CView
{
public:
    LabelledView(const CRect& size, std::string name, CColor color, std::shared_ptr<WindowTestScene::Hooks> hooks)
        : CView(size), m_name(std::move(name)), m_color(color), m_hooks(std::move(hooks))
    {
    }

    void draw(CDrawContext* context) override
    {
        context->setFillColor(m_color);
        context->drawRect(m_size, kDrawFilled);
        context->setFont(kFontSystem);
        context->setFontColor(kColorWhite);
        context->drawString(label().c_str(), m_size, kCenterText, true);
        setDirty(false);
    }

protected:
    virtual std::string label() const { return m_name; }
    void log(const std::string& text) const
    {
        if (m_hooks->log)
            m_hooks->log(m_name + " " + text);
    }
    PlatformWindow* window() const { return getFrame() ? getFrame()->getPlatformWindow() : nullptr; }
    CRect frameRect() const
    {
        CPoint origin(m_size.left, m_size.top);
        if (getParentView())
            getParentView()->localToFrame(origin);
        return CRect(origin, m_size.getSize());
    }

    std::string m_name;
    CColor m_color;
    std::shared_ptr<WindowTestScene::Hooks> m_hooks;
};

// Logs every mouse and wheel event with its position and buttons.
class PadView : public LabelledView
{
public:
    using LabelledView::LabelledView;

    CMouseEventResult onMouseDown(CPoint& where, const CButtonState& buttons) override
    {
        log("down " + point(where) + " " + WindowTestScene::describe(buttons));
        return kMouseResultHandled;
    }
    CMouseEventResult onMouseUp(CPoint& where, const CButtonState& buttons) override
    {
        log("up " + point(where) + " " + WindowTestScene::describe(buttons));
        return kMouseResultHandled;
    }
    CMouseEventResult onMouseMoved(CPoint& where, const CButtonState& buttons) override
    {
        log("moved " + point(where) + " " + WindowTestScene::describe(buttons));
        return kMouseResultHandled;
    }
    CMouseEventResult onMouseEntered(CPoint& where, const CButtonState&) override
    {
        log("entered " + point(where));
        return kMouseResultHandled;
    }
    CMouseEventResult onMouseExited(CPoint& where, const CButtonState&) override
    {
        log("exited " + point(where));
        return kMouseResultHandled;
    }
    bool onWheel(const CPoint& where, const CMouseWheelAxis& axis, const float& distance,
                 const CButtonState& buttons) override
    {
        log(std::string("wheel ") + (axis == kWheelAxisX ? "x " : "y ") + (distance > 0 ? "+" : "") +
            std::to_string(static_cast<int>(distance)) + " " + point(where) + " " +
            WindowTestScene::describe(buttons));
        return true;
    }
};

// A linear drag: the pointer hides and jumps to the monitor's centre, and
// comes back where the drag began.
class LinearView : public LabelledView
{
public:
    using LabelledView::LabelledView;

    CMouseEventResult onMouseDown(CPoint& where, const CButtonState&) override
    {
        m_start = where;
        CPoint hidden = getFrame()->hideCursor(this, where);
        log("down " + point(where) + " hidden " + point(hidden));
        return kMouseResultHandled;
    }
    CMouseEventResult onMouseMoved(CPoint& where, const CButtonState& buttons) override
    {
        if (buttons & kButtonLeft)
            log("moved " + point(where));
        return kMouseResultHandled;
    }
    CMouseEventResult onMouseUp(CPoint& where, const CButtonState&) override
    {
        log("up " + point(where));
        CPoint back = m_start;
        getFrame()->unhideCursorAt(this, back);
        return kMouseResultHandled;
    }

private:
    CPoint m_start;
};

// Opens a text field over itself on a click and keeps what it commits.
class TextView : public LabelledView, public PlatformTextFieldListener
{
public:
    using LabelledView::LabelledView;
    ~TextView() override { m_field.reset(); }

    CMouseEventResult onMouseDown(CPoint&, const CButtonState&) override
    {
        if (m_field || !window())
            return kMouseResultHandledNoTracking;
        PlatformTextFieldOptions options;
        options.rect = frameRect();
        options.visibleRect = options.rect;
        options.text = m_text;
        options.font = SharedPointer<CFontDesc>(kFontSystem);
        options.fontColor = kColorBlack;
        options.backColor = kColorWhite;
        m_field = window()->createTextField(options, this);
        getFrame()->setFocusView(this);
        log("edit");
        return kMouseResultHandledNoTracking;
    }
    bool onTextFieldCommand(Command command) override
    {
        static const char* const names[] = {"return", "tab", "backtab", "cancel"};
        if (command == kCancel)
            log("cancel");
        else
            commit(names[command]);
        end();
        return true;
    }
    void looseFocus() override
    {
        if (m_field)
        {
            commit("blur");
            end();
        }
    }

protected:
    std::string label() const override { return m_text.empty() ? m_name : m_text; }

private:
    void commit(const char* how)
    {
        m_text = m_field->getText();
        log(std::string(how) + " [" + m_text + "]");
    }
    void end()
    {
        m_field.reset();
        invalid();
        if (getFrame() && getFrame()->getFocusView() == this)
            getFrame()->setFocusView(nullptr);
    }

    std::unique_ptr<PlatformTextField> m_field;
    std::string m_text;
};

PlatformMenuItem entry(const std::string& title, bool enabled = true)
{
    PlatformMenuItem item;
    item.title = title;
    item.enabled = enabled;
    return item;
}

// Pops a menu up on a click; while it is open the scene's timer replaces
// the menu object, as an editor rebuilding its menus would.
class MenuView : public LabelledView
{
public:
    using LabelledView::LabelledView;

    // A right click pops the menu up with its second line over the view.
    CMouseEventResult onMouseDown(CPoint&, const CButtonState& buttons) override
    {
        if (!window() || m_open)
            return kMouseResultHandledNoTracking;
        m_selected = (buttons & kButtonRight) ? 1 : -1;
        rebuild();
        m_rebuilds = 0;
        m_open = true;
        std::vector<std::int32_t> path;
        const bool chosen = window()->popupMenu(*m_menu, frameRect(), path);
        m_open = false;
        std::string text;
        for (std::int32_t index : path)
            text += (text.empty() ? "" : "/") + std::to_string(index);
        if (m_rebuilds > 0)
            log("rebuilt while open");
        log(chosen ? "chose " + text : "none");
        return kMouseResultHandledNoTracking;
    }

    void tick()
    {
        if (!m_open)
            return;
        rebuild();
        ++m_rebuilds;
    }

private:
    void rebuild()
    {
        auto menu = std::make_unique<PlatformMenu>();
        menu->items = {entry("One"), entry("Two"), PlatformMenuItem(), entry("Disabled", false), entry("Sub"),
                       entry("Long"), entry("Checked")};
        menu->items[2].separator = true;
        menu->items[4].hasSubmenu = true;
        menu->items[4].submenu = {entry("Sub A"), entry("Sub B")};
        menu->items[5].hasSubmenu = true;
        for (int i = 0; i < 150; ++i)
            menu->items[5].submenu.push_back(entry("Item " + std::to_string(i)));
        menu->items[6].checked = true;
        menu->selectedIndex = m_selected;
        m_menu = std::move(menu);
    }

    std::unique_ptr<PlatformMenu> m_menu;
    std::int32_t m_selected = -1;
    bool m_open = false;
    int m_rebuilds = 0;
};

// A dialog of one view that ends it with 7 when clicked.
class DialogView : public LabelledView
{
public:
    using LabelledView::LabelledView;

    CMouseEventResult onMouseDown(CPoint&, const CButtonState&) override
    {
        PlatformWindow* owner = window();
        if (!owner)
            return kMouseResultHandledNoTracking;
        auto* dialog = new CFrame(CRect(0, 0, 200, 100), getFrame()->getEditor());
        dialog->addView(new OkView(CRect(0, 0, 200, 100), dialog, owner, m_hooks));
        log("open");
        const std::int32_t result = owner->runModalDialog(dialog, "Window test dialog");
        dialog->release();
        log("result " + std::to_string(result));
        return kMouseResultHandledNoTracking;
    }

private:
    class OkView : public LabelledView
    {
    public:
        OkView(const CRect& size, CFrame* dialog, PlatformWindow* owner, std::shared_ptr<WindowTestScene::Hooks> hooks)
            : LabelledView(size, "ok", CColor{60, 60, 120, 255}, std::move(hooks)), m_dialog(dialog), m_owner(owner)
        {
        }
        CMouseEventResult onMouseDown(CPoint& where, const CButtonState&) override
        {
            log("down " + point(where));
            m_owner->endModalDialog(m_dialog, 7);
            return kMouseResultHandledNoTracking;
        }

    private:
        CFrame* m_dialog;
        PlatformWindow* m_owner;
    };
};

// A parameter edit: begin on the press, the value, end on the release.
class KnobView : public LabelledView
{
public:
    using LabelledView::LabelledView;

    CMouseEventResult onMouseDown(CPoint&, const CButtonState&) override
    {
        getFrame()->beginEdit(3);
        if (m_hooks->automate)
            m_hooks->automate(3, 0.25f);
        return kMouseResultHandled;
    }
    CMouseEventResult onMouseUp(CPoint&, const CButtonState&) override
    {
        getFrame()->endEdit(3);
        return kMouseResultHandled;
    }
};

// Asks for a larger frame.
class GrowView : public LabelledView
{
public:
    using LabelledView::LabelledView;

    CMouseEventResult onMouseDown(CPoint&, const CButtonState&) override
    {
        const bool grown = getFrame()->setSize(WindowTestScene::kGrownWidth, WindowTestScene::kGrownHeight);
        log(grown ? "grown" : "not grown");
        return kMouseResultHandledNoTracking;
    }
};
} // namespace

class SceneTimerListener : public CBaseObject
{
public:
    SceneTimerListener(std::shared_ptr<WindowTestScene::Hooks> hooks, MenuView* menu)
        : m_hooks(std::move(hooks)), m_menu(menu)
    {
    }
    std::int32_t notify(CBaseObject*, const char* message) override
    {
        if (message != CVSTGUITimer::kMsgTimer)
            return 0;
        ++m_ticks;
        if (m_hooks->log)
            m_hooks->log("timer " + std::to_string(m_ticks));
        if (m_menu)
            m_menu->tick();
        return 1;
    }
    void forgetMenu() { m_menu = nullptr; }

private:
    std::shared_ptr<WindowTestScene::Hooks> m_hooks;
    MenuView* m_menu;
    int m_ticks = 0;
};

WindowTestScene::WindowTestScene(CFrame* frame, Hooks hooks, bool timers)
    : m_hooks(std::make_shared<Hooks>(std::move(hooks)))
{
    frame->setBackgroundColor(CColor{40, 40, 44, 255});
    frame->addView(new PadView(CRect(10, 10, 200, 110), "pad", CColor{70, 110, 160, 255}, m_hooks));
    frame->addView(new LinearView(CRect(210, 10, 390, 110), "linear", CColor{90, 140, 90, 255}, m_hooks));
    frame->addView(new TextView(CRect(10, 120, 200, 146), "text", CColor{120, 120, 120, 255}, m_hooks));
    auto* menu = new MenuView(CRect(210, 120, 390, 146), "menu", CColor{160, 120, 60, 255}, m_hooks);
    frame->addView(menu);
    frame->addView(new DialogView(CRect(10, 156, 200, 182), "dialog", CColor{120, 70, 130, 255}, m_hooks));
    frame->addView(new KnobView(CRect(210, 156, 390, 182), "knob", CColor{150, 60, 60, 255}, m_hooks));
    frame->addView(new GrowView(CRect(10, 192, 200, 218), "grow", CColor{60, 130, 130, 255}, m_hooks));
    if (!timers)
        return;
    m_listener = new SceneTimerListener(m_hooks, menu);
    m_timer = new CVSTGUITimer(m_listener, 50);
    m_timer->start();
}

WindowTestScene::~WindowTestScene()
{
    if (m_timer)
    {
        m_timer->stop();
        m_timer->release();
    }
    if (m_listener)
        m_listener->release();
}

std::string WindowTestScene::describe(CButtonState buttons)
{
    static const std::pair<CButtonState, const char*> names[] = {
        {kButtonLeft, "L"},   {kButtonMiddle, "M"},  {kButtonRight, "R"},  {kButton4, "4"},
        {kButton5, "5"},      {kModShift, "shift"},  {kModCommand, "cmd"}, {kModOption, "opt"},
        {kModControl, "ctrl"}, {kDoubleClick, "dbl"},
    };
    std::string text;
    for (const auto& [bit, name] : names)
        if (buttons & bit)
            text += (text.empty() ? "" : "+") + std::string(name);
    return text.empty() ? "-" : text;
}
