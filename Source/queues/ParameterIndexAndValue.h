#pragma once

#include <cstdint>

// The item of the editor's queue; index -1 marks the empty item.
struct ParameterIndexAndValue
{
    ParameterIndexAndValue() = default;
    ParameterIndexAndValue(std::int64_t index, float value) : index(index), value(value) {}

    bool isEmpty() const { return index < 0; }

    std::int64_t index = -1;
    float value = 0.0f;
};
