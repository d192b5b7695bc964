#pragma once

#include "Source/Voices/KeyboardDescriptor.h"
#include "Source/parameters/ParameterIndices.h"
#include "Source/shared/RelaxedFloat.h"
#include "Source/shared/SpinLock.h"

#include <string>

struct DefaultPatchRecord;

constexpr int kMidiChannelCount = 16;

// One patch as stored: the normalised value of every parameter, the name and
// the chord memory of each MIDI channel (element 0 is channel 1).
class PatchData
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
    KeyboardDescriptor chords[kMidiChannelCount];
    // Held while the chords are copied in or out, and while the engine
    // writes the chords it learned into them; never copied.
    mutable SpinLock chordsLock;

private:
    template <class Value>
    void copyValues(const Value (&from)[kParameterCount]);
};
