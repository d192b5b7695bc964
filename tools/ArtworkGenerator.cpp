#include "tools/ArtworkGenerator.h"

#include "editor/layout/Bitmaps.h"
#include "editor/layout/GuiLayout.h"
#include "tools/KeyboardPainter.h"

#include <cstdio>
#include <stdexcept>

namespace
{
constexpr int kPanelDefaultWidth = 100;
constexpr int kPanelDefaultHeight = 40;
}

ArtworkGenerator::ArtworkGenerator(GuiLayout& layout)
    : m_layout(layout), m_knobs(m_fonts), m_switches(m_fonts), m_buttons(m_fonts), m_displays(m_fonts),
      m_panels(m_fonts)
{
    if (m_layout.load() != 1)
        throw std::runtime_error("the layout document does not load");
    // The first pass reads the constants that size the images (of every
    // size: the small panel borrows an image of the regular one); the second
    // sizes the widgets from those images.
    const auto noImages = [](const std::string&, int&, int&) { return false; };
    for (const LayoutConfiguration& configuration : m_layout.getConfigurations())
        m_models.push_back(std::make_unique<LayoutModel>(m_layout, configuration, noImages));
    const auto imageSize = [this](const std::string& name, int& width, int& height) {
        int frames = 1;
        bool sideBySide = false;
        std::string prefix, base;
        if (!ImageCatalogue::split(name, prefix, base))
            return false;
        const ImageRecipe* image = ImageCatalogue::find(base);
        if (!image || image->kind == ImageRecipe::Kind::kPanel || !frameSize(name, width, height, frames, sideBySide))
            return false;
        (sideBySide ? width : height) *= frames;
        return true;
    };
    for (std::size_t index = 0; index < m_models.size(); ++index)
        m_models[index] = std::make_unique<LayoutModel>(m_layout, m_layout.getConfigurations()[index], imageSize);
}

ArtworkGenerator::~ArtworkGenerator() = default;

const LayoutModel* ArtworkGenerator::model(const std::string& prefix) const
{
    for (const auto& model : m_models)
        if (model->index() == prefix)
            return model.get();
    return nullptr;
}

int ArtworkGenerator::owningWidget(const LayoutModel& model, const std::string& name) const
{
    const auto users = model.bitmapUsers();
    const auto found = users.find(name);
    if (found == users.end())
        return -1;
    for (int index : found->second)
        if (model.items()[index].isContainer())
            return index;
    for (int index : found->second)
        if (model.items()[index].bitmap == name)
            return index;
    return -1;
}

bool ArtworkGenerator::frameSize(const std::string& name, int& width, int& height, int& frames,
                                 bool& sideBySide) const
{
    sideBySide = false;
    if (name == "fadeblock")
    {
        width = height = 8;
        frames = 1;
        return true;
    }
    std::string prefix, base;
    if (!ImageCatalogue::split(name, prefix, base))
        return false;
    const ImageRecipe* image = ImageCatalogue::find(base);
    // The small panel's envelope buttons are the regular panel's.
    const LayoutModel* layout = model(base == "Env_Select_btn" && prefix == "840" ? "1024" : prefix);
    if (!image || !layout)
        return false;
    frames = image->frames;
    const int unit = layout->unit();
    using Kind = ImageRecipe::Kind;
    switch (image->kind)
    {
    case Kind::kWhiteKey:
        width = layout->intConstant("key_w");
        height = layout->intConstant("key_h");
        return true;
    case Kind::kBlackKey:
        width = layout->intConstant("bkey_w");
        height = layout->intConstant("bkey_h");
        return true;
    case Kind::kLedSegment:
        width = layout->intConstant("led_w");
        height = layout->intConstant("led_h");
        return true;
    case Kind::kWheel:
        width = layout->intConstant("wheel_w");
        height = layout->intConstant("wheel_h");
        sideBySide = true;
        return true;
    case Kind::kPanel:
    {
        if (base == "Background")
        {
            width = layout->configuration().width;
            height = layout->configuration().height;
            return true;
        }
        const int owner = owningWidget(*layout, name);
        if (owner >= 0 && layout->items()[owner].width > 0 && layout->items()[owner].height > 0)
        {
            width = layout->items()[owner].width;
            height = layout->items()[owner].height;
        }
        else
        {
            width = kPanelDefaultWidth * unit;
            height = kPanelDefaultHeight * unit;
        }
        return true;
    }
    default:
        width = image->width * unit;
        height = image->height * unit;
        return true;
    }
}

cairo_surface_t* ArtworkGenerator::render(const std::string& name) const
{
    int width = 0, height = 0, frames = 1;
    bool sideBySide = false;
    if (!frameSize(name, width, height, frames, sideBySide))
        return nullptr;
    const int totalWidth = sideBySide ? width * frames : width;
    const int totalHeight = sideBySide ? height : height * frames;
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, totalWidth, totalHeight);
    cairo_t* cr = cairo_create(surface);
    if (name == "fadeblock")
    {
        cairo_set_source_rgba(cr, 0, 0, 0, 0.6);
        cairo_paint(cr);
    }
    else
    {
        std::string prefix, base;
        ImageCatalogue::split(name, prefix, base);
        const ImageRecipe& image = *ImageCatalogue::find(base);
        const LayoutModel& layout = *model(base == "Env_Select_btn" && prefix == "840" ? "1024" : prefix);
        const int owner = owningWidget(layout, name);
        for (int frame = 0; frame < frames; ++frame)
        {
            cairo_save(cr);
            cairo_translate(cr, sideBySide ? frame * width : 0, sideBySide ? 0 : frame * height);
            cairo_rectangle(cr, 0, 0, width, height);
            cairo_clip(cr);
            renderFrame(cr, image, layout, owner, width, height, frame);
            cairo_restore(cr);
        }
    }
    cairo_destroy(cr);
    cairo_surface_flush(surface);
    return surface;
}

void ArtworkGenerator::renderFrame(cairo_t* cr, const ImageRecipe& image, const LayoutModel& model, int owner,
                                   double width, double height, int frame) const
{
    const double unit = model.unit();
    using Kind = ImageRecipe::Kind;
    switch (image.kind)
    {
    case Kind::kKnob: m_knobs.paintSynthKnob(cr, width, frame, image.frames, image.frames != 64); break;
    case Kind::kEffectsKnob: m_knobs.paintEffectsKnob(cr, width, frame, image.frames); break;
    case Kind::kModeKnob: m_knobs.paintModeKnob(cr, width, height, unit, frame, image.legends); break;
    case Kind::kSelectorRow: m_switches.paintRow(cr, width, height, unit, frame, image.legends); break;
    case Kind::kSelectorColumn: m_switches.paintColumn(cr, width, height, unit, frame, image.legends); break;
    case Kind::kLampButton:
    case Kind::kKickButton:
    case Kind::kMemoryButton:
    case Kind::kLearnButton:
    case Kind::kScrollButton:
    case Kind::kStatusIcon:
    case Kind::kDropDown:
    case Kind::kMenuBox:
    case Kind::kWordmark: m_buttons.paint(cr, image, width, height, unit, frame); break;
    case Kind::kHidden: break;
    case Kind::kWaveDisplay:
    case Kind::kFilterDisplay:
    case Kind::kLfoDisplay:
    case Kind::kHeaderDisplay:
    case Kind::kModifiedDisplay:
    case Kind::kLedSegment: m_displays.paint(cr, image, width, height, unit, frame); break;
    case Kind::kWhiteKey: KeyboardPainter::paintWhiteKey(cr, width, height, unit, frame == 1); break;
    case Kind::kBlackKey: KeyboardPainter::paintBlackKey(cr, width, height, unit, frame == 1); break;
    case Kind::kWheel: KeyboardPainter::paintWheel(cr, width, height, unit, frame / 63.0); break;
    case Kind::kPanel:
        if (image.base == "Background")
            m_panels.paintBackground(cr, model);
        else
            m_panels.paintContainer(cr, model, image, owner, width, height);
        break;
    case Kind::kSmallBlock: break;
    }
}

int ArtworkGenerator::checkLayout(const LayoutModel& model) const
{
    int problems = 0;
    const Bitmaps table;
    for (const LayoutItem& item : model.items())
    {
        if (item.kind != LayoutItem::Kind::kWidget)
            continue;
        std::vector<std::string> names{item.bitmap};
        for (const auto& [attribute, bitmap] : item.bitmaps)
            names.push_back(bitmap);
        for (const std::string& name : names)
        {
            if (!name.empty() && table.resourceNumber(name) < 0)
            {
                std::fprintf(stderr, "layout %s: %s uses %s, which has no image\n", model.index().c_str(),
                             item.key().c_str(), name.c_str());
                ++problems;
            }
        }
        int width = 0, height = 0, frames = 1;
        bool sideBySide = false;
        if (!item.bitmap.empty() && item.type != "ViewContainer" && item.type != "ParamMonitor" &&
            frameSize(item.bitmap, width, height, frames, sideBySide) && frames != item.frames)
        {
            std::fprintf(stderr, "layout %s: %s shows %s with %d frames, the image has %d\n", model.index().c_str(),
                         item.key().c_str(), item.bitmap.c_str(), item.frames, frames);
            ++problems;
        }
    }
    problems += checkCaptions(model);
    return problems;
}

int ArtworkGenerator::checkCaptions(const LayoutModel& model) const
{
    // A caption must keep clear of the other captions and of the controls
    // shown beside it.
    cairo_surface_t* scratch = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 1, 1);
    cairo_t* cr = cairo_create(scratch);
    int problems = 0;
    const double unit = model.unit();
    for (int parent = -1; parent < static_cast<int>(model.items().size()); ++parent)
    {
        const std::vector<int> children = model.childrenOf(parent);
        for (int index : children)
        {
            double label[4];
            const LayoutItem& item = model.items()[index];
            if (!m_panels.labelBounds(cr, item, unit, label))
                continue;
            // Nor may it run over the rim of the section its control stands in.
            const double cx = item.x + item.width / 2.0;
            const double cy = item.y + item.height / 2.0;
            for (int other : children)
            {
                const LayoutItem& section = model.items()[other];
                if (section.kind != LayoutItem::Kind::kSection || cx < section.x || cx > section.x + section.width ||
                    cy < section.y || cy > section.y + section.height)
                    continue;
                if (label[0] < section.x || label[0] + label[2] > section.x + section.width ||
                    label[1] + label[3] > section.y + section.height)
                {
                    std::fprintf(stderr, "layout %s: the caption of %s leaves its section\n", model.index().c_str(),
                                 item.key().c_str());
                    ++problems;
                }
            }
            for (int other : children)
            {
                const LayoutItem& neighbour = model.items()[other];
                if (other == index || neighbour.kind != LayoutItem::Kind::kWidget || !neighbour.visible)
                    continue;
                double box[4] = {static_cast<double>(neighbour.x), static_cast<double>(neighbour.y),
                                 static_cast<double>(neighbour.width), static_cast<double>(neighbour.height)};
                double caption[4];
                const bool bothCaptions = other > index && m_panels.labelBounds(cr, neighbour, unit, caption);
                auto overlaps = [](const double a[4], const double b[4]) {
                    return a[0] < b[0] + b[2] && b[0] < a[0] + a[2] && a[1] < b[1] + b[3] && b[1] < a[1] + a[3];
                };
                if (!neighbour.isContainer() && overlaps(label, box))
                {
                    std::fprintf(stderr, "layout %s: the caption of %s covers %s\n", model.index().c_str(),
                                 item.key().c_str(), neighbour.key().c_str());
                    ++problems;
                }
                if (bothCaptions && overlaps(label, caption))
                {
                    std::fprintf(stderr, "layout %s: the captions of %s and %s touch\n", model.index().c_str(),
                                 item.key().c_str(), neighbour.key().c_str());
                    ++problems;
                }
            }
        }
    }
    cairo_destroy(cr);
    cairo_surface_destroy(scratch);
    return problems;
}

int ArtworkGenerator::generate(const std::vector<std::string>& folders)
{
    int problems = 0;
    for (const auto& model : m_models)
        problems += checkLayout(*model);
    const Bitmaps table;
    std::vector<std::string> names;
    for (const char* prefix : {"1024_", "1600_", "840_"})
        for (const ImageRecipe& image : ImageCatalogue::all())
            names.push_back(prefix + image.base);
    names.push_back("fadeblock");
    for (const std::string& name : names)
    {
        const int number = table.resourceNumber(name);
        cairo_surface_t* surface = number < 0 ? nullptr : render(name);
        if (!surface)
        {
            std::fprintf(stderr, "no image for %s\n", name.c_str());
            ++problems;
            continue;
        }
        char file[32];
        std::snprintf(file, sizeof file, "/bmp%05d.png", number);
        for (const std::string& folder : folders)
            if (cairo_surface_write_to_png(surface, (folder + file).c_str()) != CAIRO_STATUS_SUCCESS)
                throw std::runtime_error("cannot write " + folder + file);
        cairo_surface_destroy(surface);
    }
    return problems;
}
