// Build step: draws the editor's images from the layout document into the
// plug-in bundles.
//
//   zentrova-artwork RESOURCES_FOLDER...
//
// Every folder receives the same files, bmp00128.png to bmp00395.png. The
// exit status is 1 when the layout and the images disagree.

#include "editor/layout/GuiLayout.h"
#include "tools/ArtworkGenerator.h"

#include <boost/filesystem.hpp>

#include <cstdio>
#include <exception>
#include <string>
#include <vector>

int main(int argc, char** argv)
{
    if (argc < 2)
    {
        std::fprintf(stderr, "usage: %s RESOURCES_FOLDER...\n", argv[0]);
        return 2;
    }
    try
    {
        std::vector<std::string> folders(argv + 1, argv + argc);
        for (const std::string& folder : folders)
            boost::filesystem::create_directories(folder);
        GuiLayout layout;
        ArtworkGenerator generator(layout);
        const int problems = generator.generate(folders);
        if (problems > 0)
        {
            std::fprintf(stderr, "%s: %d problems in the layout\n", argv[0], problems);
            return 1;
        }
    }
    catch (const std::exception& error)
    {
        std::fprintf(stderr, "%s: %s\n", argv[0], error.what());
        return 1;
    }
    return 0;
}
