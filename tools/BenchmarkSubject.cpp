#include "tools/BenchmarkSubject.h"

#include "Source/parameters/ParameterIndices.h"
#include "tools/HostedPlugin.h"

#include <stdexcept>

namespace
{
// Voices per MIDI channel when the function is "Poly 16" and unison stacks
// them ("Mono"); 128 voices fill eight channels.
constexpr int kVoicesPerChannel = 16;

float choice(int index, int count)
{
    return static_cast<float>(index) / static_cast<float>(count - 1);
}

std::string trimmed(const std::string& text)
{
    const auto first = text.find_first_not_of(' ');
    if (first == std::string::npos)
        return {};
    const auto last = text.find_last_not_of(' ');
    return text.substr(first, last - first + 1);
}

int indexByName(HostedPlugin& plugin, const std::string& name)
{
    const int count = plugin.effect()->numParams;
    for (int i = 0; i < count; ++i)
        if (plugin.parameterName(i) == name)
            return i;
    throw std::runtime_error(plugin.effectName() + " has no parameter " + name);
}
} // namespace

std::vector<std::string> applySettings(HostedPlugin& plugin, const std::vector<ParameterSetting>& settings)
{
    std::vector<std::string> lines;
    for (const ParameterSetting& setting : settings)
    {
        const int index = setting.index >= 0 ? setting.index : indexByName(plugin, setting.name);
        plugin.setParameter(index, setting.value);
        const std::string shown = trimmed(plugin.parameterDisplay(index));
        const std::string name = trimmed(plugin.parameterName(index));
        if (!setting.expected.empty() && shown != setting.expected)
            throw std::runtime_error(name + " shows \"" + shown + "\" instead of \"" + setting.expected + "\"");
        lines.push_back(name + " = " + trimmed(shown + " " + trimmed(plugin.parameterLabel(index))));
    }
    return lines;
}

BenchmarkSubject BenchmarkSubject::zentrova(const std::string& path)
{
    using namespace Param;
    BenchmarkSubject subject;
    subject.label = "Zentrova2";
    subject.path = path;
    subject.patch = [](int voices) {
        // One voice needs the mono function: a stack of one.
        const bool single = voices <= 1;
        return std::vector<ParameterSetting>{
            {Function, single ? choice(0, 6) : choice(5, 6), single ? "Mono" : "Poly 16", {}},
            {UnisonMode, choice(1, 9), "Mono", {}},
            {UnisonDetune, 0.15f, "15", {}},
            {Arpeggio, choice(0, 5), "Off", {}},
            {KeyboardHold, choice(0, 2), "Off", {}},
            {ChordMemory, choice(0, 2), "Off", {}},
            {Osc1Waveform, choice(1, 13), "Sawtooth", {}},
            {Osc2Waveform, choice(4, 13), "PWM", {}},
            {Osc2Detune, 0.56f, "6", {}},
            {OscMix, 0.5f, {}, {}},
            {NoiseMix, 0.3f, {}, {}},
            {NoiseType, choice(0, 3), "White", {}},
            {FilterType, choice(0, 9), "Low Pass", {}},
            {FilterFreq, 0.45f, {}, {}},
            {FilterQ, 0.45f, "0.45", {}},
            {FilterDrive, 0.3f, "30", {}},
            {EnvToFilter, 0.8f, "60", {}},
            {FilterSustain, 0.4f, "40", {}},
            {AmpSustain, 1.0f, "100.0", {}},
            {ChorusLevel, 0.5f, "50", {}},
            {DelayLevel, 0.35f, "35", {}},
            {EffectActive, choice(1, 2), "On", {}},
        };
    };
    subject.notes = [](int voices) {
        std::vector<BenchmarkNote> notes;
        const int channels = voices <= kVoicesPerChannel ? 1 : (voices + kVoicesPerChannel - 1) / kVoicesPerChannel;
        for (int c = 0; c < channels; ++c)
            notes.push_back({c, 40 + 5 * c});
        return notes;
    };
    subject.waveChange = {{Osc1Waveform, choice(2, 13), "Square", {}}};
    return subject;
}

BenchmarkSubject BenchmarkSubject::peer(const std::string& path)
{
    BenchmarkSubject subject;
    subject.label = "amsynth";
    subject.path = path;
    subject.patch = [](int) {
        return std::vector<ParameterSetting>{
            {-1, 0.5f, "2", "osc1_waveform"}, // sawtooth
            {-1, 0.25f, "1", "osc2_waveform"}, // pulse
            {-1, 0.7f, {}, "osc2_pulsewidth"},
            {-1, 0.5f, {}, "osc_mix"},
            {-1, 0.0f, "0", "filter_type"}, // low pass
            {-1, 1.0f, "1", "filter_slope"}, // 24 dB
            {-1, 0.45f, {}, "filter_cutoff"},
            {-1, 0.45f, {}, "filter_resonance"},
            {-1, 0.8f, {}, "filter_env_amount"},
            {-1, 0.4f, {}, "filter_sustain"},
            {-1, 0.3f, {}, "filter_decay"},
            {-1, 1.0f, {}, "amp_sustain"},
            {-1, 0.2f, {}, "amp_release"},
            {-1, 0.3f, {}, "reverb_wet"},
            {-1, 0.5f, {}, "reverb_roomsize"},
        };
    };
    subject.notes = [](int voices) {
        // Distinct notes spread over the keyboard: 37 is prime to 128.
        std::vector<BenchmarkNote> notes;
        for (int i = 0; i < voices; ++i)
            notes.push_back({0, (20 + 37 * i) % 128});
        return notes;
    };
    subject.waveChange = {{-1, 0.25f, "1", "osc1_waveform"}};
    return subject;
}
