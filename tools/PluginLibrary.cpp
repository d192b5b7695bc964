#include "tools/PluginLibrary.h"

#include <dlfcn.h>

#include <stdexcept>

PluginLibrary::PluginLibrary(const std::string& path) : m_path(path)
{
    // Plug-ins are never unmapped: many leave exit handlers, thread-local
    // destructors or threads behind that would run into unmapped code.
    m_handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL | RTLD_NODELETE);
    if (!m_handle)
    {
        const char* error = dlerror();
        throw std::runtime_error("cannot load " + path + ": " + (error ? error : "unknown error"));
    }
    for (const char* name : {"VSTPluginMain", "main"})
    {
        if (void* symbol = dlsym(m_handle, name))
        {
            m_entryPoint = reinterpret_cast<EntryPoint>(symbol);
            m_entryName = name;
            return;
        }
    }
    dlclose(m_handle);
    throw std::runtime_error(path + " has no VSTPluginMain or main entry point");
}

PluginLibrary::~PluginLibrary()
{
    if (m_handle)
        dlclose(m_handle);
}
