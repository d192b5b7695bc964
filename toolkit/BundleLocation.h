#pragma once

#include <string>

// The plug-in bundle ("…/Name.vst") that holds the images under
// Contents/Resources, found from the library's own real path once per process.
class BundleLocation
{
public:
    // Empty when the bundle could not be found.
    static std::string path();
    static std::string resourcesPath();
    // False when the resources folder is not there: no image can load.
    static bool hasResources();
    // The library path cut at its last "/" three times; empty when there
    // are too few.
    static std::string fromLibraryPath(const std::string& libraryPath);
    // Points every later lookup at path (tests and tools without a bundle).
    static void setPath(const std::string& path);
};
