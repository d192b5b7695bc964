#pragma once

#include "Source/Voices/ChordLists.h"
#include "Source/parameters/ParameterIndices.h"
#include "Source/shared/RelaxedFloat.h"

#include <string>

struct DefaultPatchRecord;

// One patch as stored: the normalised value of every parameter, the name and
// the chord memory of each MIDI channel.
class PatchData : public ChordLists
{
public:
    // All values 0, no name, no chords.
    PatchData();
    // The default values and name; no chords.
    explicit PatchData(const DefaultPatchRecord& record);
    // Chords are copied in their list's order with key pressures dropped,
    // under the patches' chord locks.
    PatchData(const PatchData& other);
    PatchData& operator=(const PatchData& other);
    ~PatchData();

    // Empties every chord list; their order values stay.
    void clearChords();

    // MIDI-learned controllers store into these on the audio thread while
    // the host's thread reads them.
    RelaxedFloat values[kParameterCount];
    std::string name;

private:
    template <class Value>
    void copyValues(const Value (&from)[kParameterCount]);
};
