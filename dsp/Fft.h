#pragma once

#include <memory>
#include <vector>

// Real-input FFT of a power-of-two size N, computed in double precision.
// Spectrum layout: element k (0 <= k <= N/2) is the real part of bin k,
// element N/2 + k (1 <= k < N/2) the imaginary part of bin k. The inverse is
// unscaled: inverse(forward(x)) = N x. Tables and work memory are made at
// construction, so transforms never allocate; the tables of a size are made
// once per process and shared.
class Fft
{
public:
    explicit Fft(int size); // size: a power of two, at least 4
    // Works in the caller's memory of size doubles, which transforms that
    // never run at the same time may share.
    Fft(int size, double* work);
    ~Fft();

    Fft(const Fft&) = delete;
    Fft& operator=(const Fft&) = delete;

    int size() const { return m_size; }

    // in and out hold size floats each and may be the same array.
    void forward(const float* in, float* out);
    void inverse(const float* in, float* out);

private:
    // In-place complex transform of size / 2 points held in m_work.
    void complexTransform(bool inverse);

    struct Tables
    {
        std::vector<int> bitReverse;
        std::vector<double> cosines; // cos(2 pi k / size), k < size / 2
        std::vector<double> sines;
    };
    static std::shared_ptr<const Tables> tablesOfSize(int size);

    int m_size;
    int m_half;
    std::shared_ptr<const Tables> m_tables;
    const int* m_bitReverse;
    const double* m_cos;
    const double* m_sin;
    std::vector<double> m_ownWork;
    double* m_work; // size / 2 complex values, interleaved
};
