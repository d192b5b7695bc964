#pragma once

#include <cstdint>

// The auxiliary modulation: an LFO, an envelope and a controller summed and
// sent to one destination.
struct AuxModSettings
{
    // The amounts' scale for a destination: 112 sixteenths of a semitone for
    // a pitch, percent for the mixes, 255 for the byte-sized rest.
    static int scaleFor(std::int64_t destination);
    // The scaled amounts for the current destination.
    void rescale();
    // Applies parameter index of the auxiliary modulation (value: its
    // engine value, v: the same as a float), and answers true; false for
    // any other parameter.
    bool applyParameter(std::int64_t index, std::int64_t value, float v);

    // 0..4: the share of LFO 2, in quarters.
    std::int64_t lfoMix = 0;
    bool sum = false;
    std::int64_t scaledLfoAmount = 0;
    // Bipolar, -1..1.
    float lfoAmount = 0.0f;
    float controllerAmount = 0.0f;
    float envelopeAmount = 0.0f;
    std::int64_t scaledEnvelopeAmount = 0;
    std::int64_t scaledControllerAmount = 0;
    std::int64_t destination = 0;
    std::int64_t envelopeSource = 0;
    bool destinationIsPitch = false;
    std::int64_t controllerSource = 0;
};
