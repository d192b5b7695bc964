#pragma once

#include "dsp/CHalfBandFilter.h"

// Four-lane decimator over the kernels of simd/HalfBandKernels. The state
// walks down a history window one step per output and is copied back to
// the top when the window is used up.
class CHalfBandFilterSse : public CHalfBandFilter
{
public:
    CHalfBandFilterSse();
    ~CHalfBandFilterSse() override;

    CHalfBandFilterSse(const CHalfBandFilterSse&) = delete;
    CHalfBandFilterSse& operator=(const CHalfBandFilterSse&) = delete;

    void process(const float* input, float* outLeft, float* outRight, int64_t n, int replacing) override;
    void setStereo() override;
    void setMono() override;
    void clear() override;
    void setGain(float g) override;

private:
    enum Mode
    {
        Unset = -1,
        Mono = 0,
        Stereo = 1
    };

    int blockFloats() const;
    float* stateAt(int64_t position) const;
    void switchMode(Mode mode);

    float* m_history;
    alignas(16) float m_gain[4];
    Mode m_mode = Unset;
    int64_t m_position = 0;
    // Steps before the state is next flushed.
    int64_t m_untilFlush = kHalfBandWindow;
};
