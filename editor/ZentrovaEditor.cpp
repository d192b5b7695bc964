#include "editor/ZentrovaEditor.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "Source/Zentrova.h"
#include "Source/editorport/EditorTags.h"
#include "Source/parameters/ParameterIndices.h"
#include "Source/queues/QueueLanes.h"
#include "Source/shared/Alerts.h"
#include "Source/parameters/ZentrovaParameter.h"
#include "Source/state/ZentrovaState.h"
#include "editor/browser/PatchBrowser.h"
#include "editor/controls/CBendWheel.h"
#include "editor/controls/CHarmonicSelect.h"
#include "editor/controls/CParamMonitor.h"
#include "editor/controls/CPatchSelector.h"
#include "editor/controls/CTextListView.h"
#include "editor/controls/CParamMonitorBase.h"
#include "editor/controls/CWheel.h"
#include "editor/controls/CZentrovaFrame.h"
#include "editor/layout/SharedLayout.h"
#include "editor/widgets/FrameWidget.h"
#include "editor/widgets/KeyboardWidget.h"
#include "editor/widgets/PatchSelectorWidget.h"
#include "editor/widgets/TextListWidget.h"
#include "editor/widgets/Widget.h"
#include "patches/Configuration.h"
#include "patches/PatchFileIo.h"
#include "toolkit/BundleLocation.h"
#include "toolkit/CControl.h"
#include "toolkit/CFontDesc.h"
#include "toolkit/CFrame.h"
#include "toolkit/CFileExtension.h"
#include "toolkit/CMenuItem.h"
#include "toolkit/CNewFileSelector.h"
#include "toolkit/CTooltipSupport.h"
#include "toolkit/COptionMenu.h"
#include "toolkit/CTextLabel.h"
#include "toolkit/WindowAlertHandler.h"

namespace
{
constexpr int kAudioLane = EditorLane::kAudio;
constexpr int kHostLane = EditorLane::kHost;
constexpr int kNumLanes = kQueueLanes;
constexpr std::int64_t kLastParameter = kParameterCount - 1;
constexpr std::int64_t kFirstHarmonic = kNamedParameterCount;
constexpr std::int64_t kLastWave1Harmonic = kNamedParameterCount + kHarmonicCount - 1;
constexpr std::int64_t kFirstWave2Harmonic = kNamedParameterCount + kHarmonicCount;
constexpr std::int64_t kHarmonicsPerWave = kHarmonicCount;
constexpr std::int64_t kNumSynthParameters = kNamedParameterCount;
// Far beyond any list of tooltips.
constexpr std::uint64_t kMaxTooltipsFileSize = 1u << 20;

enum Tag : std::int64_t
{
    kGuiMode = 155,
    kEffectsOpen = 156,
    kPatchInc = 157,
    kPatchDec = 158,
    kPatchSave = 167,
    kSplashOpen = 172,
    kSplashClose = 173,
    kPatchInfoActive = 175,
    kHarmonicWaveSave = 181,
    kHarmonicWaveSelect0 = 182,
    kHarmonicWaveSelect1 = 183,
    kHarmonicWaveSaveSelect = 184,
    kModWheel = EditorTag::kModWheel,
    kBendWheel = EditorTag::kPitchBend,
    kKnobMode = 187,
    kLayoutSelector = 188,
    kFirstEditBox = EditorTag::kFirstControllerBox,
    kLastEditBox = 379,
    kFirstLearnButton = EditorTag::kFirstMidiLearn,
    kLastLearnButton = EditorTag::kLastMidiLearn,
    kLearnOff = EditorTag::kMidiLearnOff,
    kPatchModified = EditorTag::kPatchModified,
};

enum QueueIndex : std::int64_t
{
    kProgramNumber = EditorTag::kProgramName,
    kProgramLoaded = EditorTag::kResetParameterMonitor,
    kProgramApplied = EditorTag::kRefreshBankViews,
    kBankSelected = EditorTag::kListsChanged,
    kFirstKeyLight = EditorTag::kFirstKeyLight,
    kLastKeyLight = 728,
};

std::uint8_t levelByte(float value)
{
    return static_cast<std::uint8_t>(std::clamp(value * 255.0f + 0.5f, 0.0f, 255.0f));
}

// Control-click and friends arrive as button bits in the kick button's value.
constexpr int kShiftBit = 0x10;
constexpr int kCommandBit = 0x20;
constexpr int kOptionBit = 0x40;

// The learned-controller marking keeps the monitor on a parameter this long.
constexpr std::uint64_t kLearnedHoldMs = 100;


const char* const kKnobModeNames[] = {"System Default", "Circular", "Relative Circular", "Linear"};

// Without its images the panel would be black: the window says why instead,
// over the whole frame, so that no unseen control takes a click.
void showMissingImages(CFrame* frame)
{
    const CColor back{28, 24, 20, 255};
    const CColor text{236, 222, 196, 255};
    const CCoord width = frame->getWidth();
    auto* notice = new CViewContainer(CRect(0, 0, width, frame->getHeight()), frame);
    notice->setBackgroundColor(back);
    const std::string folder = BundleLocation::resourcesPath();
    const std::string lines[] = {
        "The panel's images are missing.",
        folder.empty() ? std::string("The plug-in's bundle could not be found.") : "Looked for them in " + folder,
        "Keep the plug-in library inside its .vst bundle.",
    };
    CCoord top = frame->getHeight() / 2 - 50;
    for (const std::string& line : lines)
    {
        const bool heading = &line == &lines[0];
        const CCoord height = heading ? 34 : 26;
        auto* label = new CTextLabel(CRect(10, top, width - 10, top + height), line.c_str(), nullptr, kNoFrame);
        label->setFont(heading ? kFontHelvetica18 : kFontHelvetica14);
        label->setFontColor(text);
        label->setBackColor(back);
        label->setMouseEnabled(false);
        notice->addView(label);
        top += height;
    }
    frame->addView(notice);
}

std::string lowerCase(std::string text)
{
    for (char& c : text)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}
} // namespace

ZentrovaEditor::ZentrovaEditor(Zentrova* effect)
    : AEffGUIEditor(effect), m_pZentrova(effect), m_guiInfo(effect, this), m_layoutPrefix("Layout/")
{
    if (Configuration* config = configuration())
        m_layoutName = config->getLayoutName();
    // The layout is read when the host first asks for the window, not when
    // every instance of a project opens.
}

ZentrovaEditor::~ZentrovaEditor()
{
    close();
}

Configuration* ZentrovaEditor::configuration() const
{
    return m_pZentrova ? m_pZentrova->getConfiguration() : nullptr;
}

void ZentrovaEditor::loadLayout()
{
    m_layoutLoaded = true;
    m_configurations = SharedLayout::configurations();
    std::int64_t chosen = 0;
    for (std::size_t i = 0; i < m_configurations.size(); ++i)
        if (m_configurations[i].name == m_layoutName)
        {
            chosen = static_cast<std::int64_t>(i);
            break;
        }
    m_configurationIndex.store(chosen, std::memory_order_relaxed);
    if (m_configurations.empty())
    {
        m_rect = ERect{};
        return;
    }
    const LayoutConfiguration& configuration = m_configurations[static_cast<std::size_t>(chosen)];
    m_layoutName = configuration.name;
    m_rect.top = 0;
    m_rect.left = 0;
    m_rect.bottom = static_cast<VstInt16>(configuration.height);
    m_rect.right = static_cast<VstInt16>(configuration.width);
}

bool ZentrovaEditor::getRect(ERect** rect)
{
    if (!m_layoutLoaded)
        loadLayout();
    return AEffGUIEditor::getRect(rect);
}

bool ZentrovaEditor::open(void* parentWindow)
{
    if (isOpen())
        close();
    AEffGUIEditor::open(parentWindow);
    try
    {
        if (buildWindow(parentWindow))
            return true;
    }
    catch (...)
    {
        // A damaged layout or a failing window: nothing half-built stays.
    }
    destroyWindow();
    m_systemWindow = nullptr;
    return false;
}

bool ZentrovaEditor::buildWindow(void* parentWindow)
{
    Configuration* config = configuration();
    m_editMode = config ? config->getEditMode() : 0;

    m_guiInfo.widgetsByTag().clear();
    loadLayout();
    m_guiInfo.widgetsByName().clear();
    m_guiInfo.monitors().clear();
    m_guiInfo.monitorControls().clear();
    if (m_configurations.empty())
        return false;

    m_layout = SharedLayout::acquire(m_layoutName);
    if (!m_layout)
        return false;
    {
        const std::unique_lock<std::recursive_mutex> walk = SharedLayout::lock();
        ticpp::Element* frameElement = m_layout->expandedFrameElement();
        m_guiInfo.bitmaps().init(m_layout->readBitmaps(), m_layoutPrefix);
        // Without its background image the frame still takes the window's size.
        const LayoutConfiguration& chosen =
            m_configurations[static_cast<std::size_t>(m_configurationIndex.load(std::memory_order_relaxed))];
        if (frameElement->GetAttribute("width").empty())
            frameElement->SetAttribute("width", chosen.width);
        if (frameElement->GetAttribute("height").empty())
            frameElement->SetAttribute("height", chosen.height);

        // The window keeps the configuration's size whatever the image says.
        ERect frameRect = m_rect;
        m_frameWidget.reset(new FrameWidget(frameElement, this, m_guiInfo, parentWindow, frameRect, this));
    }
    m_frame = m_frameWidget->getFrame();
    if (parentWindow && (!m_frame || !m_frame->getPlatformWindow()))
        return false;
    // Alerts raised on this thread while the window is open show above it.
    if (m_frame && m_frame->getPlatformWindow())
        WindowAlertHandler::install(m_frame);

    m_bendWheel.reset(new CBendWheel(m_guiInfo, "BendWheel"));
    m_harmonicSelect.reset(new CHarmonicSelect(m_guiInfo, "HarmonicWaveSelect", 2, "HarmonicEditNameMenu",
                                               config ? config->getSupportFiles().contentFolder : std::string()));
    if (m_pZentrova)
        for (int i = 0; i < 2 * kHarmonicsPerWave; ++i)
            m_harmonicSelect->setHarmonicLevel(i, levelByte(m_pZentrova->getParameter(kFirstHarmonic + i)));

    // Whatever was posted before this window belongs to no control of it.
    m_parameterQueue.clear();
    m_refreshNeeded.store(false, std::memory_order_relaxed);
    m_open.store(true, std::memory_order_release);

    updateControlsForParameter(kGuiMode, static_cast<float>(m_editMode) / 3.0f);
    showEditPanels();
    setEffectsPanel(config ? config->getEffectsPanel() : 0);

    if (Widget* monitor = findWidget("ParamMonitor"))
    {
        m_paramMonitor = dynamic_cast<CParamMonitorBase*>(monitor);
        if (!m_paramMonitor)
            m_paramMonitor = dynamic_cast<CParamMonitorBase*>(monitor->getControl());
        if (m_paramMonitor)
            m_guiInfo.monitors()[0] = m_paramMonitor;
    }
    m_keyboardWidget = dynamic_cast<KeyboardWidget*>(findWidget("Keyboard"));

    if (auto* knobMode = dynamic_cast<COptionMenu*>(m_guiInfo.findControl("KnobMode")))
        for (const char* name : kKnobModeNames)
            knobMode->addEntry(name);
    knobModeChanged(config ? config->getKnobMode() : -1);

    if (auto* selector = dynamic_cast<PatchSelectorWidget*>(findWidget("PatchSelector")))
        m_patchSelector = selector->getSelector();
    if (m_patchSelector)
        m_patchSelector->rebuild();
    m_patchAndParameter = findWidget("PatchAndParameter");
    m_monitorSwitcher.reset(new CParamMonitor("ParamMonitor", "PatchSelector", "SelectionHeader", m_guiInfo));

    m_layoutSelector = dynamic_cast<COptionMenu*>(m_guiInfo.findControl("LayoutSelector"));
    if (m_layoutSelector)
    {
        for (std::size_t i = 0; i < m_configurations.size(); ++i)
            m_layoutSelector->addEntry(m_configurations[i].name.c_str(), static_cast<std::int64_t>(i));
        m_layoutSelector->setCurrent(m_configurationIndex.load(std::memory_order_relaxed), true);
    }
    m_splashWidget = findWidget("SplashScreen");
    m_patchBrowser.reset(new PatchBrowser(m_pZentrova, m_guiInfo));
    m_patchBrowser->close();

    if (m_pZentrova)
    {
        m_pZentrova->refreshEditorParameters();
        const bool modified = m_pZentrova->getStateHandler().getCurrentState().m_modified.load();
        updateControlsForParameter(kPatchModified, modified ? 1.0f : 0.0f);
    }
    buildPresetList();
    setControlDefaults();
    showPatchInfo(false);
    attachTooltips();
    const int delay = config ? config->getTooltipDelay() : 0;
    if (delay != 0)
        m_tooltipSupport = new CTooltipSupport(m_frame, static_cast<std::uint32_t>(delay));
    if (m_frame && !BundleLocation::hasResources())
        showMissingImages(m_frame);
    m_deferredAlertsDue = true;
    return true;
}

void ZentrovaEditor::close()
{
    if (!m_open.exchange(false, std::memory_order_acq_rel))
        return;
    makeTimersCurrent();
    destroyWindow();
    AEffEditor::close();
}

void ZentrovaEditor::destroyWindow()
{
    m_open.store(false, std::memory_order_release);
    // A press cut off by the close ends while the listeners of its control
    // are still there: its edit closes, a held note or wheel is let go.
    if (m_frame)
        m_frame->onMouseCancel();
    if (m_tooltipSupport)
        m_tooltipSupport->forget();
    m_tooltipSupport = nullptr;
    m_guiInfo.tickList().clear();
    leaveMidiEditMode();
    m_bendWheel.reset();
    m_monitorSwitcher.reset();
    // These hold controls of the tree: they go before it.
    m_harmonicSelect.reset();
    m_patchBrowser.reset();
    // Every pointer into the tree goes with it.
    m_paramMonitor = nullptr;
    m_guiInfo.monitors().clear();
    m_monitoredView = nullptr;
    m_hoverStampSet = false;
    m_lastUpdatedControl = nullptr;
    m_midiWidgets.clear();
    m_keyboardWidget = nullptr;
    m_patchSelector = nullptr;
    m_layoutSelector = nullptr;
    m_splashWidget = nullptr;
    m_patchAndParameter = nullptr;
    if (m_frame)
    {
        WindowAlertHandler::uninstall(m_frame);
        // The window goes before the views it shows.
        m_frame->setPlatformWindow(nullptr);
    }
    m_frameWidget.reset();
    m_frame = nullptr;
    // A closed editor keeps no share of the images and the layout.
    m_guiInfo.bitmaps().reset();
    if (m_layout)
        SharedLayout::release();
    m_layout = nullptr;
}

bool ZentrovaEditor::isOpen()
{
    return m_open.load(std::memory_order_acquire);
}

void ZentrovaEditor::idle()
{
    if (!isOpen())
        return;
    makeTimersCurrent();
    // Not while the host opens the window: an alert waits on the user.
    if (m_deferredAlertsDue)
    {
        m_deferredAlertsDue = false;
        showDeferredAlerts();
        if (!isOpen())
            return;
    }
    if (m_patchBrowser)
        m_patchBrowser->runJobs();
    if (m_harmonicSelect)
        m_harmonicSelect->processMessages();
    drainQueue();
    if (!isOpen())
        return;
    // After the drain, so the plug-in's present values have the last word.
    if (m_refreshNeeded.exchange(false, std::memory_order_acq_rel))
        refreshAllControls();
    m_guiInfo.tickWidgets();
    if (m_monitorSwitcher)
        m_monitorSwitcher->tick();
    if (m_bendWheel && m_bendWheel->springBack() && m_pZentrova && m_bendWheel->getWheel())
        m_pZentrova->setPitchBendFromGui(m_bendWheel->getWheel()->getValue());
    AEffGUIEditor::idle();
}

void ZentrovaEditor::drainQueue()
{
    // Only what is waiting now: whatever arrives meanwhile waits for the
    // next idle call.
    std::uint32_t waiting = 0;
    for (int lane = 0; lane < kNumLanes; ++lane)
        waiting += m_parameterQueue.pending(lane);
    m_parameterQueue.beginRead();
    const std::uint64_t now = waiting > 0 ? getTicks() : 0;
    bool learnedSeen = false;
    for (std::uint32_t i = 0; i < waiting && isOpen(); ++i)
    {
        const ParameterIndexAndValue item = m_parameterQueue.pop();
        if (item.index >= 0 && item.index < kLearnBindingIndex && (item.index & kLearnedFlag))
        {
            const std::int64_t parameter = item.index & ~kLearnedFlag;
            if (m_lastMovedParameter < 0)
            {
                m_lastMovedParameter = parameter;
                m_lastMovedTime = now;
            }
            else if (parameter == m_lastMovedParameter)
            {
                m_lastMovedTime = now;
            }
            learnedSeen = true;
        }
        applyGuiItem(item);
    }
    monitorStep(learnedSeen);
}

void ZentrovaEditor::monitorStep(bool learnedSeen)
{
    if (!m_paramMonitor || m_paramMonitor->isActive() || !m_frame)
    {
        m_hoverStampSet = false;
        return;
    }
    CView* candidate = nullptr;
    if (m_lastMovedParameter >= 0)
    {
        m_hoverStampSet = false;
        if (getTicks() - m_lastMovedTime > kLearnedHoldMs)
            m_lastMovedParameter = -1;
        else
            candidate = m_lastUpdatedControl;
    }
    if (m_lastMovedParameter < 0)
    {
        // No pointer event and no redraw since the last look: the same view
        // is under the pointer, and what it showed still stands.
        const std::uint64_t stamp = m_frame->getHoverStamp();
        if (m_hoverStampSet && stamp == m_hoverStamp)
            return;
        m_hoverStamp = stamp;
        m_hoverStampSet = true;
        CPoint where;
        if (m_frame->getCurrentMouseLocation(where))
            candidate = m_frame->getViewAt(where, true);
    }
    if (candidate == m_monitoredView)
    {
        if (candidate && learnedSeen)
            m_paramMonitor->parameterChanged(-2);
        return;
    }
    m_monitoredView = nullptr;
    const bool browserInfo = candidate && m_patchBrowser && m_patchBrowser->showHoverInfo(candidate);
    // The browser's hover text follows the Shift key, which reaches no
    // window of ours: it is looked at again at every idle.
    if (browserInfo)
        m_hoverStampSet = false;
    if (candidate && !browserInfo)
    {
        const auto watched = m_guiInfo.monitorControls().find(0);
        if (watched != m_guiInfo.monitorControls().end())
        {
            const auto control = watched->second.find(dynamic_cast<CControl*>(candidate));
            if (control != watched->second.end())
            {
                m_monitoredView = candidate;
                if (control->second >= 0)
                {
                    char text[64] = {};
                    if (m_pZentrova)
                        m_pZentrova->getParameterAltLabel(static_cast<VstInt32>(control->second), text);
                    m_paramMonitor->showParameter(control->second, text);
                }
                return;
            }
        }
    }
    m_paramMonitor->clearShown();
}

void ZentrovaEditor::refreshAllControls()
{
    if (!m_pZentrova)
        return;
    for (VstInt32 index = 0; index <= kLastParameter; ++index)
        applyGuiItem(ParameterIndexAndValue(index, m_pZentrova->getParameter(index)));
    const bool modified = m_pZentrova->getStateHandler().getCurrentState().m_modified.load();
    updateControlsForParameter(kPatchModified, modified ? 1.0f : 0.0f);
}

bool ZentrovaEditor::setKnobMode(VstInt32 mode)
{
    m_hostKnobMode.store(mode, std::memory_order_relaxed);
    AEffGUIEditor::setKnobMode(mode);
    applyKnobMode();
    return true;
}

std::int32_t ZentrovaEditor::getKnobMode() const
{
    return m_appliedKnobMode.load(std::memory_order_relaxed);
}

std::int32_t ZentrovaEditor::getLinearKnobCursorMove() const
{
    const Configuration* config = m_pZentrova ? m_pZentrova->getConfiguration() : nullptr;
    return config && config->getLinearKnobCursorMove() ? 1 : 0;
}

void ZentrovaEditor::knobModeChanged(int mode)
{
    m_configuredKnobMode.store(mode, std::memory_order_relaxed);
    if (isOpen())
        if (auto* menu = dynamic_cast<COptionMenu*>(m_guiInfo.findControl("KnobMode")))
            menu->setCurrent(mode + 1, true);
    applyKnobMode();
}

void ZentrovaEditor::applyKnobMode()
{
    std::int32_t mode = m_configuredKnobMode.load(std::memory_order_relaxed);
    if (mode == -1)
    {
        const std::int32_t host = m_hostKnobMode.load(std::memory_order_relaxed);
        mode = host != kNoHostKnobMode ? host : kLinearKnobMode;
    }
    m_appliedKnobMode.store(mode, std::memory_order_relaxed);
}

void ZentrovaEditor::setParameter(VstInt32 index, float value)
{
    postToGui(kHostLane, index, value);
}

void ZentrovaEditor::postToGui(int lane, std::int64_t index, float value)
{
    if (!m_open.load(std::memory_order_acquire))
        return;
    if (!m_parameterQueue.push(lane, ParameterIndexAndValue(index, value)))
        m_refreshNeeded.store(true, std::memory_order_release);
}

std::int32_t ZentrovaEditor::parameterOfTag(std::int32_t tag) const
{
    // In the second wave's edit mode the bars stand for its harmonics.
    if (tag >= kFirstHarmonic && tag <= kLastWave1Harmonic && m_editMode == 2)
        return static_cast<std::int32_t>(tag + kHarmonicsPerWave);
    return tag;
}

void ZentrovaEditor::beginEdit(std::int32_t tag)
{
    if (tag >= 0 && tag <= kLastParameter)
        AEffGUIEditor::beginEdit(parameterOfTag(tag));
}

void ZentrovaEditor::endEdit(std::int32_t tag)
{
    if (tag >= 0 && tag <= kLastParameter)
        AEffGUIEditor::endEdit(parameterOfTag(tag));
}

void ZentrovaEditor::applyGuiItem(const ParameterIndexAndValue& item)
{
    if (!isOpen() || !m_frame || item.index < 0)
        return;
    if (item.index == kLearnBindingIndex)
    {
        bindLearnedController(static_cast<int>(item.value));
        return;
    }
    const std::int64_t index = item.index & ~kLearnedFlag;
    const float value = item.value;
    if (index >= 0 && index <= kLastParameter)
    {
        updateControlsForParameter(index, value);
        return;
    }
    switch (index)
    {
    case kModWheel:
        updateControlsForParameter(kModWheel, value);
        break;
    case kBendWheel:
        if (m_bendWheel)
            m_bendWheel->setHeld(1);
        updateControlsForParameter(kBendWheel, value);
        break;
    case kProgramNumber:
        if (m_patchSelector)
            m_patchSelector->renameEntry(static_cast<std::int64_t>(value + 0.5f));
        break;
    case kProgramLoaded:
        resetParameterMonitor();
        break;
    case kProgramApplied:
        refreshBankViews();
        break;
    case kPatchModified:
        updateControlsForParameter(kPatchModified, value);
        break;
    case kBankSelected:
        if (m_patchSelector)
            m_patchSelector->rebuild();
        break;
    default:
        if (index >= kFirstKeyLight && index <= kLastKeyLight && m_keyboardWidget)
            m_keyboardWidget->setKeyState(static_cast<std::int32_t>(index - kFirstKeyLight), value > 0.5f);
        break;
    }
}

void ZentrovaEditor::refreshBankViews()
{
    if (m_patchBrowser)
        m_patchBrowser->rebuildBankAndPatchLists(true);
    if (m_patchSelector)
        m_patchSelector->selectCurrent();
}

void ZentrovaEditor::resetParameterMonitor()
{
    m_monitoredView = nullptr;
    m_hoverStampSet = false;
    if (m_paramMonitor)
    {
        m_paramMonitor->reset();
        m_paramMonitor->clearShown();
    }
}

void ZentrovaEditor::updateControlsForParameter(std::int64_t index, float value)
{
    if (index >= kFirstHarmonic && index <= kLastParameter)
    {
        if (m_harmonicSelect)
            m_harmonicSelect->setHarmonicLevel(static_cast<int>(index - kFirstHarmonic), levelByte(value));
        // The bars show only the wave being edited.
        if (index <= kLastWave1Harmonic)
        {
            if (m_editMode != 1)
                return;
        }
        else
        {
            if (m_editMode != 2)
                return;
            index -= kHarmonicsPerWave;
        }
    }
    const auto bound = m_guiInfo.widgetsByTag().find(index);
    if (bound == m_guiInfo.widgetsByTag().end() || bound->second.empty())
        return;
    m_lastUpdatedControl = dynamic_cast<CControl*>(bound->second.front()->getControl());
    // A widget may rebind itself while told; walk a copy.
    const GuiInfo::WidgetList widgets = bound->second;
    for (Widget* widget : widgets)
        widget->setValue(ParameterIndexAndValue(index, value));
}

void ZentrovaEditor::setControlDefaults()
{
    if (!m_pZentrova)
        return;
    ZentrovaState& state = m_pZentrova->getStateHandler().getCurrentState();
    for (std::int64_t index = 0; index <= kLastWave1Harmonic; ++index)
    {
        const auto bound = m_guiInfo.widgetsByTag().find(index);
        if (bound == m_guiInfo.widgetsByTag().end())
            continue;
        const ZentrovaParameter* parameter = state.getParameter(static_cast<int>(index));
        if (!parameter)
            continue;
        for (Widget* widget : bound->second)
            widget->setDefaultValue(ParameterIndexAndValue(index, parameter->getDefaultValue()));
    }
}

void ZentrovaEditor::valueChanged(VstInt32 tag, CControl* control, float value)
{
    if (tag >= 0 && tag <= kLastParameter)
    {
        tag = parameterOfTag(tag);
        updateControlsForParameter(tag, value);
        if (m_pZentrova)
            m_pZentrova->setParameterAutomated(tag, value);
        if (m_paramMonitor)
            m_paramMonitor->parameterChanged(tag);
        return;
    }
    if (tag >= kFirstEditBox && tag <= kLastEditBox)
    {
        const std::int64_t parameter = tag - kFirstEditBox;
        const auto widget = m_midiWidgets.find(parameter);
        Configuration* config = configuration();
        if (widget == m_midiWidgets.end() || !config)
            return;
        const int controller = widget->second->getMidiNumber();
        const int loser = config->assignMidiController(static_cast<int>(parameter), controller,
                                                       kMidiControllerMapChanged);
        if (loser >= 0)
        {
            const auto lost = m_midiWidgets.find(loser);
            if (lost != m_midiWidgets.end())
                lost->second->setMidiNumber(-1);
        }
        else if (loser == Configuration::kControllerRefused)
        {
            widget->second->setMidiNumber(config->getMidiController(static_cast<int>(parameter)));
        }
        return;
    }
    if (tag >= kFirstLearnButton && tag <= kLastLearnButton)
    {
        const int parameter = tag - kFirstLearnButton;
        if (value > 0.5f)
        {
            if (m_pendingLearnParameter >= 0 && m_pendingLearnParameter != parameter)
                updateControlsForParameter(m_pendingLearnParameter + kFirstLearnButton, 0.0f);
            m_pendingLearnParameter = parameter;
            if (m_pZentrova)
                m_pZentrova->setParameter(tag, 0.0f);
        }
        else
        {
            m_pendingLearnParameter = -1;
            if (m_pZentrova)
                m_pZentrova->setParameter(kLearnOff, 0.0f);
        }
        return;
    }
    switch (tag)
    {
    case kEffectsOpen:
        setEffectsPanel(value > 0.5f ? 1 : 0);
        return;
    case kGuiMode:
        m_editMode = static_cast<int>(value * 3.0f + 0.5f);
        showEditPanels();
        return;
    case kHarmonicWaveSave:
        if (value > 0.5f)
            saveHarmonicWave();
        return;
    case kHarmonicWaveSelect0:
    case kHarmonicWaveSelect1:
    {
        const int wave = tag == kHarmonicWaveSelect0 ? 0 : 1;
        HarmonicWave stored;
        if (m_harmonicSelect && m_harmonicSelect->getSelectedWave(wave, stored))
        {
            std::vector<std::uint8_t> levels(Harmonics::kCount);
            stored.harmonics().getLevels(levels.data());
            applyUserWave(wave, levels);
        }
        return;
    }
    case kHarmonicWaveSaveSelect:
        if (auto* menu = dynamic_cast<COptionMenu*>(control))
        {
            const CMenuItem* entry = menu->getCurrent();
            if (!entry || !entry->getTitle())
                return;
            const std::string title = entry->getTitle();
            menu->setCurrent(0, true);
            if (Widget* name = findWidget("HarmonicWaveName"))
                name->setText(title);
        }
        return;
    case kBendWheel:
        if (m_pZentrova)
            m_pZentrova->setPitchBendFromGui(value);
        if (m_bendWheel)
            m_bendWheel->setHeld(0);
        return;
    case kModWheel:
        if (m_pZentrova)
            m_pZentrova->setModWheelFromGui(value);
        return;
    case kKnobMode:
        if (auto* menu = dynamic_cast<COptionMenu*>(control))
        {
            // A menu with no current entry says nothing about the mode.
            const std::int64_t current = menu->getCurrentIndex(false);
            if (current >= 0)
                if (Configuration* config = configuration())
                    config->setKnobMode(static_cast<int>(current) - 1);
        }
        return;
    case kPatchInfoActive:
        showPatchInfo(value > 0.5f);
        return;
    case kLayoutSelector:
        if (m_layoutSelector)
        {
            const CMenuItem* entry = m_layoutSelector->getCurrent();
            if (!entry || !entry->getTitle())
                return;
            m_layoutName = entry->getTitle();
            if (Configuration* config = configuration())
                config->setLayoutName(m_layoutName);
            // A host that asks before the next open gets the new size.
            for (std::size_t i = 0; i < m_configurations.size(); ++i)
                if (m_configurations[i].name == m_layoutName)
                {
                    m_rect.right = static_cast<VstInt16>(m_configurations[i].width);
                    m_rect.bottom = static_cast<VstInt16>(m_configurations[i].height);
                }
        }
        return;
    case kPatchInc:
    case kPatchDec:
        if (value > 0.5f && m_pZentrova && !m_pZentrova->getStateHandler().getCurrentState().m_empty.load())
            stepProgram(tag == kPatchInc ? -1 : 1);
        return;
    default:
        break;
    }
    if (m_patchBrowser && m_patchBrowser->valueChanged(tag, value))
        return;
    switch (tag)
    {
    case kPatchSave:
        if (value > 1.0f)
        {
            const int flags = static_cast<int>(value);
            if (flags & kCommandBit)
            {
                if (m_monitorSwitcher)
                    m_monitorSwitcher->requestPatchMessage("Snapshot");
                if (m_pZentrova)
                    m_pZentrova->saveSnapshot();
                if (m_patchBrowser)
                    m_patchBrowser->rebuildBankAndPatchLists(true);
            }
            else
            {
                savePatchDialog((flags & kOptionBit) != 0, (flags & kShiftBit) != 0);
            }
        }
        else if (value > 0.5f)
        {
            savePatchDialog(false, false);
        }
        return;
    case kSplashOpen:
        // Every click opens the box: one while it is open keeps it open and
        // its button lit, so that the light tells whether the box is open.
        if (m_splashWidget)
        {
            m_splashWidget->setVisible(true);
            if (m_patchAndParameter)
                m_patchAndParameter->setVisible(false);
            if (control)
                control->setValue(1.0f);
        }
        return;
    case kSplashClose:
        if (m_splashWidget && value > 0.5f)
        {
            m_splashWidget->setVisible(false);
            if (m_patchAndParameter)
                m_patchAndParameter->setVisible(true);
            if (auto* open = dynamic_cast<CControl*>(m_guiInfo.findControl("SplashOpen")))
                open->setValue(0.0f);
        }
        return;
    default:
        return;
    }
}

void ZentrovaEditor::stepProgram(int delta)
{
    if (m_pZentrova)
        m_pZentrova->stepProgram(delta);
}

Widget* ZentrovaEditor::findWidget(const std::string& name) const
{
    return m_guiInfo.findWidget(name);
}

void ZentrovaEditor::setWidgetVisible(const std::string& name, bool visible)
{
    if (Widget* widget = findWidget(name))
        widget->setVisible(visible);
}

void ZentrovaEditor::showEditPanels()
{
    bool harmonics = false;
    bool bendAndMod = false;
    bool memories = false;
    bool config = false;
    switch (m_editMode)
    {
    case 0:
        leaveMidiEditMode();
        bendAndMod = memories = true;
        break;
    case 1:
    case 2:
        setHarmonicEditWave(m_editMode - 1);
        harmonics = true;
        break;
    case 3:
        enterMidiEditMode();
        bendAndMod = config = true;
        break;
    default:
        break;
    }
    setWidgetVisible("HarmonicEditPanel", harmonics);
    setWidgetVisible("BendAndMod", bendAndMod);
    setWidgetVisible("PatchMemoryButtons", memories);
    setWidgetVisible("ConfigPanel", config);
}

void ZentrovaEditor::setHarmonicEditWave(int wave)
{
    m_harmonicEditWave = wave;
    if (m_pZentrova)
        m_pZentrova->refreshEditorHarmonics();
    leaveMidiEditMode();
}

void ZentrovaEditor::setEffectsPanel(int index)
{
    setWidgetVisible("EffectsPanel", index != 0);
    // Its button is lit while the panel shows, or its next click would ask
    // for what is already there.
    m_guiInfo.showValue(kEffectsOpen, index != 0 ? 1.0f : 0.0f);
}

void ZentrovaEditor::showPatchInfo(bool show)
{
    Widget* info = findWidget("PatchInfo");
    Widget* programs = findWidget("MidiPrograms");
    if (!info || !programs)
        return;
    info->setVisible(show);
    programs->setVisible(!show);
}

void ZentrovaEditor::applyUserWave(int wave, const std::vector<std::uint8_t>& levels)
{
    if (!m_pZentrova)
        return;
    for (std::size_t i = 0; i < levels.size() && i < static_cast<std::size_t>(kHarmonicsPerWave); ++i)
        m_pZentrova->setParameter(static_cast<VstInt32>(kFirstHarmonic + kHarmonicsPerWave * wave +
                                                        static_cast<std::int64_t>(i)),
                                  static_cast<float>(levels[i]) / 255.0f);
}

void ZentrovaEditor::enterMidiEditMode()
{
    if (m_midiEditMode || !m_layout)
        return;
    m_midiEditMode = true;
    m_pendingLearnParameter = -1;
    m_midiWidgets.clear();
    for (const auto& tag : m_guiInfo.widgetsByTag())
        for (Widget* widget : tag.second)
            if (widget->isMidi() && !m_midiWidgets.count(tag.first))
                m_midiWidgets[tag.first] = widget;
    const std::unique_lock<std::recursive_mutex> walk = SharedLayout::lock();
    ticpp::Element* midiEdit = nullptr;
    try
    {
        midiEdit = m_layout->midieditElement();
    }
    catch (const ticpp::Exception&)
    {
        return;
    }
    Configuration* config = configuration();
    for (const auto& entry : m_midiWidgets)
    {
        try
        {
            entry.second->createMidiEdit(midiEdit);
            entry.second->setMidiNumber(config ? config->getMidiController(static_cast<int>(entry.first)) : -1);
        }
        catch (const std::exception&)
        {
            // A part the layout cannot build leaves that control without its box.
        }
    }
}

void ZentrovaEditor::leaveMidiEditMode()
{
    if (!m_midiEditMode)
        return;
    if (m_pendingLearnParameter >= 0)
    {
        m_pendingLearnParameter = -1;
        if (m_pZentrova)
            m_pZentrova->setParameter(kLearnOff, 0.0f);
    }
    m_midiEditMode = false;
    for (const auto& entry : m_midiWidgets)
        entry.second->destroyMidiEdit();
}

void ZentrovaEditor::bindMidiLearn(int controller)
{
    postToGui(kAudioLane, kLearnBindingIndex, static_cast<float>(controller));
}

void ZentrovaEditor::bindLearnedController(int controller)
{
    Configuration* config = configuration();
    if (m_pendingLearnParameter < 0 || !config)
        return;
    const auto widget = m_midiWidgets.find(m_pendingLearnParameter);
    if (widget == m_midiWidgets.end())
        return;
    const int loser = config->assignMidiController(m_pendingLearnParameter, controller, kMidiControllerMapChanged);
    if (loser == Configuration::kControllerRefused)
        return;
    widget->second->setMidiNumber(controller);
    if (loser >= 0)
    {
        const auto lost = m_midiWidgets.find(loser);
        if (lost != m_midiWidgets.end())
            lost->second->setMidiNumber(-1);
    }
    m_pendingLearnParameter = -1;
}

void ZentrovaEditor::midiMapChanged() {}

bool ZentrovaEditor::loadHarmonicFiles(const std::vector<std::string>& paths)
{
    return m_harmonicSelect && m_harmonicSelect->loadHarmonicFiles(paths);
}

void ZentrovaEditor::saveHarmonicWave()
{
    Widget* name = findWidget("HarmonicWaveName");
    if (name && m_harmonicSelect)
        m_harmonicSelect->storeWave(name->getText(), m_harmonicEditWave);
}

void ZentrovaEditor::notifyMonitorHold(GuiInfo& guiInfo, std::int64_t monitor, CControl*)
{
    if (monitor < 0)
        return;
    const auto found = guiInfo.monitors().find(monitor);
    if (found != guiInfo.monitors().end() && found->second)
        found->second->touched();
}

void ZentrovaEditor::buildPresetList()
{
    auto* widget = dynamic_cast<TextListWidget*>(findWidget("SupList"));
    if (!widget || !widget->getList())
        return;
    const std::pair<const char*, std::int32_t> rows[] = {
        {"System Presets", 0}, {"    Instrument : ", 1}, {"    Effect : ", 1},
        {"User Presets", 0},   {"    Instrument : ", 1}, {"    Effect : ", 1}};
    std::vector<CTextListView::Row> list;
    for (const auto& [label, kind] : rows)
    {
        CTextListView::Row row;
        row.text = label;
        row.style = kind;
        list.push_back(row);
    }
    widget->getList()->setRows(list, false);
}

std::string ZentrovaEditor::chooseSaveFile(const std::string& title, const std::string& initialFolder,
                                           bool& typeGiven)
{
    // A chooser's answer is the name as the user typed it.
    typeGiven = true;
    if (m_saveFileChooser)
        return m_saveFileChooser(title, initialFolder);
    if (!m_frame)
        return std::string();
    CNewFileSelector* selector = CNewFileSelector::create(m_frame, CNewFileSelector::kSelectSaveFile);
    if (!selector)
        return std::string();
    selector->addFileExtension(CFileExtension("VST Patch", "fxp"));
    selector->addFileExtension(CFileExtension("AU Preset", "aupreset"));
    selector->addFileExtension(CFileExtension("Rtas Patch", "tfx"));
    selector->setTitle(title.c_str());
    selector->setInitialDirectory(initialFolder.c_str());
    std::string chosen;
    if (selector->runModal() && selector->getNumSelectedFiles() > 0 && selector->getSelectedFile(0))
        chosen = selector->getSelectedFile(0);
    typeGiven = selector->isTypeGiven();
    selector->forget();
    return chosen;
}

void ZentrovaEditor::savePatchDialog(bool move, bool startInLastFolder)
{
    const std::string title = move ? "Move Patch File" : "Save Patch File";
    std::string initialFolder;
    if (startInLastFolder && !m_lastSaveFolder.empty())
        initialFolder = m_lastSaveFolder;
    else if (m_patchBrowser)
        initialFolder = m_patchBrowser->getSelectedPatchPath();
    bool typeGiven = false;
    const std::string path = chooseSaveFile(title, initialFolder, typeGiven);
    if (path.empty())
        return;
    const std::size_t slash = path.find_last_of('/');
    const std::string folder = slash == std::string::npos ? std::string() : path.substr(0, slash);
    const std::string file = slash == std::string::npos ? path : path.substr(slash + 1);
    const std::size_t dot = file.find_last_of('.');
    const std::string name = dot == std::string::npos ? file : file.substr(0, dot);
    const std::string extension = dot == std::string::npos ? std::string() : lowerCase(file.substr(dot));
    m_lastSaveFolder = folder;

    // The type the user gave wins; the one the dialog appended to a bare
    // name leaves the formats to the folder (0).
    std::uint32_t formats = 0;
    if (typeGiven)
        formats = extension == ".fxp" ? 2 : extension == ".aupreset" ? 1 : extension == ".tfx" ? 4 : 0;
    if (m_pZentrova && !name.empty())
        m_pZentrova->savePatchAs(folder, name, formats, true, move);
    if (m_patchBrowser)
        m_patchBrowser->rebuildBankAndPatchLists(true);
}

ticpp::Element* ZentrovaEditor::loadTooltips()
{
    const Configuration* config = configuration();
    if (!config)
        return nullptr;
    const std::string path = config->getSupportFiles().contentFolder + "/tooltips.xml";
    // A pipe or a device under that name would stall or flood the opening.
    ByteVector bytes;
    if (!readWholeFile(path, &bytes, kMaxTooltipsFileSize))
    {
        if (fileExists(path))
            std::fprintf(stderr, "Zentrova: %s skipped: not a regular file of at most 1 MB\n", path.c_str());
        return nullptr;
    }
    try
    {
        m_tooltipDocument.Clear();
        m_tooltipDocument.Parse(std::string(bytes.begin(), bytes.end()));
        return m_tooltipDocument.FirstChildElement("tooltips", false);
    }
    catch (const ticpp::Exception&)
    {
        return nullptr;
    }
}

void ZentrovaEditor::attachTooltips()
{
    const std::unique_lock<std::recursive_mutex> walk = SharedLayout::lock();
    ticpp::Element* tooltips = loadTooltips();
    if (!tooltips && m_layout)
        tooltips = m_layout->tooltipsElement();
    if (!tooltips)
        return;
    ticpp::Iterator<ticpp::Element> entry("tooltip");
    for (entry = entry.begin(tooltips); entry != entry.end(); ++entry)
    {
        try
        {
            const std::string name = entry->GetAttribute("control");
            const std::string text = entry->GetText(true);
            if (name.empty())
                continue;
            if (CView* view = m_guiInfo.findControl(name))
                view->setAttribute(CTooltipSupport::kTooltipAttribute, static_cast<std::int64_t>(text.size() + 1), text.c_str());
        }
        catch (const ticpp::Exception&)
        {
            // An entry without its control or text is skipped.
        }
    }
}
