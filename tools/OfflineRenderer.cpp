#include "tools/OfflineRenderer.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstring>

#include "tools/HostedPlugin.h"

OfflineRenderer::Result OfflineRenderer::render(HostedPlugin& plugin, const MidiSequence& sequence, double seconds)
{
    const HostSettings& settings = plugin.settings();
    const int blockSize = std::max(1, settings.blockSize);
    const auto totalFrames = static_cast<long long>(std::llround(seconds * settings.sampleRate));
    AEffect* effect = plugin.effect();
    const int numInputs = std::max(0, effect->numInputs);
    const int numOutputs = std::max(2, effect->numOutputs);

    std::vector<std::vector<float>> inputBuffers(numInputs, std::vector<float>(blockSize, 0.0f));
    std::vector<std::vector<float>> outputBuffers(numOutputs, std::vector<float>(blockSize, 0.0f));
    std::vector<float*> inputs(std::max(1, numInputs), nullptr);
    std::vector<float*> outputs(numOutputs);
    for (int i = 0; i < numInputs; ++i)
        inputs[i] = inputBuffers[i].data();
    for (int i = 0; i < numOutputs; ++i)
        outputs[i] = outputBuffers[i].data();

    Result result{{}, {}, RenderStatistics(settings.sampleRate)};
    result.left.reserve(static_cast<std::size_t>(std::max(0LL, totalFrames)));
    result.right.reserve(static_cast<std::size_t>(std::max(0LL, totalFrames)));

    if (!plugin.isResumed())
        plugin.resume();
    plugin.setPlaying(true);
    const std::vector<TimedMidiMessage>& messages = sequence.messages();
    std::size_t next = 0;
    std::vector<VstMidiEvent> events;
    for (long long start = 0; start < totalFrames; start += blockSize)
    {
        const int frames = static_cast<int>(std::min<long long>(blockSize, totalFrames - start));
        events.clear();
        while (next < messages.size())
        {
            const auto frame = static_cast<long long>(std::llround(messages[next].seconds * settings.sampleRate));
            if (frame >= start + frames)
                break;
            VstMidiEvent event{};
            event.type = kVstMidiType;
            event.byteSize = sizeof(VstMidiEvent);
            event.deltaFrames = static_cast<VstInt32>(std::max(0LL, frame - start));
            std::memcpy(event.midiData, messages[next].bytes, 3);
            events.push_back(event);
            ++next;
        }
        for (auto& buffer : outputBuffers)
            std::fill(buffer.begin(), buffer.end(), 0.0f);
        const auto before = std::chrono::steady_clock::now();
        plugin.processBlock(events, inputs.data(), outputs.data(), frames);
        const auto after = std::chrono::steady_clock::now();
        result.statistics.addBlock(std::chrono::duration<double>(after - before).count(), frames);
        result.left.insert(result.left.end(), outputs[0], outputs[0] + frames);
        result.right.insert(result.right.end(), outputs[1], outputs[1] + frames);
    }
    plugin.setPlaying(false);
    return result;
}
