#pragma once

#include <cstdio>
#include <exception>

// The frame of a command-line tool: its options parsed (the usage printed
// and 2 returned when they do not parse), then its work, whose error is
// printed under the tool's name with 1 returned.
template <class Options, class Parse, class Usage, class Run>
int runCommandLine(const char* name, int argc, char** argv, Parse parse, Usage usage, Run run)
{
    Options options;
    if (!parse(argc, argv, options))
    {
        usage();
        return 2;
    }
    try
    {
        return run(options);
    }
    catch (const std::exception& error)
    {
        std::fprintf(stderr, "%s: %s\n", name, error.what());
        return 1;
    }
}
