#pragma once

#include "dsp/CHalfBandFilter.h"

// Portable decimator; the reference for the four-lane one.
class CHalfBandFilterStandard : public CHalfBandFilter
{
public:
    CHalfBandFilterStandard();

    void process(const float* input, float* outLeft, float* outRight, int64_t n, int replacing) override;
    void setStereo() override;
    void setMono() override;
    void clear() override;
    void setGain(float g) override;

private:
    // One branch of one channel: the last input and the last output of
    // each section.
    struct Branch
    {
        float state[kHalfBandSections + 1];
    };

    template <bool Stereo, bool Replacing>
    void run(const float* input, float* outLeft, float* outRight, int64_t n);
    void flushDenormals();

    // [channel][0] branch B on even frames, [channel][1] branch A on odd.
    Branch m_branches[2][2];
    int64_t m_position;
    bool m_stereo = false;
    float m_gain = 0.5f;
};
