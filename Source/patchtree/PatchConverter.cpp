#include "Source/patchtree/PatchConverter.h"

PatchConverter::~PatchConverter() = default;
