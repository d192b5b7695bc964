#pragma once

#include <cmath>
#include <complex>
#include <cstddef>
#include <vector>

// Frequency measurements on rendered sound, by direct evaluation of the
// Hann-windowed spectrum at any frequency.
namespace spectrum
{
inline std::vector<double> hann(const std::vector<float>& x)
{
    const double pi = 3.14159265358979323846;
    std::vector<double> w(x.size());
    const double n = static_cast<double>(x.size());
    for (std::size_t i = 0; i < x.size(); ++i)
        w[i] = x[i] * (0.5 - 0.5 * std::cos(2.0 * pi * static_cast<double>(i) / n));
    return w;
}

// |X(f)|^2 of the windowed signal.
inline double power(const std::vector<double>& windowed, double rate, double frequency)
{
    const double pi = 3.14159265358979323846;
    const std::complex<double> rotation = std::polar(1.0, -2.0 * pi * frequency / rate);
    std::complex<double> phasor = 1.0;
    std::complex<double> sum = 0.0;
    for (std::size_t i = 0; i < windowed.size(); ++i)
    {
        sum += windowed[i] * phasor;
        phasor *= rotation;
        if ((i & 1023) == 1023)
            phasor /= std::abs(phasor);
    }
    return std::norm(sum);
}

// The strongest frequency between lo and hi: a coarse scan, then a golden
// section search around the best point.
inline double peakFrequency(const std::vector<float>& x, double rate, double lo, double hi)
{
    const std::vector<double> w = hann(x);
    const double coarse = rate / static_cast<double>(x.size()) / 2.0;
    double best = lo;
    double bestPower = -1.0;
    for (double f = lo; f <= hi; f += coarse)
    {
        const double p = power(w, rate, f);
        if (p > bestPower)
        {
            bestPower = p;
            best = f;
        }
    }
    double a = best - coarse;
    double b = best + coarse;
    const double g = (std::sqrt(5.0) - 1.0) / 2.0;
    for (int i = 0; i < 60 && b - a > 1e-4; ++i)
    {
        const double c = b - g * (b - a);
        const double d = a + g * (b - a);
        if (power(w, rate, c) > power(w, rate, d))
            b = d;
        else
            a = c;
    }
    return (a + b) / 2.0;
}

// The power-weighted mean frequency between lo and hi: the centre of a
// cluster of close partials (a detuned unison stack).
inline double centroid(const std::vector<float>& x, double rate, double lo, double hi, double step)
{
    const std::vector<double> w = hann(x);
    double weighted = 0.0;
    double total = 0.0;
    for (double f = lo; f <= hi; f += step)
    {
        const double p = power(w, rate, f);
        weighted += p * f;
        total += p;
    }
    return total > 0.0 ? weighted / total : 0.0;
}

inline double rms(const float* x, std::size_t n)
{
    double sum = 0.0;
    for (std::size_t i = 0; i < n; ++i)
        sum += static_cast<double>(x[i]) * x[i];
    return n > 0 ? std::sqrt(sum / static_cast<double>(n)) : 0.0;
}
}
