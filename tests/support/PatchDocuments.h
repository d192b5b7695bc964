#pragma once

// Patch chunks as tests write and read them: the document text inside a
// chunk, plain-text chunks, small hand-made documents, and the effect
// plug-in loaded the way a host loads it.

#include "patches/ChunkBuffer.h"
#include "tests/support/Deliverables.h"
#include "tools/HostedPlugin.h"

#include <memory>
#include <regex>
#include <string>
#include <utility>
#include <vector>

inline std::unique_ptr<HostedPlugin> loadEffectPlugin()
{
    return loadPlugin(effectDeliverable());
}

// The document text of a chunk (compressed or plain).
inline std::string chunkText(const std::vector<unsigned char>& chunk)
{
    ChunkBuffer buffer(chunk.data(), chunk.size());
    return inflateToString(buffer);
}

// A chunk that holds the text itself with its terminating NUL.
inline std::vector<unsigned char> plainChunk(const std::string& text)
{
    std::vector<unsigned char> bytes(text.begin(), text.end());
    bytes.push_back(0);
    return bytes;
}

inline std::vector<unsigned char> compressedChunk(const std::string& text)
{
    ChunkBuffer buffer;
    buffer.assignCompressed(text);
    return std::vector<unsigned char>(buffer.data, buffer.data + buffer.size);
}

// The text with every uuid replaced by U, so that two chunks compare.
inline std::string withoutUuids(const std::string& text)
{
    static const std::regex uuid("[0-9A-F]{8}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{12}");
    return std::regex_replace(text, uuid, "U");
}

using ParameterTexts = std::vector<std::pair<std::string, std::string>>;

// A patch document of the given version listing only these parameters;
// extra goes inside the patch element after them.
inline std::string patchDocument(const std::string& version, const ParameterTexts& parameters,
                                 const std::string& extra = std::string(), const std::string& name = "Test")
{
    std::string text = "<zentrova";
    if (!version.empty())
        text += " version=\"" + version + "\"";
    text += " platform=\"mac_x86\">\n<patch name=\"" + name + "\">\n";
    for (const auto& [key, value] : parameters)
        text += "<parameter name=\"" + key + "\" value=\"" + value + "\" />\n";
    return text + extra + "</patch>\n</zentrova>\n";
}
