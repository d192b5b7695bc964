#pragma once

#include <string>

// One program of a MIDI bank as the MIDI bank table holds it: the patch's
// name, the tree address stored for it, and whether it can be played (a
// patch the library holds, or an empty slot).
struct MidiProgramEntry
{
    std::string name;
    std::string path;
    bool present = false;
};
