#include "dsp/Fft.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

namespace
{
const double kTwoPi = 6.283185307179586;

std::vector<float> randomSignal(int size, unsigned seed)
{
    std::mt19937 random(seed);
    std::uniform_real_distribution<float> value(-1.0f, 1.0f);
    std::vector<float> x(size);
    for (float& v : x)
        v = value(random);
    return x;
}
}

TEST(Fft, ForwardMatchesTheDftInTheHalfSpectrumLayout)
{
    for (int size : {4, 8, 64, 256, 2048})
    {
        std::vector<float> x = randomSignal(size, size);
        std::vector<float> spectrum(size);
        Fft fft(size);
        fft.forward(x.data(), spectrum.data());
        for (int k = 0; k <= size / 2; ++k)
        {
            double re = 0, im = 0;
            for (int n = 0; n < size; ++n)
            {
                re += x[n] * std::cos(kTwoPi * k * n / size);
                im -= x[n] * std::sin(kTwoPi * k * n / size);
            }
            const double tolerance = 1e-5 * size;
            EXPECT_NEAR(spectrum[k], re, tolerance) << "size " << size << " bin " << k;
            if (k > 0 && k < size / 2)
            {
                EXPECT_NEAR(spectrum[size / 2 + k], im, tolerance) << "size " << size << " bin " << k;
            }
        }
    }
}

TEST(Fft, InverseIsUnscaled)
{
    for (int size : {4, 256, 16384})
    {
        std::vector<float> x = randomSignal(size, 3);
        std::vector<float> y(size);
        Fft fft(size);
        fft.forward(x.data(), y.data());
        fft.inverse(y.data(), y.data()); // in place
        for (int n = 0; n < size; ++n)
            ASSERT_NEAR(y[n] / size, x[n], 1e-5) << "size " << size << " sample " << n;
    }
}

TEST(Fft, InverseOfOneBinIsACosineOrSine)
{
    const int size = 64;
    Fft fft(size);
    std::vector<float> spectrum(size, 0.0f), out(size);
    spectrum[5] = 1.0f;           // real part of bin 5
    spectrum[size / 2 + 3] = 1.0f; // imaginary part of bin 3
    fft.inverse(spectrum.data(), out.data());
    for (int n = 0; n < size; ++n)
    {
        double expected = 2 * std::cos(kTwoPi * 5 * n / size) - 2 * std::sin(kTwoPi * 3 * n / size);
        EXPECT_NEAR(out[n], expected, 1e-5);
    }
}
