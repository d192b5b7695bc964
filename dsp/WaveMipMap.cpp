#include "dsp/WaveMipMap.h"

#include "dsp/AlignedMemory.h"
#include "dsp/BasicWaves.h"
#include "dsp/Lasting.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <mutex>

namespace
{
// The largest big level, 256 << 12 samples, is reached only at host rates
// 64 times 44.1 kHz.
constexpr int kLargestBigLevelShift = 12;

// The built-in waves 0 to 9 have a set each; every other number but the user
// waves names silence, which has the last.
constexpr int kBuiltInWaves = 10;
constexpr int kSharedSets = kBuiltInWaves + 1;

bool isUserWave(int wave)
{
    return wave == kWaveUser1 || wave == kWaveUser2;
}

int sharedSetOf(int wave)
{
    return wave >= 0 && wave < kBuiltInWaves ? wave : kBuiltInWaves;
}

int bitLength(std::uint32_t value)
{
    int bits = 0;
    while (value != 0)
    {
        ++bits;
        value >>= 1;
    }
    return bits;
}
}

const float WaveMipMap::kSilentTable[256 + 4] = {};

// Every level of every built-in wave, stepped and finished, laid out as in an
// instance's storage. Waves whose tables come out the same (the sawtooth and
// the pulses) share them; silence reads untouched zero pages.
struct WaveMipMap::SharedTables
{
    float hostRate = 0.0f;
    const float* stepped[kSharedSets] = {};
    const float* finished[kSharedSets] = {};
    std::vector<ZeroPages<float>> memory;
};

std::shared_ptr<const WaveMipMap::SharedTables> WaveMipMap::sharedTablesFor(float hostRate)
{
    static std::mutex mutex;
    static Lasting<std::vector<std::weak_ptr<const SharedTables>>> kept;
    std::vector<std::weak_ptr<const SharedTables>>& made = *kept;
    std::lock_guard<std::mutex> lock(mutex);
    made.erase(std::remove_if(made.begin(), made.end(), [](const auto& set) { return set.expired(); }), made.end());
    for (const auto& set : made)
        if (auto tables = set.lock(); tables && tables->hostRate == hostRate)
            return tables;

    // Made by the very steps an instance would take, so that pointing at
    // them sounds exactly as building them would.
    auto tables = std::make_shared<SharedTables>();
    tables->hostRate = hostRate;
    WaveMipMap builder(false);
    builder.setSampleRate(hostRate);
    const std::size_t count = builder.m_storageTotal;
    const std::size_t bytes = count * sizeof(float);
    auto keep = [&](const float* table) -> const float* {
        for (const ZeroPages<float>& kept : tables->memory)
            if (std::memcmp(kept.get(), table, bytes) == 0)
                return kept.get();
        tables->memory.push_back(makeZeroPages<float>(count));
        float* copy = tables->memory.back().get();
        // All-zero bits stay untouched pages.
        if (std::any_of(table, table + count, [](float x) { return x != 0.0f || std::signbit(x); }))
            std::memcpy(copy, table, bytes);
        return copy;
    };
    for (int set = 0; set < kSharedSets; ++set)
    {
        builder.select(0, set < kBuiltInWaves ? set : kWaveAudioInput);
        tables->stepped[set] = keep(builder.m_storage[0]);
        while (builder.rebuildPending())
            builder.rebuildStep();
        tables->finished[set] = keep(builder.m_storage[0]);
    }
    made.push_back(tables);
    return tables;
}

WaveMipMap::WaveMipMap(bool shareBuiltInWaves)
    : m_shareBuiltInWaves(shareBuiltInWaves), m_tables{}, m_storage{}, m_fftWork(nullptr),
      m_forwardSpectrum(nullptr), m_paddedSpectrum(nullptr), m_rebuildPending(false), m_pristine(false),
      m_totalSteps(0), m_stepCounter{0, 0}, m_bigLevels(0), m_rebuilding(0), m_busy(false), m_wave{},
      m_waveFloats{}, m_sampleRate(-1.0f), m_storageTotal(0), m_currentWave{-2, -2}, m_levelIndex{}, m_stepTable{}
{
}

WaveMipMap::~WaveMipMap() = default;

void WaveMipMap::setSampleRate(float hostRate)
{
    if (!std::isfinite(hostRate) || hostRate < 1.0f)
        return;
    // Hosts set the rate again and again before they start: tables made for
    // it and untouched since would only be made once more.
    if (hostRate == m_sampleRate && m_pristine)
        return;
    if (hostRate != m_sampleRate)
        buildLayout(hostRate);
    allocateTables();
    m_pristine = true;
}

void WaveMipMap::buildLayout(float hostRate)
{
    m_sampleRate = hostRate;
    // The table holds the steps of the top octave, D/2 up to D; lower octaves
    // shift them down. 3110.366086 puts MIDI note 69 at 440 Hz with the engine
    // at twice 44.1 kHz.
    const double d = (44100.0 / hostRate) * 3110.366086 * 32768.0;
    const double low = std::log(d / 2.0);
    const double perStep = (std::log(d) - low) / 384.0;
    for (int i = 0; i < 384; ++i)
        m_stepTable[i] = static_cast<std::int64_t>(std::exp(low + i * perStep) + 0.5);

    m_levels.clear();
    std::size_t offset = 0;
    auto addLevel = [&](int size, int shift, int maxHarmonic) {
        m_levels.push_back({offset, static_cast<std::uint32_t>(size - 1), shift, maxHarmonic});
        offset += static_cast<std::size_t>(size) + 4;
    };
    auto pitchOfStep = [](int u) { return (u + 30) * 4 * 65536; };

    // Low pitches: one table per octave, sized so that each engine sample
    // advances one to two table samples.
    int u = 0;
    int previous = -1;
    m_bigLevels = 0;
    for (; u < kPitchSteps; ++u)
    {
        int k = std::min(17 - bitLength(pitchToStep(pitchOfStep(u))), kLargestBigLevelShift);
        if (k < 2)
            break;
        if (k != previous)
        {
            addLevel(256 << k, 16 - k, 256);
            previous = k;
            ++m_bigLevels;
        }
        m_levelIndex[u] = static_cast<unsigned char>(m_levels.size() - 1);
    }
    // High pitches: one table each, holding only the harmonics below the
    // host's Nyquist frequency (2^22 / step).
    for (int j = 0; u < kPitchSteps; ++u, ++j)
    {
        int maxHarmonic = static_cast<int>(4194304u / pitchToStep(pitchOfStep(u)));
        if (j < 3)
            addLevel(512, 15, maxHarmonic);
        else
            addLevel(256, 16, maxHarmonic);
        m_levelIndex[u] = static_cast<unsigned char>(m_levels.size() - 1);
    }
    m_storageTotal = offset;
    m_totalSteps = 2 * m_bigLevels + 2;

    int biggest = m_bigLevels > 0 ? m_levels[0].size() : 512;
    m_ffts.clear();
    // Work of biggest doubles, then spectra of biggest / 2 and biggest
    // floats.
    const std::size_t work = static_cast<std::size_t>(biggest);
    m_scratch = makeZeroPages<double>(work + (work / 2 + work + 1) / 2);
    m_fftWork = m_scratch.get();
    m_forwardSpectrum = reinterpret_cast<float*>(m_fftWork + work);
    m_paddedSpectrum = m_forwardSpectrum + work / 2;
    for (int size = biggest; size >= 256; size /= 2)
        m_ffts.push_back(std::make_unique<Fft>(size, m_fftWork));
}

void WaveMipMap::allocateTables()
{
    m_rebuildPending = false;
    m_busy = false;
    if (m_shareBuiltInWaves)
        m_shared = sharedTablesFor(m_sampleRate);
    m_storageBlock = makeZeroPages<float>(kOscillators * m_storageTotal);
    for (int o = 0; o < kOscillators; ++o)
        m_storage[o] = m_storageBlock.get() + o * m_storageTotal;
    for (int o = 0; o < kOscillators; ++o)
    {
        m_stepCounter[o] = m_totalSteps;
        select(o, -1);
    }
}

void WaveMipMap::select(int oscillator, int wave)
{
    if (wave == m_currentWave[oscillator] && wave != -1)
        return;
    m_pristine = false;
    if (wave != -1)
        m_currentWave[oscillator] = wave;
    buildBasicWave(m_currentWave[oscillator], m_userWaves[0], m_userWaves[1], m_wave[oscillator]);
    for (int i = 0; i < 256; ++i)
        m_waveFloats[oscillator][i] = m_wave[oscillator][i] * (1.0f / 128.0f);
    if (m_storage[oscillator] == nullptr)
        return; // no rate yet: the tables are built when it comes
    fillStepped(oscillator);
    m_stepCounter[oscillator] = 0;
    if (!m_rebuildPending)
    {
        m_rebuildPending = true;
        m_rebuilding = oscillator;
    }
}

void WaveMipMap::writeGuard(float* table, int size)
{
    for (int i = 0; i < 4; ++i)
        table[size + i] = table[i];
}

const WaveMipMap::SharedTables* WaveMipMap::sharedWave(int oscillator) const
{
    return isUserWave(m_currentWave[oscillator]) ? nullptr : m_shared.get();
}

void WaveMipMap::pointLevels(int oscillator, int firstLevel, int endLevel, bool stepped)
{
    const int set = sharedSetOf(m_currentWave[oscillator]);
    const float* tables = stepped ? m_shared->stepped[set] : m_shared->finished[set];
    for (int l = firstLevel; l < endLevel; ++l)
        m_tables[oscillator][l] = tables + m_levels[l].offset;
}

void WaveMipMap::fillStepped(int oscillator)
{
    if (sharedWave(oscillator))
    {
        pointLevels(oscillator, 0, levelCount(), true);
        return;
    }
    const float* wave = m_waveFloats[oscillator];
    for (int l = 0; l < levelCount(); ++l)
    {
        const Level& level = m_levels[l];
        float* table = m_storage[oscillator] + level.offset;
        int repeat = level.size() / 256;
        for (int i = 0; i < 256; ++i)
            for (int r = 0; r < repeat; ++r)
                table[i * repeat + r] = wave[i];
        writeGuard(table, level.size());
        m_tables[oscillator][l] = table;
    }
}

Fft& WaveMipMap::fftOfSize(int size)
{
    std::size_t index = 0;
    while (m_ffts[index]->size() != size)
        ++index;
    return *m_ffts[index];
}

void WaveMipMap::inverseToLevel(int oscillator, int levelIndex, const float* spectrum, float scale)
{
    const Level& level = m_levels[levelIndex];
    const int size = level.size();
    float* table = m_storage[oscillator] + level.offset;
    fftOfSize(size).inverse(spectrum, table);
    for (int i = 0; i < size; ++i)
        table[i] *= scale;
    writeGuard(table, size);
}

void WaveMipMap::rebuildSmallLevels(int oscillator, int size)
{
    // From the base wave's 256-point spectrum, kept to each level's limit;
    // 1 / 256 restores the wave's own amplitude at either size.
    const float* forward = m_forwardSpectrum;
    float* padded = m_paddedSpectrum;
    for (int l = m_bigLevels; l < levelCount(); ++l)
    {
        if (m_levels[l].size() != size)
            continue;
        if (sharedWave(oscillator))
        {
            pointLevels(oscillator, l, l + 1, false);
            continue;
        }
        const int m = std::min(m_levels[l].maxHarmonic, 127);
        std::fill(padded, padded + size, 0.0f);
        for (int k = 0; k <= m; ++k)
            padded[k] = forward[k];
        for (int k = 1; k <= m; ++k)
            padded[size / 2 + k] = forward[128 + k];
        inverseToLevel(oscillator, l, padded, 1.0f / 256.0f);
    }
}

void WaveMipMap::rebuildStep()
{
    if (!m_rebuildPending)
        return;
    m_pristine = false;
    const int o = m_rebuilding;
    const int s = m_stepCounter[o];
    const int n = m_bigLevels;
    const float* wave = m_waveFloats[o];
    float* padded = m_paddedSpectrum;
    float* forward = m_forwardSpectrum;
    // A built-in wave takes its finished levels at the steps that would have
    // made them.
    const bool shared = sharedWave(o) != nullptr;

    if (s < 2 * n && s % 2 == 0 && shared)
        m_busy = true;
    else if (s < 2 * n && s % 2 != 0 && shared)
        pointLevels(o, s / 2, s / 2 + 1, false);
    else if (s < 2 * n && s % 2 == 0)
    {
        // Spectrum of the stair-step wave at half the level's size, kept to
        // the bins below that half's Nyquist and padded to the full size.
        // The stair steps wait in the padded spectrum's memory, which is
        // written only after the transform.
        const int size = m_levels[s / 2].size();
        const int half = size / 2;
        const int repeat = size / 512;
        for (int i = 0; i < half; ++i)
            padded[i] = wave[i / repeat];
        fftOfSize(half).forward(padded, forward);
        std::fill(padded, padded + size, 0.0f);
        for (int k = 0; k < size / 4; ++k)
            padded[k] = forward[k];
        for (int k = 1; k < size / 4; ++k)
            padded[half + k] = forward[half / 2 + k];
        m_busy = true;
    }
    else if (s < 2 * n)
    {
        const int size = m_levels[s / 2].size();
        inverseToLevel(o, s / 2, padded, 2.0f / size);
    }
    else if (s == 2 * n)
    {
        // The shared busy flag keeps the other oscillator from taking over
        // between this step and the next, which reuses this spectrum.
        m_busy = true;
        if (!shared)
            fftOfSize(256).forward(wave, forward);
        rebuildSmallLevels(o, 512);
    }
    else if (s == 2 * n + 1)
    {
        rebuildSmallLevels(o, 256);
        m_busy = false;
    }
    if (s < m_totalSteps)
        m_stepCounter[o] = s + 1;

    const int other = 1 - o;
    if (m_stepCounter[other] < m_totalSteps && !m_busy)
        m_rebuilding = other;
    else if (m_stepCounter[o] >= m_totalSteps)
        m_rebuildPending = false;
}
