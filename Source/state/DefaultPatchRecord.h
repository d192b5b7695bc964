#pragma once

#include "Source/parameters/ParameterIndices.h"

// The values of the built-in default patch, which every new patch state and
// every patch reading starts from.
struct DefaultPatchRecord
{
    float values[kParameterCount];
    char name[16];

    // The one record of the process, read from the built-in default patch
    // on first use (safe to call from several threads).
    static const DefaultPatchRecord& instance();
};

// One parameter of the built-in default patch: its key and its patch value
// text, in parameter order. The harmonic levels are all empty texts.
struct DefaultPatchEntry
{
    const char* key;
    const char* text;
};

extern const DefaultPatchEntry builtInDefaultPatch[kNamedParameterCount];

// The value text of parameter index (0..154) in the built-in default patch.
const char* builtInDefaultText(int index);
