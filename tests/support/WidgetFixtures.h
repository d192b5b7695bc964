#pragma once

// Widgets built from small layout documents: a bundle of test images named
// as the layout names them, the document parsed, a GuiInfo over an editor
// that records what its controls report, a window-less frame to hold the
// widgets, and fakes of the parameter monitor and of the plug-in's road to
// the engine.

#include "Source/state/ZentrovaStateOwner.h"
#include "Source/ticpp/ticpp.h"
#include "editor/ZentrovaEditor.h"
#include "editor/controls/CParamMonitorBase.h"
#include "editor/layout/Bitmaps.h"
#include "editor/layout/GuiInfo.h"
#include "toolkit/BundleLocation.h"
#include "toolkit/CFrame.h"

#include <gtest/gtest.h>

#include <cairo.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include <unistd.h>

// Images written as the bundle's numbered resources, for as long as the
// object lives.
class ImageBundle
{
public:
    ImageBundle()
        : m_root(std::filesystem::path(testing::TempDir()) /
                 ("widgets-" + std::string(testing::UnitTest::GetInstance()->current_test_info()->name()) + "-" +
                  std::to_string(getpid())))
    {
        std::filesystem::remove_all(m_root);
        std::filesystem::create_directories(m_root / "Contents" / "Resources");
        BundleLocation::setPath(m_root.string());
    }
    ~ImageBundle()
    {
        BundleLocation::setPath(std::string());
        std::error_code ignored;
        std::filesystem::remove_all(m_root, ignored);
    }
    ImageBundle(const ImageBundle&) = delete;
    ImageBundle& operator=(const ImageBundle&) = delete;

    // count opaque images of width by height under the layout's bitmap
    // name, stacked (or side by side); image i has red i, green 0x80 and
    // blue 0x40, unless pixel paints each pixel itself.
    void add(const std::string& name, int width, int height, int count = 1, bool sideBySide = false,
             const std::function<std::uint32_t(int x, int y)>& pixel = {})
    {
        const int totalWidth = sideBySide ? width * count : width;
        const int totalHeight = sideBySide ? height : height * count;
        cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, totalWidth, totalHeight);
        cairo_surface_flush(surface);
        unsigned char* data = cairo_image_surface_get_data(surface);
        const int stride = cairo_image_surface_get_stride(surface);
        for (int y = 0; y < totalHeight; ++y)
            for (int x = 0; x < totalWidth; ++x)
            {
                const int image = sideBySide ? x / width : y / height;
                reinterpret_cast<std::uint32_t*>(data + y * stride)[x] =
                    pixel ? pixel(x, y) : 0xFF008040u | (static_cast<std::uint32_t>(image) << 16);
            }
        cairo_surface_mark_dirty(surface);
        char file[32];
        std::snprintf(file, sizeof file, "bmp%05d.png", Bitmaps().resourceNumber(name));
        cairo_surface_write_to_png(surface, (m_root / "Contents" / "Resources" / file).c_str());
        cairo_surface_destroy(surface);
    }

private:
    std::filesystem::path m_root;
};

// The value every control reports through its widget: "tag value".
class RecordingEditor : public ZentrovaEditor
{
public:
    RecordingEditor() : ZentrovaEditor(nullptr) {}

    void valueChanged(VstInt32 tag, CControl*, float value) override
    {
        char entry[64];
        std::snprintf(entry, sizeof entry, "%d %g", static_cast<int>(tag), value);
        log.push_back(entry);
    }

    std::vector<std::string> log;
};

class MonitorSpy : public CParamMonitorBase
{
public:
    void parameterChanged(std::int64_t) override {}
    void touched() override { ++touches; }
    void reset() override {}
    void showParameter(std::int64_t, const std::string&) override {}
    void clearShown() override {}
    bool isActive() const override { return false; }
    void select(std::int64_t) override {}
    bool isShown() const override { return false; }
    bool wasTouched() const override { return touches > 0; }
    void clearTouched() override {}

    int touches = 0;
};

// The engine's side of the plug-in, recording the on-screen keyboard's
// notes as "on 60" and "off 60".
class NoteRecorder : public ZentrovaStateOwner
{
public:
    void setPseudoParameter(int lane, long index, EngineValue value, std::int64_t time) override
    {
        if (lane != 1 || index != 585 || time != 0)
        {
            notes.push_back("unexpected");
            return;
        }
        const int velocity = static_cast<int>(value & 0xFF);
        notes.push_back((velocity == 64    ? "on "
                         : velocity == 192 ? "off "
                                           : "velocity? ") +
                        std::to_string(value >> 8));
    }
    void setEditorParameter(long, float) override {}

    std::vector<std::string> notes;
};

// A layout document and the things widgets are built with; widgets made
// from it must go before it does.
struct WidgetBench
{
    explicit WidgetBench(const std::string& xml, CRect frameSize = CRect(0, 0, 400, 300))
        : guiInfo(nullptr, &editor), frame(new CFrame(frameSize, nullptr))
    {
        document.Parse(xml);
    }
    ~WidgetBench() { frame->release(); }
    WidgetBench(const WidgetBench&) = delete;
    WidgetBench& operator=(const WidgetBench&) = delete;

    // The first element of that tag at any depth, and the first with that
    // "name" attribute.
    ticpp::Element* element(const std::string& tag)
    {
        return find(document.FirstChildElement(), [&](ticpp::Element* e) { return e->Value() == tag; });
    }
    ticpp::Element* named(const std::string& name)
    {
        return find(document.FirstChildElement(), [&](ticpp::Element* e) { return e->GetAttribute("name") == name; });
    }

    ticpp::Document document;
    RecordingEditor editor;
    GuiInfo guiInfo;
    CFrame* frame;

private:
    static ticpp::Element* find(ticpp::Element* from, const std::function<bool(ticpp::Element*)>& match)
    {
        if (!from || match(from))
            return from;
        for (ticpp::Element* child = from->FirstChildElement(false); child; child = child->NextSiblingElement(false))
            if (ticpp::Element* found = find(child, match))
                return found;
        return nullptr;
    }
};
