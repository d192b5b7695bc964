#pragma once

#include <functional>
#include <string>
#include <vector>

class HostedPlugin;

// One parameter of a benchmark patch: the normalised value handed to
// setParameter and the text the plug-in must then display for it (none to
// accept whatever it shows). A negative index looks the parameter up by name.
struct ParameterSetting
{
    int index;
    float value;
    std::string expected;
    std::string name;
};

struct BenchmarkNote
{
    int channel; // 0..15
    int note;
};

// A plug-in under test: where it is, the demanding patch for a voice count,
// the notes that make that many voices sound, and a wave change for the
// middle of the run.
struct BenchmarkSubject
{
    std::string label;
    std::string path;
    std::function<std::vector<ParameterSetting>(int voices)> patch;
    std::function<std::vector<BenchmarkNote>(int voices)> notes;
    std::vector<ParameterSetting> waveChange;

    // Our instrument: sawtooth and PWM, noise, the four-pole low pass swept
    // by its envelope, chorus and echo, voices stacked 16 to a MIDI channel.
    static BenchmarkSubject zentrova(const std::string& path);
    // amsynth, as close as its controls allow: sawtooth and pulse, the
    // 24 dB low pass swept by its envelope, reverb; one voice per note.
    static BenchmarkSubject peer(const std::string& path);
};

// Sets every parameter of the list and reads its display back. Throws
// std::runtime_error naming the parameter whose display differs from the
// expected text, or whose name the plug-in does not know. Returns one
// "name = display label" line per parameter.
std::vector<std::string> applySettings(HostedPlugin& plugin, const std::vector<ParameterSetting>& settings);
