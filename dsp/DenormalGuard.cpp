#include "dsp/DenormalGuard.h"

#include <xmmintrin.h>

namespace
{
constexpr unsigned int kFlushToZero = 0x8000;
constexpr unsigned int kDenormalsAreZero = 0x0040;
constexpr unsigned int kExceptionFlags = 0x003F;
}

DenormalGuard::DenormalGuard() : m_saved(_mm_getcsr())
{
    _mm_setcsr(m_saved | kFlushToZero | kDenormalsAreZero);
}

DenormalGuard::~DenormalGuard()
{
    // The exception flags raised meanwhile stay raised.
    _mm_setcsr((_mm_getcsr() & kExceptionFlags) | (m_saved & ~kExceptionFlags));
}
