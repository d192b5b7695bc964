// Screenshots of the instrument's editor with the built bundle's own
// images, in each window size: the patch browser open and closed and each
// edit mode, chosen by clicking the panel's own buttons and turning its
// edit-mode knob. They land in the tests' build folder for people to see.

#include "tests/toolkit/x11/EditorHostRun.h"

#include "tests/resources/ArtworkTestSupport.h"

#include <cairo.h>

#include <filesystem>
#include <fstream>
#include <string>

namespace fs = std::filesystem;

namespace
{
struct Shot
{
    cairo_surface_t* surface;

    explicit Shot(const std::string& file) : surface(cairo_image_surface_create_from_png(file.c_str())) {}
    ~Shot() { cairo_surface_destroy(surface); }
    Shot(const Shot&) = delete;
    Shot& operator=(const Shot&) = delete;

    bool loaded() const { return cairo_surface_status(surface) == CAIRO_STATUS_SUCCESS; }
    int width() const { return cairo_image_surface_get_width(surface); }
    int height() const { return cairo_image_surface_get_height(surface); }
    std::uint32_t pixel(int x, int y) const
    {
        cairo_surface_flush(surface);
        return reinterpret_cast<const std::uint32_t*>(cairo_image_surface_get_data(surface) +
                                                      y * cairo_image_surface_get_stride(surface))[x] &
               0xFFFFFFu;
    }
};

// The pixels of item's rectangle that differ between two shots.
int differences(const Shot& a, const Shot& b, const LayoutItem& item)
{
    int count = 0;
    for (int y = item.windowY; y < item.windowY + item.height && y < a.height() && y < b.height(); ++y)
        for (int x = item.windowX; x < item.windowX + item.width && x < a.width() && x < b.width(); ++x)
            count += a.pixel(x, y) != b.pixel(x, y) ? 1 : 0;
    return count;
}

std::string centre(const LayoutItem& item)
{
    return std::to_string(item.windowX + item.width / 2) + " " + std::to_string(item.windowY + item.height / 2);
}

class PanelScreenshots : public testing::TestWithParam<const char*>
{
protected:
    void SetUp() override
    {
        for (const char* folder : {".config", ".local/share", "share", "etc"})
            fs::create_directories(root / folder);
        std::ofstream(root / ".config/com.vorlixworks.Zentrova2.sup")
            << "Zentrova Configuration File\n{Layout}{" << GetParam() << "}\n{Edit Mode}{Keyboard}\n";
    }
    void TearDown() override
    {
        std::error_code ignored;
        fs::remove_all(root, ignored);
    }

    std::string environment() const
    {
        const std::string h = root.string();
        return "HOME=" + h + " XDG_CONFIG_HOME=" + h + "/.config XDG_DATA_HOME=" + h +
               "/.local/share XDG_DATA_DIRS=" + h + "/share XDG_CONFIG_DIRS=" + h + "/etc";
    }
    std::string shot(const std::string& state) const
    {
        return screenshotPath(std::string("panel-") + GetParam() + "-" + state + ".png");
    }

    fs::path root = fs::path(testing::TempDir()) / ("panel-shots-" + std::to_string(getpid()));
};
} // namespace

TEST_P(PanelScreenshots, ShowTheBrowserAndEachEditModeWithTheBundlesImages)
{
    REQUIRE_DISPLAY();
    ExpandedLayout expanded(GetParam());
    ASSERT_TRUE(expanded.model);
    const LayoutModel& model = *expanded.model;
    const LayoutItem* browserOpen = model.find("BrowserOpen");
    const LayoutItem* browserClose = model.find("BrowserClose");
    const LayoutItem* browser = model.find("Browser");
    const LayoutItem* editMode = model.find("GuiMode");
    const LayoutItem* wheels = model.find("BendAndMod");
    ASSERT_TRUE(browserOpen && browserClose && browser && editMode && wheels);

    // The edit-mode knob steps once per wheel notch: keyboard, the two
    // user waves, controller set-up.
    const char* modes[] = {"keyboard", "wave1", "wave2", "midi"};
    // No shot of an earlier run may stand in for a missing one.
    for (const std::string state : {"keyboard", "wave1", "wave2", "midi", "browser", "browser-closed"})
        fs::remove(shot(state));
    std::string script = "settle\nscreenshot " + shot(modes[0]) + "\nclick 1 " + centre(*browserOpen) +
                         "\nsettle\nscreenshot " + shot("browser") + "\nclick 1 " + centre(*browserClose) +
                         "\nsettle\nscreenshot " + shot("browser-closed") + "\nmove " + centre(*editMode) + "\n";
    for (int mode = 1; mode < 4; ++mode)
        script += "click 4\nsettle\nscreenshot " + shot(modes[mode]) + "\n";
    const HostRun run = runEditorHostWith(ZENTROVA_INSTRUMENT_PLUGIN_PATH, script, "", environment());
    ASSERT_EQ(run.status, 0) << run.text();

    const Shot closed(shot(modes[0]));
    const Shot open(shot("browser"));
    const Shot reclosed(shot("browser-closed"));
    ASSERT_TRUE(closed.loaded() && open.loaded() && reclosed.loaded());
    EXPECT_EQ(closed.width(), model.configuration().width);
    EXPECT_EQ(closed.height(), model.configuration().height);
    EXPECT_GT(differences(closed, open, *browser), browser->width * browser->height / 4) << "the browser opened";
    EXPECT_LT(differences(closed, reclosed, *browser), browser->width * browser->height / 50) << "and closed again";
    for (int mode = 1; mode < 4; ++mode)
    {
        const Shot before(shot(modes[mode - 1]));
        const Shot after(shot(modes[mode]));
        ASSERT_TRUE(after.loaded());
        EXPECT_GT(differences(before, after, *editMode), 0) << modes[mode] << ": the knob turned";
        if (mode != 2)
        {
            EXPECT_GT(differences(before, after, *wheels), wheels->width * wheels->height / 10)
                << modes[mode] << ": the panel left of the keyboard changed";
        }
    }
}

INSTANTIATE_TEST_SUITE_P(EveryWindowSize, PanelScreenshots, testing::Values("Small", "Regular", "Large"));
