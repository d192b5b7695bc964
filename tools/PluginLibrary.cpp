#include "tools/PluginLibrary.h"

#include <dlfcn.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstring>
#include <stdexcept>

namespace
{
// What dlopen is given: a path names a file, so a bare name is one in the
// current folder rather than one to search for on the library path.
std::string fileToOpen(const std::string& path)
{
    return path.find('/') == std::string::npos ? "./" + path : path;
}
} // namespace

PluginLibrary::PluginLibrary(const std::string& path) : m_path(path)
{
    const std::string file = fileToOpen(path);
    struct stat status;
    if (::stat(file.c_str(), &status) != 0)
        throw std::runtime_error("cannot load " + path + ": " +
                                 (errno == ENOENT ? std::string("no such file") : std::strerror(errno)));
    if (S_ISDIR(status.st_mode))
        throw std::runtime_error("cannot load " + path + ": it is a folder");
    // Plug-ins are never unmapped: many leave exit handlers, thread-local
    // destructors or threads behind that would run into unmapped code.
    m_handle = dlopen(file.c_str(), RTLD_NOW | RTLD_LOCAL | RTLD_NODELETE);
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
