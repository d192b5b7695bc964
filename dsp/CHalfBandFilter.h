#pragma once

#include <cstdint>

// 2:1 decimator from the engine rate to the host rate: a polyphase
// half-band low-pass of two branches of six first-order all-pass sections.
// Input is two frames per output sample: mono x[2i], x[2i+1]; stereo
// L[2i], R[2i], L[2i+1], R[2i+1]. Only this stage touches the host outputs.
class CHalfBandFilter
{
public:
    virtual ~CHalfBandFilter();

    // replacing 1 writes the outputs, 0 adds to them. In mono both outputs
    // receive the same signal.
    virtual void process(const float* input, float* outLeft, float* outRight, int64_t n, int replacing) = 0;
    virtual void setStereo() = 0;
    virtual void setMono() = 0;
    virtual void clear() = 0;
    // The branches add two unity-gain paths, so half the gain is kept.
    virtual void setGain(float g) = 0;
};

// Section coefficients; branch B filters the even input frames, branch A
// the odd ones.
inline constexpr int kHalfBandSections = 6;
inline constexpr float kHalfBandCoefficientsA[kHalfBandSections] = {
    0.0366815031f, 0.274631768f, 0.561098993f, 0.769741833f, 0.89226079f, 0.962094545f};
inline constexpr float kHalfBandCoefficientsB[kHalfBandSections] = {
    0.136547625f, 0.423138618f, 0.677540064f, 0.839889646f, 0.931541979f, 0.987816393f};

// Output samples between two flushes of the filter state. Both variants
// flush at the same points, so their results agree exactly when replacing.
inline constexpr int64_t kHalfBandWindow = 1024;
