#pragma once

#include "dsp/OnePoleFilter.h"
#include "dsp/TwoPoleFilter.h"

#include <cstdint>

// The stereo chorus of the effects chain. It works on interleaved stereo
// frames at twice the host rate; counts are in host samples, each carrying
// two frames (four floats). Input and output may be the same buffer.
class Chorus
{
public:
    Chorus();
    virtual ~Chorus();

    Chorus(const Chorus&) = delete;
    Chorus& operator=(const Chorus&) = delete;

    // Returns the running flag: 0 once a fade to level 0 has finished.
    virtual bool process(const float* in, float* out, int n);
    virtual void processBlocks(const float* in, float* out, int n);
    // Starts from silence: the delay line and the filters hold nothing.
    virtual void clear();
    virtual void setLevel(int64_t level);
    // The host rate; the chorus runs at twice that internally.
    virtual void setSampleRate(float rate);
    virtual void setDepth(float ms) = 0;
    virtual void setRate(float hz);
    virtual void onRampEnd();
    virtual void processChunk(const float* in, float* out, int n) = 0;
    virtual void updateBaseDelay() = 0;
    virtual void updateFilters();

    // Modes outside the known presets are clamped to the nearest one.
    void setMode(int64_t mode);
    bool isRunning() const { return m_running; }

    static constexpr int kDelayFrames = 65536;
    static constexpr uint32_t kDelayMask = kDelayFrames - 1;
    static constexpr int kChunk = 128;
    static constexpr int kHighestMode = 5;

protected:
    // Moves a level ramp on by n host samples of silence, as processing them
    // would.
    void skipRamp(int n);
    // The gains stay where the ramp left them.
    void endRamp();
    struct Preset
    {
        float inputHpFrequency;
        float inputHpQ;
        float crossFrequency;
        float crossQ;
        float toneFrequency;
        float baseDelayMs;
    };

    float* m_delayLine;
    // Written since it was last cleared.
    bool m_lineWritten = false;
    uint32_t m_writeIndex = 1;
    float m_dryGain = 1.0f;
    float m_dryStep = 0.0f;
    int m_mode = 0;
    TwoPoleFilter m_crossLeft;
    TwoPoleFilter m_crossRight;
    TwoPoleFilter m_inputHpLeft;
    TwoPoleFilter m_inputHpRight;
    OnePoleFilter m_toneLeft;
    OnePoleFilter m_toneRight;
    OnePoleFilter m_tapSmooth[4];
    float m_lpGain = 0.0f;
    float m_lpStep = 0.0f;
    float m_rateFactor = 0.0f;
    float m_wetGain = 0.0f;
    float m_wetStep = 0.0f;
    float m_depthSamples = 1.0f;
    int m_level = 0;
    float m_sampleRate = 44100.0f;
    bool m_running = false;
    int m_rampRemaining = 0;
    int m_rampLength = 32;
    float m_rampStep = 1.0f / 32.0f;
    float m_crossAmount = 0.5f;
    float m_lpGainScale = 1.0f;
    Preset m_preset = {180.0f, 0.5f, 280.0f, 0.5f, 3000.0f, 9.5f};
    // Kept so that a new sample rate can rebuild the sweep.
    float m_depthMs;
    float m_rateHz = 0.0f;
    // Host samples into the current chunk. Chunks lie on a fixed grid, so
    // the sweep turns at the same samples however the calls are split.
    int m_chunkPhase = 0;

    // Whether a chunk of n host samples completes a chunk of the grid.
    bool completesChunk(int n) const { return m_chunkPhase + n == kChunk; }
};
