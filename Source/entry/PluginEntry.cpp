#include "Source/entry/PluginEntry.h"

#include "Source/entry/ZentrovaEdit.h"

AEffect* createPluginInstance(audioMasterCallback audioMaster, const Flavour& flavour)
{
    if (!audioMaster || audioMaster(nullptr, audioMasterVersion, 0, 0, nullptr, 0.0f) == 0)
        return nullptr;
    ZentrovaEdit* plugin = nullptr;
    try
    {
        plugin = new ZentrovaEdit(audioMaster, flavour);
    }
    catch (...)
    {
        return nullptr;
    }
    if (!plugin->getEditor())
    {
        delete plugin;
        return nullptr;
    }
    // Only now is the whole object built: the worker serving the other
    // instances calls into all of it.
    plugin->startMidiProgramChanges();
    plugin->markHandedToHost();
    return plugin->getAeffect();
}
