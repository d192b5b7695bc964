#include "toolkit/BundleLocation.h"

#include "dsp/Lasting.h"

#include <cstdio>
#include <cstdlib>
#include <mutex>

#include <dlfcn.h>
#include <sys/stat.h>

namespace
{
std::mutex bundleMutex;
bool bundleKnown = false;
Lasting<std::string> bundleText;
std::string& bundlePath = *bundleText;

bool isDirectory(const std::string& path)
{
    struct stat info;
    return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

// A library reached through a symbolic link (how plug-ins are often put on
// a host's path) is cut where its file really lies.
std::string realPath(const char* path)
{
    char* resolved = ::realpath(path, nullptr);
    if (!resolved)
        return path;
    std::string result = resolved;
    std::free(resolved);
    return result;
}

std::string findBundle()
{
    Dl_info info{};
    if (!dladdr(reinterpret_cast<void*>(&BundleLocation::fromLibraryPath), &info) || !info.dli_fname)
        return std::string();
    const std::string library = realPath(info.dli_fname);
    const std::string name = library.substr(library.rfind('/') + 1);
    std::string bundle = BundleLocation::fromLibraryPath(library);
    // Once per process, on standard error where a host's log shows it: a
    // library copied out of its bundle would otherwise open a black panel.
    const char* const advice = "keep the library inside its .vst bundle";
    if (bundle.empty())
    {
        std::fputs("Could not determine bundle location.\n", stdout);
        std::fprintf(stderr, "%s: no images: no bundle holds %s; %s\n", name.c_str(), library.c_str(), advice);
    }
    else if (!isDirectory(bundle + "/Contents/Resources"))
        std::fprintf(stderr, "%s: no images in %s/Contents/Resources; %s\n", name.c_str(), bundle.c_str(), advice);
    return bundle;
}
} // namespace

std::string BundleLocation::fromLibraryPath(const std::string& libraryPath)
{
    std::string path = libraryPath;
    for (int cut = 0; cut < 3; ++cut)
    {
        std::string::size_type slash = path.rfind('/');
        if (slash == std::string::npos)
            return std::string();
        path.erase(slash);
    }
    return path;
}

std::string BundleLocation::path()
{
    // Several plug-in instances, possibly built on different host threads,
    // share the one answer; it is never released.
    std::lock_guard<std::mutex> lock(bundleMutex);
    if (!bundleKnown)
    {
        bundlePath = findBundle();
        bundleKnown = true;
    }
    return bundlePath;
}

std::string BundleLocation::resourcesPath()
{
    std::string bundle = path();
    return bundle.empty() ? bundle : bundle + "/Contents/Resources";
}

void BundleLocation::setPath(const std::string& newPath)
{
    std::lock_guard<std::mutex> lock(bundleMutex);
    bundlePath = newPath;
    bundleKnown = true;
}

bool BundleLocation::hasResources()
{
    const std::string resources = resourcesPath();
    return !resources.empty() && isDirectory(resources);
}
