#include "editor/controls/CKeyboard.h"

#include "Source/Voices/EventCodes.h"
#include "editor/controls/CKey.h"
#include "editor/widgets/KeyboardWidget.h"

#include "support/InProcessPlugin.h"
#include "support/TestCanvas.h"
#include "support/WidgetFixtures.h"

#include <gtest/gtest.h>

#include <memory>

namespace
{
// White keys 20 wide, 30 high a state; black keys 12 wide, 18 high. A
// white pixel's red is its column; blue tells the down state.
constexpr int kWhiteWidth = 20;
constexpr int kBlackWidth = 12;
constexpr std::uint32_t kBlackUp = 0xFFEE3000u;

struct KeyImages
{
    KeyImages()
    {
        bundle.add("840_White_key", kWhiteWidth, 60, 1, false, [](int x, int y) {
            return 0xFF000000u | (static_cast<std::uint32_t>(x) << 16) | (y % 30 < 18 ? 0x1000u : 0x2000u) |
                   (y >= 30 ? 0xFFu : 0u);
        });
        bundle.add("840_Black_key", kBlackWidth, 36, 1, false,
                   [](int, int y) { return y < 18 ? kBlackUp : kBlackUp | 0xFFu; });
    }
    ImageBundle bundle;
};

std::string keyboardLayout(int firstKey, int whiteKeys)
{
    return "<widget type=\"Keyboard\" name=\"Keyboard\" whitebitmap=\"840_White_key\" blackbitmap=\"840_Black_key\""
           " firstkey=\"" +
           std::to_string(firstKey) + "\" numwhitekeys=\"" + std::to_string(whiteKeys) + "\" x=\"0\" y=\"0\"/>";
}

using Notes = std::vector<std::string>;

CPoint at(CCoord x, CCoord y)
{
    return CPoint(x, y);
}
} // namespace

TEST(CKeyboard, CoversItsWhiteKeysFromTheFirstNoteAndEndsAt127)
{
    KeyImages images;
    struct Range
    {
        int firstKey, whiteKeys, first, last, width;
    };
    for (const Range& range : {Range{36, 28, 36, 83, 560}, Range{36, 31, 36, 88, 620}, Range{36, 32, 36, 89, 640},
                               Range{37, 2, 38, 40, 40}, Range{120, 10, 120, 127, 100}})
    {
        WidgetBench bench(keyboardLayout(range.firstKey, range.whiteKeys), CRect(0, 0, 700, 100));
        KeyboardWidget widget(bench.element("widget"), bench.frame, bench.frame, nullptr, bench.guiInfo);
        CKeyboard* keyboard = widget.getKeyboard();
        EXPECT_EQ(keyboard->getFirstNote(), range.first) << range.firstKey << "+" << range.whiteKeys;
        EXPECT_EQ(keyboard->getLastNote(), range.last) << range.firstKey << "+" << range.whiteKeys;
        EXPECT_EQ(widget.getWidth(), range.width);
        EXPECT_EQ(widget.getHeight(), 30);
        EXPECT_EQ(keyboard->getMouseableArea(), CRect(0, 0, range.width, 30));
        // The upper parts lie edge to edge across the whole width.
        CCoord x = 0;
        for (int note = range.first; note <= range.last; ++note)
        {
            const CRect& upper = keyboard->upperKey(note)->getViewSize();
            EXPECT_EQ(upper.left, x) << note;
            EXPECT_EQ(upper.height(), 18);
            x = upper.right;
        }
        EXPECT_EQ(x, range.width);
    }
}

TEST(CKeyboard, CutsTheUpperPartsOfTheWhiteKeysAroundTheBlackOnes)
{
    KeyImages images;
    WidgetBench bench(keyboardLayout(36, 28), CRect(0, 0, 560, 30));
    KeyboardWidget widget(bench.element("widget"), bench.frame, bench.frame, nullptr, bench.guiInfo);
    CKeyboard* keyboard = widget.getKeyboard();
    TestCanvas canvas(560, 30);
    bench.frame->drawRect(canvas.context(), CRect(0, 0, 560, 30));

    // a = 3W - 2Bw = 36 and b = 4W - 3Bw = 44 give these source columns.
    const int sliceStart[12] = {0, -1, 4, -1, 8, 0, -1, 3, -1, 3, -1, 9};
    const int sliceWidth[12] = {12, -1, 12, -1, 12, 11, -1, 11, -1, 11, -1, 11};
    for (int note = 36; note <= 83; ++note)
    {
        const CRect& upper = keyboard->upperKey(note)->getViewSize();
        const std::uint32_t left = canvas.pixel(static_cast<int>(upper.left), 5);
        if (sliceStart[note % 12] < 0)
        {
            EXPECT_EQ(left, kBlackUp) << note;
            EXPECT_EQ(keyboard->lowerKey(note), nullptr);
            continue;
        }
        // The first key has nothing to its left, the last nothing to its
        // right: they reach the edges of the white key.
        const int start = note == 36 ? 0 : sliceStart[note % 12];
        const int width = note == 83 ? kWhiteWidth - start : sliceWidth[note % 12];
        EXPECT_EQ(left, 0xFF001000u | (static_cast<std::uint32_t>(start) << 16)) << note;
        EXPECT_EQ(upper.width(), width) << note;
    }
    EXPECT_EQ(canvas.pixel(45, 25), 0xFF052000u);
    EXPECT_EQ(keyboard->lowerKey(38)->getViewSize(), CRect(20, 18, 40, 30));
}

TEST(CKeyboard, DraggingSendsOneNoteOffBeforeEachNoteOn)
{
    KeyImages images;
    NoteRecorder engine;
    WidgetBench bench(keyboardLayout(36, 28), CRect(0, 0, 700, 100));
    auto widget =
        std::make_unique<KeyboardWidget>(bench.element("widget"), bench.frame, bench.frame, nullptr, bench.guiInfo);
    CKeyboard* keyboard = widget->getKeyboard();
    keyboard->setEffect(&engine);

    EXPECT_EQ(keyboard->noteAt(at(13, 5)), 37);
    EXPECT_EQ(keyboard->noteAt(at(13, 25)), 36);
    EXPECT_EQ(keyboard->noteAt(at(13, 30)), 36);
    EXPECT_EQ(keyboard->noteAt(at(560, 5)), 83);
    EXPECT_EQ(keyboard->noteAt(at(561, 5)), CKeyboard::kNoNote);

    const CButtonState left = kButtonLeft;
    for (CPoint point : {at(5, 25), at(6, 25), at(25, 25), at(15, 5), at(600, 5), at(15, 5)})
        point == at(5, 25) ? bench.frame->onMouseDown(point, left) : bench.frame->onMouseMoved(point, left);
    CPoint moved(30, 25);
    bench.frame->onMouseMoved(moved, 0);
    EXPECT_EQ(engine.notes, (Notes{"on 36", "off 36", "on 38", "off 38", "on 37", "off 37", "on 37"}));
    // The keys light from the engine alone.
    EXPECT_EQ(keyboard->upperKey(37)->getState(), 0);

    // The editor closes with the key still held.
    widget.reset();
    EXPECT_EQ(engine.notes.back(), "off 37");
    EXPECT_EQ(engine.notes.size(), 8u);
}

TEST(CKeyboard, AKeyStaysLitWhileAnySourceHoldsIt)
{
    KeyImages images;
    WidgetBench bench(keyboardLayout(36, 28), CRect(0, 0, 700, 100));
    KeyboardWidget widget(bench.element("widget"), bench.frame, bench.frame, nullptr, bench.guiInfo);
    CKeyboard* keyboard = widget.getKeyboard();
    auto lit = [&](int note) {
        return keyboard->upperKey(note)->getState() * 10 +
               (keyboard->lowerKey(note) ? keyboard->lowerKey(note)->getState() : keyboard->upperKey(note)->getState());
    };

    widget.setKeyState(60, true);
    widget.setKeyState(60, true);
    widget.setKeyState(61, true);
    widget.setKeyState(35, true);
    widget.setKeyState(84, true);
    widget.setKeyState(60, false);
    EXPECT_EQ(lit(60), 11);
    widget.setKeyState(60, false);
    EXPECT_EQ(lit(60), 0);
    widget.setKeyState(60, false);
    widget.setKeyState(60, true);
    EXPECT_EQ(lit(60), 11);
    EXPECT_EQ(lit(61), 11);
    keyboard->releaseAllKeys();
    EXPECT_EQ(lit(60), 0);
    EXPECT_EQ(lit(61), 0);
}

TEST(CKeyboard, StaysEmptyWithoutUsableImages)
{
    KeyImages images;
    images.bundle.add("840_Kbd_Hold_btn", 40, 60);
    for (const char* layout :
         {R"(<widget type="Keyboard" whitebitmap="840_White_key" firstkey="36" numwhitekeys="28"/>)",
          R"(<widget type="Keyboard" whitebitmap="840_White_key" blackbitmap="840_Kbd_Hold_btn" firstkey="36"/>)",
          R"(<widget type="Keyboard" whitebitmap="840_White_key" blackbitmap="840_Black_key" firstkey="128"/>)"})
    {
        WidgetBench bench(layout);
        KeyboardWidget widget(bench.element("widget"), bench.frame, bench.frame, nullptr, bench.guiInfo);
        EXPECT_TRUE(widget.getKeyboard()->isEmpty()) << layout;
        CPoint where(1, 1);
        widget.getKeyboard()->onMouseDown(where, kButtonLeft);
        widget.setKeyState(60, true);
    }
}

TEST(CKeyboard, NotesReachTheEnginesKeyboardQueue)
{
    KeyImages images;
    InProcessPlugin instance;
    ASSERT_NE(instance.plugin, nullptr);
    WidgetBench bench(keyboardLayout(36, 28), CRect(0, 0, 700, 100));
    GuiInfo guiInfo(instance.plugin, nullptr);
    KeyboardWidget widget(bench.element("widget"), bench.frame, bench.frame, nullptr, guiInfo);
    instance.take(Zentrova::kKeyboardCue);

    CPoint key(25, 25);
    bench.frame->onMouseDown(key, kButtonLeft);
    bench.frame->onMouseUp(key, kButtonLeft);
    const std::vector<VoiceEvent> events = instance.take(Zentrova::kKeyboardCue);
    ASSERT_EQ(events.size(), 2u);
    for (const VoiceEvent& event : events)
        EXPECT_EQ(event.code, EventCode::midiCode(EventCode::kKindNote, 0, 38));
    EXPECT_EQ(events[0].value, 64);
    EXPECT_EQ(events[1].value, -64);
}
