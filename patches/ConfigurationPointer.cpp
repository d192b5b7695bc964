#include "patches/ConfigurationPointer.h"

#include "patches/Configuration.h"

ConfigurationPointer::~ConfigurationPointer()
{
    delete m_pointer;
    m_pointer = nullptr;
}

void ConfigurationPointer::release()
{
    delete m_pointer;
    m_pointer = nullptr;
}
