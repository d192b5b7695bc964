#include "patches/HarmonicListPointer.h"

#include "patches/HarmonicList.h"

HarmonicListPointer::~HarmonicListPointer()
{
    saveNow();
    release();
}

void HarmonicListPointer::saveNow()
{
    if (m_pointer)
        m_pointer->saveKeptWaves();
}
