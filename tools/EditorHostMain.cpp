// zentrova-editor-host: opens a VST 2.4 plug-in's editor in a window of its
// own on X11, for people and for the window tests (see EditorHost.h).

#include <clocale>
#include <cstdio>
#include <string>

#include "tools/CommandLine.h"
#include "tools/EditorHost.h"
#include "tools/InputScript.h"
#include "tools/PluginLibrary.h"
#include "tools/SimdSetting.h"

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

void usage(std::FILE* out)
{
    std::fputs("usage: zentrova-editor-host PLUGIN.so [options]\n"
               "  --script FILE   play an input script (- reads standard input), then quit\n"
               "  --log FILE      write the host's lines there (default: standard output)\n"
               "  --editors N     N instances, their windows side by side, 1 to 8 (default 1)\n"
               "  --idle MS       the editor's idle period, 1 to 1000 (default 15)\n"
               "  --seconds S     quit after S seconds, whatever the script or the editor is doing\n"
               "  --help, -h      print this\n",
               out);
}

bool parse(int argc, char** argv, Options& options)
{
    for (int i = 1; i < argc; ++i)
    {
        const std::string argument = argv[i];
        if (argument == "--script")
            options.script = optionValue(argc, argv, i);
        else if (argument == "--log")
            options.host.logPath = optionValue(argc, argv, i);
        else if (argument == "--editors")
            options.host.editors = static_cast<int>(wholeValue(argument, optionValue(argc, argv, i), 1, 8));
        else if (argument == "--idle")
            options.host.idleMillis = static_cast<int>(wholeValue(argument, optionValue(argc, argv, i), 1, 1000, "ms"));
        else if (argument == "--seconds")
        {
            const std::string text = optionValue(argc, argv, i);
            // Far beyond any session, and within what the clock counts in milliseconds.
            options.host.seconds = numberValue(argument, text, 0.0, 1e9, "s");
            if (!(options.host.seconds > 0.0))
                throw UsageError(argument + " " + text + ": must be more than 0");
        }
        else
            takePluginArgument(argument, options.host.pluginPath);
    }
    requirePlugin(options.host.pluginPath);
    return true;
}
} // namespace

int main(int argc, char** argv)
{
    // As hosts do: the user's locale, for the input method.
    std::setlocale(LC_ALL, "");
    return runCommandLine<Options>("zentrova-editor-host", argc, argv, parse, usage, [](const Options& options) {
        settleSimdSetting();
        // The plug-in before the script and the display: a missing file is
        // the first thing to fix, whatever else is wrong.
        const PluginLibrary library(options.host.pluginPath);
        InputScript script;
        if (!options.script.empty())
            script = InputScript::load(options.script);
        EditorHost host(options.host);
        return host.run(options.script.empty() ? nullptr : &script);
    });
}
