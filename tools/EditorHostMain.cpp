// zentrova-editor-host: opens a VST 2.4 plug-in's editor in a window of its
// own on X11, for people and for the window tests (see EditorHost.h).

#include <clocale>
#include <cstdio>
#include <string>

#include "tools/CommandLine.h"
#include "tools/EditorHost.h"
#include "tools/InputScript.h"

// The blocks of its configuration that fontconfig keeps out of
// LeakSanitizer's sight until FcFini, which no plug-in calls, are not ours
// to report.
extern "C" __attribute__((visibility("default"))) const char* __lsan_default_suppressions()
{
    return "leak:libfontconfig.so\n";
}

namespace
{
struct Options
{
    EditorHostOptions host;
    std::string script;
};

void usage()
{
    std::fputs("usage: zentrova-editor-host PLUGIN.so [options]\n"
               "  --script FILE   play an input script (- reads standard input), then quit\n"
               "  --log FILE      write the host's lines there (default: standard output)\n"
               "  --editors N     N instances, their windows side by side (default 1)\n"
               "  --idle MS       the editor's idle period (default 15)\n"
               "  --seconds S     quit after S seconds\n",
               stderr);
}

bool parseNumber(const char* text, double& out)
{
    try
    {
        std::size_t used = 0;
        out = std::stod(text, &used);
        return used == std::string(text).size();
    }
    catch (...)
    {
        return false;
    }
}

bool parse(int argc, char** argv, Options& options)
{
    for (int i = 1; i < argc; ++i)
    {
        const std::string argument = argv[i];
        const bool hasValue = i + 1 < argc;
        double number = 0.0;
        if (argument == "--script" && hasValue)
            options.script = argv[++i];
        else if (argument == "--log" && hasValue)
            options.host.logPath = argv[++i];
        else if (argument == "--editors" && hasValue && parseNumber(argv[++i], number) && number >= 1 && number <= 8)
            options.host.editors = static_cast<int>(number);
        else if (argument == "--idle" && hasValue && parseNumber(argv[++i], number) && number >= 1 && number <= 1000)
            options.host.idleMillis = static_cast<int>(number);
        else if (argument == "--seconds" && hasValue && parseNumber(argv[++i], number) && number > 0)
            options.host.seconds = number;
        else if (!argument.empty() && argument[0] != '-' && options.host.pluginPath.empty())
            options.host.pluginPath = argument;
        else
            return false;
    }
    return !options.host.pluginPath.empty();
}
} // namespace

int main(int argc, char** argv)
{
    // As hosts do: the user's locale, for the input method.
    std::setlocale(LC_ALL, "");
    return runCommandLine<Options>("zentrova-editor-host", argc, argv, parse, usage, [](const Options& options) {
        InputScript script;
        if (!options.script.empty())
            script = InputScript::load(options.script);
        EditorHost host(options.host);
        return host.run(options.script.empty() ? nullptr : &script);
    });
}
