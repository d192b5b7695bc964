#pragma once

#include <cstdint>

class PatchConverter;

// One run of a conversion through the patch tree.
struct PatchConversion
{
    // The user has not been asked yet.
    static constexpr std::uint32_t kNotAsked = 0xFFFFFFFF;

    std::uint32_t formatFlags = 0;
    bool deleteOriginal = false;
    // The reply to the read-only question (an askSkipStop answer), kept for
    // the rest of the run.
    std::uint32_t answer = kNotAsked;
    // Null: what needs a patch state is left as it is.
    PatchConverter* converter = nullptr;
};
