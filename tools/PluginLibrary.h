#pragma once

#include <string>

#include "Source/vst/VstDeclarations.h"

// A VST 2.4 plug-in library opened with dlopen, and its entry point:
// "VSTPluginMain", else "main". A name without a slash is a file in the
// current folder, as on any command line, not one searched for.
class PluginLibrary
{
public:
    using EntryPoint = AEffect* (*)(audioMasterCallback);

    // Throws std::runtime_error when there is no such file, the library
    // cannot be opened or has no entry point.
    explicit PluginLibrary(const std::string& path);
    ~PluginLibrary();

    PluginLibrary(const PluginLibrary&) = delete;
    PluginLibrary& operator=(const PluginLibrary&) = delete;

    EntryPoint entryPoint() const { return m_entryPoint; }
    const std::string& entryName() const { return m_entryName; }
    const std::string& path() const { return m_path; }

private:
    std::string m_path;
    void* m_handle = nullptr;
    EntryPoint m_entryPoint = nullptr;
    std::string m_entryName;
};
