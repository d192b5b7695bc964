// The exported entry of the instrument deliverable, Zentrova2.

#include "Source/Flavour.h"
#include "Source/entry/PluginEntry.h"
#include "toolkit/x11/X11Platform.h"

extern "C" __attribute__((visibility("default"))) AEffect* VSTPluginMain(audioMasterCallback audioMaster)
{
    // Only registers the window maker: no display is opened before an editor opens.
    X11Platform::install();
    return createPluginInstance(audioMaster, instrumentFlavour());
}

// Older Linux hosts look the entry up as "main"; a C++ function cannot carry
// that name, so the alias gets it from the assembler.
extern "C" __attribute__((visibility("default"))) AEffect* mainEntryAlias(audioMasterCallback audioMaster) __asm__("main");

AEffect* mainEntryAlias(audioMasterCallback audioMaster)
{
    return VSTPluginMain(audioMaster);
}
