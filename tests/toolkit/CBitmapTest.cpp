#include "toolkit/BundleLocation.h"
#include "toolkit/CBitmap.h"

#include "support/PeakMemory.h"
#include "support/TestCanvas.h"

#include <gtest/gtest.h>

#include <cairo.h>
#include <zlib.h>

#include <filesystem>
#include <fstream>
#include <string>

namespace fs = std::filesystem;

namespace
{
// A bundle folder of its own with Contents/Resources, pointed at for the
// test's lifetime.
class TestBundle
{
public:
    TestBundle()
        : m_root(fs::path(testing::TempDir()) /
                 ("bundle-" + std::string(testing::UnitTest::GetInstance()->current_test_info()->name())))
    {
        fs::remove_all(m_root);
        fs::create_directories(resources());
        BundleLocation::setPath(m_root.string());
    }
    ~TestBundle()
    {
        BundleLocation::setPath(std::string());
        fs::remove_all(m_root);
    }

    fs::path resources() const { return m_root / "Contents" / "Resources"; }

    // Writes a PNG of horizontal bands, one colour per band of bandHeight
    // rows; with alpha and a band that is not opaque the file has an alpha
    // channel.
    void writePng(const std::string& name, int width, int bandHeight, std::initializer_list<CColor> bands,
                  bool alpha = false)
    {
        int height = bandHeight * static_cast<int>(bands.size());
        cairo_surface_t* surface =
            cairo_image_surface_create(alpha ? CAIRO_FORMAT_ARGB32 : CAIRO_FORMAT_RGB24, width, height);
        cairo_t* cairo = cairo_create(surface);
        int y = 0;
        for (const CColor& band : bands)
        {
            cairo_set_source_rgba(cairo, band.red / 255.0, band.green / 255.0, band.blue / 255.0, band.alpha / 255.0);
            cairo_rectangle(cairo, 0, y, width, bandHeight);
            cairo_fill(cairo);
            y += bandHeight;
        }
        cairo_destroy(cairo);
        fs::create_directories((resources() / name).parent_path());
        cairo_surface_write_to_png(surface, (resources() / name).c_str());
        cairo_surface_destroy(surface);
    }
    // A valid one-bit grey PNG of side by side pixels, small on disk.
    void writeSquarePng(const std::string& name, std::uint32_t side)
    {
        auto chunk = [](std::string& out, const char* type, const std::string& data) {
            auto bigEndian = [&out](std::uint32_t value) {
                for (int shift = 24; shift >= 0; shift -= 8)
                    out.push_back(static_cast<char>(value >> shift));
            };
            const std::string typed = type + data;
            bigEndian(static_cast<std::uint32_t>(data.size()));
            out += typed;
            bigEndian(static_cast<std::uint32_t>(
                crc32(0, reinterpret_cast<const Bytef*>(typed.data()), static_cast<uInt>(typed.size()))));
        };
        std::string header;
        for (int i = 0; i < 2; ++i)
            for (int shift = 24; shift >= 0; shift -= 8)
                header.push_back(static_cast<char>(side >> shift));
        header += std::string("\x01\x00\x00\x00\x00", 5);
        const std::string rows(static_cast<std::size_t>(side) * (1 + (side + 7) / 8), '\0');
        std::string packed(compressBound(static_cast<uLong>(rows.size())), '\0');
        uLongf packedSize = static_cast<uLongf>(packed.size());
        compress2(reinterpret_cast<Bytef*>(&packed[0]), &packedSize, reinterpret_cast<const Bytef*>(rows.data()),
                  static_cast<uLong>(rows.size()), Z_BEST_SPEED);
        packed.resize(packedSize);
        std::string png("\x89PNG\r\n\x1a\n", 8);
        chunk(png, "IHDR", header);
        chunk(png, "IDAT", packed);
        chunk(png, "IEND", std::string());
        writeFile(name, png);
    }
    void writeFile(const std::string& name, const std::string& bytes)
    {
        std::ofstream(resources() / name, std::ios::binary) << bytes;
    }

private:
    fs::path m_root;
};
} // namespace

TEST(CBitmap, ResourcesAreFoundByNumberOrNameInTheOrderOfTheImageTypes)
{
    TestBundle bundle;
    bundle.writePng("bmp00137.png", 3, 2, {kColorRed});
    bundle.writeFile("bmp00137.bmp", "BM not read");
    bundle.writeFile("bmp00138.bmp", "BM not read");
    bundle.writePng("1024/Knobs/1024_Fullsweep_knob.png", 4, 5, {kColorRed, kColorBlue});

    auto* numbered = new CBitmap(CResourceDescription(137));
    EXPECT_EQ(numbered->getWidth(), 3);
    EXPECT_EQ(numbered->getHeight(), 2);
    EXPECT_TRUE(numbered->getNoAlpha());
    numbered->release();

    EXPECT_EQ(CBitmap::findResource(138), (bundle.resources() / "bmp00138.bmp").string());
    auto* unreadable = new CBitmap(CResourceDescription(138));
    EXPECT_EQ(unreadable->getWidth(), 0);
    unreadable->release();

    auto* named = new CBitmap(CResourceDescription("1024/Knobs/1024_Fullsweep_knob"));
    EXPECT_EQ(named->getHeight(), 10);
    named->release();
}

TEST(CBitmap, AMissingResourceGivesAnEmptyBitmapThatDrawsNothing)
{
    TestBundle bundle;
    auto* missing = new CBitmap(CResourceDescription(4242));
    EXPECT_EQ(missing->getWidth(), 0);
    EXPECT_EQ(missing->getHeight(), 0);
    EXPECT_FALSE(missing->isLoaded());
    TestCanvas canvas(10, 10);
    missing->draw(canvas.context(), CRect(0, 0, 10, 10));
    missing->drawTransparent(canvas.context(), CRect(0, 0, 10, 10));
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 10; ++x)
            ASSERT_EQ(canvas.pixel(x, y), 0u);
    missing->release();

    BundleLocation::setPath(std::string());
    auto* noBundle = new CBitmap(CResourceDescription(1));
    EXPECT_FALSE(noBundle->isLoaded());
    noBundle->release();
}

TEST(CBitmap, OneFrameOfAStripIsDrawnAtItsOffset)
{
    TestBundle bundle;
    bundle.writePng("bmp00001.png", 6, 4, {kColorRed, kColorGreen, kColorBlue});
    auto* strip = new CBitmap(CResourceDescription(1));
    TestCanvas canvas(20, 20);
    strip->draw(canvas.context(), CRect(5, 5, 11, 9), CPoint(0, 4));
    EXPECT_EQ(canvas.pixel(5, 5), argb(kColorGreen));
    EXPECT_EQ(canvas.pixel(10, 8), argb(kColorGreen));
    EXPECT_EQ(canvas.pixel(11, 8), 0u);
    EXPECT_EQ(canvas.pixel(10, 9), 0u);
    EXPECT_EQ(canvas.pixel(4, 5), 0u);

    strip->drawAlphaBlend(canvas.context(), CRect(0, 12, 6, 16), CPoint(0, 8), 128);
    std::uint32_t blended = canvas.pixel(2, 13);
    EXPECT_NEAR(static_cast<int>(blended >> 24), 128, 1);
    EXPECT_NEAR(static_cast<int>(blended & 0xFF), 128, 1);
    strip->release();
}

TEST(CBitmap, OnlyTransparentDrawingOfAnImageWithoutAlphaKeysItsColourOut)
{
    TestBundle bundle;
    bundle.writePng("bmp00002.png", 2, 1, {kColorWhite, kColorRed});
    bundle.writePng("bmp00003.png", 2, 1, {kColorWhite, kColorRed, CColor{0, 0, 255, 128}}, true);
    auto paintedOverGreen = [](CBitmap* bitmap, bool transparent) {
        auto canvas = std::make_unique<TestCanvas>(2, 2);
        canvas->context()->setFillColor(kColorGreen);
        canvas->context()->drawRect(CRect(0, 0, 2, 2), kDrawFilled);
        if (transparent)
            bitmap->drawTransparent(canvas->context(), CRect(0, 0, 2, 2));
        else
            bitmap->draw(canvas->context(), CRect(0, 0, 2, 2));
        return canvas;
    };

    auto* opaque = new CBitmap(CResourceDescription(2));
    EXPECT_TRUE(opaque->getNoAlpha());
    EXPECT_EQ(paintedOverGreen(opaque, false)->pixel(0, 0), argb(kColorWhite));
    auto keyed = paintedOverGreen(opaque, true);
    EXPECT_EQ(keyed->pixel(0, 0), argb(kColorGreen));
    EXPECT_EQ(keyed->pixel(0, 1), argb(kColorRed));
    cairo_surface_t* image = opaque->createImage(true);
    cairo_surface_flush(image);
    EXPECT_EQ(*reinterpret_cast<const std::uint32_t*>(cairo_image_surface_get_data(image)), 0u);
    cairo_surface_destroy(image);

    opaque->setTransparentColor(kColorRed);
    keyed = paintedOverGreen(opaque, true);
    EXPECT_EQ(keyed->pixel(0, 0), argb(kColorWhite));
    EXPECT_EQ(keyed->pixel(0, 1), argb(kColorGreen));
    opaque->release();

    auto* withAlpha = new CBitmap(CResourceDescription(3));
    EXPECT_FALSE(withAlpha->getNoAlpha());
    EXPECT_EQ(paintedOverGreen(withAlpha, true)->pixel(0, 0), argb(kColorWhite));
    withAlpha->release();
}

TEST(CBitmap, AnImageBeyondTheSizeBoundIsRefusedBeforeDecodingAndOneWithinIsRead)
{
    TestBundle bundle;
    bundle.writeSquarePng("bmp00005.png", 20000);
    bundle.writeSquarePng("bmp00006.png", 300);
    const PeakMemory memory;
    auto* huge = new CBitmap(CResourceDescription(5));
    // Decoded, its 20000x20000 pixels take 1.6 GB.
    EXPECT_LT(memory.megabytesAboveStart(), 128u);
    EXPECT_FALSE(huge->isLoaded());
    huge->release();
    auto* fair = new CBitmap(CResourceDescription(6));
    EXPECT_EQ(fair->getWidth(), 300);
    fair->release();
}
