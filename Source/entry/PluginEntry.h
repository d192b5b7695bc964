#pragma once

#include "Source/vst/VstDeclarations.h"

struct Flavour;

// What a deliverable's exported entry point does: asks the host for its
// version, creates one plug-in instance of the given flavour and returns its
// effect record, or null when the host is unusable or the instance could not
// be built.
AEffect* createPluginInstance(audioMasterCallback audioMaster, const Flavour& flavour);
