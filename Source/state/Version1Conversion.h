#pragma once

#include "patches/Version1Patch.h"

class ZentrovaState;

// Turns a version-1 program into the state's patch: its stored values, its
// name and its parameter objects, starting from the default patch. The
// state's library record, program index and flags stay as they are.
void convertVersion1Patch(ZentrovaState& state, const Version1Patch& record);
