#include "dsp/AudioInput.h"

#include <gtest/gtest.h>

#include <vector>

namespace
{
// A voice buffer: 64 floats of lead-in, then `ticks` ticks.
struct Destination
{
    explicit Destination(int ticks) : storage((ticks + 1) * 64, -7.0f), ticks(ticks) {}
    float* start() { return storage.data() + 64; }
    float at(int n) const { return storage[64 + n]; }
    std::vector<float> storage;
    int ticks;
};
}

TEST(AudioInput, ConstantInputIsSummedAndHeldForTwoEngineSamples)
{
    AudioInput input;
    input.setBlockSize(64);
    std::vector<float> left(64, 0.5f), right(64, 0.5f);
    const float* channels[2] = {left.data(), right.data()};
    for (int carry : {0, 10})
    {
        input.setInputs(channels, carry, 64);
        Destination d(2);
        input.read(0, d.start(), 0, 2);
        for (int n = -carry; n < 128 - carry; ++n)
            ASSERT_FLOAT_EQ(d.at(n), 1.8f * 0.5f) << "carry " << carry << " sample " << n;
    }
}

TEST(AudioInput, HostSampleKLandsAtTwiceKLessTheCarry)
{
    AudioInput input;
    input.setBlockSize(64);
    std::vector<float> left(64), right(64, 0.0f);
    for (int k = 0; k < 64; ++k)
        left[k] = static_cast<float>(k);
    const float* channels[2] = {left.data(), right.data()};
    input.setInputs(channels, 6, 64);
    Destination d(2);
    input.read(0, d.start(), 0, 2);
    for (int k = 0; k < 64; ++k)
    {
        ASSERT_FLOAT_EQ(d.at(2 * k - 6), 0.9f * k);
        ASSERT_FLOAT_EQ(d.at(2 * k - 5), 0.9f * k);
    }
    // Beyond the block's last host sample: silence, not older input.
    for (int n = 128 - 6; n < 128; ++n)
        EXPECT_EQ(d.at(n), 0.0f);
}

TEST(AudioInput, LaterRangesKeepTheFirstRangesMapping)
{
    AudioInput input;
    input.setBlockSize(128);
    std::vector<float> left(128), right(128);
    for (int k = 0; k < 128; ++k)
    {
        left[k] = 0.01f * k;
        right[k] = -0.003f * k;
    }
    const float* channels[2] = {left.data(), right.data()};
    input.setInputs(channels, 20, 128);
    Destination whole(4), pieces(4);
    input.read(0, whole.start(), 0, 4);
    input.read(0, pieces.start(), 0, 1);
    input.read(0, pieces.start(), 1, 3);
    input.read(0, pieces.start(), 3, 4);
    EXPECT_EQ(whole.storage, pieces.storage);
}

TEST(AudioInput, InputIsPreparedOncePerBlock)
{
    AudioInput input;
    input.setBlockSize(32);
    std::vector<float> left(32, 0.5f), right(32, 0.5f);
    const float* channels[2] = {left.data(), right.data()};
    input.setInputs(channels, 0, 32);
    Destination d(1);
    input.read(0, d.start(), 0, 1);
    left.assign(32, 0.0f); // changes after the first read are not seen
    input.read(0, d.start(), 0, 1);
    EXPECT_FLOAT_EQ(d.at(0), 0.9f);

    input.setInputs(channels, 0, 32); // the next block prepares again
    input.read(0, d.start(), 0, 1);
    EXPECT_FLOAT_EQ(d.at(0), 0.45f);
}

TEST(AudioInput, NoInputOrAnotherSourceIsSilence)
{
    AudioInput input;
    input.setBlockSize(64);
    std::vector<float> left(64, 0.5f), right(64, 0.5f);
    const float* channels[2] = {left.data(), right.data()};

    input.setInputs(channels, 8, 64);
    Destination other(2);
    input.read(1, other.start(), 0, 2);
    for (int n = -8; n < 128; ++n)
        ASSERT_EQ(other.at(n), 0.0f);
    EXPECT_EQ(other.at(-9), -7.0f); // nothing before the carried samples

    input.setInputs(nullptr, 8, 64);
    Destination none(2);
    input.read(0, none.start(), 0, 2);
    for (int n = -8; n < 128; ++n)
        ASSERT_EQ(none.at(n), 0.0f);

    AudioInput fresh; // never given a block size
    Destination unprepared(1);
    fresh.setInputs(channels, 0, 64);
    fresh.read(0, unprepared.start(), 0, 1);
    EXPECT_EQ(unprepared.at(0), 0.0f);
}

TEST(AudioInput, OneMissingChannelUsesTheOtherAtTheSameScale)
{
    AudioInput input;
    input.setBlockSize(32);
    std::vector<float> channel(32, 0.5f);
    const float* rightOnly[2] = {nullptr, channel.data()};
    input.setInputs(rightOnly, 0, 32);
    Destination d(1);
    input.read(0, d.start(), 0, 1);
    EXPECT_FLOAT_EQ(d.at(0), 0.9f);

    const float* leftOnly[2] = {channel.data(), nullptr};
    input.setInputs(leftOnly, 0, 32);
    input.read(0, d.start(), 0, 1);
    EXPECT_FLOAT_EQ(d.at(63), 0.9f);

    const float* neither[2] = {nullptr, nullptr};
    input.setInputs(neither, 0, 32);
    input.read(0, d.start(), 0, 1);
    EXPECT_EQ(d.at(0), 0.0f);
}

TEST(AudioInput, BlocksLongerThanAnnouncedStayInsideTheBuffer)
{
    AudioInput input;
    input.setBlockSize(32);
    std::vector<float> left(4096, 0.5f), right(4096, 0.5f);
    const float* channels[2] = {left.data(), right.data()};
    input.setInputs(channels, 64, 4096);
    Destination d(40);
    input.read(0, d.start(), 0, 40);
    EXPECT_FLOAT_EQ(d.at(0), 0.9f);
    EXPECT_EQ(d.at(40 * 64 - 1), 0.0f); // past the buffer: silence
}
