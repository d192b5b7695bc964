#include "patches/HarmonicListPointer.h"

#include "patches/HarmonicList.h"

HarmonicListPointer::~HarmonicListPointer()
{
    if (m_pointer)
        m_pointer->saveKeptWaves();
    release();
}
