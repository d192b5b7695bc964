#include "patches/ConfigurationPointer.h"

#include "patches/Configuration.h"

#include <cstdio>

ConfigurationPointer::~ConfigurationPointer()
{
    saveNow();
    release();
}

void ConfigurationPointer::saveNow()
{
    if (!m_pointer)
        return;
    int result = Configuration::kFileNotOpened;
    try
    {
        result = m_pointer->save();
    }
    catch (...)
    {
        // Unloading goes on; the previous file stays as it was.
    }
    // No editor is left to show an alert, and the alert handlers may be gone.
    if (result != Configuration::kFileDone)
        std::fprintf(stderr, "Zentrova2: Configuration Not Saved\nThe settings could not be written to %s.\n",
                     m_pointer->getSupportFiles().userConfigFile.c_str());
}

void ConfigurationPointer::release()
{
    delete m_pointer;
    m_pointer = nullptr;
}
