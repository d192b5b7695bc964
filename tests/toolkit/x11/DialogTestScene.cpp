#include "DialogTestScene.h"

#include "Source/shared/Alerts.h"
#include "toolkit/CDragContainer.h"
#include "toolkit/CDrawContext.h"
#include "toolkit/CFontDesc.h"
#include "toolkit/CFrame.h"
#include "toolkit/CNewFileSelector.h"
#include "toolkit/COptionMenu.h"
#include "toolkit/CTextEdit.h"
#include "toolkit/CTooltipSupport.h"
#include "toolkit/SharedPointer.h"
#include "toolkit/WindowAlertHandler.h"

#include <cstdlib>
#include <cstring>

namespace
{
using Log = std::shared_ptr<std::function<void(const std::string&)>>;

// A coloured rectangle with its name that runs an action when clicked.
class ActionView : public CView
{
public:
    ActionView(const CRect& size, std::string name, CColor color, std::function<void(ActionView&)> action)
        : CView(size), m_name(std::move(name)), m_color(color), m_action(std::move(action))
    {
    }

    void draw(CDrawContext* context) override
    {
        context->setFillColor(m_color);
        context->drawRect(m_size, kDrawFilled);
        context->setFont(kFontSystem);
        context->setFontColor(kColorWhite);
        context->drawString(m_name.c_str(), m_size, kCenterText, true);
        setDirty(false);
    }
    CMouseEventResult onMouseDown(CPoint&, const CButtonState& buttons) override
    {
        if ((buttons & kButtonLeft) && m_action)
            m_action(*this);
        return kMouseResultHandledNoTracking;
    }

private:
    std::string m_name;
    CColor m_color;
    std::function<void(ActionView&)> m_action;
};

// Takes every drag: its cursor says so.
class DropView : public ActionView
{
public:
    DropView(const CRect& size, Log log) : ActionView(size, "drop", CColor{60, 120, 90, 255}, {}), m_log(std::move(log))
    {
    }
    void onDragEnter(CDragContainer*, const CPoint&) override { getFrame()->setCursor(kCursorCopy); }
    void onDragLeave(CDragContainer*, const CPoint&) override { getFrame()->setCursor(kCursorNotAllowed); }
    bool onDrop(CDragContainer* drag, const CPoint&) override
    {
        std::int64_t size = 0;
        std::int32_t type = 0;
        for (void* item = drag->first(size, type); item; item = drag->next(size, type))
            (*m_log)(std::string("drop ") + (type == kDragFile ? "file " : "text ") + static_cast<const char*>(item));
        return true;
    }

private:
    Log m_log;
};

class Delegate : public CBaseObject
{
public:
    explicit Delegate(Log log) : m_log(std::move(log)) {}
    std::int32_t notify(CBaseObject* sender, const char* message) override
    {
        if (std::strcmp(message, CNewFileSelector::kSelectEndMessage) != 0)
            return 0;
        (*m_log)("delegate told " + std::to_string(static_cast<CNewFileSelector*>(sender)->getNumSelectedFiles()));
        return 1;
    }

private:
    Log m_log;
};

// Runs a file selector of style on the test folder and logs the chosen paths.
void runSelector(CFrame* frame, CNewFileSelector::Style style, const Log& log)
{
    CNewFileSelector* selector = CNewFileSelector::create(frame, style);
    if (const char* folder = std::getenv("ZENTROVA_TEST_FOLDER"))
        selector->setInitialDirectory(folder);
    const char* name = style == CNewFileSelector::kSelectSaveFile ? "save" : style == CNewFileSelector::kSelectFile ? "open" : "folder";
    if (style == CNewFileSelector::kSelectSaveFile)
    {
        selector->setTitle("Save Patch File");
        selector->setDefaultSaveName("Untitled");
        selector->addFileExtension(CFileExtension("VST Patch", "fxp"));
        selector->addFileExtension(CFileExtension("AU Preset", "aupreset"));
        selector->addFileExtension(CFileExtension("Rtas Patch", "tfx"));
    }
    else if (style == CNewFileSelector::kSelectFile)
    {
        selector->setAllowMultiFileSelection(true);
        selector->addFileExtension(CFileExtension("VST Patch", "fxp"));
        selector->setDefaultExtension(CFileExtension("All Files", ""));
    }
    auto* delegate = new Delegate(log);
    const bool ran = selector->run(delegate);
    delegate->release();
    std::string line = std::string(name) + (ran ? " ran" : " not run") + " " +
                       std::to_string(selector->getNumSelectedFiles());
    for (std::int32_t i = 0; i < selector->getNumSelectedFiles(); ++i)
        line += std::string(" ") + selector->getSelectedFile(static_cast<std::uint32_t>(i));
    (*log)(line);
    selector->release();
}

// Leaves the frame when an edit ends with Return.
class EditListener : public CControlListener
{
public:
    explicit EditListener(Log log) : m_log(std::move(log)) {}
    void valueChanged(CControl* control) override
    {
        auto* edit = static_cast<CTextEdit*>(control);
        (*m_log)(std::string("edit value ") + edit->getTextPointer());
        if (edit->getReturnPressed() && edit->getFrame())
        {
            edit->getFrame()->removeView(edit);
            (*m_log)("edit removed");
        }
    }

private:
    Log m_log;
};

class MenuListener : public CControlListener
{
public:
    explicit MenuListener(Log log) : m_log(std::move(log)) {}
    void valueChanged(CControl* control) override
    {
        (*m_log)("menu value " + std::to_string(static_cast<int>(control->getValue())));
    }

private:
    Log m_log;
};
} // namespace

DialogTestScene::DialogTestScene(CFrame* frame, std::function<void(const std::string&)> log) : m_frame(frame)
{
    Log shared = std::make_shared<std::function<void(const std::string&)>>(std::move(log));
    frame->setBackgroundColor(CColor{40, 40, 44, 255});

    auto* tip = new ActionView(tipRect(), "tip", CColor{70, 110, 160, 255},
                               [shared](ActionView&) { (*shared)("tip clicked"); });
    const char text[] = "Tooltip of the tip view";
    tip->setAttribute(CTooltipSupport::kTooltipAttribute, sizeof text, text);
    frame->addView(tip);
    frame->addView(new ActionView(saveRect(), "save", CColor{120, 90, 60, 255}, [shared, frame](ActionView&) {
        runSelector(frame, CNewFileSelector::kSelectSaveFile, shared);
    }));
    frame->addView(new ActionView(openRect(), "open", CColor{120, 90, 60, 255}, [shared, frame](ActionView&) {
        runSelector(frame, CNewFileSelector::kSelectFile, shared);
    }));
    frame->addView(new ActionView(folderRect(), "folder", CColor{120, 90, 60, 255}, [shared, frame](ActionView&) {
        runSelector(frame, CNewFileSelector::kSelectDirectory, shared);
    }));
    frame->addView(new ActionView(alertRect(), "alert", CColor{140, 60, 60, 255}, [shared](ActionView&) {
        showAlert("Something went wrong", "The patch could not be saved.");
        (*shared)("alert done");
    }));
    frame->addView(new ActionView(askRect(), "ask", CColor{140, 60, 60, 255}, [shared](ActionView&) {
        (*shared)("ask " + std::to_string(askSkipStop("Converting patches", "The file Bass.fxp cannot be read.")));
    }));
    frame->addView(new DropView(dropRect(), shared));

    m_editListener = std::make_unique<EditListener>(shared);
    auto* edit = new CTextEdit(editRect(), m_editListener.get(), 1, "edit me");
    edit->setBackColor(kColorWhite);
    edit->setFontColor(kColorBlack);
    frame->addView(edit);

    m_menuListener = std::make_unique<MenuListener>(shared);
    auto* menu = new COptionMenu(menuRect(), m_menuListener.get(), 2);
    menu->addEntry("Alpha");
    menu->addEntry("Beta");
    menu->addEntry("Gamma");
    menu->setBackColor(kColorWhite);
    menu->setFontColor(kColorBlack);
    frame->addView(menu);

    m_tooltips = new CTooltipSupport(frame, kTooltipDelay);
    WindowAlertHandler::install(frame);
}

DialogTestScene::~DialogTestScene()
{
    WindowAlertHandler::uninstall(m_frame);
    m_tooltips->release();
}
