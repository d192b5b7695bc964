#include "tests/Source/Voices/EngineRig.h"
#include "tests/support/Spectrum.h"

#include <gtest/gtest.h>

#include <cmath>

TEST(Voice, DefaultPatchPlaysNote69At440Hz)
{
    for (float rate : {44100.0f, 48000.0f, 96000.0f})
    {
        EngineRig rig(rate, 512);
        rig.poster.set(Param::UnisonMode, "Off");
        rig.poster.postAll();
        rig.run(static_cast<int>(rate));
        rig.noteOn(0, 69, 100);
        rig.run(static_cast<int>(rate / 4));
        const std::vector<float> left = EngineRig::channel(rig.run(static_cast<int>(rate)), 0);
        EXPECT_NEAR(spectrum::peakFrequency(left, 2.0 * rate, 400.0, 480.0), 440.0, 0.1) << rate;
        EXPECT_GT(spectrum::rms(left.data(), left.size()), 0.01);
    }
}
