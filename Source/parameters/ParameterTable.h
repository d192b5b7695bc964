#pragma once

#include "Source/parameters/ParameterIndices.h"
#include "Source/parameters/ZentrovaParameter.h"

#include <memory>

// {display name, short name, patch key} of parameters 0..106, then a row of
// null pointers.
extern const ParameterNames parameterNameTable[kNamedParameterCount + 1];

// The filter modes, in the order the filters number them.
extern const char* const FilterTypeNames[9];

// The object that stands for parameter `index` (0..154), at value 0 and in
// its first mode; null for any other index.
std::unique_ptr<ZentrovaParameter> createParameterObject(int index);
