#pragma once

#include "editor/layout/Bitmaps.h"
#include "editor/layout/GuiLayout.h"
#include "toolkit/BundleLocation.h"
#include "tools/LayoutModel.h"

#include <cairo.h>

#include <map>
#include <memory>
#include <string>

// The images as the build put them into a bundle, loaded once per name.
class BundleImages
{
public:
    explicit BundleImages(const std::string& libraryPath)
        : m_folder(BundleLocation::fromLibraryPath(libraryPath) + "/Contents/Resources")
    {
    }
    ~BundleImages()
    {
        for (auto& [name, image] : m_images)
            if (image)
                cairo_surface_destroy(image);
    }
    BundleImages(const BundleImages&) = delete;
    BundleImages& operator=(const BundleImages&) = delete;

    std::string fileOf(const std::string& name) const
    {
        char file[32];
        std::snprintf(file, sizeof file, "/bmp%05d.png", m_table.resourceNumber(name));
        return m_folder + file;
    }
    // Null when the name has no number or its file does not load.
    cairo_surface_t* image(const std::string& name)
    {
        const auto found = m_images.find(name);
        if (found != m_images.end())
            return found->second;
        cairo_surface_t* image = nullptr;
        if (m_table.resourceNumber(name) >= 0)
        {
            image = cairo_image_surface_create_from_png(fileOf(name).c_str());
            if (cairo_surface_status(image) != CAIRO_STATUS_SUCCESS)
            {
                cairo_surface_destroy(image);
                image = nullptr;
            }
        }
        return m_images[name] = image;
    }
    bool size(const std::string& name, int& width, int& height)
    {
        cairo_surface_t* loaded = image(name);
        if (!loaded)
            return false;
        width = cairo_image_surface_get_width(loaded);
        height = cairo_image_surface_get_height(loaded);
        return true;
    }

private:
    std::string m_folder;
    Bitmaps m_table;
    std::map<std::string, cairo_surface_t*> m_images;
};

// The carried layout expanded for one window size, widgets sized from the
// instrument bundle's images as the editor sizes them.
struct ExpandedLayout
{
    explicit ExpandedLayout(const std::string& configurationName) : images(ZENTROVA_INSTRUMENT_PLUGIN_PATH)
    {
        layout.load();
        for (const LayoutConfiguration& configuration : layout.getConfigurations())
            if (configuration.name == configurationName)
                model = std::make_unique<LayoutModel>(
                    layout, configuration, [this](const std::string& name, int& width, int& height) {
                        return images.size(name, width, height);
                    });
    }

    GuiLayout layout;
    BundleImages images;
    std::unique_ptr<LayoutModel> model;
};
