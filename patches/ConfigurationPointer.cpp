#include "patches/ConfigurationPointer.h"

#include "patches/Configuration.h"

ConfigurationPointer::~ConfigurationPointer()
{
    if (!m_pointer)
        return;
    try
    {
        m_pointer->save();
    }
    catch (...)
    {
        // Unloading goes on; the previous file stays as it was.
    }
    delete m_pointer;
    m_pointer = nullptr;
}

void ConfigurationPointer::release()
{
    delete m_pointer;
    m_pointer = nullptr;
}
