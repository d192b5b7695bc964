#include <gtest/gtest.h>

#include <fcntl.h>
#include <malloc.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

#include "Source/Flavour.h"
#include "Source/entry/PluginEntry.h"
#include "Source/Zentrova.h"
#include "Source/shared/Alerts.h"
#include "Source/state/ZentrovaState.h"
#include "editor/ZentrovaEditor.h"
#include "editor/layout/GuiInfo.h"
#include "editor/widgets/Widget.h"
#include "patches/ChunkBuffer.h"
#include "patches/Configuration.h"
#include "patches/HarmonicList.h"
#include "editor/widgets/WidgetFactory.h"
#include "tests/support/FakeClock.h"
#include "tests/support/FakePlatform.h"
#include "tests/support/RecordingAlerts.h"
#include "tests/support/TemporaryHome.h"
#include "tests/support/TimeBudget.h"
#include "tests/support/WidgetFixtures.h"
#include "toolkit/BundleLocation.h"
#include "toolkit/CBitmap.h"
#include "toolkit/CControl.h"
#include "toolkit/CDialogFrame.h"
#include "toolkit/CFileSelectorPanel.h"
#include "toolkit/CFrame.h"
#include "toolkit/CListDragContainer.h"
#include "toolkit/CTextLabel.h"

namespace
{
constexpr std::uint32_t kTooltipId = ('c' << 24) | ('v' << 16) | ('t' << 8) | 't';

using HostCall = std::tuple<VstInt32, VstInt32, float>;
std::vector<HostCall> hostCalls;

VstIntPtr recordingHost(AEffect*, VstInt32 opcode, VstInt32 index, VstIntPtr, void*, float opt)
{
    if (opcode == audioMasterVersion)
        return 2400;
    if (opcode == audioMasterAutomate || opcode == audioMasterBeginEdit || opcode == audioMasterEndEdit)
        hostCalls.emplace_back(opcode, index, opt);
    return 0;
}

// The heap's bytes in use, mapped chunks included. The thread's cache of
// small freed chunks counts as in use: every one of its bins is filled
// first, so that two readings differ only by what is really held.
std::size_t heapInUse()
{
    std::vector<void*> chunks;
    for (std::size_t size = 24; size <= 1032; size += 16)
        for (int i = 0; i < 7; ++i)
            chunks.push_back(std::malloc(size));
    for (void* chunk : chunks)
        std::free(chunk);
    const struct mallinfo2 info = mallinfo2();
    return info.uordblks + info.hblkhd;
}

VstIntPtr quietHost(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void*, float)
{
    return opcode == audioMasterVersion ? 2400 : 0;
}

// The controller box needs only its text here.
class TextBox : public Widget
{
public:
    TextBox(ticpp::Element* element, CViewContainer* parent, CFrame* frame, ZentrovaEditor* editor, GuiInfo& info)
        : Widget(element, parent, frame, editor, info)
    {
    }
    void setText(const std::string& text) override { m_text = text; }
    std::string getText() const override { return m_text; }

private:
    std::string m_text;
};

Widget* makeTextBox(ticpp::Element* element, CViewContainer* parent, CFrame* frame, ZentrovaEditor* editor,
                    GuiInfo& info)
{
    return new TextBox(element, parent, frame, editor, info);
}

// One plug-in in a temporary home whose configuration names the window
// configuration and edit mode to open with.
// Harmonic list records of count waves with levels of their own.
std::string harmonicRecords(int count, int first = 0)
{
    std::string text;
    for (int i = first; i < first + count; ++i)
    {
        text += "{Wave " + std::to_string(i) + "}{" + std::to_string(i % 256) + " " + std::to_string(i / 256);
        for (int level = 2; level < Harmonics::kCount; ++level)
            text += " 0";
        text += "}\n";
    }
    return text;
}

class EditorObject : public testing::Test
{
protected:
    void SetUp() override
    {
        hostCalls.clear();
        WidgetFactory::registerTypes();
        WidgetFactory::registerType("TextEdit", &makeTextBox);
        images.add("1024_Fullsweep_knob", 30, 30, 64);
        images.add("1024_Learn_btn", 16, 8, 2);
        images.add("1024_Bend_And_Mod_bkgd", 120, 80);
        images.add("1024_Effects_bkgd", 120, 80);
        images.add("1024_Wheel", 20, 60, 64);
        const std::string preferences = home.path() + "/.config";
        std::ofstream(preferences + "/com.vorlixworks.Zentrova2.sup")
            << "Zentrova Configuration File\n{Layout}{Regular}\n{Edit Mode}{Keyboard}\n";
        effect = createPluginInstance(&recordingHost, effectFlavour());
        ASSERT_NE(effect, nullptr);
        plugin = static_cast<Zentrova*>(static_cast<AudioEffect*>(effect->object));
        editor = static_cast<ZentrovaEditor*>(plugin->getEditor());
        config = plugin->getConfiguration();
    }
    void TearDown() override
    {
        if (effect)
            effect->dispatcher(effect, effClose, 0, 0, nullptr, 0.0f);
    }

    std::int64_t tagOf(const std::string& name) { return editor->getGuiInfo().tagOf(name); }
    CControl* control(const std::string& name)
    {
        return dynamic_cast<CControl*>(editor->getGuiInfo().findControl(name));
    }
    Widget* widget(const std::string& name) { return editor->getGuiInfo().findWidget(name); }
    void controller(int number, int value)
    {
        VstMidiEvent event{};
        event.type = kVstMidiType;
        event.byteSize = sizeof(VstMidiEvent);
        event.midiData[0] = static_cast<char>(0xB0);
        event.midiData[1] = static_cast<char>(number);
        event.midiData[2] = static_cast<char>(value);
        VstEvents list{1, 0, {reinterpret_cast<VstEvent*>(&event), nullptr}};
        plugin->processEvents(&list);
    }
    void programChange(int program)
    {
        VstMidiEvent event{};
        event.type = kVstMidiType;
        event.byteSize = sizeof(VstMidiEvent);
        event.midiData[0] = static_cast<char>(0xC0);
        event.midiData[1] = static_cast<char>(program);
        VstEvents list{1, 0, {reinterpret_cast<VstEvent*>(&event), nullptr}};
        plugin->processEvents(&list);
    }

    TemporaryHome home;
    ImageBundle images;
    AEffect* effect = nullptr;
    Zentrova* plugin = nullptr;
    ZentrovaEditor* editor = nullptr;
    Configuration* config = nullptr;
};
} // namespace

TEST_F(EditorObject, ChoosesTheConfiguredWindowBeforeAnyDisplayAndOpensWithoutOne)
{
    ERect* rect = nullptr;
    ASSERT_TRUE(editor->getRect(&rect));
    EXPECT_EQ(editor->getLayoutName(), "Regular");
    EXPECT_EQ(rect->right, 1024);
    EXPECT_EQ(rect->bottom, 386);
    ASSERT_TRUE(editor->open(nullptr));
    EXPECT_TRUE(editor->isOpen());
    ASSERT_NE(control("FilterFreq"), nullptr);
    editor->close();
    EXPECT_FALSE(editor->isOpen());
    EXPECT_EQ(editor->getFrame(), nullptr);
    EXPECT_EQ(editor->getMonitoredView(), nullptr);
}

TEST_F(EditorObject, AControlEditReachesTheHostBracketedByTheSameIndexAndOtherTagsStayInside)
{
    ASSERT_TRUE(editor->open(nullptr));
    CControl* knob = control("FilterFreq");
    ASSERT_NE(knob, nullptr);
    const auto tag = static_cast<VstInt32>(tagOf("FilterFreq"));
    knob->beginEdit();
    knob->setValue(0.7f);
    knob->getListener()->valueChanged(knob);
    knob->endEdit();
    editor->beginEdit(170);
    editor->endEdit(170);
    const std::vector<HostCall> expected = {
        {audioMasterBeginEdit, tag, 0.0f}, {audioMasterAutomate, tag, 0.7f}, {audioMasterEndEdit, tag, 0.0f}};
    EXPECT_EQ(hostCalls, expected);
    EXPECT_FLOAT_EQ(plugin->getParameter(tag), 0.7f);
}

TEST_F(EditorObject, HostValuesMoveTheControlsAtTheNextIdleAndAFullLaneRefreshesThemAll)
{
    ASSERT_TRUE(editor->open(nullptr));
    CControl* knob = control("FilterFreq");
    const auto tag = static_cast<VstInt32>(tagOf("FilterFreq"));
    plugin->setParameter(tag, 0.25f);
    EXPECT_NE(knob->getValue(), 0.25f) << "only the idle touches the controls";
    editor->idle();
    EXPECT_FLOAT_EQ(knob->getValue(), 0.25f);

    editor->postToGui(1, tag | ZentrovaEditor::kLearnedFlag, 0.5f);
    editor->idle();
    EXPECT_FLOAT_EQ(knob->getValue(), 0.5f) << "a learned controller's item applies as any other";

    for (int i = 0; i < 2100; ++i)
        editor->setParameter(tag, 0.1f);
    plugin->setParameter(tag, 0.9f);
    editor->idle();
    EXPECT_FLOAT_EQ(knob->getValue(), 0.9f) << "a refused push leaves no stale value";
}

TEST_F(EditorObject, PanelsFollowTheEditModeAndMidiEditPartsComeOnce)
{
    ASSERT_TRUE(editor->open(nullptr));
    Widget* bendAndMod = widget("BendAndMod");
    ASSERT_NE(bendAndMod, nullptr);
    EXPECT_TRUE(bendAndMod->isVisible());
    editor->valueChanged(155, nullptr, 1.0f / 3.0f);
    EXPECT_EQ(editor->getEditMode(), 1);
    EXPECT_EQ(editor->getHarmonicEditWave(), 0);
    EXPECT_FALSE(bendAndMod->isVisible());
    editor->valueChanged(155, nullptr, 2.0f / 3.0f);
    EXPECT_EQ(editor->getHarmonicEditWave(), 1);
    editor->valueChanged(155, nullptr, 1.0f);
    EXPECT_TRUE(editor->isInMidiEditMode());
    EXPECT_TRUE(bendAndMod->isVisible());
    editor->enterMidiEditMode();
    Widget* knob = widget("FilterFreq");
    ASSERT_NE(knob->getLearnButton(), nullptr);
    EXPECT_EQ(knob->getMidiNumber(), config->getMidiController(static_cast<int>(tagOf("FilterFreq"))));
    editor->valueChanged(155, nullptr, 0.0f);
    EXPECT_FALSE(editor->isInMidiEditMode());

    Widget* effects = widget("EffectsPanel");
    ASSERT_NE(effects, nullptr);
    for (int index : {0, 1, 2, 3})
    {
        editor->setEffectsPanel(index);
        EXPECT_EQ(effects->isVisible(), index != 0) << index;
    }
}

TEST_F(EditorObject, LearnBindsTheNextControllerOnTheEditorsThreadWithoutApplyingIt)
{
    ASSERT_TRUE(editor->open(nullptr));
    editor->valueChanged(155, nullptr, 1.0f);
    const auto freq = static_cast<int>(tagOf("FilterFreq"));
    const auto q = static_cast<int>(tagOf("FilterQ"));
    Widget* freqWidget = widget("FilterFreq");

    editor->valueChanged(381 + freq, nullptr, 1.0f);
    EXPECT_EQ(plugin->getMidiLearnTarget(), freq);
    editor->valueChanged(381 + q, nullptr, 1.0f);
    EXPECT_EQ(plugin->getMidiLearnTarget(), q);
    EXPECT_EQ(dynamic_cast<CControl*>(freqWidget->getLearnButton()->getControl())->getValue(), 0.0f)
        << "a second learn button lets the first up";
    editor->valueChanged(381 + q, nullptr, 0.0f);
    EXPECT_EQ(plugin->getMidiLearnTarget(), -1) << "switching learn off cancels it";

    editor->valueChanged(381 + freq, nullptr, 1.0f);
    const float before = plugin->getParameter(freq);
    controller(20, 3);
    EXPECT_NE(config->getMidiController(freq), 20) << "bound only at the editor's idle";
    editor->idle();
    EXPECT_EQ(config->getMidiController(freq), 20);
    EXPECT_EQ(freqWidget->getMidiNumber(), 20);
    EXPECT_EQ(editor->getPendingLearnParameter(), -1);
    EXPECT_EQ(plugin->getParameter(freq), before) << "the teaching controller moves nothing";

    editor->valueChanged(381 + q, nullptr, 1.0f);
    editor->bindMidiLearn(1);
    editor->idle();
    EXPECT_EQ(editor->getPendingLearnParameter(), q) << "the modulation wheel is refused, learn stays";

    Widget* qWidget = widget("FilterQ");
    const int previous = config->getMidiController(q);
    qWidget->getEditBox()->setText("1");
    editor->valueChanged(190 + q, nullptr, 0.0f);
    EXPECT_EQ(qWidget->getMidiNumber(), previous) << "a refused box shows its controller again";
    qWidget->getEditBox()->setText("20");
    editor->valueChanged(190 + q, nullptr, 0.0f);
    EXPECT_EQ(freqWidget->getMidiNumber(), -1) << "the parameter that lost the controller shows none";
}

TEST_F(EditorObject, TheConfiguredKnobModeOverridesTheHostsUntilSystemDefault)
{
    ASSERT_TRUE(editor->open(nullptr));
    editor->setKnobMode(2);
    EXPECT_EQ(editor->getKnobMode(), 2);
    config->setKnobMode(0);
    EXPECT_EQ(editor->getKnobMode(), 0);
    editor->setKnobMode(1);
    EXPECT_EQ(editor->getKnobMode(), 0);
    config->setKnobMode(-1);
    EXPECT_EQ(editor->getKnobMode(), 1);
}

TEST_F(EditorObject, SystemDefaultIsLinearUntilAHostSetsAKnobModeEvenCircular)
{
    ASSERT_TRUE(editor->open(nullptr));
    EXPECT_EQ(editor->getKnobMode(), 2);
    editor->setKnobMode(0);
    EXPECT_EQ(editor->getKnobMode(), 0);
}

TEST_F(EditorObject, TheSaveDialogPicksFormatsByExtensionAndShiftStartsInTheLastFolder)
{
    ASSERT_TRUE(editor->open(nullptr));
    const std::string folder = home.path() + "/saved";
    std::filesystem::create_directories(folder);
    std::vector<std::pair<std::string, std::string>> asked;
    std::string answer = folder + "/Warm Pad.aupreset";
    editor->setSaveFileChooser([&](const std::string& title, const std::string& initial) {
        asked.emplace_back(title, initial);
        return answer;
    });
    editor->valueChanged(167, nullptr, 1.0f);
    EXPECT_TRUE(std::filesystem::exists(folder + "/Warm Pad.aupreset"));
    EXPECT_FALSE(std::filesystem::exists(folder + "/Warm Pad.fxp"));
    EXPECT_EQ(editor->getLastSaveFolder(), folder);

    answer = folder + "/Bass.FXP";
    editor->valueChanged(167, nullptr, static_cast<float>(0x10 | 1));
    EXPECT_TRUE(std::filesystem::exists(folder + "/Bass.fxp"));
    editor->valueChanged(167, nullptr, static_cast<float>(0x40 | 1));
    answer.clear();
    editor->valueChanged(167, nullptr, 1.0f);
    ASSERT_EQ(asked.size(), 4u);
    EXPECT_EQ(asked[0].first, "Save Patch File");
    EXPECT_EQ(asked[1].second, folder) << "Shift starts in the last folder";
    EXPECT_EQ(asked[2].first, "Move Patch File");
    EXPECT_EQ(editor->getLastSaveFolder(), folder) << "a cancelled dialog changes nothing";
}

TEST_F(EditorObject, TheSaveDialogSaysWhyItRefusesANameAndSavesNothing)
{
    FakePlatform platform;
    ASSERT_TRUE(editor->open(platform.parentWindow()));
    const std::string folder = home.path() + "/saved";
    std::filesystem::create_directories(folder + "/Sub.fxp");
    FakePlatformWindow* owner = FakePlatform::windowOf(editor->getFrame());
    std::vector<std::string> said;
    owner->onModalDialog = [&](CFrame* frame) {
        auto* dialog = static_cast<CDialogFrame*>(frame);
        dialog->idle();
        auto* panel = static_cast<CFileSelectorPanel*>(dialog->getView(0));
        panel->changeDirectory(folder);
        CTextLabel* message = nullptr;
        for (std::int64_t i = 0; CView* view = panel->getView(i); ++i)
            if (view->isTypeOf("CTextLabel") && view->getViewSize() == CFileSelectorPanel::messageRect())
                message = static_cast<CTextLabel*>(view);
        // The name field has the keys from the opening on, and again after
        // each refusal; a name taken ends the dialog.
        for (const char* name : {"", "   ", "  .fxp", "..", "Pads/Warm", "Sub"})
        {
            FakePlatformWindow* window = FakePlatform::windowOf(dialog);
            if (owner->dialogResult != 0 || window->textFields.size() != 1)
                break;
            window->textFields.back()->text = name;
            window->textFields.back()->listener->onTextFieldCommand(PlatformTextFieldListener::kReturn);
            said.push_back(message && message->getText() ? message->getText() : "");
        }
        if (owner->dialogResult == 0)
            dialog->end(0);
    };
    editor->valueChanged(167, nullptr, 1.0f);
    const std::string blank = "Type a name to save the file under.";
    EXPECT_EQ(said, (std::vector<std::string>{blank, blank, blank, "A file cannot be named \"..\".",
                                              "A name cannot contain \"/\".", "A folder has that name."}));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder), std::filesystem::directory_iterator()), 1)
        << "nothing beside the folder";
}

TEST_F(EditorObject, TooltipsFileEntriesAttachToTheirControlsTheLaterWinning)
{
    const std::string content = config->getSupportFiles().contentFolder;
    ASSERT_FALSE(content.empty());
    std::filesystem::create_directories(content);
    std::ofstream(content + "/tooltips.xml")
        << "<tooltips><tooltip control=\"FilterFreq\">first</tooltip><tooltip>no control</tooltip>"
           "<tooltip control=\"Nothing\">x</tooltip><tooltip control=\"FilterFreq\">Cut-off</tooltip></tooltips>";
    ASSERT_TRUE(editor->open(nullptr));
    char text[32] = {};
    std::int64_t size = 0;
    ASSERT_TRUE(control("FilterFreq")->getAttribute(kTooltipId, sizeof text, text, size));
    EXPECT_EQ(size, 8);
    EXPECT_STREQ(text, "Cut-off");
}

TEST_F(EditorObject, ATooltipsFileThatIsAPipeOrADeviceIsSkippedForTheLayoutsTooltips)
{
    const std::string content = config->getSupportFiles().contentFolder;
    std::filesystem::create_directories(content);
    const std::string path = content + "/tooltips.xml";
    auto showsTheLayoutsTooltip = [&] {
        char text[64] = {};
        std::int64_t size = 0;
        ASSERT_TRUE(control("FilterFreq")->getAttribute(kTooltipId, sizeof text, text, size));
        EXPECT_STREQ(text, "Filter cutoff frequency");
        editor->close();
    };
    ASSERT_EQ(::mkfifo(path.c_str(), 0600), 0);
    // An opening stuck on the pipe waits for a writer: the watchdog's.
    EXPECT_TRUE(endsUnaided([&] { ASSERT_TRUE(editor->open(nullptr)); },
                            [&] {
                                int fd = -1;
                                while ((fd = ::open(path.c_str(), O_WRONLY | O_NONBLOCK)) < 0)
                                    std::this_thread::yield();
                                ::close(fd);
                            }))
        << "the opening waited for a writer to open the pipe";
    showsTheLayoutsTooltip();
    std::filesystem::remove(path);
    std::filesystem::create_symlink("/dev/zero", path);
    ASSERT_TRUE(editor->open(nullptr));
    showsTheLayoutsTooltip();
}

TEST_F(EditorObject, OpeningAndClosingAgainKeepsNoMemory)
{
    auto cycle = [this](int times) {
        for (int i = 0; i < times; ++i)
        {
            ASSERT_TRUE(editor->open(nullptr));
            editor->close();
        }
    };
    cycle(5);
    const std::size_t before = heapInUse();
    cycle(40);
    const std::size_t after = heapInUse();
    EXPECT_LT(after, before + 8 * 1024) << "bytes kept by 40 opens: " << after - before;
}

TEST_F(EditorObject, FurtherEditorsShareTheImagesAndTheLastCloseKeepsNoMemory)
{
    // The built bundle's images, real-sized.
    BundleLocation::setPath(BundleLocation::fromLibraryPath(ZENTROVA_EFFECT_PLUGIN_PATH));
    AEffect* other = createPluginInstance(&quietHost, effectFlavour());
    ASSERT_NE(other, nullptr);
    auto* second = static_cast<ZentrovaEditor*>(static_cast<AudioEffect*>(other->object)->getEditor());
    const std::size_t before = heapInUse();
    ASSERT_TRUE(editor->open(nullptr));
    const std::size_t one = heapInUse();
    ASSERT_TRUE(second->open(nullptr));
    const std::size_t two = heapInUse();
    CBitmap* background = editor->getGuiInfo().bitmaps().getBitmap("1024_Background");
    ASSERT_NE(background, nullptr);
    ASSERT_NE(background->getSurface(), nullptr);
    EXPECT_EQ(background->getSurface(), second->getGuiInfo().bitmaps().getBitmap("1024_Background")->getSurface());
    second->close();
    editor->close();
    const std::size_t after = heapInUse();
    other->dispatcher(other, effClose, 0, 0, nullptr, 0.0f);
    EXPECT_LT(two, one + (2u << 20)) << "bytes added by the second editor: " << two - one;
    EXPECT_LT(after, before + (1u << 20)) << "bytes kept after both closed: " << after - before;
}

TEST_F(EditorObject, PatchKeysAreUsedAndOthersPassToTheHost)
{
    ASSERT_TRUE(editor->open(nullptr));
    for (char used : {'+', '-', '1'})
    {
        VstKeyCode key{used, 0, 0};
        EXPECT_TRUE(editor->onKeyDown(key)) << used;
    }
    VstKeyCode other{'q', 0, 0};
    EXPECT_FALSE(editor->onKeyDown(other));
}

TEST_F(EditorObject, AChunkWithoutAPatchMarksTheStateEmpty)
{
    ZentrovaState& state = plugin->getStateHandler().getCurrentState();
    ChunkBuffer chunk;
    ASSERT_EQ(chunk.assignCompressed("<zentrova version=\"2.0\"/>"), 0);
    EXPECT_FALSE(state.readChunkXml(chunk, true, false, true));
    EXPECT_TRUE(state.m_empty);
    ASSERT_EQ(chunk.assignCompressed("<zentrova version=\"2.0\"><patch name=\"p\"/></zentrova>"), 0);
    EXPECT_TRUE(state.readChunkXml(chunk, true, false, true));
    EXPECT_FALSE(state.m_empty);
}

TEST_F(EditorObject, SecondWaveBarsEditTheirOwnParametersFromBeginToEnd)
{
    ASSERT_TRUE(editor->open(nullptr));
    editor->valueChanged(155, nullptr, 2.0f / 3.0f);
    hostCalls.clear();
    editor->beginEdit(107 + 5);
    editor->valueChanged(107 + 5, nullptr, 0.5f);
    editor->endEdit(107 + 5);
    const std::vector<HostCall> expected = {
        {audioMasterBeginEdit, 136, 0.0f}, {audioMasterAutomate, 136, 0.5f}, {audioMasterEndEdit, 136, 0.0f}};
    EXPECT_EQ(hostCalls, expected);
}

TEST_F(EditorObject, HostValuesFromAnotherThreadDuringIdlesEndOnTheLastValue)
{
    ASSERT_TRUE(editor->open(nullptr));
    const auto tag = static_cast<VstInt32>(tagOf("FilterFreq"));
    std::atomic<bool> done{false};
    std::thread automation([&] {
        for (int i = 0; i < 300; ++i)
        {
            plugin->setParameter(tag, static_cast<float>(i % 100) / 100.0f);
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        plugin->setParameter(tag, 0.42f);
        done = true;
    });
    while (!done)
        editor->idle();
    automation.join();
    editor->idle();
    EXPECT_FLOAT_EQ(control("FilterFreq")->getValue(), 0.42f);
}

TEST_F(EditorObject, DroppedHarmonicListsAndSettingsAreTakenWhateverTheirCase)
{
    ASSERT_TRUE(editor->open(nullptr));
    CFrame* frame = editor->getFrame();
    const CPoint where(5, 5);
    std::ofstream(home.path() + "/Waves.HRM") << harmonicRecords(1);
    CListDragContainer* mixed = CListDragContainer::makeFiles({home.path() + "/Waves.HRM", home.path() + "/a.fxp"});
    EXPECT_TRUE(frame->onDrop(mixed, where));
    mixed->forget();
    CListDragContainer* settings = CListDragContainer::makeFiles({"x", home.path() + "/Mine.sup"});
    EXPECT_TRUE(frame->onDrop(settings, where)) << "a name shorter than an extension is passed over";
    settings->forget();
    CListDragContainer* patch = CListDragContainer::makeFiles({home.path() + "/a.fxp"});
    EXPECT_FALSE(frame->onDrop(patch, where)) << "patches go to the view under the point";
    patch->forget();
}

TEST_F(EditorObject, ADropBeyondTheHarmonicListsBoundShowsOneAlertForAllItsFiles)
{
    ASSERT_TRUE(editor->open(nullptr));
    const int full = static_cast<int>(HarmonicList::kMaxMergedWaves);
    std::vector<std::string> paths{home.path() + "/full.hrm"};
    std::ofstream(paths[0]) << harmonicRecords(full);
    for (int i = 0; i < 3; ++i)
    {
        paths.push_back(home.path() + "/one" + std::to_string(i) + ".hrm");
        std::ofstream(paths.back()) << harmonicRecords(1, full + i);
    }
    RecordingAlerts alerts;
    CListDragContainer* drag = CListDragContainer::makeFiles(paths);
    EXPECT_TRUE(editor->getFrame()->onDrop(drag, CPoint(5, 5)));
    drag->forget();
    ASSERT_EQ(alerts.titles, std::vector<std::string>{"Harmonic List Too Long"});
    EXPECT_NE(alerts.texts[0].find("3 files"), std::string::npos) << alerts.texts[0];
}

TEST_F(EditorObject, AConfigurationThatCannotBeReadIsToldWhenTheEditorHasOpened)
{
    effect->dispatcher(effect, effClose, 0, 0, nullptr, 0.0f);
    const std::string file = home.path() + "/.config/com.vorlixworks.Zentrova2.sup";
    std::filesystem::remove(file);
    std::filesystem::create_directory(file);
    effect = createPluginInstance(&recordingHost, effectFlavour());
    ASSERT_NE(effect, nullptr);
    plugin = static_cast<Zentrova*>(static_cast<AudioEffect*>(effect->object));
    editor = static_cast<ZentrovaEditor*>(plugin->getEditor());
    RecordingAlerts alerts;
    ASSERT_TRUE(editor->open(nullptr));
    EXPECT_TRUE(alerts.titles.empty()) << "nothing waits on the user while the host opens the window";
    editor->idle();
    const std::vector<std::string> told = alerts.naming(file);
    ASSERT_EQ(told.size(), 1u);
    EXPECT_EQ(told[0].rfind("Configuration Not Read: ", 0), 0u) << told[0];
    editor->idle();
    editor->close();
    ASSERT_TRUE(editor->open(nullptr));
    editor->idle();
    EXPECT_EQ(alerts.naming(file).size(), 1u) << "told once";
}

TEST_F(EditorObject, ADroppedFileHoldingNoHarmonicWaveIsRefusedByName)
{
    ASSERT_TRUE(editor->open(nullptr));
    const std::string path = home.path() + "/x.hrm";
    {
        std::ofstream garbage(path, std::ios::binary);
        std::uint32_t noise = 12345;
        for (int i = 0; i < 1 << 16; ++i)
        {
            noise = noise * 1664525u + 1013904223u;
            garbage.put(static_cast<char>(noise >> 24));
        }
    }
    RecordingAlerts alerts;
    CListDragContainer* drag = CListDragContainer::makeFiles({path});
    EXPECT_FALSE(editor->getFrame()->onDrop(drag, CPoint(5, 5)));
    drag->forget();
    ASSERT_EQ(alerts.titles.size(), 1u);
    EXPECT_NE(alerts.texts[0].find(path), std::string::npos) << alerts.texts[0];
}

TEST_F(EditorObject, AnOpenEditorIdlesWhileAnotherThreadMakesAndClosesInstances)
{
    ASSERT_TRUE(editor->open(nullptr));
    // A playing instance: the program change worker runs and is woken.
    effect->dispatcher(effect, effMainsChanged, 0, 1, nullptr, 0.0f);
    std::atomic<bool> done{false};
    std::thread host([&] {
        for (int i = 0; i < 10; ++i)
            if (AEffect* other = createPluginInstance(&quietHost, effectFlavour()))
                other->dispatcher(other, effClose, 0, 0, nullptr, 0.0f);
        done = true;
    });
    while (!done)
    {
        programChange(0);
        editor->idle();
    }
    host.join();
    EXPECT_TRUE(editor->isOpen());
}

TEST_F(EditorObject, IdlesWithNothingChangingAskNoPointerAndDrawNothingAndHoverStillFollowsTheMouse)
{
    FakeClock clock;
    FakePlatform platform;
    ASSERT_TRUE(editor->open(platform.parentWindow()));
    CFrame* frame = editor->getFrame();
    FakePlatformWindow* window = FakePlatform::windowOf(frame);
    auto hover = [&](const std::string& name) {
        CView* view = control(name);
        const CRect& size = view->getViewSize();
        CPoint where(size.left + size.width() / 2, size.top + size.height() / 2);
        view->getParentView()->localToFrame(where);
        window->mouse = where;
        frame->onMouseMoved(where, 0);
        editor->idle();
        return view;
    };
    EXPECT_EQ(editor->getMonitoredView(), hover("FilterFreq"));
    // The monitor's fade in and the rest of the opening settle.
    for (int i = 0; i < 100; ++i)
    {
        clock.advance(33);
        editor->idle();
    }
    window->mouseQueries = 0;
    window->invalidRects.clear();
    for (int i = 0; i < 10; ++i)
    {
        clock.advance(33);
        editor->idle();
    }
    EXPECT_EQ(window->mouseQueries, 0);
    EXPECT_TRUE(window->invalidRects.empty()) << window->invalidRects.size() << " redraw requests";
    EXPECT_EQ(editor->getMonitoredView(), hover("FilterQ"));
    editor->close();
}
