#include "dsp/DenormalGuard.h"

#include <xmmintrin.h>

namespace
{
constexpr unsigned int kFlushToZero = 0x8000;
constexpr unsigned int kDenormalsAreZero = 0x0040;
}

DenormalGuard::DenormalGuard() : m_saved(_mm_getcsr())
{
    _mm_setcsr(m_saved | kFlushToZero | kDenormalsAreZero);
}

DenormalGuard::~DenormalGuard()
{
    _mm_setcsr(m_saved);
}
