#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "Source/editorport/EditorPort.h"
#include "Source/editorport/EditorTags.h"
#include "Source/queues/GuiCue.h"
#include "Source/queues/ParameterIndexAndValue.h"
#include "Source/ticpp/ticpp.h"
#include "editor/layout/GuiInfo.h"
#include "editor/layout/GuiLayout.h"
#include "toolkit/AEffGUIEditor.h"

class CBendWheel;
class CHarmonicSelect;
class CParamMonitor;
class CPatchSelector;
class CTooltipSupport;
class PatchBrowser;
class CControl;
class COptionMenu;
class CParamMonitorBase;
class Configuration;
class CView;
class FrameWidget;
class KeyboardWidget;
class Widget;
class Zentrova;

// The plug-in's editor. It builds its whole window at open time from the
// layout document, binds every control to a parameter or an editor action,
// and applies the values that the plug-in posts to its queue in its idle
// call, on the user-interface thread. Constructing it touches no display.
class ZentrovaEditor : public AEffGUIEditor, public EditorPort
{
public:
    // Queue index of a controller that MIDI learn caught on the audio
    // thread: above every index the plug-in posts, so the idle binds it on
    // the editor's thread. The value carries the controller number.
    static constexpr std::int64_t kLearnBindingIndex = 0x10000;
    static constexpr std::int64_t kLearnedFlag = EditorTag::kLearnedAtBlockStart;

    explicit ZentrovaEditor(Zentrova* effect);
    ~ZentrovaEditor() override;

    bool getRect(ERect** rect) override;
    // False, with nothing left behind, when no window can be built.
    bool open(void* parentWindow) override;
    void close() override;
    bool isOpen() override;
    void idle() override;
    bool setKnobMode(VstInt32 mode) override;
    std::int32_t getKnobMode() const override;
    std::int32_t getLinearKnobCursorMove() const override;

    // Any thread: queues the value on lane 2 while the editor is open.
    void setParameter(VstInt32 index, float value) override;
    // Any thread: queues the value on a lane while the editor is open; the
    // audio thread uses lane 1. A full lane makes the next idle refresh
    // every control from the plug-in.
    void postToGui(int lane, std::int64_t index, float value) override;
    void draw(ERect* rect) override { AEffGUIEditor::draw(rect); }

    // Edits of parameter tags reach the host; other tags are the editor's.
    void beginEdit(std::int32_t tag) override;
    void endEdit(std::int32_t tag) override;

    // A control of the window was changed by the user; its widget passes
    // the control's tag and value on.
    virtual void valueChanged(VstInt32 tag, CControl* control, float value);

    // Audio thread: a controller arrived while MIDI learn was armed. The
    // binding itself happens at the next idle.
    void bindMidiLearn(int controller) override;
    void midiMapChanged() override;
    // The configuration's knob mode changed (or is read at open).
    void knobModeChanged(int mode) override;
    void applyKnobMode();

    // The harmonic list files of one drop; true when any was taken.
    bool loadHarmonicFiles(const std::vector<std::string>& paths);
    bool acceptConfigurationDrop() { return true; }
    // A monitored control was pressed.
    void notifyMonitorHold(GuiInfo& guiInfo, std::int64_t monitor, CControl* control);
    // The patch step of the "+" and "-" keys and the step buttons.
    void stepProgram(int delta);

    void showEditPanels();
    void setEffectsPanel(int index);
    void showPatchInfo(bool show);
    void setHarmonicEditWave(int wave);
    void applyUserWave(int wave, const std::vector<std::uint8_t>& levels);
    void saveHarmonicWave();
    void enterMidiEditMode();
    void leaveMidiEditMode();

    void savePatchDialog(bool move, bool startInLastFolder);
    // The root of the content folder's "tooltips.xml", or null.
    ticpp::Element* loadTooltips();

    void updateControlsForParameter(std::int64_t index, float value);
    void setControlDefaults();

    GuiCue<ParameterIndexAndValue>& parameterQueue() { return m_parameterQueue; }
    GuiInfo& getGuiInfo() { return m_guiInfo; }
    FrameWidget* getFrameWidget() const { return m_frameWidget.get(); }
    // The configuration's until the host asks for the window's size or opens
    // it, when the layout is read and the configurations known.
    const std::string& getLayoutName() const { return m_layoutName; }
    const std::vector<LayoutConfiguration>& getConfigurations() const { return m_configurations; }
    int getEditMode() const { return m_editMode; }
    int getHarmonicEditWave() const { return m_harmonicEditWave; }
    bool isInMidiEditMode() const { return m_midiEditMode; }
    int getPendingLearnParameter() const { return m_pendingLearnParameter; }
    const std::string& getLastSaveFolder() const { return m_lastSaveFolder; }
    CView* getMonitoredView() const { return m_monitoredView; }
    PatchBrowser* getPatchBrowser() const { return m_patchBrowser.get(); }
    CHarmonicSelect* getHarmonicSelect() const { return m_harmonicSelect.get(); }
    CTooltipSupport* getTooltipSupport() const { return m_tooltipSupport; }

    // Stands in for the save dialog's file selector: gets the title and
    // the initial folder, answers the chosen path or empty for cancel.
    using SaveFileChooser = std::function<std::string(const std::string&, const std::string&)>;
    void setSaveFileChooser(SaveFileChooser chooser) { m_saveFileChooser = std::move(chooser); }

private:
    std::string chooseSaveFile(const std::string& title, const std::string& initialFolder, bool& typeGiven);
    void loadLayout();
    bool buildWindow(void* parentWindow);
    void destroyWindow();
    void refreshBankViews();
    std::int32_t parameterOfTag(std::int32_t tag) const;
    void applyGuiItem(const ParameterIndexAndValue& item);
    void drainQueue();
    void monitorStep(bool learnedSeen);
    void refreshAllControls();
    void buildPresetList();
    void attachTooltips();
    void bindLearnedController(int controller);
    void resetParameterMonitor();
    Widget* findWidget(const std::string& name) const;
    void setWidgetVisible(const std::string& name, bool visible);
    Configuration* configuration() const;

    Zentrova* m_pZentrova;
    GuiInfo m_guiInfo;
    // Until a host sets a knob mode, "System Default" drags linearly, as
    // knobs do under Linux hosts, which never set one.
    static constexpr std::int32_t kNoHostKnobMode = INT32_MIN;
    static constexpr std::int32_t kLinearKnobMode = 2;
    std::atomic<std::int32_t> m_hostKnobMode{kNoHostKnobMode};
    std::atomic<std::int32_t> m_configuredKnobMode{-1};
    std::atomic<std::int32_t> m_appliedKnobMode{kLinearKnobMode};
    std::int64_t m_lastMovedParameter = -1;
    std::uint64_t m_lastMovedTime = 0;
    GuiCue<ParameterIndexAndValue> m_parameterQueue;
    // A push was refused: the next idle shows every value afresh.
    std::atomic<bool> m_refreshNeeded{false};
    CView* m_monitoredView = nullptr;
    // The frame's hover stamp when the view under the pointer was last
    // looked for; unset when something else chose the monitor's view.
    std::uint64_t m_hoverStamp = 0;
    bool m_hoverStampSet = false;
    std::atomic<bool> m_open{false};
    // Set as the window opens: its first idle shows the alerts that waited
    // for an editor.
    bool m_deferredAlertsDue = false;
    int m_pendingLearnParameter = -1;
    bool m_midiEditMode = false;
    int m_editMode = 0;
    int m_harmonicEditWave = 0;
    std::unique_ptr<CBendWheel> m_bendWheel;
    std::unique_ptr<FrameWidget> m_frameWidget;
    // The process's expansion for this window, while open.
    GuiLayout* m_layout = nullptr;
    bool m_layoutLoaded = false;
    std::map<std::int64_t, Widget*> m_midiWidgets;
    KeyboardWidget* m_keyboardWidget = nullptr;
    CPatchSelector* m_patchSelector = nullptr;
    std::unique_ptr<CParamMonitor> m_monitorSwitcher;
    std::unique_ptr<CHarmonicSelect> m_harmonicSelect;
    std::unique_ptr<PatchBrowser> m_patchBrowser;
    CTooltipSupport* m_tooltipSupport = nullptr;
    CParamMonitorBase* m_paramMonitor = nullptr;
    std::string m_layoutPrefix;
    std::string m_layoutName;
    COptionMenu* m_layoutSelector = nullptr;
    Widget* m_splashWidget = nullptr;
    Widget* m_patchAndParameter = nullptr;
    std::string m_lastSaveFolder;
    CControl* m_lastUpdatedControl = nullptr;
    std::vector<LayoutConfiguration> m_configurations;
    std::atomic<std::int64_t> m_configurationIndex{0};
    ticpp::Document m_tooltipDocument;
    SaveFileChooser m_saveFileChooser;
};
