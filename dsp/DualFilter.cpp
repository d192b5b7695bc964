#include "dsp/DualFilter.h"

#include <cstring>

DualFilter::DualFilter() : m_coefficients(nullptr), m_startMask(0)
{
}

DualFilter::~DualFilter() = default;

void DualFilter::clear(int mode)
{
    startSlot(0, mode);
    startSlot(1, mode);
}

void DualFilter::setCoefficientTable(const float* table)
{
    m_coefficients = table;
}

void DualFilter::copyThrough(float* const* buffers, int activeMask, std::int64_t offset, std::int64_t count)
{
    if (count <= 0)
        return;
    for (int slot = 0; slot < 2; ++slot)
    {
        if ((activeMask & (1 << slot)) == 0)
            continue;
        const float* in = buffers[2 * slot] - offset;
        float* out = buffers[2 * slot + 1] - offset;
        if (in != out)
            std::memmove(out, in, static_cast<std::size_t>(count) * sizeof(float));
    }
}
