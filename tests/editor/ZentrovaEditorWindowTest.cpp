// The plug-ins' own editor in a real X11 window, through the test host: a
// copy of each bundle with plain images for every bitmap of the layout, in
// a temporary home whose configuration names the window to open.

#include "tests/support/OwnXServer.h"
#include "tests/toolkit/x11/EditorHostRun.h"

#include "Source/ticpp/ticpp.h"
#include "editor/layout/Bitmaps.h"
#include "editor/layout/GuiLayout.h"
#include "patches/ChunkBuffer.h"
#include "patches/PatchFileHandler.h"
#include "tools/LayoutModel.h"

#include <cairo.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace
{
struct Deliverable
{
    const char* name;
    const char* library;
};

const Deliverable kDeliverables[] = {{"Zentrova2FX", ZENTROVA_EFFECT_PLUGIN_PATH},
                                     {"Zentrova2", ZENTROVA_INSTRUMENT_PLUGIN_PATH}};

struct Window
{
    const char* configuration;
    int width;
    int height;
};

const Window kWindows[] = {{"Small", 836, 490}, {"Regular", 1024, 386}, {"Large", 1600, 602}};

// A bitmap that needs a size of its own: width, frame height, frames.
struct Shape
{
    int width;
    int frameHeight;
    int frames;
};

// Two states of a white key 24x100 and of a black key 14x60; bars of the
// bar graph of 8x6 segments; 12x12 scroll buttons of the lists.
constexpr int kWhiteKeyWidth = 24;
constexpr int kWhiteKeyHeight = 100;
const char* const kLearnButton = "1024_Learn_btn";
const std::map<std::string, Shape> kShapes = {
    {"whitebitmap", {kWhiteKeyWidth, kWhiteKeyHeight, 2}}, {"blackbitmap", {14, 60, 2}}, {"barbitmap", {8, 6, 2}},
    {"upbitmap", {12, 12, 2}}, {"downbitmap", {12, 12, 2}}};

// The frames each bitmap is cut into, and whether it is a panel; the
// images that need a size of their own apart.
void collectBitmaps(ticpp::Element* element, std::map<std::string, std::pair<int, bool>>& bitmaps,
                    std::map<std::string, Shape>& sized)
{
    ticpp::Iterator<ticpp::Element> child;
    for (child = child.begin(element); child != child.end(); ++child)
    {
        const std::string bitmap = child->GetAttribute("bitmap");
        if (!bitmap.empty())
        {
            // Templates keep their references unexpanded.
            const int frames = std::atoi(child->GetAttribute("frames").c_str());
            auto& entry = bitmaps[bitmap];
            entry.first = std::max({entry.first, frames, 1});
            entry.second = entry.second || child->GetAttribute("type") == "ViewContainer";
        }
        for (const auto& [attribute, shape] : kShapes)
            if (!child->GetAttribute(attribute).empty())
                sized.emplace(child->GetAttribute(attribute), shape);
        collectBitmaps(child.Get(), bitmaps, sized);
    }
}

// Frame i of every image has red 4 * i: a screenshot tells the frame shown.
void writeImage(const fs::path& file, int width, int frameHeight, int frames, std::uint32_t base)
{
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, frameHeight * frames);
    cairo_surface_flush(surface);
    unsigned char* data = cairo_image_surface_get_data(surface);
    const int stride = cairo_image_surface_get_stride(surface);
    for (int y = 0; y < frameHeight * frames; ++y)
        for (int x = 0; x < width; ++x)
            reinterpret_cast<std::uint32_t*>(data + y * stride)[x] =
                base | (static_cast<std::uint32_t>(std::min(255, 4 * (y / frameHeight))) << 16);
    cairo_surface_mark_dirty(surface);
    cairo_surface_write_to_png(surface, file.c_str());
    cairo_surface_destroy(surface);
}

class EditorWindow : public testing::Test
{
protected:
    void SetUp() override
    {
        root = fs::path(testing::TempDir()) / ("editor-window-" + std::to_string(getpid()));
        fs::remove_all(root);
        for (const char* folder : {"home/.config", "home/.local/share", "share", "etc"})
            fs::create_directories(root / folder);
        GuiLayout layout;
        ASSERT_EQ(layout.load(), 1);
        for (const LayoutConfiguration& configuration : layout.getConfigurations())
            collectBitmaps(layout.frameElement(configuration.name), bitmaps, sized);
        bitmaps[kLearnButton] = {2, false};
        for (const Deliverable& deliverable : kDeliverables)
        {
            const fs::path bundle = root / (std::string(deliverable.name) + ".vst") / "Contents";
            fs::create_directories(bundle / "x86_64-linux");
            fs::create_directories(bundle / "Resources");
            // A copy: a link would lead the plug-in to the built bundle's images.
            fs::copy_file(deliverable.library, bundle / "x86_64-linux" / (std::string(deliverable.name) + ".so"));
            for (const auto& [name, shape] : bitmaps)
            {
                if (Bitmaps().resourceNumber(name) < 0)
                    continue;
                char file[32];
                std::snprintf(file, sizeof file, "bmp%05d.png", Bitmaps().resourceNumber(name));
                if (shape.second)
                    writeImage(bundle / "Resources" / file, 200, 100, 1, 0xFF203040u);
                else
                    writeImage(bundle / "Resources" / file, 32, 32, shape.first, 0xFF008040u);
            }
            for (const auto& [name, shape] : sized)
            {
                char file[32];
                std::snprintf(file, sizeof file, "bmp%05d.png", Bitmaps().resourceNumber(name));
                if (Bitmaps().resourceNumber(name) >= 0)
                    writeImage(bundle / "Resources" / file, shape.width, shape.frameHeight, shape.frames,
                               0xFF00C0C0u);
            }
        }
    }
    void TearDown() override
    {
        std::error_code ignored;
        fs::remove_all(root, ignored);
    }

    // A click on the save button of the Regular window, a script line.
    std::string clickSave()
    {
        int x = 0;
        int y = 0;
        EXPECT_TRUE(centreOf("Regular", "PatchSave", x, y));
        return "click 1 " + std::to_string(x) + " " + std::to_string(y) + "\n";
    }

    std::string plugin(const Deliverable& deliverable) const
    {
        return (root / (std::string(deliverable.name) + ".vst") / "Contents" / "x86_64-linux" /
                (std::string(deliverable.name) + ".so"))
            .string();
    }

    // The host's environment: the temporary home with a configuration file
    // that names the window.
    std::string home(const std::string& layout, const std::string& editMode = "Keyboard",
                     const std::string& records = "") const
    {
        std::ofstream(root / "home/.config/com.vorlixworks.Zentrova2.sup")
            << "Zentrova Configuration File\n{Layout}{" << layout << "}\n{Edit Mode}{" << editMode << "}\n"
            << records;
        const std::string h = (root / "home").string();
        return "HOME=" + h + " XDG_CONFIG_HOME=" + h + "/.config XDG_DATA_HOME=" + h +
               "/.local/share XDG_DATA_DIRS=" + (root / "share").string() +
               " XDG_CONFIG_DIRS=" + (root / "etc").string();
    }

    // The centre of a widget in the window of a configuration, sized from
    // the plain images written above.
    bool centreOf(const std::string& configuration, const std::string& key, int& x, int& y)
    {
        LayoutItem item;
        if (!itemOf(configuration, key, item))
            return false;
        x = item.windowX + item.width / 2;
        y = item.windowY + item.height / 2;
        return true;
    }

    bool itemOf(const std::string& configuration, const std::string& key, LayoutItem& found)
    {
        GuiLayout layout;
        if (layout.load() != 1)
            return false;
        for (const LayoutConfiguration& candidate : layout.getConfigurations())
        {
            if (candidate.name != configuration)
                continue;
            const LayoutModel model(layout, candidate, [this](const std::string& bitmap, int& width, int& height) {
                const auto shape = sized.find(bitmap);
                if (shape != sized.end())
                {
                    width = shape->second.width;
                    height = shape->second.frameHeight * shape->second.frames;
                    return true;
                }
                const auto found = bitmaps.find(bitmap);
                if (found == bitmaps.end())
                    return false;
                width = found->second.second ? 200 : 32;
                height = found->second.second ? 100 : 32 * found->second.first;
                return true;
            });
            const LayoutItem* item = model.find(key);
            if (!item)
                return false;
            found = *item;
            return true;
        }
        return false;
    }

    fs::path root;
    std::map<std::string, std::pair<int, bool>> bitmaps;
    std::map<std::string, Shape> sized;
};

std::uint32_t pixelAt(const std::string& png, int x, int y)
{
    cairo_surface_t* screen = cairo_image_surface_create_from_png(png.c_str());
    std::uint32_t pixel = 0;
    if (cairo_surface_status(screen) == CAIRO_STATUS_SUCCESS && x < cairo_image_surface_get_width(screen) &&
        y < cairo_image_surface_get_height(screen))
    {
        cairo_surface_flush(screen);
        pixel = reinterpret_cast<const std::uint32_t*>(cairo_image_surface_get_data(screen) +
                                                       y * cairo_image_surface_get_stride(screen))[x];
    }
    cairo_surface_destroy(screen);
    return pixel & 0xFFFFFF;
}

// The pixels of a rectangle that differ between two screenshots.
int pixelsChanged(const std::string& first, const std::string& second, int x, int y, int width, int height)
{
    cairo_surface_t* a = cairo_image_surface_create_from_png(first.c_str());
    cairo_surface_t* b = cairo_image_surface_create_from_png(second.c_str());
    int changed = -1;
    if (cairo_surface_status(a) == CAIRO_STATUS_SUCCESS && cairo_surface_status(b) == CAIRO_STATUS_SUCCESS &&
        x + width <= std::min(cairo_image_surface_get_width(a), cairo_image_surface_get_width(b)) &&
        y + height <= std::min(cairo_image_surface_get_height(a), cairo_image_surface_get_height(b)))
    {
        changed = 0;
        for (int row = y; row < y + height; ++row)
            for (int column = x; column < x + width; ++column)
            {
                auto at = [&](cairo_surface_t* s) {
                    return reinterpret_cast<const std::uint32_t*>(cairo_image_surface_get_data(s) +
                                                                  row * cairo_image_surface_get_stride(s))[column];
                };
                changed += at(a) != at(b) ? 1 : 0;
            }
    }
    cairo_surface_destroy(a);
    cairo_surface_destroy(b);
    return changed;
}

} // namespace

TEST_F(EditorWindow, EachDeliverableOpensEachConfigurationAtItsSize)
{
    REQUIRE_DISPLAY();
    for (const Deliverable& deliverable : kDeliverables)
        for (const Window& window : kWindows)
        {
            const std::string shot =
                screenshotPath(std::string("editor-") + deliverable.name + "-" + window.configuration + ".png");
            const HostRun run =
                runEditorHostWith(plugin(deliverable), "settle\nscreenshot " + shot + "\n", "", home(window.configuration));
            const std::string size = std::to_string(window.width) + " " + std::to_string(window.height);
            EXPECT_TRUE(run.has("host 1 rect " + size)) << deliverable.name << "\n" << run.text();
            EXPECT_TRUE(run.has("host 1 open 1")) << run.text();
            EXPECT_EQ(run.status, 0);
            EXPECT_TRUE(fs::exists(shot));
        }
}

TEST_F(EditorWindow, AKnobDragIsBracketedByTheSameIndexAndHostValuesShowAtTheNextIdle)
{
    REQUIRE_DISPLAY();
    // The filter frequency, parameter 2.
    int knobX = 0;
    int knobY = 0;
    ASSERT_TRUE(centreOf("Regular", "FilterFreq", knobX, knobY));
    for (const Deliverable& deliverable : kDeliverables)
    {
        const std::string low = screenshotPath("editor-knob-low.png");
        const std::string high = screenshotPath("editor-knob-high.png");
        const HostRun run = runEditorHostWith(
            plugin(deliverable),
            "settle\nmove " + std::to_string(knobX) + " " + std::to_string(knobY) +
                "\npress 1\nsettle\nmoveby -20 0\nsettle\nmoveby 0 -20\nsettle\nrelease 1\nsettle\n"
                "param 2 0\nsettle\nscreenshot " + low + "\nparam 2 1\nsettle\nscreenshot " + high + "\n",
            "", home("Regular"));
        const std::vector<std::string> automated = run.after("host 1 automate ");
        ASSERT_FALSE(automated.empty()) << run.text();
        const std::string index = automated.front().substr(0, automated.front().find(' '));
        EXPECT_EQ(index, "2") << "the filter frequency";
        const int begin = run.find("host 1 beginEdit " + index);
        const int end = run.find("host 1 endEdit " + index);
        ASSERT_GE(begin, 0) << run.text();
        ASSERT_GT(end, begin);
        EXPECT_EQ(run.countBetween("host 1 automate " + index + " ", begin, end), static_cast<int>(automated.size()))
            << "every automation of the drag lies between its begin and end";
        EXPECT_EQ(pixelAt(low, knobX, knobY) >> 16, 0u) << "frame 0 at value 0\n" << run.text();
        EXPECT_EQ(pixelAt(high, knobX, knobY) >> 16, 4u * 63u) << "the last frame at value 1";
    }
}

TEST_F(EditorWindow, AKnobDragCutOffByTheHostStillEndsItsEdit)
{
    REQUIRE_DISPLAY();
    int knobX = 0;
    int knobY = 0;
    ASSERT_TRUE(centreOf("Regular", "FilterFreq", knobX, knobY));
    for (const char* cut : {"destroy", "close"})
    {
        const HostRun run = runEditorHostWith(plugin(kDeliverables[1]),
                                              "settle\nmove " + std::to_string(knobX) + " " + std::to_string(knobY) +
                                                  "\npress 1\nsettle\nmoveby -20 0\nsettle\n" + cut +
                                                  "\nsettle\nrelease 1\nsettle\nmark released\nclose\nopen\nsettle\n",
                                              "", home("Regular"));
        const int begin = run.find("host 1 beginEdit 2");
        ASSERT_GE(begin, 0) << run.text();
        const int end = run.find("host 1 endEdit 2", begin);
        EXPECT_GT(end, begin) << cut << "\n" << run.text();
        EXPECT_LT(end, run.find("mark released")) << cut << ": when the drag is cut off\n" << run.text();
    }
}

TEST_F(EditorWindow, OtherButtonsPressedDuringADragLeaveEveryBeginEditWithOneEnd)
{
    REQUIRE_DISPLAY();
    // Knobs, stepped knobs, both kinds of switch and a wheel.
    std::vector<std::pair<int, int>> centres;
    for (const char* key :
         {"PulseWidth1", "PulseWidth2", "Osc2Octave", "FilterType", "RingModulation", "MasterOctave", "ModWheel"})
    {
        int x = 0;
        int y = 0;
        ASSERT_TRUE(centreOf("Regular", key, x, y)) << key;
        centres.emplace_back(x, y);
    }
    std::mt19937 random(400);
    auto below = [&](std::size_t n) { return static_cast<int>(random() % n); };
    auto step = [&] { return std::to_string(below(21) - 10); };
    std::string script = "settle\n";
    for (int gesture = 0; gesture < 100; ++gesture)
    {
        const auto [x, y] = centres[static_cast<std::size_t>(below(centres.size()))];
        script += "move " + std::to_string(x) + " " + std::to_string(y) + "\nwait 20\n";
        // Two or three buttons, released in another order than pressed.
        std::vector<int> buttons = {1, 2, 3};
        std::shuffle(buttons.begin(), buttons.end(), random);
        buttons.resize(static_cast<std::size_t>(2 + below(2)));
        std::vector<int> releases = buttons;
        std::shuffle(releases.begin(), releases.end(), random);
        for (int button : buttons)
            script += "press " + std::to_string(button) + "\nmoveby " + step() + " " + step() + "\n";
        for (int button : releases)
            script += "release " + std::to_string(button) + "\nmoveby " + step() + " " + step() + "\n";
    }
    // A last drag on the filter frequency (parameter 2), which no gesture
    // touched: once its edit shows, every gesture before it was handled.
    int knobX = 0;
    int knobY = 0;
    ASSERT_TRUE(centreOf("Regular", "FilterFreq", knobX, knobY));
    script += "settle\nmove " + std::to_string(knobX) + " " + std::to_string(knobY) +
              "\npress 1\nsettle\nmoveby 0 -10\nsettle\nrelease 1\nsettle\n";
    const HostRun run = runEditorHostWith(plugin(kDeliverables[1]), script, "", home("Regular"));

    int last = -1;
    for (int i = 0; i < static_cast<int>(run.lines.size()); ++i)
        if (run.lines[static_cast<std::size_t>(i)] == "host 1 beginEdit 2")
            last = i;
    ASSERT_GE(last, 0) << run.text();
    EXPECT_GT(run.find("host 1 endEdit 2", last), last) << run.text();
    std::map<std::string, int> open;
    int begins = 0;
    for (int i = 0; i < last; ++i)
    {
        const std::string& line = run.lines[static_cast<std::size_t>(i)];
        if (line.rfind("host 1 beginEdit ", 0) == 0)
        {
            ++open[line.substr(17)];
            ++begins;
        }
        else if (line.rfind("host 1 endEdit ", 0) == 0)
        {
            EXPECT_GE(--open[line.substr(15)], 0) << "an end without its begin at line " << i << "\n" << run.text();
        }
    }
    EXPECT_GT(begins, 50) << run.text();
    for (const auto& [index, count] : open)
        EXPECT_EQ(count, 0) << "parameter " << index << " left open\n" << run.text();
}

TEST_F(EditorWindow, SystemDefaultDragsAKnobLinearlyUntilAHostSetsAKnobMode)
{
    REQUIRE_DISPLAY();
    // The filter frequency at 0.2, pressed at its centre and dragged up 20
    // pixels, then pressed there again and dragged down 10.
    int knobX = 0;
    int knobY = 0;
    ASSERT_TRUE(centreOf("Regular", "FilterFreq", knobX, knobY));
    const std::string press = "move " + std::to_string(knobX) + " " + std::to_string(knobY) + "\npress 1\nsettle\n";
    const std::string drags = "param 2 0.2\nsettle\n" + press + "moveby 0 -10\nsettle\nmoveby 0 -10\nsettle\n" +
                              "release 1\nsettle\n" + press + "moveby 0 10\nsettle\nrelease 1\nsettle\n";
    struct Case
    {
        const char* name;
        std::string before;
        std::string records;
        // What each drag leaves the value at.
        float up;
        float down;
    };
    const Case cases[] = {
        // 200 pixels cover the range, and nothing jumps at the press.
        {"no host knob mode", "", "", 0.3f, 0.25f},
        // Up from the centre is twelve o'clock, down the end of the dead zone.
        {"the host's circular mode", "knobmode 0\n", "", 0.5f, 1.0f},
        {"a configured circular mode", "", "{Knob Mode}{Circular}\n", 0.5f, 1.0f},
    };
    for (const Case& c : cases)
    {
        const HostRun run = runEditorHostWith(plugin(kDeliverables[1]), "settle\n" + c.before + drags, "",
                                              home("Regular", "Keyboard", c.records));
        const int firstBegin = run.find("host 1 beginEdit 2");
        const int firstEnd = run.find("host 1 endEdit 2", firstBegin);
        const int secondBegin = run.find("host 1 beginEdit 2", firstEnd);
        const int secondEnd = run.find("host 1 endEdit 2", secondBegin);
        ASSERT_TRUE(firstBegin >= 0 && firstEnd > firstBegin && secondBegin > firstEnd && secondEnd > secondBegin)
            << c.name << "\n" << run.text();
        auto values = [&](int from, int to) {
            std::vector<float> found;
            for (int i = from + 1; i < to; ++i)
            {
                const std::string& line = run.lines[static_cast<std::size_t>(i)];
                if (line.rfind("host 1 automate 2 ", 0) == 0)
                    found.push_back(std::stof(line.substr(18)));
            }
            return found;
        };
        const std::vector<float> up = values(firstBegin, firstEnd);
        const std::vector<float> down = values(secondBegin, secondEnd);
        ASSERT_FALSE(up.empty() || down.empty()) << c.name << "\n" << run.text();
        EXPECT_NEAR(up.back(), c.up, 0.01f) << c.name << "\n" << run.text();
        EXPECT_NEAR(down.back(), c.down, 0.01f) << c.name << "\n" << run.text();
        if (c.up < 0.4f)
        {
            EXPECT_NEAR(up.front(), 0.25f, 0.01f) << "the first 10 pixels raise it by 0.05\n" << run.text();
        }
    }
}

TEST_F(EditorWindow, ALinearKnobDragCountsEveryPixelFromThePressWhateverTheHostsIdlePeriod)
{
    REQUIRE_DISPLAY();
    // The filter frequency at 0.2, pressed at its centre and at once moved
    // 50 pixels up in a burst, then 40 more at an ordinary 200 pixels a
    // second: 0.65, however long after the press the editor first looks.
    int knobX = 0;
    int knobY = 0;
    ASSERT_TRUE(centreOf("Regular", "FilterFreq", knobX, knobY));
    const std::string at = std::to_string(knobX) + " " + std::to_string(knobY);
    const std::string script = "param 2 0.2\nknobmode 2\nmove " + at +
                               "\npress 1\nrepeat 10\nmoveby 0 -5\nend\nrepeat 20\nmoveby 0 -2\nwait 10\nend\n"
                               "release 1\nwaitfor host 1 endEdit 2\npointer\n";
    for (const int idle : {15, 50, 100})
    {
        const HostRun run =
            runEditorHostWith(plugin(kDeliverables[1]), script, "--idle " + std::to_string(idle), home("Regular"));
        const int begin = run.find("host 1 beginEdit 2");
        const int end = run.find("host 1 endEdit 2", begin);
        ASSERT_TRUE(begin >= 0 && end > begin) << "idle " << idle << "\n" << run.text();
        // Up all the way, and never by more than one move at a time: no
        // jump at the press, nothing lost before it.
        float value = 0.2f;
        for (int i = begin + 1; i < end; ++i)
        {
            const std::string& line = run.lines[static_cast<std::size_t>(i)];
            if (line.rfind("host 1 automate 2 ", 0) != 0)
                continue;
            const float next = std::stof(line.substr(18));
            EXPECT_TRUE(next > value && next < value + 0.026f)
                << "idle " << idle << ": " << value << " to " << next << "\n"
                << run.text();
            value = next;
        }
        EXPECT_NEAR(value, 0.65f, 0.001f) << "idle " << idle << "\n" << run.text();
        EXPECT_GT(run.find("host 1 pointer " + at, end), end) << "idle " << idle << "\n" << run.text();
        EXPECT_EQ(run.status, 0) << run.text();
    }
}

TEST_F(EditorWindow, FiftyOpenAndCloseCyclesAndAHostDestroyedWindowLeaveNothingBehind)
{
    REQUIRE_DISPLAY();
    const HostRun run = runEditorHostWith(plugin(kDeliverables[0]),
                                          "settle\nrepeat 50\nclose\nopen\nwait 10\nend\ndestroy\nsettle\nclose\nshm\n",
                                          "", home("Large"));
    EXPECT_EQ(run.status, 0) << run.text();
    int opened = 0;
    for (const std::string& line : run.lines)
        opened += line == "host 1 open 1" ? 1 : 0;
    EXPECT_EQ(opened, 51) << run.text();
    EXPECT_TRUE(run.has("host 1 shm none")) << run.text();
    for (const std::string& line : run.lines)
        EXPECT_EQ(line.find("ERROR: AddressSanitizer"), std::string::npos) << line;
}

TEST_F(EditorWindow, AnOnScreenKeySoundsAndLightsOnlyOnceTheEnginePlayedIt)
{
    REQUIRE_DISPLAY();
    // The lower half of the first white key, below the black ones.
    LayoutItem keyboard;
    ASSERT_TRUE(itemOf("Regular", "Keyboard", keyboard));
    const int x = keyboard.windowX + kWhiteKeyWidth / 2;
    const int y = keyboard.windowY + kWhiteKeyHeight * 4 / 5;
    for (const Deliverable& deliverable : kDeliverables)
    {
        const std::string held = screenshotPath("editor-key-held.png");
        const std::string played = screenshotPath("editor-key-played.png");
        const std::string released = screenshotPath("editor-key-released.png");
        const std::string at = std::to_string(x) + " " + std::to_string(y);
        const HostRun run = runEditorHostWith(plugin(deliverable),
                                              "settle\nprocess 1\nmove " + at + "\npress 1\nsettle\nscreenshot " +
                                                  held + "\nprocess 20\nsettle\nscreenshot " + played +
                                                  "\nrelease 1\nsettle\nprocess 20\nsettle\nscreenshot " +
                                                  released + "\n",
                                              "", home("Regular"));
        const std::vector<std::string> peaks = run.after("host 1 peak ");
        ASSERT_EQ(peaks.size(), 3u) << run.text();
        EXPECT_LT(std::stod(peaks[0]), 1e-6) << "silent before the key";
        EXPECT_GT(std::stod(peaks[1]), 1e-3) << deliverable.name << ": the held key sounds";
        EXPECT_EQ(pixelAt(held, x, y) >> 16, 0u) << "unlit until the engine plays the note";
        EXPECT_EQ(pixelAt(played, x, y) >> 16, 4u) << "lit once played";
        EXPECT_EQ(pixelAt(released, x, y) >> 16, 0u) << "unlit once the note-off reached the engine";
    }
}

TEST_F(EditorWindow, AnOnScreenKeyHeldWhenTheHostDestroysTheWindowFallsSilentAtTheRelease)
{
    REQUIRE_DISPLAY();
    LayoutItem keyboard;
    ASSERT_TRUE(itemOf("Regular", "Keyboard", keyboard));
    const std::string at = std::to_string(keyboard.windowX + kWhiteKeyWidth / 2) + " " +
                           std::to_string(keyboard.windowY + kWhiteKeyHeight * 4 / 5);
    const HostRun run = runEditorHostWith(plugin(kDeliverables[1]),
                                          "settle\nprocess 1\nmove " + at +
                                              "\npress 1\nsettle\nprocess 20\ndestroy\nsettle\nrelease 1\n"
                                              "settle\nprocess 400\nprocess 20\nclose\n",
                                          "", home("Regular"));
    const std::vector<std::string> peaks = run.after("host 1 peak ");
    ASSERT_EQ(peaks.size(), 4u) << run.text();
    EXPECT_GT(std::stod(peaks[1]), 1e-3) << "the held key sounds";
    EXPECT_LT(std::stod(peaks[3]), 1e-4) << "silent once released, before the editor closes\n" << run.text();
}

TEST_F(EditorWindow, CcSetupLearnBindsController74ToTheFilterFrequency)
{
    REQUIRE_DISPLAY();
    // Controller 74 starts unbound; the learn button hangs below the knob's
    // MIDI anchor.
    LayoutItem knob;
    ASSERT_TRUE(itemOf("Regular", "FilterFreq", knob));
    const std::string learn =
        std::to_string(knob.windowX + knob.midiX) + " " + std::to_string(knob.windowY + knob.midiY + 16);
    for (const Deliverable& deliverable : kDeliverables)
    {
        const HostRun run = runEditorHostWith(plugin(deliverable),
                                              "settle\ngetparam 2\nclick 1 " + learn +
                                                  "\nsettle\nmidi 0xB0 74 127\nsettle\ngetparam 2\n"
                                                  "midi 0xB0 74 0\ngetparam 2\nmidi 0xB0 74 127\ngetparam 2\n",
                                              "", home("Regular", "CC Setup", "{Flt Frq}{-1}\n"));
        const std::vector<std::string> values = run.after("host 1 param 2 ");
        ASSERT_EQ(values.size(), 4u) << run.text();
        EXPECT_EQ(values[1], values[0]) << deliverable.name << ": the controller that taught is not applied\n"
                                        << run.text();
        EXPECT_EQ(std::stod(values[2]), 0.0) << "controller 74 now moves the filter frequency";
        EXPECT_EQ(std::stod(values[3]), 1.0);
    }
}

TEST_F(EditorWindow, ABarDragInTheSecondWavesEditModeAutomatesItsHarmonicBracketedByTheSameIndex)
{
    REQUIRE_DISPLAY();
    // The second bar, half way up.
    LayoutItem graph;
    ASSERT_TRUE(itemOf("Regular", "HarmonicEditor", graph));
    const std::string bar = std::to_string(graph.windowX + 12) + " " + std::to_string(graph.windowY + graph.height / 2);
    const HostRun run = runEditorHostWith(plugin(kDeliverables[1]),
                                          "settle\nmove " + bar +
                                              "\npress 1\nsettle\nmoveby 0 -20\nsettle\nrelease 1\nsettle\n",
                                          "", home("Regular", "Wave 2"));
    const int begin = run.find("host 1 beginEdit 132");
    const int end = run.find("host 1 endEdit 132");
    ASSERT_GE(begin, 0) << run.text();
    ASSERT_GT(end, begin) << run.text();
    const int automated = static_cast<int>(run.after("host 1 automate ").size());
    EXPECT_GT(automated, 0);
    EXPECT_EQ(run.countBetween("host 1 automate 132 ", begin, end), automated) << run.text();
}

TEST_F(EditorWindow, ThePatchBrowserListsALibraryAndLoadsAPatch)
{
    REQUIRE_DISPLAY();
    // One bank of two patches, one of them band-passing; the library's
    // first patch is the one playing at load.
    const fs::path bank = root / "home/.local/share/Vorlix/Zentrova2/Patches/Instrument/Bank";
    fs::create_directories(bank);
    for (const char* name : {"Plain", "Bright"})
    {
        ChunkBuffer chunk;
        ASSERT_EQ(chunk.assignCompressed(std::string("<zentrova version=\"609\">\n<patch name=\"") + name + "\">\n" +
                                         (name[0] == 'B' ? "<parameter name=\"FilterType\" value=\"Bnd Pass\" />\n" : "") +
                                         "</patch>\n</zentrova>\n"),
                  0);
        ASSERT_EQ(PatchFileHandler::writeFxp((bank / (std::string(name) + ".fxp")).string(), name, chunk, false), 0);
    }
    int openX = 0;
    int openY = 0;
    ASSERT_TRUE(centreOf("Regular", "BrowserOpen", openX, openY));
    LayoutItem banks;
    LayoutItem patches;
    ASSERT_TRUE(itemOf("Regular", "BankList", banks));
    ASSERT_TRUE(itemOf("Regular", "PatchList", patches));
    // Rows are 14 high: the library, "Inst", its "Bank"; patches are sorted
    // by name.
    auto row = [](const LayoutItem& list, int index) {
        return std::to_string(list.windowX + list.width / 3) + " " + std::to_string(list.windowY + 14 * index + 7);
    };
    const std::string shot = screenshotPath("editor-browser.png");
    const HostRun run = runEditorHostWith(plugin(kDeliverables[1]),
                                          "settle\ngetparam 0\nclick 1 " + std::to_string(openX) + " " +
                                              std::to_string(openY) + "\nsettle\nclick 1 " + row(banks, 2) +
                                              "\nsettle\nclick 1 " + row(patches, 1) + "\nsettle\ngetparam 0\n" +
                                              "click 1 " + row(patches, 0) + "\nsettle\nscreenshot " + shot +
                                              "\ngetparam 0\n",
                                          "", home("Regular"));
    const std::vector<std::string> filterType = run.after("host 1 param 0 ");
    ASSERT_EQ(filterType.size(), 3u) << run.text();
    EXPECT_NE(filterType[1], "0.125") << "the plain patch is loaded\n" << run.text();
    EXPECT_EQ(filterType[2], "0.125") << "then the band-pass one";
}

TEST_F(EditorWindow, EveryClickOfBrowseOpensTheBrowserAndEveryClickOfEitherCloseShutsIt)
{
    REQUIRE_DISPLAY();
    // BROWSE, the panel's CLOSE, BROWSE, the CLOSE that stands in BROWSE's
    // place while the browser is open, BROWSE, the panel's CLOSE again.
    const std::pair<const Deliverable*, const char*> cases[] = {{&kDeliverables[1], "Regular"},
                                                                {&kDeliverables[0], "Small"}};
    for (const auto& [deliverable, size] : cases)
    {
        SCOPED_TRACE(std::string(deliverable->name) + " " + size);
        int browseX = 0, browseY = 0, closeX = 0, closeY = 0;
        LayoutItem browser;
        ASSERT_TRUE(centreOf(size, "BrowserOpen", browseX, browseY));
        ASSERT_TRUE(centreOf(size, "BrowserClose", closeX, closeY));
        ASSERT_TRUE(itemOf(size, "Browser", browser));
        auto click = [](int x, int y) { return "click 1 " + std::to_string(x) + " " + std::to_string(y) + "\n"; };
        auto shot = [](int i) { return screenshotPath("editor-browse-" + std::to_string(i) + ".png"); };
        const std::string browse = click(browseX, browseY);
        const std::string close = click(closeX, closeY);
        const std::string clicks[] = {browse, close, browse, browse, browse, close};
        std::string script = "settle\nscreenshot " + shot(0) + "\n";
        for (int i = 0; i < 6; ++i)
            script += clicks[i] + "settle\nscreenshot " + shot(i + 1) + "\n";
        const HostRun run = runEditorHostWith(plugin(*deliverable), script, "", home(size));
        auto browserLike = [&](int i, int reference) {
            return pixelsChanged(shot(i), shot(reference), browser.windowX, browser.windowY, browser.width,
                                 browser.height);
        };
        ASSERT_GT(browserLike(1, 0), 0) << "the first BROWSE opens it\n" << run.text();
        for (int i = 2; i <= 6; ++i)
            EXPECT_EQ(browserLike(i, i % 2 == 1 ? 1 : 0), 0)
                << "after click " << i << " the browser is " << (i % 2 == 1 ? "open" : "shut");
        // BROWSE is seen only while the browser is shut, and then unlit; the
        // CLOSE in its place waits unlit for its click.
        for (int i = 0; i <= 6; ++i)
            EXPECT_EQ(pixelAt(shot(i), browseX, browseY) >> 16, 0u) << "unlit after click " << i;
    }
}

TEST_F(EditorWindow, TheEffectsAndAboutButtonsAreLitWhileTheirPanelShows)
{
    REQUIRE_DISPLAY();
    int effectsX = 0, effectsY = 0, aboutX = 0, aboutY = 0;
    LayoutItem effects;
    LayoutItem about;
    ASSERT_TRUE(centreOf("Regular", "EffectsOpen", effectsX, effectsY));
    ASSERT_TRUE(centreOf("Regular", "SplashOpen", aboutX, aboutY));
    ASSERT_TRUE(itemOf("Regular", "EffectsPanel", effects));
    ASSERT_TRUE(itemOf("Regular", "SplashScreen", about));
    auto shot = [](int i) { return screenshotPath("editor-panel-button-" + std::to_string(i) + ".png"); };
    auto click = [](int x, int y) { return "click 1 " + std::to_string(x) + " " + std::to_string(y) + "\nsettle\n"; };
    // The configuration has the effects panel out at open.
    const HostRun run = runEditorHostWith(plugin(kDeliverables[1]),
                                          "settle\nscreenshot " + shot(0) + "\n" + click(effectsX, effectsY) +
                                              "screenshot " + shot(1) + "\n" + click(aboutX, aboutY) + "screenshot " +
                                              shot(2) + "\n" + click(aboutX, aboutY) + "screenshot " + shot(3) + "\n",
                                          "", home("Regular", "Keyboard", "{Effects Panel}{open}\n"));
    EXPECT_EQ(pixelAt(shot(0), effectsX, effectsY) >> 16, 4u) << "lit with the panel out\n" << run.text();
    EXPECT_GT(pixelsChanged(shot(0), shot(1), effects.windowX, effects.windowY, effects.width, effects.height), 0)
        << "the first click puts the panel away";
    EXPECT_EQ(pixelAt(shot(1), effectsX, effectsY) >> 16, 0u);
    EXPECT_EQ(pixelAt(shot(2), aboutX, aboutY) >> 16, 4u) << "the about box is open";
    EXPECT_EQ(pixelAt(shot(3), aboutX, aboutY) >> 16, 4u) << "a click while it is open keeps it lit";
    EXPECT_EQ(pixelsChanged(shot(2), shot(3), about.windowX, about.windowY, about.width, about.height), 0)
        << "and open";
}

TEST_F(EditorWindow, TheSaveDialogWritesAnFxp)
{
    REQUIRE_DISPLAY();
    fs::create_directories(root / "home/.local/share/Vorlix/Zentrova2/Patches/Instrument/Bank");
    // The name field has the keyboard; the first type is the VST patch.
    const HostRun run = runEditorHostWith(plugin(kDeliverables[1]),
                                          "settle\n" + clickSave() +
                                              "settle\ndialogs\ntype Saved\nsettle\nkey Return\nsettle\ndialogs\n",
                                          "", home("Regular"));
    const std::vector<std::string> dialogs = run.after("host 1 dialog ");
    ASSERT_EQ(dialogs.size(), 2u) << run.text();
    EXPECT_NE(dialogs[0].find("Save Patch File"), std::string::npos);
    EXPECT_EQ(dialogs[1], "none");
    int written = 0;
    for (const auto& entry : fs::recursive_directory_iterator(root))
        if (entry.path().filename() == "Saved.fxp")
        {
            char magic[5] = {};
            std::ifstream(entry.path(), std::ios::binary).read(magic, 4);
            EXPECT_STREQ(magic, "CcnK");
            ++written;
        }
    EXPECT_EQ(written, 1) << run.text();
}

TEST_F(EditorWindow, ASaveThatCannotBeWrittenShowsAnAlert)
{
    REQUIRE_DISPLAY();
    // The library keeps presets alone, and a folder stands where the bare
    // name's preset should go: the replace fails, for the superuser too.
    const fs::path folder = root / "home/.local/share/Vorlix/Zentrova2/Patches/Instrument";
    fs::create_directories(folder / "Bank");
    fs::create_directories(folder / "Saved.aupreset");
    const HostRun run = runEditorHostWith(plugin(kDeliverables[1]),
                                          "settle\n" + clickSave() +
                                              "settle\ntype Saved\nsettle\nkey Return\nsettle\ndialogs\n"
                                              "key Return\nsettle\ndialogs\n",
                                          "", home("Regular", "Keyboard", "{Patch Format}{AU}\n"));
    const std::vector<std::string> dialogs = run.after("host 1 dialog ");
    ASSERT_EQ(dialogs.size(), 2u) << run.text();
    EXPECT_NE(dialogs[0].find("Zentrova2"), std::string::npos) << "the alert, not the save dialog: " << run.text();
    EXPECT_EQ(dialogs[1], "none") << "the alert answered";
    for (const auto& entry : fs::recursive_directory_iterator(root))
        EXPECT_FALSE(entry.is_regular_file() && entry.path().filename().string().rfind("Saved", 0) == 0)
            << entry.path();
}

// The pointer rests away from the dialog, so that keys reach only the window
// holding the focus; at the end an Escape with the pointer over the dialog
// ends a dialog that lost the keys, which would hold the host forever.
const std::string kEscapeOverTheDialog = "move 512 193\nkey Escape\nsettle\n";

TEST_F(EditorWindow, TheSaveDialogKeepsTheKeysAfterARefusedName)
{
    REQUIRE_DISPLAY();
    const HostRun run = runEditorHostWith(plugin(kDeliverables[1]),
                                          "settle\n" + clickSave() +
                                              "move 5 5\nsettle\ntype ..\nkey Return\nsettle\nfocus\n"
                                              "key Escape\nsettle\ndialogs\n" + kEscapeOverTheDialog,
                                          "", home("Regular"));
    EXPECT_EQ(run.after("host 1 focus "), std::vector<std::string>{"other"}) << run.text();
    EXPECT_EQ(run.after("host 1 dialog "), std::vector<std::string>{"none"}) << run.text();
}

TEST_F(EditorWindow, TheSaveDialogKeepsTheKeysAfterTheReplaceAlert)
{
    REQUIRE_DISPLAY();
    fs::create_directories(root / "home/.local/share/Vorlix/Zentrova2/Patches/Instrument/Bank");
    const std::string openSave = clickSave() + "move 5 5\nsettle\n";
    // The second save of the same name asks; Escape answers Cancel.
    const HostRun run = runEditorHostWith(plugin(kDeliverables[1]),
                                          "settle\n" + openSave + "type Saved\nkey Return\nsettle\n" + openSave +
                                              "type Saved\nkey Return\nsettle\ndialogs\nkey Escape\nsettle\n"
                                              "focus\nkey Escape\nsettle\ndialogs\n" + kEscapeOverTheDialog,
                                          "", home("Regular"));
    const std::vector<std::string> dialogs = run.after("host 1 dialog ");
    ASSERT_EQ(dialogs.size(), 3u) << run.text();
    EXPECT_EQ(dialogs[2], "none") << run.text();
    EXPECT_EQ(run.after("host 1 focus "), std::vector<std::string>{"other"}) << run.text();
}

TEST_F(EditorWindow, DestroyingTheWindowUnderTheSaveDialogThenClosingLeavesNothingBehind)
{
    REQUIRE_DISPLAY();
    const HostRun run = runEditorHostWith(plugin(kDeliverables[1]),
                                          "settle\n" + clickSave() +
                                              "settle\ndialogs\ndestroy\nsettle\nclose\n",
                                          "", home("Regular"));
    const std::vector<std::string> dialogs = run.after("host 1 dialog ");
    ASSERT_EQ(dialogs.size(), 1u) << run.text();
    EXPECT_NE(dialogs[0].find("Save Patch File"), std::string::npos);
    EXPECT_TRUE(run.has("host 1 close")) << run.text();
    // Under the sanitizers a lost graphics context is a leak report.
    EXPECT_TRUE(std::none_of(run.lines.begin(), run.lines.end(), [](const std::string& line) {
        return line.find("Sanitizer") != std::string::npos || line.find("X error") != std::string::npos;
    })) << run.text();
    EXPECT_EQ(run.status, 0) << run.text();
}

TEST_F(EditorWindow, AnInstanceOutlivesTheXServerOfItsOpenEditor)
{
    OwnXServer server;
    if (server.name().empty())
        GTEST_SKIP() << "no Xvfb to start";
    const HostRun run = runEditorHostWith(
        plugin(kDeliverables[1]), "settle\nmark kill\nwaitlost 20000\nmidi 0x90 60 100\nprocess 8\nclose\n", "",
        home("Regular") + " DISPLAY=" + server.name(), [&](const std::string& line) {
            if (line == "mark kill")
                server.kill();
        });
    const int killed = run.find("mark kill");
    ASSERT_GE(killed, 0) << run.text();
    EXPECT_TRUE(run.has("host 1 open 1")) << run.text();
    EXPECT_GT(run.find("host display lost"), killed) << run.text();
    const std::vector<std::string> peaks = run.after("host 1 peak ");
    ASSERT_EQ(peaks.size(), 2u) << run.text();
    EXPECT_GT(std::stof(peaks[1]), 0.0f) << "the instance still plays";
    EXPECT_GT(run.find("host 1 close"), killed) << run.text();
    EXPECT_TRUE(run.has("host done")) << run.text();
    EXPECT_EQ(run.status, 0) << run.text();
}

TEST_F(EditorWindow, AWaveMenuEntryIsChosenByTwoClicks)
{
    REQUIRE_DISPLAY();
    // Two stored waves whose first harmonics differ; the menu lists
    // "--Unnamed--", then the waves by name.
    const fs::path content = root / "home/.local/share/Vorlix/Zentrova2/Content";
    fs::create_directories(content);
    std::ofstream waves(content / "Zentrova2.hrm");
    waves << "{Alpha}{51 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0}\n"
             "{Beta}{204 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0}\n";
    waves.close();
    // The menu pulls down under its view, 20 pixels an entry below a
    // 5-pixel edge: "Beta" is the third.
    LayoutItem menu;
    ASSERT_TRUE(itemOf("Regular", "HarmonicWaveSelect0", menu));
    const std::string open =
        std::to_string(menu.windowX + menu.width / 2) + " " + std::to_string(menu.windowY + menu.height / 2);
    const std::string beta =
        std::to_string(menu.windowX + menu.width / 2) + " " + std::to_string(menu.windowY + menu.height + 5 + 50);
    const HostRun run = runEditorHostWith(plugin(kDeliverables[1]),
                                          "settle\ngetparam 107\nclick 1 " + open + "\nsettle\nclick 1 " + beta +
                                              "\nsettle\npopups\ngetparam 107\n",
                                          "", home("Regular"));
    EXPECT_TRUE(run.has("host 1 popup none")) << run.text();
    const std::vector<std::string> level = run.after("host 1 param 107 ");
    ASSERT_EQ(level.size(), 2u) << run.text();
    EXPECT_NE(std::stof(level[0]), 0.8f);
    EXPECT_FLOAT_EQ(std::stof(level[1]), 0.8f) << "the first harmonic of the first wave is Beta's";
}

TEST_F(EditorWindow, HoldingAListsDownButtonScrollsIt)
{
    REQUIRE_DISPLAY();
    // More patches than the list shows.
    const fs::path bank = root / "home/.local/share/Vorlix/Zentrova2/Patches/Instrument/Bank";
    fs::create_directories(bank);
    for (int i = 0; i < 30; ++i)
    {
        const std::string name = "P" + std::to_string(10 + i);
        ChunkBuffer chunk;
        ASSERT_EQ(chunk.assignCompressed("<zentrova version=\"609\">\n<patch name=\"" + name + "\" />\n</zentrova>\n"), 0);
        ASSERT_EQ(PatchFileHandler::writeFxp((bank / (name + ".fxp")).string(), name, chunk, false), 0);
    }
    int openX = 0;
    int openY = 0;
    ASSERT_TRUE(centreOf("Regular", "BrowserOpen", openX, openY));
    LayoutItem banks;
    LayoutItem patches;
    ASSERT_TRUE(itemOf("Regular", "BankList", banks));
    ASSERT_TRUE(itemOf("Regular", "PatchList", patches));
    const std::string before = screenshotPath("editor-list-before.png");
    const std::string after = screenshotPath("editor-list-after.png");
    const HostRun run = runEditorHostWith(
        plugin(kDeliverables[1]),
        "settle\nclick 1 " + std::to_string(openX) + " " + std::to_string(openY) + "\nsettle\nclick 1 " +
            std::to_string(banks.windowX + banks.width / 3) + " " + std::to_string(banks.windowY + 2 * 14 + 7) +
            "\nsettle\nscreenshot " + before + "\nmove " + std::to_string(patches.windowX + patches.width - 6) +
            " " + std::to_string(patches.windowY + patches.height - 6) + "\npress 1\nwait 1500\nrelease 1\nsettle\n" +
            "screenshot " + after + "\n",
        "", home("Regular"));
    // The rows, left of the buttons.
    EXPECT_GT(pixelsChanged(before, after, patches.windowX, patches.windowY, patches.width - 12, patches.height), 0)
        << run.text();
}

namespace
{
template <typename Counted> int countPixels(const std::string& png, const LayoutItem& item, Counted counted)
{
    cairo_surface_t* screen = cairo_image_surface_create_from_png(png.c_str());
    int count = -1;
    if (cairo_surface_status(screen) == CAIRO_STATUS_SUCCESS &&
        item.windowX + item.width <= cairo_image_surface_get_width(screen) &&
        item.windowY + item.height <= cairo_image_surface_get_height(screen))
    {
        cairo_surface_flush(screen);
        auto at = [&](int x, int y) {
            return reinterpret_cast<const std::uint32_t*>(cairo_image_surface_get_data(screen) +
                                                          y * cairo_image_surface_get_stride(screen))[x] &
                   0xFFFFFFu;
        };
        count = 0;
        for (int y = item.windowY; y < item.windowY + item.height; ++y)
            for (int x = item.windowX; x < item.windowX + item.width; ++x)
                count += counted(at(x, y), at(item.windowX, item.windowY)) ? 1 : 0;
    }
    cairo_surface_destroy(screen);
    return count;
}

// Pixels of a rectangle unlike its top-left corner: text drawn on a plain
// image.
int pixelsUnlikeCorner(const std::string& png, const LayoutItem& item)
{
    return countPixels(png, item, [](std::uint32_t pixel, std::uint32_t corner) { return pixel != corner; });
}

// The panel's warm text, its green near its red and its blue well below:
// none of the plain images has that colour.
bool isPanelText(std::uint32_t pixel)
{
    const int red = (pixel >> 16) & 0xFF;
    const int green = (pixel >> 8) & 0xFF;
    return red > 0x50 && red >= green && green * 4 > red * 3 && static_cast<int>(pixel & 0xFF) + 0x20 < red;
}

int warmPixels(const std::string& png, const LayoutItem& item)
{
    return countPixels(png, item, [](std::uint32_t pixel, std::uint32_t) { return isPanelText(pixel); });
}

// Patches that differ only in their names, as fxp files in folder.
void writeNamedPatches(const fs::path& folder, std::initializer_list<const char*> names, bool effect = false)
{
    fs::create_directories(folder);
    for (const char* name : names)
    {
        ChunkBuffer chunk;
        ASSERT_EQ(chunk.assignCompressed(std::string("<zentrova version=\"609\">\n<patch name=\"") + name +
                                         "\" />\n</zentrova>\n"),
                  0);
        ASSERT_EQ(PatchFileHandler::writeFxp((folder / (std::string(name) + ".fxp")).string(), name, chunk, effect),
                  0);
    }
}

// The entry of a pop-up menu ("X Y W H" in the window) whose tick is drawn:
// entries are 20 high below a 5-pixel edge, the tick in their first 20
// pixels. -1 when none is ticked.
int tickedEntry(const std::string& png, const std::string& popup)
{
    int x = 0, y = 0, width = 0, height = 0;
    if (std::sscanf(popup.c_str(), "%d %d %d %d", &x, &y, &width, &height) != 4)
        return -2;
    int ticked = -1;
    for (int entry = 0; 5 + 20 * (entry + 1) <= height; ++entry)
    {
        LayoutItem tick;
        tick.windowX = x + 4;
        tick.windowY = y + 5 + 20 * entry;
        tick.width = 14;
        tick.height = 20;
        if (pixelsUnlikeCorner(png, tick) > 4)
            ticked = ticked == -1 ? entry : -3;
    }
    return ticked;
}
} // namespace

TEST_F(EditorWindow, TheProgramDisplayNamesThePlayingPatchAndItsMenuTicksIt)
{
    REQUIRE_DISPLAY();
    for (const Deliverable& deliverable : kDeliverables)
        for (const Window& window : kWindows)
        {
            SCOPED_TRACE(std::string(deliverable.name) + " " + window.configuration);
            const std::string size = window.configuration;
            LayoutItem selector;
            int previousX = 0, previousY = 0, nextX = 0, nextY = 0;
            ASSERT_TRUE(itemOf(size, "PatchSelector", selector));
            ASSERT_TRUE(centreOf(size, "PatchInc", previousX, previousY));
            ASSERT_TRUE(centreOf(size, "PatchDec", nextX, nextY));
            const std::string menu = std::to_string(selector.windowX + selector.width / 2) + " " +
                                     std::to_string(selector.windowY + selector.height / 2);
            auto shot = [&](const char* name) { return screenshotPath(std::string("editor-program-") + name + ".png"); };

            // No library: the default patch is named, and a click opens nothing.
            fs::remove_all(root / "home/.local/share/Vorlix");
            const HostRun alone = runEditorHostWith(plugin(deliverable),
                                                    "settle\nscreenshot " + shot("alone") + "\nclick 1 " + menu +
                                                        "\nsettle\npopups\n",
                                                    "", home(size));
            EXPECT_TRUE(alone.has("host 1 popup none")) << alone.text();

            // A bank of two patches that differ only in their names, the
            // second named as the default patch.
            const bool effect = std::string(deliverable.name) == "Zentrova2FX";
            const fs::path bank = root / "home/.local/share/Vorlix/Zentrova2/Patches" /
                                  (effect ? "Effect" : "Instrument") / "Bank";
            writeNamedPatches(bank, {"Alpha", "Default"}, effect);
            auto click = [](int x, int y) { return "click 1 " + std::to_string(x) + " " + std::to_string(y) + "\n"; };
            const HostRun run = runEditorHostWith(
                plugin(deliverable),
                "settle\nscreenshot " + shot("first") + "\nprogram 1\nsettle\nscreenshot " + shot("second") + "\n" +
                    click(nextX, nextY) + "settle\nscreenshot " + shot("next") + "\n" + click(previousX, previousY) +
                    "settle\nscreenshot " + shot("previous") + "\nclick 1 " + menu + "\nsettle\npopups\nscreenshot " +
                    shot("menu") + "\nkey Escape\nsettle\n",
                "", home(size));
            ASSERT_TRUE(run.has("host 1 program 1 Default")) << run.text();

            EXPECT_GT(warmPixels(shot("first"), selector), 20) << "a name is shown at open\n" << run.text();
            EXPECT_GT(warmPixels(shot("alone"), selector), 20) << "and without a library\n" << alone.text();
            EXPECT_GT(pixelsChanged(shot("first"), shot("second"), selector.windowX, selector.windowY, selector.width,
                                    selector.height),
                      0)
                << "the host's program change is shown";
            EXPECT_EQ(pixelsChanged(shot("second"), shot("alone"), selector.windowX, selector.windowY, selector.width,
                                    selector.height),
                      0)
                << "without a library the default patch is named";
            EXPECT_EQ(pixelsChanged(shot("first"), shot("next"), selector.windowX, selector.windowY, selector.width,
                                    selector.height),
                      0)
                << "the next patch, past the last, is the first";
            EXPECT_EQ(pixelsChanged(shot("second"), shot("previous"), selector.windowX, selector.windowY,
                                    selector.width, selector.height),
                      0)
                << "the previous patch, before the first, is the last";
            const std::vector<std::string> popups = run.after("host 1 popup ");
            ASSERT_FALSE(popups.empty()) << run.text();
            EXPECT_EQ(tickedEntry(shot("menu"), popups.front()), 1) << "the pop-up ticks the shown patch";
        }
}

TEST_F(EditorWindow, TheSaveDialogWritesTheTypedFormatInALibraryFolderAndABareNameTheFolders)
{
    REQUIRE_DISPLAY();
    // The library keeps two formats; the dialog starts in the current bank's
    // folder.
    const fs::path bank = root / "home/.local/share/Vorlix/Zentrova2/Patches/Instrument/Bank";
    writeNamedPatches(bank, {"Alpha"});
    const std::string save = clickSave() + "settle\n";
    const HostRun run = runEditorHostWith(plugin(kDeliverables[1]),
                                          "settle\n" + save + "type X.aupreset\nsettle\nkey Return\nsettle\n" +
                                              save + "type Y\nsettle\nkey Return\nsettle\ndialogs\n",
                                          "", home("Regular", "Keyboard", "{Patch Format}{AU+VST}\n"));
    EXPECT_TRUE(run.has("host 1 dialog none")) << run.text();
    // The current bank is the library's top, its folder the patch folder.
    const fs::path folder = bank.parent_path();
    EXPECT_TRUE(fs::exists(folder / "X.aupreset")) << run.text();
    EXPECT_FALSE(fs::exists(folder / "X.fxp")) << "the typed format alone";
    EXPECT_TRUE(fs::exists(folder / "Y.fxp"));
    EXPECT_TRUE(fs::exists(folder / "Y.aupreset")) << "a bare name takes the library's formats";
}

TEST_F(EditorWindow, TheBrowsersCurrentRowsAreDrawnInLegibleLetters)
{
    REQUIRE_DISPLAY();
    const fs::path bank = root / "home/.local/share/Vorlix/Zentrova2/Patches/Instrument/Bank";
    writeNamedPatches(bank, {"Alpha", "Bravo", "Charlie"});
    for (const Window& window : kWindows)
    {
        SCOPED_TRACE(window.configuration);
        int openX = 0;
        int openY = 0;
        ASSERT_TRUE(centreOf(window.configuration, "BrowserOpen", openX, openY));
        const std::string shot = screenshotPath(std::string("editor-browser-") + window.configuration + ".png");
        const HostRun run = runEditorHostWith(plugin(kDeliverables[1]),
                                              "settle\nclick 1 " + std::to_string(openX) + " " +
                                                  std::to_string(openY) + "\nsettle\nscreenshot " + shot + "\n",
                                              "", home(window.configuration));
        cairo_surface_t* screen = cairo_image_surface_create_from_png(shot.c_str());
        ASSERT_EQ(cairo_surface_status(screen), CAIRO_STATUS_SUCCESS) << run.text();
        cairo_surface_flush(screen);
        auto pixel = [&](int x, int y) {
            return reinterpret_cast<const std::uint32_t*>(cairo_image_surface_get_data(screen) +
                                                          y * cairo_image_surface_get_stride(screen))[x];
        };
        for (const char* name : {"BankList", "PatchList", "ProgramList"})
        {
            SCOPED_TRACE(name);
            LayoutItem list;
            ASSERT_TRUE(itemOf(window.configuration, name, list));
            // The current row is the first with text in the bright colour;
            // its text runs over the pixel lines around with any text.
            auto lineHas = [&](int y, int brighterThan) {
                for (int x = list.windowX; x < list.windowX + list.width - 16; ++x)
                    if (isPanelText(pixel(x, y)) && static_cast<int>((pixel(x, y) >> 16) & 0xFF) > brighterThan)
                        return true;
                return false;
            };
            const int bottom = list.windowY + list.height;
            int first = list.windowY;
            while (first < bottom && !lineHas(first, 0xF0))
                ++first;
            ASSERT_LT(first, bottom) << "a current row";
            int last = first;
            while (first > list.windowY && lineHas(first - 1, 0))
                --first;
            while (last + 1 < bottom && lineHas(last + 1, 0))
                ++last;
            EXPECT_GE(last - first + 1, 6) << "its text as tall as letters";
        }
        cairo_surface_destroy(screen);
    }
}

TEST_F(EditorWindow, AClickInAPatchListScrolledToItsEndLoadsThatRowAndTheListStaysWhereItWas)
{
    REQUIRE_DISPLAY();
    // 5000 patches P0000... whose gate times tell them apart: 1 + the
    // number's last two digits. A patch is named after its file: copies of
    // a hundred written ones spare 5000 flushes to the disk.
    constexpr int kPatches = 5000;
    constexpr int kRow = 14;
    const fs::path bank = root / "home/.local/share/Vorlix/Zentrova2/Patches/Instrument/Bank";
    const fs::path gates = root / "gates";
    fs::create_directories(bank);
    fs::create_directories(gates);
    for (int gate = 1; gate <= 100; ++gate)
    {
        const std::string name = "Gate " + std::to_string(gate);
        ChunkBuffer chunk;
        ASSERT_EQ(chunk.assignCompressed("<zentrova version=\"609\">\n<patch name=\"" + name +
                                         "\">\n<parameter name=\"GateTime\" value=\"" + std::to_string(gate) +
                                         "\" />\n</patch>\n</zentrova>\n"),
                  0);
        ASSERT_EQ(PatchFileHandler::writeFxp((gates / (name + ".fxp")).string(), name, chunk, false), 0);
    }
    for (int i = 0; i < kPatches; ++i)
    {
        char name[16];
        std::snprintf(name, sizeof name, "P%04d.fxp", i);
        fs::copy_file(gates / ("Gate " + std::to_string(1 + i % 100) + ".fxp"), bank / name);
    }
    int openX = 0;
    int openY = 0;
    ASSERT_TRUE(centreOf("Regular", "BrowserOpen", openX, openY));
    LayoutItem banks;
    LayoutItem patches;
    ASSERT_TRUE(itemOf("Regular", "BankList", banks));
    ASSERT_TRUE(itemOf("Regular", "PatchList", patches));
    // Scrolled to the end, the last row touches the list's bottom; the row
    // clicked lies half way up.
    const int scrolled = kPatches * kRow - patches.height;
    const int clicked = kPatches - patches.height / kRow / 2;
    auto band = [&](int row) {
        LayoutItem item = patches;
        item.windowY = patches.windowY + row * kRow - scrolled;
        item.height = kRow;
        item.width -= 16;
        return item;
    };
    auto clickRow = [&](int row) {
        const LayoutItem item = band(row);
        return "click 1 " + std::to_string(item.windowX + item.width / 3) + " " +
               std::to_string(item.windowY + kRow / 2) + "\nsettle\ngetparam 19\n";
    };
    auto shot = [](const char* name) { return screenshotPath(std::string("editor-long-list-") + name + ".png"); };
    const HostRun run = runEditorHostWith(
        plugin(kDeliverables[1]),
        "settle\nclick 1 " + std::to_string(openX) + " " + std::to_string(openY) + "\nsettle\nclick 1 " +
            std::to_string(banks.windowX + banks.width / 3) + " " + std::to_string(banks.windowY + 2 * kRow + 7) +
            "\nsettle\nmove " + std::to_string(patches.windowX + patches.width / 3) + " " +
            std::to_string(patches.windowY + patches.height / 2) + "\nrepeat 30\nclick 5\nend\nsettle\nscreenshot " +
            shot("end") + "\n" + clickRow(clicked) + "screenshot " + shot("loaded") + "\n" + clickRow(clicked + 1) +
            "screenshot " + shot("next") + "\n",
        "", home("Regular"));
    const std::vector<std::string> gate = run.after("host 1 param 19 ");
    ASSERT_EQ(gate.size(), 2u) << run.text();
    EXPECT_NEAR(std::stod(gate[0]), (clicked % 100) / 99.0, 1e-4) << "the row clicked is loaded\n" << run.text();
    EXPECT_NEAR(std::stod(gate[1]), ((clicked + 1) % 100) / 99.0, 1e-4) << "and then the row below it";

    // The selected row's text is the brightest.
    const auto selectedText = [](std::uint32_t pixel, std::uint32_t) {
        return isPanelText(pixel) && ((pixel >> 16) & 0xFF) > 0xF0;
    };
    auto brightRow = [&](const std::string& png, int row) { return countPixels(png, band(row), selectedText) > 0; };
    // The rows above the two clicked and below them, the scroll bar with them.
    auto unmoved = [&](const std::string& png) {
        const int top = band(clicked).windowY;
        const int bottom = top + 2 * kRow;
        return pixelsChanged(shot("end"), png, patches.windowX, patches.windowY, patches.width,
                             top - patches.windowY) == 0 &&
               pixelsChanged(shot("end"), png, patches.windowX, bottom, patches.width,
                             patches.windowY + patches.height - bottom) == 0;
    };
    EXPECT_GT(pixelsUnlikeCorner(shot("end"), band(kPatches - 1)), 0) << "scrolled to the last row";
    EXPECT_FALSE(brightRow(shot("end"), clicked));
    EXPECT_TRUE(unmoved(shot("loaded"))) << "the list kept its place after the load";
    EXPECT_TRUE(brightRow(shot("loaded"), clicked)) << "and shows the loaded patch selected";
    EXPECT_TRUE(unmoved(shot("next"))) << "and after the next";
    EXPECT_TRUE(brightRow(shot("next"), clicked + 1));
    EXPECT_FALSE(brightRow(shot("next"), clicked));
}

TEST_F(EditorWindow, TheMonitorNamesTheKnobUnderThePointerAsItEntersAndMoves)
{
    REQUIRE_DISPLAY();
    LayoutItem monitor;
    int freqX = 0, freqY = 0, resoX = 0, resoY = 0;
    ASSERT_TRUE(itemOf("Regular", "ParamMonitor", monitor));
    ASSERT_TRUE(centreOf("Regular", "FilterFreq", freqX, freqY));
    ASSERT_TRUE(centreOf("Regular", "FilterQ", resoX, resoY));
    const std::string rest = screenshotPath("editor-hover-rest.png");
    const std::string freq = screenshotPath("editor-hover-freq.png");
    const std::string reso = screenshotPath("editor-hover-reso.png");
    // The pointer starts outside the window: it comes in, then moves on.
    // The monitor fades in over 300 ms from the move's handling on.
    const HostRun run = runEditorHostWith(plugin(kDeliverables[1]),
                                          "settle\nscreenshot " + rest + "\nmove " + std::to_string(freqX) + " " +
                                              std::to_string(freqY) + "\nsettle\nwait 400\nsettle\nscreenshot " +
                                              freq + "\nmove " + std::to_string(resoX) + " " + std::to_string(resoY) +
                                              "\nsettle\nscreenshot " + reso + "\n",
                                          "", home("Regular"));
    ASSERT_EQ(run.status, 0) << run.text();
    auto changed = [&](const std::string& a, const std::string& b) {
        return pixelsChanged(a, b, monitor.windowX, monitor.windowY, monitor.width, monitor.height);
    };
    EXPECT_GT(changed(rest, freq), 20) << "the monitor shows the hovered knob\n" << run.text();
    EXPECT_GT(changed(freq, reso), 20) << "and follows the pointer to the next";
}

TEST_F(EditorWindow, APluginLoadedThroughASymbolicLinkDrawsThePanelOfTheBundleItLeadsTo)
{
    REQUIRE_DISPLAY();
    // How plug-ins are often put on a host's path: a link to the built
    // bundle's library, whose own images make the panel.
    const fs::path link = root / "home/.vst/Zentrova2.so";
    fs::create_directories(link.parent_path());
    fs::create_symlink(ZENTROVA_INSTRUMENT_PLUGIN_PATH, link);
    const std::string direct = screenshotPath("editor-in-its-bundle.png");
    const std::string linked = screenshotPath("editor-through-link.png");
    fs::remove(direct);
    fs::remove(linked);
    const HostRun first =
        runEditorHostWith(ZENTROVA_INSTRUMENT_PLUGIN_PATH, "settle\nscreenshot " + direct + "\n", "", home("Small"));
    const HostRun second = runEditorHostWith(link.string(), "settle\nscreenshot " + linked + "\n", "", home("Small"));
    ASSERT_EQ(first.status, 0) << first.text();
    ASSERT_EQ(second.status, 0) << second.text();
    EXPECT_EQ(pixelsChanged(direct, linked, 0, 0, 836, 490), 0);
}

TEST_F(EditorWindow, ALibraryCopiedOutOfItsBundleSaysWhereItLookedForItsImagesAndShowsAPlainMessage)
{
    REQUIRE_DISPLAY();
    const fs::path copy = root / "home/.vst/Zentrova2.so";
    fs::create_directories(copy.parent_path());
    fs::copy_file(ZENTROVA_INSTRUMENT_PLUGIN_PATH, copy);
    const std::string shot = screenshotPath("editor-out-of-its-bundle.png");
    fs::remove(shot);
    const fs::path script = root / "script.txt";
    const fs::path errors = root / "errors.txt";
    std::ofstream(script) << "settle\nscreenshot " << shot << "\n";
    // Standard error alone, as a host's log has it, of two instances.
    const int status = std::system(("env " + home("Small") + " " ZENTROVA_EDITOR_HOST_PATH " " + copy.string() +
                                    " --editors 2 --script " + script.string() + " >/dev/null 2>" + errors.string())
                                       .c_str());
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);

    // The library's path cut three times: .vst, home, the test's folder.
    const std::string folder = (fs::canonical(root) / "Contents/Resources").string();
    std::ifstream log(errors);
    int said = 0;
    for (std::string line; std::getline(log, line);)
        said += line.find(folder) != std::string::npos ? 1 : 0;
    EXPECT_EQ(said, 1) << "one line naming " << folder;

    LayoutItem window;
    window.width = 836;
    window.height = 490;
    const int text = pixelsUnlikeCorner(shot, window);
    EXPECT_NE(pixelAt(shot, 0, 0), 0u) << "not a black panel";
    EXPECT_GT(text, 500) << "a message";
    EXPECT_LT(text, window.width * window.height / 20) << "on a plain ground";
}
