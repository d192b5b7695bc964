#include "patches/ConfigurationClient.h"

ConfigurationClient::~ConfigurationClient() = default;
