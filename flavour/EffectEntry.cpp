// The exported entry of the effect deliverable, Zentrova2FX.

#include "Source/Flavour.h"
#include "Source/entry/PluginEntry.h"

extern "C" __attribute__((visibility("default"))) AEffect* VSTPluginMain(audioMasterCallback audioMaster)
{
    return createPluginInstance(audioMaster, effectFlavour());
}

// Older Linux hosts look the entry up as "main"; a C++ function cannot carry
// that name, so the alias gets it from the assembler.
extern "C" __attribute__((visibility("default"))) AEffect* mainEntryAlias(audioMasterCallback audioMaster) __asm__("main");

AEffect* mainEntryAlias(audioMasterCallback audioMaster)
{
    return VSTPluginMain(audioMaster);
}
