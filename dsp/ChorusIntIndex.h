#pragma once

#include "dsp/AlignedNew.h"
#include "dsp/Chorus.h"

#include <cstdint>

// Chorus whose tap positions are 16.16 fixed point in engine samples, so
// that frame index and fraction come from shifts and masks.
class ChorusIntIndex : public Chorus, public AlignedNew
{
public:
    ChorusIntIndex();

    void setDepth(float ms) override;
    void setRate(float hz) override;
    void updateBaseDelay() override;

    // The sweep, for measuring tools and tests.
    int64_t tapPosition(int tap) const { return m_tapPosition[tap]; }
    int64_t baseDelay() const { return m_baseDelay; }
    int64_t upperBound() const { return m_upperBound; }
    int64_t lowerBound() const { return m_lowerBound; }

protected:
    void updateIncrements();

    int64_t m_baseDelay = 0;
    int64_t m_upperBound = 0;
    int64_t m_lowerBound = 0;
    int64_t m_tapPosition[4] = {0, 0, 0, 0};
    int64_t m_tapIncrement[4] = {0, 0, 0, 0};
    // Scratch of one chunk: four tap values and two dry values per frame.
    alignas(16) float m_tapValues[4 * 2 * kChunk];
    alignas(16) float m_dryValues[2 * 2 * kChunk];
};
