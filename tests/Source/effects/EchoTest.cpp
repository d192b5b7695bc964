#include "Source/effects/Echo.h"
#include "Source/ProgramChangeWorker.h"
#include "TestSignals.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <memory>
#include <thread>
#include <vector>

namespace
{
struct Settings
{
    float rate = 8000.0f; // engine rate
    int64_t tempo = 120;
    int64_t units = 4;
    uint32_t lengthLeft = 3;
    uint32_t lengthRight = 5;
    float feedbackLeft = 0.0f;
    float feedbackRight = 0.0f;
    uint32_t feedbackMode = 0;
};

// Fully wet, filters off, memory cleared.
std::unique_ptr<Echo> makeEcho(const Settings& s)
{
    auto echo = std::make_unique<Echo>();
    echo->setSampleRate(s.rate);
    echo->setTempo(s.tempo);
    echo->setUnits(s.units);
    echo->setLengthLeft(s.lengthLeft);
    echo->setLengthRight(s.lengthRight);
    echo->setFeedbackLeft(s.feedbackLeft);
    echo->setFeedbackRight(s.feedbackRight);
    echo->setFeedbackMode(s.feedbackMode);
    echo->setMixLeft(1.0f);
    echo->setMixRight(1.0f);
    echo->setHighPass(8.0f);
    echo->setLowPass(20000.0f);
    echo->setLevel(100);
    echo->clear();
    return echo;
}

// An echo turned off glides its level down on silence until the chain
// would leave it out.
void leaveTheChain(Echo& echo)
{
    std::vector<float> silence(2 * 64, 0.0f);
    while (echo.isRunning())
        echo.process(silence.data(), silence.data(), 64);
}

// Runs the frames through the echo in place, in blocks of varying size.
void run(Echo& echo, std::vector<float>& frames, int64_t from = 0, int64_t to = -1)
{
    if (to < 0)
        to = int64_t(frames.size() / 2);
    const int64_t sizes[] = {1, 64, 333, 1024, 4096, 17};
    int64_t done = from;
    for (int i = 0; done < to; ++i)
    {
        int64_t part = std::min(sizes[i % 6], to - done);
        echo.process(frames.data() + 2 * done, frames.data() + 2 * done, part);
        done += part;
    }
}

std::vector<float> impulses(int64_t frames, bool left, bool right)
{
    std::vector<float> v(std::size_t(frames) * 2, 0.0f);
    v[0] = left ? 1.0f : 0.0f;
    v[1] = right ? 1.0f : 0.0f;
    return v;
}

// Frames of one channel whose magnitude exceeds a threshold.
std::vector<int64_t> hits(const std::vector<float>& frames, int channel, float threshold = 1e-6f)
{
    std::vector<int64_t> at;
    for (std::size_t f = 0; f < frames.size() / 2; ++f)
        if (std::fabs(frames[2 * f + std::size_t(channel)]) > threshold)
            at.push_back(int64_t(f));
    return at;
}

float at(const std::vector<float>& frames, int64_t frame, int channel)
{
    return frames[std::size_t(2 * frame + channel)];
}

int64_t delayOf(double rate, double length, double units, double tempo)
{
    return int64_t(length * rate * 60.0 / (units * tempo) + 0.5);
}
}

TEST(Echo, ImpulseReturnsAtTheExactFrameOfTheTempoAndUnits)
{
    struct Case
    {
        int64_t tempo;
        int64_t units;
        uint32_t left;
        uint32_t right;
    };
    for (const Case& c : {Case{120, 4, 3, 5}, Case{120, 8, 3, 5}, Case{97, 6, 7, 1}, Case{32, 4, 2, 1}})
    {
        Settings s;
        s.tempo = c.tempo;
        s.units = c.units;
        s.lengthLeft = c.left;
        s.lengthRight = c.right;
        auto echo = makeEcho(s);
        std::vector<float> frames = impulses(30000, true, true);
        run(*echo, frames);
        const int64_t left = delayOf(s.rate, c.left, double(c.units), double(c.tempo));
        const int64_t right = delayOf(s.rate, c.right, double(c.units), double(c.tempo));
        EXPECT_EQ(hits(frames, 0), std::vector<int64_t>{left}) << c.tempo << '/' << c.units;
        EXPECT_EQ(hits(frames, 1), std::vector<int64_t>{right}) << c.tempo << '/' << c.units;
        EXPECT_FLOAT_EQ(at(frames, left, 0), 1.0f);
        EXPECT_FLOAT_EQ(at(frames, right, 1), 1.0f);
    }
}

TEST(Echo, HostTempoDrivesTheLengthsOnlyOnceItChanges)
{
    Settings s;
    auto echo = makeEcho(s);
    // Handing the tempo to the host keeps the last lengths; the host tempo
    // that arrives next, differing from the last one, recomputes them.
    echo->setTempo(31);
    echo->setHostTempo(90.0f);
    echo->clear();
    std::vector<float> frames = impulses(12000, true, true);
    run(*echo, frames);
    EXPECT_EQ(hits(frames, 0), std::vector<int64_t>{delayOf(s.rate, 3, 4, 90)});
    EXPECT_EQ(hits(frames, 1), std::vector<int64_t>{delayOf(s.rate, 5, 4, 90)});
}

TEST(Echo, HostTempoIsHeldInItsRange)
{
    Settings s;
    s.lengthLeft = 32;
    s.lengthRight = 1;
    auto slow = makeEcho(s);
    slow->setTempo(31);
    slow->setHostTempo(5.0f);
    slow->clear();
    std::vector<float> frames = impulses(int64_t(16 * s.rate), true, true);
    run(*slow, frames);
    EXPECT_EQ(hits(frames, 0), std::vector<int64_t>{delayOf(s.rate, 32, 4, Echo::kSlowestHostTempo)});

    auto fast = makeEcho(s);
    fast->setTempo(31);
    fast->setHostTempo(1e9f);
    fast->clear();
    frames = impulses(1000, true, true);
    run(*fast, frames);
    EXPECT_EQ(hits(frames, 1), std::vector<int64_t>{delayOf(s.rate, 1, 4, Echo::kFastestHostTempo)});
}

TEST(Echo, LongestDelayIsReservedAndLongerOnesAreHeldToIt)
{
    Settings s;
    s.rate = 2000.0f;
    s.tempo = 32;
    s.lengthLeft = 32;
    s.lengthRight = 32;
    auto echo = makeEcho(s);
    // Units per beat below the parameter's range would reach a minute.
    echo->setUnits(1);
    echo->clear();
    std::vector<float> frames = impulses(int64_t(17 * s.rate), true, false);
    run(*echo, frames);
    EXPECT_EQ(hits(frames, 0), std::vector<int64_t>{int64_t(15 * s.rate)});
}

TEST(Echo, FeedbackRepeatsDecayGeometrically)
{
    Settings s;
    s.feedbackLeft = 0.5f;
    s.feedbackRight = 0.8f;
    auto echo = makeEcho(s);
    std::vector<float> frames = impulses(30000, true, true);
    run(*echo, frames);
    const int64_t delays[2] = {delayOf(s.rate, 3, 4, 120), delayOf(s.rate, 5, 4, 120)};
    const float feedback[2] = {0.5f, 0.8f};
    for (int c = 0; c < 2; ++c)
    {
        std::vector<int64_t> repeats = hits(frames, c);
        ASSERT_GE(repeats.size(), 3u);
        float expected = 1.0f;
        for (std::size_t k = 0; k < repeats.size(); ++k)
        {
            // The loop takes its source from the previous frame: a repeat
            // comes at most one frame later per pass.
            const int64_t nominal = int64_t(k + 1) * delays[c];
            EXPECT_GE(repeats[k], nominal) << c << ' ' << k;
            EXPECT_LE(repeats[k], nominal + int64_t(k)) << c << ' ' << k;
            EXPECT_NEAR(at(frames, repeats[k], c), expected, 1e-5f) << c << ' ' << k;
            expected *= feedback[c];
        }
    }
}

TEST(Echo, CrossedFeedbackAlternatesChannels)
{
    Settings s;
    s.feedbackLeft = 0.5f;
    s.feedbackRight = 0.5f;
    s.feedbackMode = 1;
    auto echo = makeEcho(s);
    std::vector<float> frames = impulses(40000, true, false);
    run(*echo, frames);
    const int64_t dl = delayOf(s.rate, 3, 4, 120);
    const int64_t dr = delayOf(s.rate, 5, 4, 120);
    std::vector<int64_t> left = hits(frames, 0);
    std::vector<int64_t> right = hits(frames, 1);
    ASSERT_GE(left.size(), 2u);
    ASSERT_GE(right.size(), 2u);
    // Left: the impulse, then what came back through the right.
    EXPECT_EQ(left[0], dl);
    EXPECT_NEAR(double(left[1]), double(2 * dl + dr), 1.0);
    EXPECT_NEAR(at(frames, left[1], 0), 0.25f, 1e-5f);
    // Right: only what the left fed it.
    EXPECT_NEAR(double(right[0]), double(dl + dr), 1.0);
    EXPECT_NEAR(at(frames, right[0], 1), 0.5f, 1e-5f);
    EXPECT_NEAR(double(right[1]), double(2 * dl + 2 * dr), 2.0);
    EXPECT_NEAR(at(frames, right[1], 1), 0.125f, 1e-5f);
}

TEST(Echo, LengthChangeCrossfadesToTheNewDelay)
{
    Settings s;
    auto echo = makeEcho(s);
    const int64_t total = 20000;
    std::vector<float> frames(std::size_t(total) * 2);
    for (int64_t f = 0; f < total; ++f)
        frames[std::size_t(2 * f)] = float(f % 1000) * 0.001f;
    const std::vector<float> input = frames;
    const int64_t change = 8000;
    run(*echo, frames, 0, change);
    echo->setLengthLeft(5);
    run(*echo, frames, change, total);
    const int64_t oldDelay = delayOf(s.rate, 3, 4, 120);
    const int64_t newDelay = delayOf(s.rate, 5, 4, 120);
    const int64_t fade = int64_t(0.02 * s.rate);
    auto x = [&](int64_t f) { return f < 0 ? 0.0f : input[std::size_t(2 * f)]; };
    for (int64_t f = oldDelay; f < change; ++f)
        ASSERT_FLOAT_EQ(at(frames, f, 0), x(f - oldDelay)) << f;
    for (int64_t f = change; f < change + fade; ++f)
    {
        const float fraction = float(f - change) / float(fade);
        ASSERT_NEAR(at(frames, f, 0), (1.0f - fraction) * x(f - oldDelay) + fraction * x(f - newDelay), 1e-4f) << f;
    }
    for (int64_t f = change + fade; f < total; ++f)
        ASSERT_FLOAT_EQ(at(frames, f, 0), x(f - newDelay)) << f;
}

TEST(Echo, RestartedOrReenabledEchoDoesNotReplayOldMemory)
{
    Settings s;
    s.feedbackLeft = 0.7f;
    s.feedbackRight = 0.7f;
    const int64_t delay = delayOf(s.rate, 5, 4, 120);
    for (int way = 0; way < 3; ++way)
    {
        auto echo = makeEcho(s);
        std::vector<float> sound = whiteNoise(std::size_t(delay) * 2 * 2, 9);
        run(*echo, sound);
        if (way == 0)
        {
            // The chain stops calling an echo once its level has glided to
            // 0, and resumes later.
            echo->setLevel(0);
            leaveTheChain(*echo);
            echo->setLevel(100);
        }
        else
        {
            echo->restart();
        }
        std::vector<float> silence(std::size_t(delay) * 3 * 2, 0.0f);
        if (way == 2)
        {
            // A longer delay soon after the restart grows the memory; what
            // lies behind the write pointer is still the old sound.
            run(*echo, silence, 0, 100);
            echo->setLengthLeft(30);
            echo->setLengthRight(30);
            echo->serveMemory();
            silence.assign(std::size_t(delay) * 8 * 2, 0.0f);
        }
        run(*echo, silence);
        for (std::size_t i = 0; i < silence.size(); ++i)
            ASSERT_LT(std::fabs(silence[i]), 1e-12f) << way << ' ' << i;
    }
}

TEST(Echo, RestartFadesInAfterAFullDelayWasWritten)
{
    Settings s;
    const int64_t delay = delayOf(s.rate, 3, 4, 120);
    const int64_t fade = int64_t(0.02 * s.rate);
    // The fade starts on the frame once more than a whole delay of new
    // input is there, however the calls are split.
    const int64_t start = delay + 1;
    for (int64_t block : {64, 37, 1000})
    {
        auto echo = makeEcho(s);
        echo->restart();
        std::vector<float> frames(std::size_t(3 * delay) * 2, 0.5f);
        for (int64_t f = 0; f < 3 * delay; f += block)
            echo->process(frames.data() + 2 * f, frames.data() + 2 * f, std::min(block, 3 * delay - f));
        for (int64_t f = 0; f < start; ++f)
            ASSERT_EQ(at(frames, f, 0), 0.0f) << block << ' ' << f;
        ASSERT_GT(at(frames, start + 1, 0), 0.0f) << block;
        for (int64_t f = start + 1; f < start + fade; ++f)
        {
            ASSERT_GT(at(frames, f, 0), at(frames, f - 1, 0)) << block << ' ' << f;
            ASSERT_LT(at(frames, f, 0), 0.5f) << block << ' ' << f;
        }
        for (int64_t f = start + fade; f < 3 * delay; ++f)
            ASSERT_NEAR(at(frames, f, 0), 0.5f, 1e-6f) << block << ' ' << f;
    }
}

TEST(Echo, MemoryGrownAgainHoldsNoStaleSound)
{
    Settings s;
    s.rate = 1000.0f;
    s.tempo = 32;
    s.lengthLeft = 32;
    s.lengthRight = 32;
    // Switch back to the long delay at several points of the ring: the grown
    // blocks hold nothing of the old sound, wherever they go in.
    for (int64_t offset = 0; offset < 2000; offset += 100)
    {
        auto echo = makeEcho(s);
        std::vector<float> loud(std::size_t(20000) * 2, 1.0f);
        run(*echo, loud);
        echo->setLengthLeft(1);
        echo->setLengthRight(1);
        std::vector<float> quiet(std::size_t(40000 + offset) * 2, 0.0f);
        run(*echo, quiet);
        echo->setLengthLeft(32);
        echo->setLengthRight(32);
        echo->serveMemory();
        std::vector<float> later(std::size_t(20000) * 2, 0.0f);
        run(*echo, later);
        EXPECT_TRUE(hits(later, 0).empty()) << offset;
        EXPECT_TRUE(hits(later, 1).empty()) << offset;
    }
}

TEST(Echo, FeedbackLoopNeverTurnsDenormalInSilence)
{
    Settings s;
    s.feedbackLeft = 0.95f;
    s.feedbackRight = 0.95f;
    s.units = 32;
    s.lengthLeft = 1;
    s.lengthRight = 1;
    const std::pair<float, float> filters[] = {{8.0f, 20000.0f}, {8.0f, 3000.0f}, {50.0f, 3000.0f}};
    for (const auto& [highPass, lowPass] : filters)
    {
        auto echo = makeEcho(s);
        echo->setHighPass(highPass);
        echo->setLowPass(lowPass);
        echo->setDucking(40);
        std::vector<float> frames = impulses(int64_t(60 * s.rate), true, true);
        run(*echo, frames);
        for (std::size_t i = 0; i < frames.size(); ++i)
            ASSERT_NE(std::fpclassify(frames[i]), FP_SUBNORMAL) << highPass << ' ' << lowPass << ' ' << i;
    }
}

TEST(Echo, LowPassKeepsItsCutoffWhateverTheHighPass)
{
    Settings s;
    s.rate = 96000.0f;
    s.tempo = 192;
    s.units = 32;
    s.lengthLeft = 1;
    s.lengthRight = 1;
    auto wetPeak = [&](float highPass) {
        auto echo = makeEcho(s);
        echo->setHighPass(highPass);
        echo->setLowPass(2000.0f);
        std::vector<float> frames(std::size_t(20000) * 2);
        for (std::size_t f = 0; f < 20000; ++f)
            frames[2 * f] = frames[2 * f + 1] = float(std::sin(2.0 * kTestPi * 12000.0 / s.rate * double(f)));
        run(*echo, frames);
        float peak = 0.0f;
        for (std::size_t i = 20000; i < frames.size(); ++i)
            peak = std::max(peak, std::fabs(frames[i]));
        return peak;
    };
    // A two-pole low-pass at 2 kHz is more than 20 dB down at 12 kHz, with
    // the high-pass switched off or set low just as with it set high.
    const float off = wetPeak(8.0f);
    const float low = wetPeak(20.0f);
    const float high = wetPeak(200.0f);
    EXPECT_LT(off, 0.1f);
    EXPECT_NEAR(off, high, 0.01f);
    EXPECT_NEAR(low, high, 0.01f);
}

TEST(Echo, GateOpensWithTheInputAndDuckingCloses)
{
    Settings s;
    for (int64_t ducking : {60, -60})
    {
        auto echo = makeEcho(s);
        echo->setMixLeft(0.5f);
        echo->setDucking(ducking);
        // A steady full-scale input: the follower settles at 1.
        std::vector<float> frames(std::size_t(16000) * 2, 1.0f);
        run(*echo, frames);
        // Once the echo returns the input, a wet share w gives 1 - w + w.
        // Halfway through, before the echo returns, out = 1 - w.
        const float w = ducking > 0 ? 0.5f : 0.5f * 0.4f;
        EXPECT_NEAR(at(frames, 1000, 0), 1.0f - w, 1e-3f) << ducking;
    }
}

namespace
{
// Serves the echo's memory on the program change worker, as an instance
// does.
class MemoryServer : public ProgramChangeWorker::Client
{
public:
    explicit MemoryServer(Echo& echo) : m_echo(echo)
    {
        ProgramChangeWorker::attach(this);
        ProgramChangeWorker::start();
    }
    ~MemoryServer() { ProgramChangeWorker::detach(this); }

    bool hasProgramChangeRequest() const override { return false; }
    void serveProgramChangeRequest() override {}
    bool hasMemoryRequest() const override { return m_echo.hasMemoryRequest(); }
    void serveMemoryRequest() override { m_echo.serveMemory(); }

private:
    Echo& m_echo;
};

// Waits, at most ten seconds, for the worker to hold that many blocks.
bool heldBlocksReach(const Echo& echo, int blocks)
{
    for (int waited = 0; echo.heldBlocks() != blocks && waited < 10000; ++waited)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    return echo.heldBlocks() == blocks;
}

// Sines of 50 and 70 Hz on the left and the right, in host-sized blocks.
struct SinePlayer
{
    Echo& echo;
    float rate;
    std::vector<float> in;
    std::vector<float> out;

    void play(double seconds)
    {
        const std::size_t start = out.size() / 2;
        const std::size_t frames = std::size_t(seconds * rate);
        for (std::size_t f = start; f < start + frames; ++f)
            for (int c = 0; c < 2; ++c)
                in.push_back(float(std::sin(2.0 * kTestPi * (c ? 70.0 : 50.0) * double(f) / rate)));
        out.resize(in.size());
        for (std::size_t f = start; f < start + frames; f += 64)
        {
            const std::size_t n = std::min<std::size_t>(64, start + frames - f);
            echo.process(in.data() + 2 * f, out.data() + 2 * f, int64_t(n));
        }
    }
};

// The echo sounds without a click from the frame on, and ends at the delay.
void expectSmoothFrom(const SinePlayer& player, std::size_t from, int64_t delay)
{
    const std::vector<float>& out = player.out;
    const std::size_t frames = out.size() / 2;
    const std::size_t window = std::size_t(0.04 * player.rate);
    for (int c = 0; c < 2; ++c)
    {
        // A sine of 70 Hz moves by 0.055 a sample at most; a crossfade over
        // 20 ms adds 2 / 160. Anything cut off or jumping moves more.
        for (std::size_t f = from; f < frames; ++f)
            ASSERT_LT(std::fabs(out[2 * f + c] - out[2 * f - 2 + c]), 0.07f) << c << ' ' << f;
        // Every 40 ms holds most of the sine's peak.
        for (std::size_t start = from; start + window <= frames; start += window / 2)
        {
            float peak = 0.0f;
            for (std::size_t f = start; f < start + window; ++f)
                peak = std::max(peak, std::fabs(out[2 * f + c]));
            ASSERT_GT(peak, 0.5f) << c << ' ' << start;
        }
        for (std::size_t f = frames - std::size_t(player.rate); f < frames; ++f)
            ASSERT_EQ(out[2 * f + c], player.in[2 * (f - std::size_t(delay)) + c]) << c << ' ' << f;
    }
}
}

TEST(EchoMemory, LengtheningWhilePlayingHoldsTheDelayUntilTheWorkerBringsTheMemory)
{
    Settings s;
    auto echo = makeEcho(s);
    SinePlayer player{*echo, s.rate, {}, {}};
    player.play(3.0);
    EXPECT_EQ(echo->heldBlocks(), 0);

    std::size_t change = player.out.size() / 2;
    echo->setLengthLeft(32);
    echo->setLengthRight(32);
    EXPECT_TRUE(echo->hasMemoryRequest());
    // No worker yet: the delay goes as far as the ring allows.
    player.play(0.5);
    EXPECT_EQ(echo->longestDelay(), int64_t(2 * s.rate) - 1);
    {
        MemoryServer server(*echo);
        // Two seconds and three of one second hold four and a sample.
        ASSERT_TRUE(heldBlocksReach(*echo, 2 * 3));
        // A block edge within two seconds, then a whole delay written.
        player.play(8.0);
    }
    EXPECT_EQ(echo->longestDelay(), delayOf(s.rate, 32, 4, 120));
    expectSmoothFrom(player, change, delayOf(s.rate, 32, 4, 120));

    // Longer still, with blocks on both sides of the write pointer.
    change = player.out.size() / 2;
    echo->setTempo(60);
    {
        MemoryServer server(*echo);
        ASSERT_TRUE(heldBlocksReach(*echo, 2 * 7));
        player.play(11.0);
    }
    EXPECT_EQ(echo->heldBlocks(), 2 * 7);
    EXPECT_EQ(echo->longestDelay(), delayOf(s.rate, 32, 4, 60));
    expectSmoothFrom(player, change, delayOf(s.rate, 32, 4, 60));
}

TEST(EchoMemory, ShorteningGivesTheMemoryBack)
{
    Settings s;
    s.lengthLeft = 32;
    s.lengthRight = 20;
    // Memory for the patch's delays is there before the first block.
    auto echo = makeEcho(s);
    EXPECT_EQ(echo->longestDelay(), delayOf(s.rate, 32, 4, 120));
    EXPECT_EQ(echo->heldBlocks(), 3 + 1);
    MemoryServer server(*echo);
    SinePlayer player{*echo, s.rate, {}, {}};
    player.play(1.0);
    echo->setLengthLeft(3);
    echo->setLengthRight(3);
    // Each block leaves the ring after two seconds unused.
    player.play(12.0);
    EXPECT_TRUE(heldBlocksReach(*echo, 0));
    EXPECT_EQ(echo->longestDelay(), delayOf(s.rate, 3, 4, 120));
}

TEST(EchoMemory, MemoryGrownBehindTheReadPointerKeepsEveryDistance)
{
    Settings s;
    s.lengthLeft = 20;
    s.lengthRight = 20;
    // A ring of the first block and one more, a short delay reading from the
    // second, and too little history for the longest the ring allows.
    auto echo = makeEcho(s);
    echo->setLengthLeft(3);
    echo->setLengthRight(3);
    echo->restart();
    SinePlayer player{*echo, s.rate, {}, {}};
    player.play(0.5);
    MemoryServer server(*echo);
    echo->setLengthLeft(32);
    echo->setLengthRight(32);
    ASSERT_TRUE(heldBlocksReach(*echo, 2 * 3));
    const std::size_t from = player.out.size() / 2;
    // The write pointer reaches the first block's top, where the memory goes
    // in, after another half second.
    player.play(6.0);
    EXPECT_EQ(echo->longestDelay(), delayOf(s.rate, 32, 4, 120));
    expectSmoothFrom(player, from, delayOf(s.rate, 32, 4, 120));
}

TEST(EchoMemory, SleepingGivesTheMemoryBackAndWakingSoundsAsIfItWasKept)
{
    Settings s;
    s.lengthLeft = 32;
    s.lengthRight = 20;
    s.feedbackLeft = 0.5f;
    s.feedbackRight = 0.5f;
    auto kept = makeEcho(s);
    auto slept = makeEcho(s);
    ASSERT_EQ(slept->heldBlocks(), 3 + 1);
    MemoryServer server(*slept);
    SinePlayer keptPlayer{*kept, s.rate, {}, {}};
    SinePlayer sleptPlayer{*slept, s.rate, {}, {}};
    keptPlayer.play(3.0);
    sleptPlayer.play(3.0);

    // The echo leaves the chain once its level has glided to 0: the chain
    // stops calling it and lets it sleep, block after block.
    kept->setLevel(0);
    slept->setLevel(0);
    leaveTheChain(*kept);
    leaveTheChain(*slept);
    for (int block = 0; block < 100; ++block)
        slept->sleep();
    EXPECT_TRUE(heldBlocksReach(*slept, 0));

    // Back in the chain: the worker brings the memory within the first
    // blocks, as it does while playing.
    kept->setLevel(100);
    slept->setLevel(100);
    const std::size_t from = keptPlayer.out.size();
    keptPlayer.play(0.05);
    sleptPlayer.play(0.05);
    EXPECT_TRUE(heldBlocksReach(*slept, 3 + 1));
    keptPlayer.play(8.0);
    sleptPlayer.play(8.0);
    EXPECT_EQ(slept->longestDelay(), delayOf(s.rate, 32, 4, 120));
    for (std::size_t i = from; i < keptPlayer.out.size(); ++i)
        ASSERT_EQ(sleptPlayer.out[i], keptPlayer.out[i]) << i;
    EXPECT_GT(*std::max_element(keptPlayer.out.end() - 2000, keptPlayer.out.end()), 0.5f);
}
