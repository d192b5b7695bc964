#pragma once

#include <cstdint>
#include <map>
#include <string>

class CBitmap;

// Turns the bitmap names of the layout into the bundle's images: each name
// has a fixed resource number, and each bitmap is made at most once between
// init and reset. Between the two the decoded images are shared with every
// other editor of the process.
class Bitmaps
{
public:
    static constexpr std::int32_t kFirstResource = 128;
    static constexpr int kNameCount = 268;

    Bitmaps();
    virtual ~Bitmaps();

    Bitmaps(const Bitmaps&) = delete;
    Bitmaps& operator=(const Bitmaps&) = delete;

    // At every open, before the widgets are built. Images are found by
    // number alone, so the layout's file names serve nothing here.
    void init(const std::map<std::string, std::string>& bitmapFiles, const std::string& folder);
    // Borrowed: a view that keeps the bitmap retains it. Null for an empty
    // or unknown name; a known name yields a bitmap even when its image is
    // missing.
    CBitmap* getBitmap(const std::string& name);
    // Drops the registry's reference of every bitmap it made, and its share
    // of the decoded images.
    void reset();

    // kFirstResource + the name's place in the table, or -1.
    std::int32_t resourceNumber(const std::string& name) const;

private:
    std::map<std::string, CBitmap*> m_cache;
    bool m_sharing = false;
};
