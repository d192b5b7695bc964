// zentrova-host: a command-line VST 2.4 host. Loads a plug-in library,
// plays MIDI through it and writes the result to a WAV file.

#include <cstdio>
#include <cstdlib>
#include <exception>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "tools/CommandLine.h"
#include "tools/HostedPlugin.h"
#include "tools/MidiSequence.h"
#include "tools/OfflineRenderer.h"
#include "tools/WavFile.h"

namespace
{
constexpr double kTailSeconds = 1.0;

struct Options
{
    std::string plugin;
    std::string midiFile;
    std::string output = "out.wav";
    std::string loadChunk;
    std::string saveChunk;
    bool programChunk = false;
    bool listParameters = false;
    bool render = true;
    double seconds = -1.0;
    HostSettings settings;
};

void usage()
{
    std::fputs("usage: zentrova-host PLUGIN.so [options]\n"
               "  --midi FILE          play a Standard MIDI File (default: the built-in phrase)\n"
               "  --out FILE.wav       where to write the render (default out.wav)\n"
               "  --seconds S          length of the render (default: the MIDI plus 1 s)\n"
               "  --rate HZ            sample rate (default 48000)\n"
               "  --block N            block size (default 512)\n"
               "  --tempo BPM          host tempo (default 120)\n"
               "  --load-chunk FILE    restore the plug-in's state from FILE first\n"
               "  --save-chunk FILE    save the plug-in's state to FILE at the end\n"
               "  --program            use program chunks instead of bank chunks\n"
               "  --list-parameters    print every parameter with its name and display\n"
               "  --no-render          load, list and save only\n",
               stderr);
}

bool parse(int argc, char** argv, Options& options)
{
    for (int i = 1; i < argc; ++i)
    {
        const std::string argument = argv[i];
        auto value = [&](std::string& out) {
            if (i + 1 >= argc)
                return false;
            out = argv[++i];
            return true;
        };
        std::string text;
        if (argument == "--midi")
        {
            if (!value(options.midiFile))
                return false;
        }
        else if (argument == "--phrase")
            options.midiFile.clear();
        else if (argument == "--out")
        {
            if (!value(options.output))
                return false;
        }
        else if (argument == "--seconds" || argument == "--rate" || argument == "--block" || argument == "--tempo")
        {
            if (!value(text))
                return false;
            const double number = std::atof(text.c_str());
            if (!(number > 0.0))
                return false;
            if (argument == "--seconds")
                options.seconds = number;
            else if (argument == "--rate")
                options.settings.sampleRate = number;
            else if (argument == "--block")
                options.settings.blockSize = static_cast<int>(number);
            else
                options.settings.tempo = number;
        }
        else if (argument == "--load-chunk")
        {
            if (!value(options.loadChunk))
                return false;
        }
        else if (argument == "--save-chunk")
        {
            if (!value(options.saveChunk))
                return false;
        }
        else if (argument == "--program")
            options.programChunk = true;
        else if (argument == "--list-parameters")
            options.listParameters = true;
        else if (argument == "--no-render")
            options.render = false;
        else if (!argument.empty() && argument[0] != '-' && options.plugin.empty())
            options.plugin = argument;
        else
            return false;
    }
    return !options.plugin.empty() && options.settings.blockSize > 0;
}

std::vector<unsigned char> readFile(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    if (!file)
        throw std::runtime_error("cannot read " + path);
    return std::vector<unsigned char>((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
}

void writeFile(const std::string& path, const std::vector<unsigned char>& bytes)
{
    std::ofstream file(path, std::ios::binary);
    file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (!file)
        throw std::runtime_error("cannot write " + path);
}

int run(const Options& options)
{
    HostedPlugin plugin(options.plugin, options.settings);
    AEffect* effect = plugin.effect();
    std::printf("%s: \"%s\" by \"%s\" (%s), %d inputs, %d outputs, %d parameters, %d programs, entry %s\n",
                options.plugin.c_str(), plugin.effectName().c_str(), plugin.vendorString().c_str(),
                plugin.productString().c_str(), effect->numInputs, effect->numOutputs, effect->numParams,
                effect->numPrograms, plugin.library().entryName().c_str());

    if (!options.loadChunk.empty())
    {
        const VstIntPtr answer = plugin.setChunk(readFile(options.loadChunk), options.programChunk);
        std::printf("state loaded from %s (answer %ld)\n", options.loadChunk.c_str(), static_cast<long>(answer));
    }

    if (options.listParameters)
        for (int i = 0; i < effect->numParams; ++i)
            std::printf("%4d  %-24s %s %s\n", i, plugin.parameterName(i).c_str(), plugin.parameterDisplay(i).c_str(),
                        plugin.parameterLabel(i).c_str());

    if (options.render)
    {
        const MidiSequence sequence = options.midiFile.empty() ? MidiSequence::builtInPhrase()
                                                               : MidiSequence::fromStandardMidiFile(options.midiFile);
        const double seconds = options.seconds > 0.0 ? options.seconds : sequence.duration() + kTailSeconds;
        OfflineRenderer::Result result = OfflineRenderer::render(plugin, sequence, seconds);
        WavFile::write(options.output, result.left, result.right, static_cast<int>(options.settings.sampleRate));
        std::printf("wrote %s\n%s", options.output.c_str(), result.statistics.report().c_str());
    }

    if (!options.saveChunk.empty())
    {
        const std::vector<unsigned char> chunk = plugin.getChunk(options.programChunk);
        writeFile(options.saveChunk, chunk);
        std::printf("state saved to %s (%zu bytes)\n", options.saveChunk.c_str(), chunk.size());
    }
    return 0;
}
} // namespace

int main(int argc, char** argv)
{
    return runCommandLine<Options>("zentrova-host", argc, argv, parse, usage, run);
}
