// The instrument's editor drawn offscreen from the carried layout and the
// bundle's own images: moving one parameter from 0 to 1 changes the
// picture inside that parameter's control and nowhere else but the patch
// and parameter display.

#include "tests/resources/ArtworkTestSupport.h"

#include "Source/Flavour.h"
#include "Source/Zentrova.h"
#include "Source/entry/PluginEntry.h"
#include "editor/ZentrovaEditor.h"
#include "editor/widgets/WidgetFactory.h"
#include "tests/support/FakePlatform.h"
#include "tests/support/TemporaryHome.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

namespace
{
constexpr int kLastPanelParameter = 106;
constexpr int kFirstHarmonic = 107;
constexpr int kHarmonicsPerWave = 24;
constexpr VstInt32 kEditMode = 155;

VstIntPtr quietHost(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void*, float)
{
    return opcode == audioMasterVersion ? 2400 : 0;
}

struct Box
{
    int left = 0;
    int top = 0;
    int right = 0; // exclusive
    int bottom = 0;

    bool contains(int x, int y) const { return x >= left && x < right && y >= top && y < bottom; }
};

Box boxOf(const LayoutItem& item)
{
    return {item.windowX, item.windowY, item.windowX + item.width, item.windowY + item.height};
}

// One parameter to move, in the panel state that shows its control, with
// the boxes of its control and of any display of its value.
struct Case
{
    VstInt32 parameter = -1;
    std::vector<Box> boxes;
    int editMode = 0;
    bool effectsOpen = false;
};

class PanelRender : public testing::TestWithParam<const char*>
{
protected:
    void SetUp() override
    {
        WidgetFactory::registerTypes();
        BundleLocation::setPath(BundleLocation::fromLibraryPath(ZENTROVA_INSTRUMENT_PLUGIN_PATH));
        std::ofstream(home.path() + "/.config/com.vorlixworks.Zentrova2.sup")
            << "Zentrova Configuration File\n{Layout}{" << GetParam() << "}\n{Edit Mode}{Keyboard}\n";
        effect = createPluginInstance(&quietHost, instrumentFlavour());
        ASSERT_NE(effect, nullptr);
        plugin = static_cast<Zentrova*>(static_cast<AudioEffect*>(effect->object));
        editor = static_cast<ZentrovaEditor*>(plugin->getEditor());
        ASSERT_TRUE(editor->open(platform.parentWindow()));
        window = FakePlatform::windowOf(editor->getFrame());
        ASSERT_NE(window, nullptr);
    }
    void TearDown() override
    {
        if (effect)
            effect->dispatcher(effect, effClose, 0, 0, nullptr, 0.0f);
        BundleLocation::setPath(std::string());
    }

    // The whole window drawn afresh after the editor's idle.
    std::vector<std::uint32_t> render()
    {
        editor->idle();
        window->invalidRect(window->getBounds());
        window->paint();
        cairo_surface_t* surface = window->getSurface();
        const int width = cairo_image_surface_get_width(surface);
        const int height = cairo_image_surface_get_height(surface);
        const int stride = cairo_image_surface_get_stride(surface);
        std::vector<std::uint32_t> pixels(static_cast<std::size_t>(width * height));
        for (int y = 0; y < height; ++y)
            std::memcpy(&pixels[static_cast<std::size_t>(y * width)],
                        cairo_image_surface_get_data(surface) + y * stride, static_cast<std::size_t>(width) * 4);
        return pixels;
    }

    void showState(int editMode, bool effectsOpen)
    {
        editor->valueChanged(kEditMode, nullptr, static_cast<float>(editMode) / 3.0f);
        editor->setEffectsPanel(effectsOpen ? 1 : 0);
    }

    TemporaryHome home;
    FakePlatform platform;
    AEffect* effect = nullptr;
    Zentrova* plugin = nullptr;
    ZentrovaEditor* editor = nullptr;
    FakePlatformWindow* window = nullptr;
};

struct Change
{
    int changed = 0;
    // Changed pixels outside the allowed boxes, and their bounds.
    int strays = 0;
    Box bounds{1 << 30, 1 << 30, 0, 0};

    std::string where() const
    {
        return std::to_string(bounds.left) + "," + std::to_string(bounds.top) + " to " + std::to_string(bounds.right) +
               "," + std::to_string(bounds.bottom);
    }
};

Change compare(const std::vector<std::uint32_t>& before, const std::vector<std::uint32_t>& after, int width,
               const std::vector<Box>& allowed)
{
    Change change;
    for (std::size_t i = 0; i < before.size() && i < after.size(); ++i)
    {
        if (before[i] == after[i])
            continue;
        ++change.changed;
        const int x = static_cast<int>(i) % width;
        const int y = static_cast<int>(i) / width;
        if (std::any_of(allowed.begin(), allowed.end(), [x, y](const Box& box) { return box.contains(x, y); }))
            continue;
        ++change.strays;
        Box& b = change.bounds;
        b = {std::min(b.left, x), std::min(b.top, y), std::max(b.right, x + 1), std::max(b.bottom, y + 1)};
    }
    return change;
}

bool inside(const LayoutModel& model, const LayoutItem& item, const std::string& container)
{
    for (int parent = item.parent; parent >= 0; parent = model.items()[static_cast<std::size_t>(parent)].parent)
        if (model.items()[static_cast<std::size_t>(parent)].name == container)
            return true;
    return false;
}
} // namespace

TEST_P(PanelRender, EachParameterRedrawsOnlyItsOwnControlAndTheDisplay)
{
    ExpandedLayout expanded(GetParam());
    ASSERT_TRUE(expanded.model);
    const LayoutModel& model = *expanded.model;
    const LayoutItem* display = model.find("PatchAndParameter");
    const LayoutItem* bars = model.find("HarmonicEditor");
    ASSERT_TRUE(display && bars);

    const int width = static_cast<int>(window->getBounds().width());
    std::vector<Case> cases(kLastPanelParameter + 1);
    for (const LayoutItem& item : model.items())
    {
        if (item.kind != LayoutItem::Kind::kWidget || item.parameter.empty())
            continue;
        const std::int64_t tag = editor->getGuiInfo().tagOf(item.parameter);
        if (tag < 0 || tag > kLastPanelParameter)
            continue;
        Case& bound = cases[static_cast<std::size_t>(tag)];
        bound.parameter = static_cast<VstInt32>(tag);
        bound.boxes.push_back(boxOf(item));
        if (item.midi)
            bound.effectsOpen = inside(model, item, "EffectsPanel");
    }
    for (int wave = 0; wave < 2; ++wave)
        for (int bar = 0; bar < kHarmonicsPerWave; ++bar)
            cases.push_back({kFirstHarmonic + wave * kHarmonicsPerWave + bar, {boxOf(*bars)}, 1 + wave, false});

    // The first edit marks the patch modified, which is no control's doing.
    const LayoutItem* modified = model.find("PatchModified");
    ASSERT_TRUE(modified);
    const std::vector<std::uint32_t> pristine = render();
    plugin->setParameter(0, plugin->getParameter(0) > 0.5f ? 0.0f : 1.0f);
    std::vector<Box> primed = cases[0].boxes;
    primed.push_back(boxOf(*modified));
    primed.push_back(boxOf(*display));
    const Change marked = compare(pristine, render(), width, primed);
    EXPECT_EQ(marked.strays, 0) << "the first edit changes " << marked.where();

    for (const Case& moved : cases)
    {
        ASSERT_FALSE(moved.boxes.empty()) << "parameter " << &moved - cases.data() << " has no control";
        showState(moved.editMode, moved.effectsOpen);
        plugin->setParameter(moved.parameter, 0.0f);
        const std::vector<std::uint32_t> low = render();
        plugin->setParameter(moved.parameter, 1.0f);
        std::vector<Box> allowed = moved.boxes;
        allowed.push_back(boxOf(*display));
        const Change change = compare(low, render(), width, allowed);
        EXPECT_GT(change.changed, 0) << "parameter " << moved.parameter << " shows no change";
        EXPECT_EQ(change.strays, 0) << "parameter " << moved.parameter << " also changes " << change.where();
        plugin->setParameter(moved.parameter, 0.0f);
    }
}

INSTANTIATE_TEST_SUITE_P(EveryWindowSize, PanelRender, testing::Values("Small", "Regular", "Large"));
