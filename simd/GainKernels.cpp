#include "simd/GainKernels.h"

void mixOscillators(const float* osc1, const float* osc2, const float* noise, float* out, int count, float g1,
                    float g2, float gn, float gr)
{
    for (int n = 0; n < count; ++n)
    {
        const float o1 = osc1[n];
        const float o2 = osc2[n];
        out[n] = g1 * o1 + g2 * o2 + gn * noise[n] + gr * o1 * o2;
    }
}

void panSteadyLevel(const float* input, float* output, int count, float level, float left, float right,
                    bool accumulate)
{
    if (accumulate)
        for (int n = 0; n < count; ++n)
        {
            const float sample = level * input[n];
            output[2 * n] += sample * left;
            output[2 * n + 1] += sample * right;
        }
    else
        for (int n = 0; n < count; ++n)
        {
            const float sample = level * input[n];
            output[2 * n] = sample * left;
            output[2 * n + 1] = sample * right;
        }
}
