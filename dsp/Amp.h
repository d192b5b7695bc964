#pragma once

#include "dsp/AmpSettings.h"

#include <cstdint>

// The amplifier of one voice: a five-stage envelope over the voice's
// filtered signal and a stereo pan, rendered into the interleaved stereo
// mix at the engine rate. The level follows the segmented curve of the
// shared settings.
class Amp
{
public:
    enum Stage
    {
        kIdle = 0,
        kRelease = 1,
        kSustain = 2,
        kDecay = 3,
        kAttack = 4,
    };

    // The multipliers of one note's stages, made as the stages begin. Kept
    // apart from the amplifier, so that a bank's tables take memory only
    // for the voices that have played.
    struct Tables
    {
        float attack[AmpSettings::kLevels];
        float decay[AmpSettings::kLevels];
        float release[AmpSettings::kLevels];
    };

    explicit Amp(const AmpSettings* settings = nullptr, Tables* tables = nullptr);
    ~Amp();

    void bind(const AmpSettings* settings, Tables* tables)
    {
        m_pSettings = settings;
        m_pTables = tables;
    }
    // Idle and silent.
    void reset();
    // Gate-on with a velocity byte and a pan position (-1 left .. 1 right).
    void start(int velocity, float pan);
    // Gate-off; a release velocity of 0 keeps the gate-on velocity.
    void gateOff(int releaseVelocity);
    // The next attack begins from the floor.
    void restartFromFloor() { m_segment = 0; }
    // Settings changed while the voice sounds.
    void attackChanged();
    void decayChanged();
    void releaseChanged();
    void sustainChanged();

    // count engine samples of input into output (two floats per sample,
    // left and right), written or, with accumulate, added.
    void render(const float* input, float* output, int count, bool accumulate);

    Stage stage() const { return static_cast<Stage>(m_stage); }
    float level() const { return m_level; }
    bool startPending() const { return m_startPending; }
    bool gateHeld() const { return m_gateHeld; }
    int segment() const { return static_cast<int>(m_segment); }
    std::int64_t stageSamples() const { return m_stageSamples; }
    bool releaseShape() const { return m_releaseShape; }
    float gainLeft() const { return m_gainLeft; }
    float gainRight() const { return m_gainRight; }

    Amp(const Amp&) = delete;
    Amp& operator=(const Amp&) = delete;

private:
    void setPan(float pan);
    void enter(Stage stage);
    int attack(const float* input, float* output, int count, bool accumulate);
    int fall(const float* input, float* output, int count, bool accumulate, const float* table, float stopLevel);
    int sustainRun(const float* input, float* output, int count, bool accumulate);

    // The pan gains and their ramp, copied out for a loop over samples.
    struct Pan
    {
        float left;
        float right;
        std::int64_t rampCount;
    };
    Pan panState() const { return {m_gainLeft, m_gainRight, m_rampCount}; }
    void setPanState(const Pan& pan);
    void emit(float sample, float* output, bool accumulate, Pan& pan) const;

    // Ordered to leave little padding: the bank holds one per voice.
    const AmpSettings* m_pSettings;
    bool m_releaseShape;
    bool m_startPending;
    bool m_gateHeld;
    bool m_sustainChanged;
    float m_level;
    std::uint32_t m_stage;
    std::uint32_t m_segment;
    std::int64_t m_stageSamples;
    std::int64_t m_rampCount;
    Tables* m_pTables;
    float m_sustainTarget;
    std::uint32_t m_attackVelocity;
    std::uint32_t m_releaseVelocity;
    float m_gainLeft;
    float m_gainRight;
    float m_targetLeft;
    float m_targetRight;
    float m_stepLeft;
    float m_stepRight;
};
