#include "dsp/Fft.h"

#include "dsp/Lasting.h"

#include <cmath>
#include <map>
#include <mutex>
#include <utility>

std::shared_ptr<const Fft::Tables> Fft::tablesOfSize(int size)
{
    static std::mutex mutex;
    static Lasting<std::map<int, std::shared_ptr<const Tables>>> made;
    std::lock_guard<std::mutex> lock(mutex);
    std::shared_ptr<const Tables>& entry = (*made)[size];
    if (entry)
        return entry;
    const int half = size / 2;
    auto tables = std::make_shared<Tables>();
    tables->bitReverse.resize(std::size_t(half));
    tables->cosines.resize(std::size_t(half));
    tables->sines.resize(std::size_t(half));
    int bits = 0;
    while ((1 << bits) < half)
        ++bits;
    for (int i = 0; i < half; ++i)
    {
        int r = 0;
        for (int b = 0; b < bits; ++b)
            if (i & (1 << b))
                r |= 1 << (bits - 1 - b);
        tables->bitReverse[std::size_t(i)] = r;
    }
    const double twoPi = 6.283185307179586476925286766559;
    for (int k = 0; k < half; ++k)
    {
        tables->cosines[std::size_t(k)] = std::cos(twoPi * k / size);
        tables->sines[std::size_t(k)] = std::sin(twoPi * k / size);
    }
    entry = tables;
    return entry;
}

Fft::Fft(int size) : Fft(size, nullptr)
{
    m_ownWork.resize(std::size_t(size));
    m_work = m_ownWork.data();
}

Fft::Fft(int size, double* work)
    : m_size(size), m_half(size / 2), m_tables(tablesOfSize(size)), m_bitReverse(m_tables->bitReverse.data()),
      m_cos(m_tables->cosines.data()), m_sin(m_tables->sines.data()), m_work(work)
{
}

Fft::~Fft() = default;

void Fft::complexTransform(bool inverse)
{
    double* z = m_work;
    for (int i = 0; i < m_half; ++i)
    {
        int r = m_bitReverse[i];
        if (r > i)
        {
            std::swap(z[2 * i], z[2 * r]);
            std::swap(z[2 * i + 1], z[2 * r + 1]);
        }
    }
    // The twiddles of a size-L stage are every (size / L)-th entry of the
    // size-N table, since the complex transform is half the real size.
    const double sign = inverse ? 1.0 : -1.0;
    for (int length = 2; length <= m_half; length <<= 1)
    {
        int half = length / 2;
        int stride = m_size / length;
        for (int start = 0; start < m_half; start += length)
        {
            for (int j = 0; j < half; ++j)
            {
                double wr = m_cos[j * stride];
                double wi = sign * m_sin[j * stride];
                double* a = z + 2 * (start + j);
                double* b = z + 2 * (start + j + half);
                double tr = b[0] * wr - b[1] * wi;
                double ti = b[0] * wi + b[1] * wr;
                b[0] = a[0] - tr;
                b[1] = a[1] - ti;
                a[0] += tr;
                a[1] += ti;
            }
        }
    }
}

void Fft::forward(const float* in, float* out)
{
    double* z = m_work;
    for (int i = 0; i < m_size; ++i)
        z[i] = in[i]; // even samples real, odd samples imaginary
    complexTransform(false);

    const int m = m_half;
    out[0] = static_cast<float>(z[0] + z[1]);
    out[m] = static_cast<float>(z[0] - z[1]);
    // Bins k and m - k come from the same two values; do them together.
    for (int k = 1; k <= m / 2; ++k)
    {
        int q = m - k;
        double zr = z[2 * k], zi = z[2 * k + 1];
        double qr = z[2 * q], qi = z[2 * q + 1];
        // Even part E = (Z_k + conj Z_q) / 2, odd part O = (Z_k - conj Z_q) / 2i.
        double er = 0.5 * (zr + qr), ei = 0.5 * (zi - qi);
        double orr = 0.5 * (zi + qi), oi = -0.5 * (zr - qr);
        // X_k = E + W^k O with W = exp(-2 pi i / N).
        double c = m_cos[k], s = -m_sin[k];
        out[k] = static_cast<float>(er + orr * c - oi * s);
        out[m + k] = static_cast<float>(ei + orr * s + oi * c);
        if (q != k)
        {
            // X_q = conj(E) + W^q conj(O), and W^q = -conj(W^k).
            double cq = -c, sq = s;
            out[q] = static_cast<float>(er + orr * cq + oi * sq);
            out[m + q] = static_cast<float>(-ei + orr * sq - oi * cq);
        }
    }
}

void Fft::inverse(const float* in, float* out)
{
    double* z = m_work;
    const int m = m_half;
    auto re = [&](int k) { return static_cast<double>(in[k]); };
    auto im = [&](int k) { return (k == 0 || k == m) ? 0.0 : static_cast<double>(in[m + k]); };
    for (int k = 0; k < m; ++k)
    {
        int q = m - k;
        double xr = re(k), xi = im(k);
        double qr = re(q), qi = -im(q); // conj X_q
        double ar = xr + qr, ai = xi + qi;
        double dr = xr - qr, di = xi - qi;
        // B = (X_k - conj X_q) W^-k, W^-k = cos + i sin.
        double c = m_cos[k], s = m_sin[k];
        double br = dr * c - di * s, bi = dr * s + di * c;
        // Z_k = A + i B
        z[2 * k] = ar - bi;
        z[2 * k + 1] = ai + br;
    }
    complexTransform(true);
    for (int i = 0; i < m_size; ++i)
        out[i] = static_cast<float>(z[i]);
}
