#pragma once

#include "editor/layout/GuiLayout.h"

#include <zlib.h>

#include <string>
#include <vector>

inline std::vector<unsigned char> deflated(const std::string& text)
{
    uLongf length = compressBound(static_cast<uLong>(text.size()));
    std::vector<unsigned char> stream(length);
    compress(stream.data(), &length, reinterpret_cast<const Bytef*>(text.data()), static_cast<uLong>(text.size()));
    stream.resize(length);
    return stream;
}

// A layout carried as the plug-in carries its own: a zlib stream of the text.
struct CompressedLayout
{
    explicit CompressedLayout(const std::string& text) : stream(deflated(text)), layout(stream.data(), stream.size()) {}

    std::vector<unsigned char> stream;
    GuiLayout layout;
};

// An element printed on one line, attributes in order.
inline std::string printed(const ticpp::Node& node)
{
    TiXmlPrinter printer;
    printer.SetStreamPrinting();
    node.Accept(&printer);
    return printer.CStr();
}
