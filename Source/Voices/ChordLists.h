#pragma once

#include "Source/Voices/KeyboardDescriptor.h"
#include "Source/shared/SpinLock.h"

constexpr int kMidiChannelCount = 16;

// The chord memory of each MIDI channel (element 0 is channel 1): the part
// of a patch that the keyboard handler plays, and into which it writes the
// chords it learns.
struct ChordLists
{
    KeyboardDescriptor chords[kMidiChannelCount];
    // Held while the chords are copied in or out, and while the engine
    // writes the chords it learned into them; never copied.
    mutable SpinLock chordsLock;
};
