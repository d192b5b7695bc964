// zentrova-host: a command-line VST 2.4 host. Loads a plug-in library,
// plays MIDI through it and writes the result to a WAV file.

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <new>
#include <stdexcept>
#include <string>
#include <vector>

#include "tools/CommandLine.h"
#include "tools/HostedPlugin.h"
#include "tools/MidiSequence.h"
#include "tools/OfflineRenderer.h"
#include "tools/SimdSetting.h"
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
    // A render to a file: the plug-in may take the time it needs, so that
    // the same options give the same file.
    HostSettings settings = [] {
        HostSettings offline;
        offline.processLevel = kVstProcessLevelOffline;
        return offline;
    }();
};

// Samples of a stereo render of 32-bit floats that a WAV file holds: its
// sizes are 32-bit fields.
constexpr double kMaxFrames = (4294967295.0 - 4096.0) / 8.0;
// The lowest rate hosts run at, and the highest the plug-ins play at (above
// it they play silence).
constexpr long kLowestRate = 8000;
constexpr long kHighestRate = 768000;
// Zentrova's states are at most 1 MiB of text: a file 64 times that is no
// state, and a device that never ends is refused rather than read until
// memory runs out.
constexpr std::uint64_t kLargestChunk = 64u << 20;

void usage(std::FILE* out)
{
    std::fputs("usage: zentrova-host PLUGIN.so [options]\n"
               "  --midi FILE          play a Standard MIDI File (default: the built-in phrase)\n"
               "  --phrase             play the built-in phrase (the default)\n"
               "  --out FILE.wav       where to write the render (default out.wav)\n"
               "  --seconds S          length of the render (default: the MIDI plus 1 s)\n"
               "  --rate HZ            sample rate, 8000 to 768000 (default 48000)\n"
               "  --block N            block size, 1 to 65536 (default 512)\n"
               "  --tempo BPM          host tempo, 1 to 1000 (default 120)\n"
               "  --load-chunk FILE    restore the plug-in's state from FILE first\n"
               "  --save-chunk FILE    save the plug-in's state to FILE at the end\n"
               "  --program            use program chunks instead of bank chunks\n"
               "  --list-parameters    print every parameter with its name and display\n"
               "  --no-render          load, list and save only\n"
               "  --help, -h           print this\n",
               out);
}

// The longest render a WAV file holds at the rate, in seconds.
double longestRender(double sampleRate)
{
    return std::floor(kMaxFrames / sampleRate);
}

bool parse(int argc, char** argv, Options& options)
{
    std::string secondsText;
    for (int i = 1; i < argc; ++i)
    {
        const std::string argument = argv[i];
        if (argument == "--midi")
            options.midiFile = optionValue(argc, argv, i);
        else if (argument == "--phrase")
            options.midiFile.clear();
        else if (argument == "--out")
            options.output = optionValue(argc, argv, i);
        else if (argument == "--seconds")
        {
            // Its bounds depend on the rate, which may come later.
            secondsText = optionValue(argc, argv, i);
            options.seconds = numberValue(argument, secondsText, -HUGE_VAL, HUGE_VAL);
        }
        else if (argument == "--rate")
        {
            const std::string text = optionValue(argc, argv, i);
            const double rate = numberValue(argument, text, -HUGE_VAL, HUGE_VAL);
            const std::string range = ": must be a whole number of Hz from " + std::to_string(kLowestRate) + " to " +
                                      std::to_string(kHighestRate);
            if (rate > kHighestRate)
                throw UsageError(argument + " " + text + range + " (above " + std::to_string(kHighestRate) +
                                 " Hz Zentrova plays silence)");
            if (rate < kLowestRate || rate != std::floor(rate))
                throw UsageError(argument + " " + text + range);
            options.settings.sampleRate = rate;
        }
        else if (argument == "--block")
            options.settings.blockSize = static_cast<int>(wholeValue(argument, optionValue(argc, argv, i), 1, 65536));
        else if (argument == "--tempo")
            options.settings.tempo = numberValue(argument, optionValue(argc, argv, i), 1.0, 1000.0, "BPM");
        else if (argument == "--load-chunk")
            options.loadChunk = optionValue(argc, argv, i);
        else if (argument == "--save-chunk")
            options.saveChunk = optionValue(argc, argv, i);
        else if (argument == "--program")
            options.programChunk = true;
        else if (argument == "--list-parameters")
            options.listParameters = true;
        else if (argument == "--no-render")
            options.render = false;
        else
            takePluginArgument(argument, options.plugin);
    }
    requirePlugin(options.plugin);
    const std::string longest = formatNumber(longestRender(options.settings.sampleRate)) + " s at " +
                                formatNumber(options.settings.sampleRate) + " Hz";
    if (!secondsText.empty() && !(options.seconds > 0.0))
        throw UsageError("--seconds " + secondsText + ": must be more than 0 s and at most " + longest +
                         ", what a WAV file holds");
    if (options.seconds > longestRender(options.settings.sampleRate))
        throw UsageError("--seconds " + secondsText + ": a WAV file holds at most " + longest);
    return true;
}

int run(const Options& options)
{
    settleSimdSetting();
    // The files the options name are read before the plug-in is loaded, so
    // that a wrong one is said at once.
    const std::vector<unsigned char> chunkToLoad = options.loadChunk.empty()
                                                       ? std::vector<unsigned char>()
                                                       : readBoundedFile(options.loadChunk, kLargestChunk, "state");
    const MidiSequence sequence = !options.render || options.midiFile.empty()
                                      ? MidiSequence::builtInPhrase()
                                      : MidiSequence::fromStandardMidiFile(options.midiFile);
    const double seconds = options.seconds > 0.0 ? options.seconds : sequence.duration() + kTailSeconds;
    if (options.render && seconds > longestRender(options.settings.sampleRate))
        throw std::runtime_error(options.midiFile + " lasts " + formatNumber(seconds) +
                                 " s with its tail: a WAV file holds at most " +
                                 formatNumber(longestRender(options.settings.sampleRate)) + " s at " +
                                 formatNumber(options.settings.sampleRate) + " Hz");
    // And the files they name to write, before a render that may be long.
    if (options.render)
        checkWritable(options.output);
    if (!options.saveChunk.empty())
        checkWritable(options.saveChunk);

    HostedPlugin plugin(options.plugin, options.settings);
    AEffect* effect = plugin.effect();
    std::printf("%s: \"%s\" by \"%s\" (%s), %d inputs, %d outputs, %d parameters, %d programs, entry %s\n",
                options.plugin.c_str(), plugin.effectName().c_str(), plugin.vendorString().c_str(),
                plugin.productString().c_str(), effect->numInputs, effect->numOutputs, effect->numParams,
                effect->numPrograms, plugin.library().entryName().c_str());

    if (!options.loadChunk.empty())
    {
        const VstIntPtr answer = plugin.setChunk(chunkToLoad, options.programChunk);
        // The plug-in answers 0 when it keeps the state it had.
        if (answer == 0)
            throw std::runtime_error("the plug-in refused the state in " + options.loadChunk);
        std::printf("state loaded from %s (answer %ld)\n", options.loadChunk.c_str(), static_cast<long>(answer));
    }

    if (options.listParameters)
        for (int i = 0; i < effect->numParams; ++i)
            std::printf("%4d  %-24s %s %s\n", i, plugin.parameterName(i).c_str(), plugin.parameterDisplay(i).c_str(),
                        plugin.parameterLabel(i).c_str());

    if (options.render)
    {
        try
        {
            OfflineRenderer::Result result = OfflineRenderer::render(plugin, sequence, seconds);
            WavFile::write(options.output, result.left, result.right, static_cast<int>(options.settings.sampleRate));
            std::printf("wrote %s\n%s", options.output.c_str(), result.statistics.report().c_str());
        }
        catch (const std::bad_alloc&)
        {
            throw std::runtime_error("not enough memory for " + formatNumber(seconds) + " s of audio at " +
                                     formatNumber(options.settings.sampleRate) + " Hz");
        }
    }

    if (!options.saveChunk.empty())
    {
        const std::vector<unsigned char> chunk = plugin.getChunk(options.programChunk);
        writeWholeFile(options.saveChunk, chunk);
        std::printf("state saved to %s (%zu bytes)\n", options.saveChunk.c_str(), chunk.size());
    }
    return 0;
}
} // namespace

int main(int argc, char** argv)
{
    return runCommandLine<Options>("zentrova-host", argc, argv, parse, usage, run);
}
