#pragma once

#include "Source/vst/VstDeclarations.h"

// What one deliverable shows the host: the effect and the instrument are
// built from the same sources and differ only in these values, chosen when
// the deliverable's entry point creates the plug-in.
struct Flavour
{
    const char* effectName;
    const char* productString;
    VstInt32 uniqueId;
    VstInt32 numInputs;
    bool isSynth;
    // The samples by which the host's input comes out late, for the host to
    // compensate.
    VstInt32 initialDelay;
};

// Zentrova2FX: stereo input, the voices can play it.
const Flavour& effectFlavour();
// Zentrova2: no input; announces itself as a synthesizer.
const Flavour& instrumentFlavour();
