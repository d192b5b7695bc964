#pragma once

#include "dsp/AlignedMemory.h"
#include "dsp/Fft.h"
#include "dsp/HarmonicWaveform.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

// What an oscillator needs to read one tick: the phase step per engine
// sample (2^24 per cycle) and the band-limited table for that pitch. The
// table holds indexMask + 1 samples and 4 guard samples; shift s gives its
// size as 256 << (16 - s).
struct WaveTableRead
{
    std::uint32_t step;
    const float* table;
    int shift;
    std::uint32_t indexMask;
};

// Per oscillator, a set of single-cycle tables of falling size and bandwidth,
// one chosen per tick by pitch. After a wave change every table first holds
// the wave's 256 samples as stair steps; the band-limited versions are then
// computed with FFTs, one step per host block, so that no block pays for a
// whole rebuild. The built-in waves do not depend on the patch: their tables
// are made once per process and host rate, and a wave change only points the
// levels at them, one step per block as a rebuild would, so that both sound
// the same.
class WaveMipMap
{
public:
    static constexpr int kOscillators = 2;
    static constexpr int kPitchSteps = 32; // one per 4 semitones from MIDI note 0

    struct Level
    {
        std::size_t offset;      // into the oscillator's storage, in floats
        std::uint32_t indexMask; // size - 1
        int shift;
        int maxHarmonic;
        int size() const { return static_cast<int>(indexMask) + 1; }
    };

    // A map that does not share makes every table itself.
    explicit WaveMipMap(bool shareBuiltInWaves = true);
    virtual ~WaveMipMap();

    WaveMipMap(const WaveMipMap&) = delete;
    WaveMipMap& operator=(const WaveMipMap&) = delete;

    // Host rate. Not for the audio thread: it allocates.
    void setSampleRate(float hostRate);

    // Wave -1 rebuilds the current wave (after a user-wave edit); selecting
    // the wave already there does nothing.
    void select(int oscillator, int wave);
    // Both in this header: every oscillator calls them every tick.
    WaveTableRead getTable(int oscillator, std::int32_t pitch) const;
    // Pitch: semitones in 16.16 with 120 added to the MIDI note.
    std::uint32_t pitchToStep(std::int32_t pitch) const;

    bool rebuildPending() const { return m_rebuildPending; }
    void rebuildStep();

    HarmonicWaveform& userWave(int index) { return m_userWaves[index]; }
    int currentWave(int oscillator) const { return m_currentWave[oscillator]; }

    int levelCount() const { return static_cast<int>(m_levels.size()); }
    const Level& level(int index) const { return m_levels[index]; }
    int levelForPitchStep(int step) const { return m_levelIndex[step]; }
    int bigLevelCount() const { return m_bigLevels; }
    const float* levelTable(int oscillator, int index) const { return m_tables[oscillator][index]; }

protected:
    virtual void inverseToLevel(int oscillator, int levelIndex, const float* spectrum, float scale);
    virtual void allocateTables();
    virtual void fillStepped(int oscillator);

private:
    struct SharedTables;
    static std::shared_ptr<const SharedTables> sharedTablesFor(float hostRate);

    static constexpr std::int32_t kOctave = 12 * 65536;
    // Pitches beyond these bounds would shift the step table by a negative
    // amount or index outside it; transposition and modulation can get there.
    static constexpr std::int32_t kHighestPitch = 26 * kOctave - 1;
    // Read by every oscillator before any sample rate is set.
    static const float kSilentTable[256 + 4];

    void buildLayout(float hostRate);
    Fft& fftOfSize(int size);
    void writeGuard(float* table, int size);
    void rebuildSmallLevels(int oscillator, int size);
    // The built-in wave's tables in the shared set, or null when the
    // oscillator's wave is the patch's own.
    const SharedTables* sharedWave(int oscillator) const;
    void pointLevels(int oscillator, int firstLevel, int endLevel, bool stepped);

    const bool m_shareBuiltInWaves;
    std::shared_ptr<const SharedTables> m_shared;
    // What the oscillators read, one table per level. User waves are made
    // in the instance's own storage and scratch memory, zero pages that take
    // no memory until a user wave is chosen.
    const float* m_tables[kOscillators][kPitchSteps];
    // Each oscillator's tables, in one mapping.
    ZeroPages<float> m_storageBlock;
    float* m_storage[kOscillators];
    std::vector<std::unique_ptr<Fft>> m_ffts;
    // One rebuild step runs at a time: every size works in the same memory,
    // the three parts of one mapping.
    ZeroPages<double> m_scratch;
    double* m_fftWork;
    float* m_forwardSpectrum;
    float* m_paddedSpectrum;

    bool m_rebuildPending;
    // The tables are as the last allocation left them: nothing selected or
    // rebuilt since.
    bool m_pristine;
    int m_totalSteps;
    int m_stepCounter[kOscillators];
    int m_bigLevels;
    int m_rebuilding;
    bool m_busy;

    std::int8_t m_wave[kOscillators][256];
    float m_waveFloats[kOscillators][256];

    float m_sampleRate;
    std::size_t m_storageTotal;
    int m_currentWave[kOscillators];
    HarmonicWaveform m_userWaves[2];

    std::vector<Level> m_levels;
    unsigned char m_levelIndex[kPitchSteps];
    std::int64_t m_stepTable[384]; // one octave of steps, 32 per semitone
};

inline std::uint32_t WaveMipMap::pitchToStep(std::int32_t pitch) const
{
    pitch = pitch < 0 ? 0 : (pitch > kHighestPitch ? kHighestPitch : pitch);
    const int octave = pitch / kOctave;
    const int index = (pitch >> 11) - 384 * octave;
    return static_cast<std::uint32_t>(m_stepTable[index] >> (25 - octave));
}

inline WaveTableRead WaveMipMap::getTable(int oscillator, std::int32_t pitch) const
{
    const std::uint32_t step = pitchToStep(pitch);
    if (m_tables[oscillator][0] == nullptr)
        return {step, kSilentTable, 16, 255};
    const int u = (pitch >> 18) - 30;
    const int index = m_levelIndex[u < 0 ? 0 : (u > kPitchSteps - 1 ? kPitchSteps - 1 : u)];
    const Level& level = m_levels[index];
    return {step, m_tables[oscillator][index], level.shift, level.indexMask};
}
