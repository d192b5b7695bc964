#include "dsp/CHalfBandFilterSse.h"
#include "dsp/CHalfBandFilterStandard.h"
#include "TestSignals.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <memory>
#include <random>
#include <vector>

namespace
{
enum class Variant
{
    Standard,
    Sse
};

std::unique_ptr<CHalfBandFilter> makeFilter(Variant variant)
{
    if (variant == Variant::Sse)
        return std::make_unique<CHalfBandFilterSse>();
    return std::make_unique<CHalfBandFilterStandard>();
}

// Interleaved stereo frames at the engine rate of a sine given as a
// fraction of the host rate; the right channel is the left inverted.
std::vector<float> stereoSine(double hostFraction, int64_t outputs)
{
    std::vector<float> in(std::size_t(outputs) * 4);
    const double step = 2.0 * kTestPi * hostFraction / 2.0;
    for (int64_t f = 0; f < 2 * outputs; ++f)
    {
        float v = float(std::sin(step * double(f)));
        in[std::size_t(2 * f)] = v;
        in[std::size_t(2 * f + 1)] = -v;
    }
    return in;
}

// Least-squares amplitude of a sine of known frequency (cycles per sample).
double amplitudeAt(const std::vector<float>& y, std::size_t from, double fraction)
{
    double cc = 0, ss = 0, cs = 0, yc = 0, ys = 0;
    for (std::size_t i = from; i < y.size(); ++i)
    {
        double c = std::cos(2.0 * kTestPi * fraction * double(i));
        double s = std::sin(2.0 * kTestPi * fraction * double(i));
        cc += c * c;
        ss += s * s;
        cs += c * s;
        yc += y[i] * c;
        ys += y[i] * s;
    }
    double det = cc * ss - cs * cs;
    double a = (yc * ss - ys * cs) / det;
    double b = (ys * cc - yc * cs) / det;
    return std::sqrt(a * a + b * b);
}

double rms(const std::vector<float>& y, std::size_t from)
{
    double sum = 0;
    for (std::size_t i = from; i < y.size(); ++i)
        sum += double(y[i]) * y[i];
    return std::sqrt(sum / double(y.size() - from));
}

class CHalfBandFilterVariants : public ::testing::TestWithParam<Variant>
{
};
}

TEST_P(CHalfBandFilterVariants, PassBandIsFlatAtNearlyTheHostNyquist)
{
    const int64_t n = 24000;
    auto filter = makeFilter(GetParam());
    filter->setStereo();
    filter->setGain(1.0f);
    std::vector<float> in = stereoSine(0.45, n);
    std::vector<float> left(n), right(n);
    filter->process(in.data(), left.data(), right.data(), n, 1);
    EXPECT_NEAR(20.0 * std::log10(amplitudeAt(left, 2000, 0.45)), 0.0, 0.001);
    EXPECT_NEAR(20.0 * std::log10(amplitudeAt(right, 2000, 0.45)), 0.0, 0.001);
}

TEST_P(CHalfBandFilterVariants, StopBandIsAtLeast100DbDown)
{
    const int64_t n = 24000;
    for (double fraction : {0.6, 0.75, 0.9})
    {
        auto filter = makeFilter(GetParam());
        filter->setStereo();
        filter->setGain(1.0f);
        std::vector<float> in = stereoSine(fraction, n);
        std::vector<float> left(n), right(n);
        filter->process(in.data(), left.data(), right.data(), n, 1);
        // Everything left after settling, alias and rounding noise alike.
        EXPECT_LT(std::sqrt(2.0) * rms(left, 2000), 1e-5) << fraction;
        EXPECT_LT(std::sqrt(2.0) * rms(right, 2000), 1e-5) << fraction;
    }
}

TEST_P(CHalfBandFilterVariants, ConstantInputSettlesToTwiceTheStoredGain)
{
    const int64_t n = 4000;
    for (bool stereo : {false, true})
    {
        auto filter = makeFilter(GetParam());
        stereo ? filter->setStereo() : filter->setMono();
        filter->setGain(0.5f);
        std::vector<float> in(std::size_t(n) * (stereo ? 4 : 2), 0.8f);
        std::vector<float> left(n), right(n);
        filter->process(in.data(), left.data(), right.data(), n, 1);
        EXPECT_NEAR(left[n - 1], 0.4f, 1e-5f);
        EXPECT_NEAR(right[n - 1], 0.4f, 1e-5f);
    }
}

TEST_P(CHalfBandFilterVariants, AccumulatingAddsAndReplacingOverwrites)
{
    const int64_t n = 300;
    std::vector<float> in = whiteNoise(std::size_t(n) * 4, 3);
    auto plain = makeFilter(GetParam());
    auto adding = makeFilter(GetParam());
    std::vector<float> left(n), right(n), sumLeft(n, 2.0f), sumRight(n, -1.0f);
    std::vector<float> overwritten(n, 7.0f), overwrittenRight(n, 7.0f);
    plain->process(in.data(), left.data(), right.data(), n, 1);
    adding->process(in.data(), sumLeft.data(), sumRight.data(), n, 0);
    for (int64_t i = 0; i < n; ++i)
    {
        EXPECT_NEAR(sumLeft[i], 2.0f + left[i], 1e-6f);
        EXPECT_NEAR(sumRight[i], -1.0f + right[i], 1e-6f);
    }
    auto replacing = makeFilter(GetParam());
    replacing->process(in.data(), overwritten.data(), overwrittenRight.data(), n, 1);
    EXPECT_EQ(overwritten, left);
}

TEST_P(CHalfBandFilterVariants, SplittingABlockChangesNothing)
{
    const int64_t n = 5000;
    for (bool stereo : {false, true})
    {
        std::vector<float> in = whiteNoise(std::size_t(n) * 4, 7);
        auto whole = makeFilter(GetParam());
        auto split = makeFilter(GetParam());
        stereo ? whole->setStereo() : whole->setMono();
        stereo ? split->setStereo() : split->setMono();
        std::vector<float> left(n), right(n), splitLeft(n), splitRight(n);
        whole->process(in.data(), left.data(), right.data(), n, 1);
        std::mt19937 random(11);
        int64_t done = 0;
        while (done < n)
        {
            int64_t part = std::min<int64_t>(n - done, std::uniform_int_distribution<int64_t>(1, 700)(random));
            split->process(in.data() + done * (stereo ? 4 : 2), splitLeft.data() + done, splitRight.data() + done,
                           part, 1);
            done += part;
        }
        EXPECT_EQ(left, splitLeft) << stereo;
        EXPECT_EQ(right, splitRight) << stereo;
    }
}

TEST_P(CHalfBandFilterVariants, ClearStartsFromSilence)
{
    const int64_t n = 400;
    std::vector<float> in = whiteNoise(std::size_t(n) * 4, 5);
    auto fresh = makeFilter(GetParam());
    auto used = makeFilter(GetParam());
    std::vector<float> left(n), right(n), usedLeft(n), usedRight(n);
    used->process(in.data(), usedLeft.data(), usedRight.data(), n, 1);
    used->clear();
    used->process(in.data(), usedLeft.data(), usedRight.data(), n, 1);
    fresh->process(in.data(), left.data(), right.data(), n, 1);
    EXPECT_EQ(left, usedLeft);
    EXPECT_EQ(right, usedRight);
}

TEST_P(CHalfBandFilterVariants, SilenceAfterSoundNeverTurnsDenormal)
{
    const int64_t n = 20000;
    for (bool stereo : {false, true})
    {
        auto filter = makeFilter(GetParam());
        stereo ? filter->setStereo() : filter->setMono();
        filter->setGain(1.0f);
        std::vector<float> in(std::size_t(n) * 4, 0.0f);
        in[0] = 1.0f;
        in[1] = 1.0f;
        std::vector<float> left(n), right(n);
        filter->process(in.data(), left.data(), right.data(), n, 1);
        for (int64_t i = 0; i < n; ++i)
        {
            ASSERT_NE(std::fpclassify(left[i]), FP_SUBNORMAL) << i;
            ASSERT_NE(std::fpclassify(right[i]), FP_SUBNORMAL) << i;
        }
        EXPECT_EQ(left[n - 1], 0.0f);
    }
}

INSTANTIATE_TEST_SUITE_P(Both, CHalfBandFilterVariants, ::testing::Values(Variant::Standard, Variant::Sse),
                         [](const ::testing::TestParamInfo<Variant>& info) {
                             return info.param == Variant::Sse ? std::string("Sse") : std::string("Standard");
                         });

TEST(CHalfBandFilter, SseMatchesPortableInEveryKernel)
{
    const int64_t n = 3000;
    std::vector<float> in = whiteNoise(std::size_t(n) * 4, 23);
    for (bool stereo : {false, true})
    {
        for (int replacing : {0, 1})
        {
            CHalfBandFilterStandard standard;
            CHalfBandFilterSse sse;
            stereo ? standard.setStereo() : standard.setMono();
            stereo ? sse.setStereo() : sse.setMono();
            standard.setGain(0.7f);
            sse.setGain(0.7f);
            std::vector<float> left(n, 0.25f), right(n, -0.5f), sseLeft(left), sseRight(right);
            for (int64_t done = 0; done < n; done += 250)
            {
                const float* frames = in.data() + done * (stereo ? 4 : 2);
                standard.process(frames, left.data() + done, right.data() + done, 250, replacing);
                sse.process(frames, sseLeft.data() + done, sseRight.data() + done, 250, replacing);
            }
            for (int64_t i = 0; i < n; ++i)
            {
                ASSERT_NEAR(left[i], sseLeft[i], 1e-6f) << stereo << replacing << i;
                ASSERT_NEAR(right[i], sseRight[i], 1e-6f) << stereo << replacing << i;
            }
        }
    }
}

TEST(CHalfBandFilter, SseMatchesPortableAcrossModeSwitches)
{
    const int64_t n = 600;
    std::vector<float> in = whiteNoise(std::size_t(n) * 4, 29);
    CHalfBandFilterStandard standard;
    CHalfBandFilterSse sse;
    std::vector<float> left(n), right(n), sseLeft(n), sseRight(n);
    standard.setMono();
    sse.setMono();
    for (int step = 0; step < 3; ++step)
    {
        standard.process(in.data(), left.data(), right.data(), n / 2, 1);
        sse.process(in.data(), sseLeft.data(), sseRight.data(), n / 2, 1);
        for (int64_t i = 0; i < n / 2; ++i)
        {
            ASSERT_NEAR(left[i], sseLeft[i], 1e-6f) << step << ' ' << i;
            ASSERT_NEAR(right[i], sseRight[i], 1e-6f) << step << ' ' << i;
        }
        step % 2 == 0 ? standard.setStereo() : standard.setMono();
        step % 2 == 0 ? sse.setStereo() : sse.setMono();
    }
}
