#include "patches/ConfigurationBase.h"

ConfigurationBase::ConfigurationBase() : m_supportFiles(new SupportFiles) {}

ConfigurationBase::~ConfigurationBase() = default;
