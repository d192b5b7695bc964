#include "Source/PatchConverter.h"

PatchConverter::~PatchConverter() = default;
