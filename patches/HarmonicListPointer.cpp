#include "patches/HarmonicListPointer.h"

#include "patches/HarmonicList.h"

HarmonicListPointer::~HarmonicListPointer()
{
    release();
}
