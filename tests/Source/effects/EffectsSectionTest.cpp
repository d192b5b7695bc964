#include "Source/Flavour.h"
#include "Source/Zentrova.h"
#include "Source/effects/Echo.h"
#include "Source/effects/EffectsSection.h"
#include "Source/entry/PluginEntry.h"
#include "Source/parameters/ParameterTable.h"
#include "TestSignals.h"
#include "simd/SystemInfo.h"
#include "tests/support/TemporaryHome.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <functional>
#include <memory>
#include <random>
#include <string>
#include <vector>

namespace
{
VoiceEvent integerEvent(std::int64_t code, std::int64_t value, std::int64_t time)
{
    return VoiceEvent(code, value, time);
}

VoiceEvent floatEvent(std::int64_t code, float value, std::int64_t time)
{
    return VoiceEvent(code, time, value);
}

// The section with its queue, fed the way the main object feeds it: events
// stamped with absolute sample times are handed over in the block they fall
// in, with times relative to that block.
class SectionRun
{
public:
    SectionRun(float hostRate, int blockSize)
    {
        section.setBlockSize(blockSize);
        section.setSampleRate(hostRate);
        section.resume();
    }

    // Renders mix (four floats per host sample) in blocks whose sizes
    // nextBlock chooses; events are sorted by their absolute times.
    void render(const std::vector<float>& mix, const std::vector<VoiceEvent>& events,
                const std::function<int()>& nextBlock, int replace = 1, bool tellSilence = false)
    {
        const std::int64_t total = std::int64_t(mix.size() / 4);
        left.resize(std::size_t(total), 0.0f);
        right.resize(std::size_t(total), 0.0f);
        std::size_t next = 0;
        for (std::int64_t start = 0; start < total;)
        {
            const int frames = int(std::min<std::int64_t>(nextBlock(), total - start));
            for (; next < events.size() && events[next].time < start + frames; ++next)
            {
                VoiceEvent event = events[next];
                event.time -= start;
                cue.push(0, event);
            }
            cue.beginRead();
            if (section.delayTempoFromHost())
                section.setTempo(hostTempo);
            const bool silent = tellSilence && std::all_of(mix.begin() + 4 * start, mix.begin() + 4 * (start + frames),
                                                           [](float x) { return x == 0.0f; });
            section.process(cue, mix.data() + 4 * start, left.data() + start, right.data() + start, frames,
                            replace, silent);
            start += frames;
        }
    }

    EffectsSection section;
    ControlCue<VoiceEvent> cue;
    std::vector<float> left;
    std::vector<float> right;
    float hostTempo = 60.0f;
};

std::function<int()> fixedBlocks(int size)
{
    return [size] { return size; };
}

std::function<int()> randomBlocks(int largest, unsigned seed)
{
    auto random = std::make_shared<std::mt19937>(seed);
    return [random, largest] { return std::uniform_int_distribution<int>(1, largest)(*random); };
}

std::vector<float> constantMix(std::int64_t hostSamples, float value)
{
    return std::vector<float>(std::size_t(hostSamples) * 4, value);
}

std::vector<float> noiseMix(std::int64_t hostSamples, unsigned seed, float amplitude)
{
    std::vector<float> mix = whiteNoise(std::size_t(hostSamples) * 4, seed);
    for (float& x : mix)
        x *= amplitude;
    return mix;
}

// Chorus and echo both in the chain, every unit doing something.
std::vector<VoiceEvent> fullChain(std::int64_t time)
{
    return {
        floatEvent(Param::Volume, 1.0f, time),
        integerEvent(Param::EffectActive, 1, time),
        integerEvent(Param::ChorusMode, 2, time),
        floatEvent(Param::ChorusRate, 0.7f, time),
        floatEvent(Param::ChorusDepth, 3.0f, time),
        integerEvent(Param::ChorusLevel, 60, time),
        integerEvent(Param::DelayTempo, 120, time),
        integerEvent(Param::DelayUnits, 4, time),
        integerEvent(Param::DelayLengthLeft, 3, time),
        integerEvent(Param::DelayLengthRight, 5, time),
        floatEvent(Param::DelayMixLeft, 0.5f, time),
        floatEvent(Param::DelayMixRight, 0.6f, time),
        integerEvent(Param::DelayFeedbackLeft, 40, time),
        integerEvent(Param::DelayFeedbackRight, 30, time),
        floatEvent(Param::DelayHighpass, 100.0f, time),
        floatEvent(Param::DelayLowpass, 8.0f, time),
        integerEvent(Param::DelayFeedbackMode, 1, time),
        integerEvent(Param::DelayLevel, 80, time),
    };
}

double maxDifference(const std::vector<float>& a, const std::vector<float>& b)
{
    double largest = 0.0;
    for (std::size_t i = 0; i < a.size(); ++i)
        largest = std::max(largest, std::fabs(double(a[i]) - double(b[i])));
    return largest;
}

// Restores the processor's own choice of variants when a test ends.
struct PortableVariants
{
    explicit PortableVariants(bool portable) { SystemInfo::forcePortable(portable); }
    ~PortableVariants() { SystemInfo::forcePortable(false); }
};

VstIntPtr tempoHost(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void*, float)
{
    static VstTimeInfo timeInfo = [] {
        VstTimeInfo info{};
        info.tempo = 120.0;
        info.flags = kVstTempoValid;
        return info;
    }();
    if (opcode == audioMasterVersion)
        return 2400;
    if (opcode == audioMasterGetTime)
        return reinterpret_cast<VstIntPtr>(&timeInfo);
    return 0;
}
} // namespace

TEST(EffectsSection, DcGainIsAnEighthOfTheVolume)
{
    const float input = 0.4f;
    for (float volume : {1.0f, 0.5f, 0.1f})
    {
        for (bool effectsOn : {false, true})
        {
            SectionRun run(44100.0f, 256);
            std::vector<VoiceEvent> events = {floatEvent(Param::Volume, volume, 0)};
            if (effectsOn)
            {
                // In the chain, but with nothing of their own to add.
                events.push_back(integerEvent(Param::EffectActive, 1, 0));
                events.push_back(integerEvent(Param::DelayLevel, 100, 0));
            }
            run.render(constantMix(4096, input), events, fixedBlocks(256));
            const float expected = 0.125f * volume * input;
            for (std::size_t k = 4000; k < 4096; ++k)
            {
                ASSERT_NEAR(run.left[k], expected, 1e-6f) << "volume " << volume << " effects " << effectsOn;
                ASSERT_NEAR(run.right[k], expected, 1e-6f) << "volume " << volume << " effects " << effectsOn;
            }
        }
    }
}

TEST(EffectsSection, BeforeAnyVolumeTheMixPassesAtHalfGain)
{
    SectionRun run(44100.0f, 256);
    run.render(constantMix(2048, 0.3f), {}, fixedBlocks(256));
    EXPECT_NEAR(run.left.back(), 0.15f, 1e-6f);
    EXPECT_NEAR(run.right.back(), 0.15f, 1e-6f);
}

TEST(EffectsSection, EffectsOffLeavesTheDecimatedMixAloneWhateverTheSettings)
{
    const std::vector<float> mix = noiseMix(8192, 7, 0.5f);
    std::vector<VoiceEvent> events = fullChain(0);
    events.push_back(integerEvent(Param::EffectActive, 0, 0));
    SectionRun off(44100.0f, 512);
    off.render(mix, events, fixedBlocks(512));
    SectionRun bare(44100.0f, 512);
    bare.render(mix, {floatEvent(Param::Volume, 1.0f, 0)}, fixedBlocks(512));
    EXPECT_EQ(off.left, bare.left);
    EXPECT_EQ(off.right, bare.right);
}

TEST(EffectsSection, LevelsAtZeroReduceTheChainToTheDecimator)
{
    const std::vector<float> mix = noiseMix(20000, 8, 0.5f);
    std::vector<VoiceEvent> events = fullChain(0);
    // The chorus fades out over a tenth of a second, then leaves the chain.
    events.push_back(integerEvent(Param::ChorusLevel, 0, 100));
    events.push_back(integerEvent(Param::DelayLevel, 0, 100));
    SectionRun quiet(44100.0f, 512);
    quiet.render(mix, events, fixedBlocks(512));
    SectionRun bare(44100.0f, 512);
    bare.render(mix, {floatEvent(Param::Volume, 1.0f, 0)}, fixedBlocks(512));
    EXPECT_GT(std::fabs(quiet.left[200] - bare.left[200]), 1e-4f) << "the chain was in use before";
    // What the decimator still holds of the chain's output dies away.
    const std::size_t settled = 100 + 4410 + 512 + 3000;
    for (std::size_t k = settled; k < quiet.left.size(); ++k)
    {
        ASSERT_NEAR(quiet.left[k], bare.left[k], 1e-7f) << k;
        ASSERT_NEAR(quiet.right[k], bare.right[k], 1e-7f) << k;
    }
}

TEST(EffectsSection, SameOutputHoweverTheHostBlockIsSplit)
{
    const float rate = 22050.0f;
    const std::vector<float> mix = noiseMix(60000, 11, 0.5f);
    std::vector<VoiceEvent> events = fullChain(0);
    const std::vector<VoiceEvent> later = {
        integerEvent(Param::DelayLengthLeft, 2, 5000),    // a crossfade to a shorter delay
        integerEvent(Param::ChorusMode, 4, 9000),         // smoothed taps
        integerEvent(Param::DelayLengthRight, 7, 12000),  // longer than what was written since
        integerEvent(Param::EffectActive, 0, 15000),
        integerEvent(Param::EffectActive, 1, 17001),      // the echo restarts from silence
        integerEvent(Param::ChorusLevel, 0, 20000),       // fades out, then leaves the chain
        integerEvent(Param::ChorusLevel, 70, 30000),
        integerEvent(Param::ChorusMode, 1, 30000),
        floatEvent(Param::ChorusRate, 3.0f, 30000),
        integerEvent(Param::DelayDucking, -50, 33000),
        integerEvent(Param::DelayUnits, 3, 33000),
        integerEvent(Param::DelayLevel, 0, 36000),
        integerEvent(Param::DelayLevel, 100, 38000),
        floatEvent(Param::Volume, 0.5f, 41000),
        integerEvent(Param::DelayDucking, 40, 41000),
        integerEvent(Param::ChorusMode, 3, 41000),
        integerEvent(Param::DelayTempo, 31, 45000),       // the host's tempo from the next change on
        integerEvent(Param::DelayLengthLeft, 4, 47000),
        floatEvent(Param::ChorusDepth, 1.0f, 50000),
        integerEvent(Param::DelayFeedbackMode, 0, 52000),
    };
    events.insert(events.end(), later.begin(), later.end());

    SectionRun whole(rate, 512);
    whole.render(mix, events, fixedBlocks(512));
    // Blocks of every size, some longer than announced.
    SectionRun split(rate, 512);
    split.render(mix, events, randomBlocks(700, 5));
    SectionRun tiny(rate, 512);
    tiny.render(mix, events, randomBlocks(7, 6));

    EXPECT_LT(maxDifference(whole.left, split.left), 1e-5);
    EXPECT_LT(maxDifference(whole.right, split.right), 1e-5);
    EXPECT_LT(maxDifference(whole.left, tiny.left), 1e-5);
    EXPECT_LT(maxDifference(whole.right, tiny.right), 1e-5);
}

TEST(EffectsSection, EventsApplyAtTheirSampleAndAtTheBlockEdges)
{
    const float input = 0.8f;
    const int n = 64;
    SectionRun run(44100.0f, n);
    // Settle the decimator on the constant at volume 1 (output 0.1).
    run.render(constantMix(1024, input), {floatEvent(Param::Volume, 1.0f, 0)}, fixedBlocks(n));

    // The volume each sample was rendered at.
    const auto render = [&](const std::vector<VoiceEvent>& events, int frames) {
        for (const VoiceEvent& event : events)
            run.cue.push(0, event);
        run.cue.beginRead();
        const std::vector<float> mix = constantMix(frames, input);
        std::vector<float> left(frames), right(frames);
        run.section.process(run.cue, mix.data(), left.data(), right.data(), frames, 1);
        EXPECT_EQ(left, right);
        std::vector<float> volumes(frames);
        for (int k = 0; k < frames; ++k)
            volumes[std::size_t(k)] = left[std::size_t(k)] / (0.125f * input);
        return volumes;
    };
    // A volume glides to its new value from the event's sample on: the
    // samples of the block at which the volume set off or turned, with the
    // way it went, and the volume it settles at.
    float before = 1.0f;
    const auto block = [&](const std::vector<VoiceEvent>& events) {
        const std::vector<float> volumes = render(events, n);
        std::string moves;
        int way = 0;
        for (int k = 0; k < n; ++k)
        {
            const float previous = k == 0 ? before : volumes[std::size_t(k - 1)];
            const float change = volumes[std::size_t(k)] - previous;
            const int now = change > 1e-4f ? 1 : change < -1e-4f ? -1 : 0;
            if (now != 0 && now != way)
                moves += (now > 0 ? "up at " : "down at ") + std::to_string(k) + ", ";
            way = now != 0 ? now : way;
        }
        before = std::round(render({}, 512).back() * 1e4f) / 1e4f;
        return moves + "settles at " + std::to_string(before);
    };

    EXPECT_EQ(block({floatEvent(Param::Volume, 0.5f, 0)}), "down at 0, settles at 0.500000") << "before any audio";
    EXPECT_EQ(block({floatEvent(Param::Volume, 0.25f, n - 1)}), "down at 63, settles at 0.250000")
        << "on the last sample";
    EXPECT_EQ(block({floatEvent(Param::Volume, 1.0f, n), floatEvent(Param::Volume, 0.75f, n + 1000)}),
              "up at 63, settles at 0.750000")
        << "beyond the block: on its last sample, in order";
    EXPECT_EQ(block({floatEvent(Param::Volume, 0.5f, -3)}), "down at 0, settles at 0.500000") << "before the block";
    EXPECT_EQ(block({floatEvent(Param::Volume, 0.2f, 20), floatEvent(Param::Volume, 0.7f, 20),
                     floatEvent(Param::Volume, 0.4f, 40)}),
              "up at 20, down at 40, settles at 0.400000")
        << "several at one time, in queue order";
    EXPECT_EQ(block({floatEvent(Param::Volume, 0.3f, 40), floatEvent(Param::Volume, 0.9f, 10)}),
              "up at 40, settles at 0.900000")
        << "a time behind the last one: at once";
    EXPECT_EQ(block({integerEvent(Param::OscMix, 5, 10), integerEvent(3, 5, 10), integerEvent(700, 1, 10),
                     floatEvent(Param::Volume, 0.6f, 30)}),
              "down at 30, settles at 0.600000")
        << "codes of other parts are consumed without effect";
    run.cue.beginRead();
    EXPECT_TRUE(run.cue.pop().isEmpty());
}

TEST(EffectsSection, AnEmptyBlockStillTakesItsEvents)
{
    SectionRun run(44100.0f, 64);
    run.cue.push(0, floatEvent(Param::Volume, 0.5f, 0));
    run.cue.beginRead();
    run.section.process(run.cue, nullptr, nullptr, nullptr, 0, 1);
    run.cue.beginRead();
    EXPECT_TRUE(run.cue.pop().isEmpty());
    run.render(constantMix(1024, 0.8f), {}, fixedBlocks(64));
    EXPECT_NEAR(run.left.back(), 0.125f * 0.5f * 0.8f, 1e-6f);
}

TEST(EffectsSection, ReplaceOverwritesAndAccumulateAdds)
{
    const std::vector<float> mix = noiseMix(2048, 3, 0.5f);
    SectionRun replaced(44100.0f, 256);
    replaced.left.assign(2048, 7.0f);
    replaced.right.assign(2048, 7.0f);
    replaced.render(mix, fullChain(0), fixedBlocks(256), 1);

    SectionRun added(44100.0f, 256);
    added.left.assign(2048, 0.25f);
    added.right.assign(2048, -0.25f);
    added.render(mix, fullChain(0), fixedBlocks(256), 0);

    for (std::size_t k = 0; k < 2048; ++k)
    {
        ASSERT_NEAR(added.left[k], replaced.left[k] + 0.25f, 1e-5f) << k;
        ASSERT_NEAR(added.right[k], replaced.right[k] - 0.25f, 1e-5f) << k;
    }
    EXPECT_GT(std::fabs(replaced.left[1000]), 1e-4f);
}

TEST(EffectsSection, EchoFollowsTheHostTempoWhileDelayTempoIsMidi)
{
    // A click every beat at the host's 120 bpm, a delay of one beat:
    // against a reference at 120 bpm set directly, the echo must match.
    const float rate = 8000.0f;
    const std::int64_t samples = 24000;
    // The echo counts its memory as empty until a full delay is written, so
    // the click comes after that.
    std::vector<float> mix(std::size_t(samples) * 4, 0.0f);
    std::fill_n(mix.begin() + 4 * 5000, 4, 1.0f);
    const std::vector<VoiceEvent> common = {
        floatEvent(Param::Volume, 1.0f, 0), integerEvent(Param::EffectActive, 1, 0),
        integerEvent(Param::DelayUnits, 1, 0), integerEvent(Param::DelayLengthLeft, 1, 0),
        integerEvent(Param::DelayLengthRight, 1, 0), floatEvent(Param::DelayMixLeft, 1.0f, 0),
        floatEvent(Param::DelayMixRight, 1.0f, 0), floatEvent(Param::DelayHighpass, 8.0f, 0),
        floatEvent(Param::DelayLowpass, 20.0f, 0), integerEvent(Param::DelayLevel, 100, 0)};

    std::vector<VoiceEvent> host = common;
    host.push_back(integerEvent(Param::DelayTempo, 31, 0));
    SectionRun followed(rate, 256);
    followed.hostTempo = 120.0f;
    followed.render(mix, host, fixedBlocks(256));
    EXPECT_TRUE(followed.section.delayTempoFromHost());

    std::vector<VoiceEvent> own = common;
    own.push_back(integerEvent(Param::DelayTempo, 120, 0));
    SectionRun fixed(rate, 256);
    fixed.render(mix, own, fixedBlocks(256));
    EXPECT_FALSE(fixed.section.delayTempoFromHost());

    // Fully wet: only the echo is heard, half a second (4000 host samples)
    // after the click.
    std::size_t loudest = 0;
    for (std::size_t k = 0; k < fixed.left.size(); ++k)
        if (std::fabs(fixed.left[k]) > std::fabs(fixed.left[loudest]))
            loudest = k;
    EXPECT_NEAR(double(loudest), 9000.0, 2.0);
    EXPECT_LT(maxDifference(followed.left, fixed.left), 1e-6);
}

TEST(EffectsSection, ChorusRejoiningTheChainReplaysNoOldSound)
{
    SectionRun run(44100.0f, 256);
    std::vector<VoiceEvent> events = fullChain(0);
    events.push_back(integerEvent(Param::DelayLevel, 0, 0));
    events.push_back(integerEvent(Param::ChorusLevel, 100, 0));
    events.push_back(integerEvent(Param::EffectActive, 0, 8000));
    events.push_back(integerEvent(Param::EffectActive, 1, 12000));
    // Sound until the effects go off, silence from then on.
    std::vector<float> mix = noiseMix(16000, 4, 0.5f);
    std::fill(mix.begin() + 4 * 8000, mix.end(), 0.0f);
    run.render(mix, events, fixedBlocks(256));
    float loudest = 0.0f;
    for (std::size_t k = 12000; k < 16000; ++k)
        loudest = std::max({loudest, std::fabs(run.left[k]), std::fabs(run.right[k])});
    EXPECT_LT(loudest, 1e-6f);
}

TEST(EffectsSection, SseAndPortableDecimatorsAgreeThroughTheSection)
{
    const std::vector<float> mix = noiseMix(20000, 9, 0.5f);
    std::vector<VoiceEvent> events = fullChain(0);
    events.push_back(integerEvent(Param::EffectActive, 0, 9000));
    events.push_back(floatEvent(Param::Volume, 0.3f, 12000));
    events.push_back(integerEvent(Param::EffectActive, 1, 15000));
    for (int replace : {1, 0})
    {
        std::unique_ptr<SectionRun> portable;
        {
            PortableVariants forced(true);
            portable = std::make_unique<SectionRun>(44100.0f, 300);
        }
        SectionRun sse(44100.0f, 300);
        portable->left.assign(mix.size() / 4, 0.5f);
        portable->right.assign(mix.size() / 4, 0.5f);
        sse.left = portable->left;
        sse.right = portable->right;
        portable->render(mix, events, randomBlocks(300, 2), replace);
        sse.render(mix, events, randomBlocks(300, 2), replace);
        EXPECT_LT(maxDifference(portable->left, sse.left), 1e-6) << "replace " << replace;
        EXPECT_LT(maxDifference(portable->right, sse.right), 1e-6) << "replace " << replace;
    }
}

// The section inside the main object: the voices are silent for now, so the
// whole chain must stay silent and follow the host's process call.
TEST(EffectsSection, InThePluginTheChainWritesOrAddsSilenceAndTakesEveryEvent)
{
    TemporaryHome home;
    AEffect* effect = createPluginInstance(tempoHost, effectFlavour());
    ASSERT_NE(effect, nullptr);
    auto* plugin = static_cast<Zentrova*>(static_cast<AudioEffect*>(effect->object));
    const int n = 256;
    plugin->setBlockSize(n);
    plugin->setSampleRate(48000.0f);
    plugin->resume();

    ControlCue<VoiceEvent>& cue = plugin->getControlCues()[Zentrova::kEffectsCue];
    for (const VoiceEvent& event : fullChain(0))
        cue.push(2, event);
    cue.push(2, integerEvent(Param::DelayTempo, 31, 5));
    cue.push(0, integerEvent(Param::ChorusLevel, 100, 17));
    cue.push(0, floatEvent(Param::Volume, 0.5f, n + 40));

    std::vector<float> left(n, std::nanf("")), right(n, std::nanf(""));
    float* outputs[] = {left.data(), right.data()};
    plugin->processReplacing(nullptr, outputs, n);
    for (int k = 0; k < n; ++k)
    {
        ASSERT_LT(std::fabs(left[std::size_t(k)]), 1e-12f) << k;
        ASSERT_LT(std::fabs(right[std::size_t(k)]), 1e-12f) << k;
    }
    cue.beginRead();
    EXPECT_TRUE(cue.pop().isEmpty()) << "every event is taken in its block";

    std::fill(left.begin(), left.end(), 0.25f);
    std::fill(right.begin(), right.end(), -0.5f);
    for (int block = 0; block < 4; ++block)
        plugin->processAccumulating(nullptr, outputs, n);
    for (int k = 0; k < n; ++k)
    {
        ASSERT_NEAR(left[std::size_t(k)], 0.25f, 1e-12f) << k;
        ASSERT_NEAR(right[std::size_t(k)], -0.5f, 1e-12f) << k;
    }
    effect->dispatcher(effect, effClose, 0, 0, nullptr, 0.0f);
}

TEST(EffectsSection, RestsInALongSilenceAndTheNextSoundStartsAsItWouldHave)
{
    constexpr float kRate = 48000.0f;
    const std::vector<VoiceEvent> events = fullChain(0);
    const std::vector<float> burst = noiseMix(4800, 7, 0.2f);
    std::vector<float> played = burst;
    played.resize(played.size() + 4 * 48000, 0.0f);

    SectionRun rested(kRate, 100);
    std::vector<float> silence = burst;
    silence.resize(silence.size() + 4 * std::size_t(12 * kRate), 0.0f);
    rested.render(silence, events, fixedBlocks(100), 1, true);
    ASSERT_TRUE(rested.section.isResting());
    const std::size_t lastSecond = rested.left.size() - std::size_t(kRate);
    EXPECT_TRUE(std::all_of(rested.left.begin() + lastSecond, rested.left.end(), [](float x) { return x == 0.0f; }));
    EXPECT_TRUE(std::all_of(rested.right.begin() + lastSecond, rested.right.end(), [](float x) { return x == 0.0f; }));

    rested.render(played, {}, fixedBlocks(100), 1, true);
    EXPECT_FALSE(rested.section.isResting());
    SectionRun awake(kRate, 100);
    awake.render(silence, events, fixedBlocks(100));
    awake.render(played, {}, fixedBlocks(100));
    EXPECT_LT(maxDifference(rested.left, awake.left), 1e-6);
    EXPECT_LT(maxDifference(rested.right, awake.right), 1e-6);
    // The echo was heard, not faded in.
    const std::size_t echoAt = std::size_t(0.375 * kRate) + 100;
    EXPECT_GT(std::fabs(rested.left[echoAt]) + std::fabs(rested.left[echoAt + 1]), 1e-3);
}

TEST(EffectsSection, AFreshSectionRestsThroughItsSilentStartAndThenPlaysAsAnAwakeOne)
{
    constexpr float kRate = 48000.0f;
    // The patch's settings come with the first block and restart the echo;
    // the sound comes before it would have faded in, while it fades in
    // (a 1/16-beat delay, 1500 samples), and after. The chorus ramps up to
    // its level over the shorter silences.
    struct Case
    {
        std::int64_t silence;
        std::int64_t units;
        std::int64_t length;
    };
    for (const Case& c : {Case{300, 4, 3}, Case{1000, 4, 3}, Case{1900, 16, 1}})
    {
        std::vector<VoiceEvent> events = fullChain(0);
        events.push_back(integerEvent(Param::DelayUnits, c.units, 0));
        events.push_back(integerEvent(Param::DelayLengthLeft, c.length, 0));
        std::vector<float> mix = constantMix(c.silence, 0.0f);
        const std::vector<float> burst = noiseMix(4800, 7, 0.2f);
        mix.insert(mix.end(), burst.begin(), burst.end());
        mix.resize(mix.size() + 4 * 48000, 0.0f);
        SectionRun rested(kRate, 100);
        SectionRun awake(kRate, 100);
        rested.render(constantMix(100, 0.0f), events, fixedBlocks(100), 1, true);
        EXPECT_TRUE(rested.section.isResting());
        awake.render(constantMix(100, 0.0f), events, fixedBlocks(100));
        rested.render(mix, {}, fixedBlocks(100), 1, true);
        awake.render(mix, {}, fixedBlocks(100));
        EXPECT_LT(maxDifference(rested.left, awake.left), 1e-6) << c.silence;
        EXPECT_LT(maxDifference(rested.right, awake.right), 1e-6) << c.silence;
        EXPECT_GT(*std::max_element(rested.left.begin(), rested.left.end()), 1e-3f);
    }
}

TEST(EffectsSection, AnEchoWhoseRateCameWithoutMemoryTakesItOnResume)
{
    constexpr float kRate = 48000.0f;
    SectionRun run(kRate, 100);
    run.section.setSampleRate(kRate, false);
    EXPECT_EQ(run.section.getEcho().heldBlocks(), 0);
    run.section.resume();
    std::vector<float> mix = noiseMix(4800, 7, 0.2f);
    mix.resize(mix.size() + 4 * 24000, 0.0f);
    run.render(mix, fullChain(0), fixedBlocks(100));
    // The echo of the burst, 3/4 beat at 120 per minute later.
    const auto echo = std::max_element(run.left.begin() + 18000, run.left.begin() + 18000 + 4800);
    EXPECT_GT(*echo, 1e-3f);
}

TEST(EffectsSection, ARestingEchoHoldsNoMemoryBeyondItsFirstBlockAndWakesAsItWouldHave)
{
    constexpr float kRate = 48000.0f;
    std::vector<VoiceEvent> events = fullChain(0);
    // Two and a half seconds on the left, beyond the ring's first block;
    // without feedback the echo is soon silent.
    events.push_back(integerEvent(Param::DelayLengthLeft, 20, 0));
    events.push_back(integerEvent(Param::DelayFeedbackLeft, 0, 0));
    events.push_back(integerEvent(Param::DelayFeedbackRight, 0, 0));
    const std::vector<float> burst = noiseMix(4800, 7, 0.2f);
    SectionRun rested(kRate, 100);
    SectionRun awake(kRate, 100);
    // The test thread serves the memory where the worker would, between
    // blocks.
    const auto both = [&](const std::vector<float>& mix, const std::vector<VoiceEvent>& at) {
        rested.render(mix, at, fixedBlocks(100), 1, true);
        awake.render(mix, at, fixedBlocks(100));
        rested.section.serveMemory();
        awake.section.serveMemory();
        EXPECT_LT(maxDifference(rested.left, awake.left), 1e-6);
        EXPECT_LT(maxDifference(rested.right, awake.right), 1e-6);
    };
    both(burst, events);
    EXPECT_EQ(rested.section.getEcho().heldBlocks(), 1);
    both(constantMix(std::int64_t(8 * kRate), 0.0f), {});
    ASSERT_TRUE(rested.section.isResting());
    EXPECT_EQ(rested.section.getEcho().heldBlocks(), 0);

    both(burst, {});
    EXPECT_EQ(rested.section.getEcho().heldBlocks(), 1);
    both(constantMix(std::int64_t(3 * kRate), 0.0f), {});
    EXPECT_GT(*std::max_element(rested.left.begin(), rested.left.end()), 1e-3f);
}
