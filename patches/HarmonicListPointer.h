#pragma once

#include "Source/shared/SingletonPointer.h"

class HarmonicList;

// The holder of the process-wide harmonic list of this deliverable; its
// release, and its end at unload, delete the list without saving.
class HarmonicListPointer : public SingletonPointer<HarmonicList>
{
public:
    ~HarmonicListPointer() override;
};
