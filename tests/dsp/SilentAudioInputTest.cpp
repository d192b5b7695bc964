#include "dsp/SilentAudioInput.h"

#include <gtest/gtest.h>

#include <limits>
#include <vector>

namespace
{
// A voice buffer: 64 floats of lead-in, then `ticks` ticks, all marked.
struct Destination
{
    explicit Destination(int ticks) : storage((ticks + 1) * 64, -7.0f) {}
    float* start() { return storage.data() + 64; }
    float at(int n) const { return storage[64 + n]; }
    std::vector<float> storage;
};
}

TEST(SilentAudioInput, EveryReadIsSilenceWhateverTheHostGives)
{
    SilentAudioInput input;
    input.setBlockSize(128);
    std::vector<float> left(128, 0.5f), right(128, -0.25f);
    const float* channels[2] = {left.data(), right.data()};
    const float* const* none = nullptr;
    for (const float* const* given : {static_cast<const float* const*>(channels), none})
    {
        input.setInputs(given, 10, 128);
        for (int source : {0, 1})
        {
            Destination d(4);
            input.read(source, d.start(), 0, 4);
            for (int n = -10; n < 256; ++n)
                ASSERT_EQ(d.at(n), 0.0f) << "source " << source << " sample " << n;
            EXPECT_EQ(d.at(-11), -7.0f) << "nothing before the carried samples";
        }
    }
}

TEST(SilentAudioInput, ALaterRangeFillsOnlyItsTicks)
{
    SilentAudioInput input;
    std::vector<float> channel(64, 1.0f);
    const float* channels[2] = {channel.data(), channel.data()};
    input.setInputs(channels, 20, 64);
    Destination d(3);
    input.read(0, d.start(), 1, 2);
    EXPECT_EQ(d.at(63), -7.0f);
    for (int n = 64; n < 128; ++n)
        ASSERT_EQ(d.at(n), 0.0f) << n;
    EXPECT_EQ(d.at(128), -7.0f);
    input.read(0, d.start(), 2, 2);
    EXPECT_EQ(d.at(128), -7.0f) << "an empty range";
}

TEST(SilentAudioInput, KeepsTheBlockTheCarryAndWhetherAnInputCame)
{
    SilentAudioInput input;
    std::vector<float> channel(32);
    const float* channels[2] = {channel.data(), channel.data()};
    input.setInputs(channels, 12, 32);
    EXPECT_EQ(input.blockLength(), 32);
    EXPECT_EQ(input.carry(), 12);
    EXPECT_TRUE(input.isActive());
    input.setInputs(nullptr, 500, -3);
    EXPECT_EQ(input.blockLength(), 0);
    EXPECT_EQ(input.carry(), 64) << "never more than one tick";
    EXPECT_FALSE(input.isActive());
}

TEST(SilentAudioInput, TakesAnyBlockSizeWithoutABuffer)
{
    SilentAudioInput input;
    // The effect's source would need gigabytes for this.
    input.setBlockSize(std::numeric_limits<int>::max());
    input.setInputs(nullptr, 0, std::numeric_limits<int>::max());
    Destination d(1);
    input.read(0, d.start(), 0, 1);
    EXPECT_EQ(d.at(0), 0.0f);
}
