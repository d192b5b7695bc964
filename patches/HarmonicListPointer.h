#pragma once

#include "Source/shared/SingletonPointer.h"

class HarmonicList;

// The holder of the process-wide harmonic list of this deliverable; its
// release deletes the list without saving. When the library goes it first
// writes waves that a failed save kept.
class HarmonicListPointer : public SingletonPointer<HarmonicList>
{
public:
    ~HarmonicListPointer() override;

    // Waves a failed save kept are written.
    void saveNow();
};
