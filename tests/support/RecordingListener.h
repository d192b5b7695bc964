#pragma once

// A control listener that logs what reaches it ("changed 7 0.5"), and an
// image strip whose images are told apart by colour.

#include "toolkit/CBitmap.h"
#include "toolkit/CControl.h"

#include <cairo.h>

#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

class RecordingListener : public CControlListener
{
public:
    void valueChanged(CControl* control) override
    {
        char value[32];
        std::snprintf(value, sizeof(value), "%g", control->getValue());
        record("changed", control, std::string(" ") + value);
    }
    std::int32_t controlModifierClicked(CControl* control, CButtonState) override
    {
        record("modifier", control);
        return modifierAnswer;
    }
    void controlBeginEdit(CControl* control) override { record("begin", control); }
    void controlEndEdit(CControl* control) override { record("end", control); }

    std::vector<std::string> log;
    std::int32_t modifierAnswer = 0;
    // Appended to every entry: what else the test watches at that moment.
    std::function<std::string()> context;

private:
    void record(const char* event, CControl* control, const std::string& detail = "")
    {
        log.push_back(std::string(event) + " " + std::to_string(control->getTag()) + detail +
                      (context ? context() : ""));
    }
};

// count images of width by height stacked vertically; image i is opaque
// with red i, green 0x80, blue 0x40.
inline CBitmap* makeStrip(int width, int height, int count)
{
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height * count);
    cairo_t* cairo = cairo_create(surface);
    for (int i = 0; i < count; ++i)
    {
        cairo_set_source_rgb(cairo, i / 255.0, 0x80 / 255.0, 0x40 / 255.0);
        cairo_rectangle(cairo, 0, i * height, width, height);
        cairo_fill(cairo);
    }
    cairo_destroy(cairo);
    auto* bitmap = new CBitmap(surface);
    cairo_surface_destroy(surface);
    return bitmap;
}

// The strip image a pixel came from, or -1.
inline int stripImage(std::uint32_t pixel)
{
    return (pixel & 0xFF00FFFFu) == 0xFF008040u ? static_cast<int>((pixel >> 16) & 0xFF) : -1;
}
