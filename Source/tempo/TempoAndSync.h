#pragma once

#include <atomic>
#include <cstdint>
#include <memory>

#include "Source/tempo/SyncableClock.h"
#include "Source/tempo/SyncableLfo.h"

class TempoAndSyncOwner;

// The musical time of the plug-in: the host's tempo, time signature and
// transport, the gate clock and the two LFO sync elements. It runs on the
// audio thread; only the deferred setters of its elements may be called
// from elsewhere.
class TempoAndSync
{
public:
    static constexpr double kDefaultTempo = 120.0;
    // Host tempos outside this range (beats per minute) are taken as its
    // nearest end; zero, negative and non-numeric ones as the default.
    static constexpr double kMinTempo = 1.0;
    static constexpr double kMaxTempo = 1000.0;
    // The bar length in beats is held in this range, whatever time
    // signature the host reports; the shortest is a bar of one 64th note.
    static constexpr double kMinBeats = 1.0 / 16.0;
    static constexpr double kMaxBeats = 128.0;
    static constexpr int kNumLfos = 2;

    explicit TempoAndSync(TempoAndSyncOwner* owner);
    virtual ~TempoAndSync();

    TempoAndSync(const TempoAndSync&) = delete;
    TempoAndSync& operator=(const TempoAndSync&) = delete;

    void setSampleRate(float rate);
    // Block start: forgets the host's time, takes the pending settings and
    // reads the host's time again.
    void beginBlock();
    // Runs the clock up to this sample offset of the block.
    void advance(std::int64_t offset);
    // Runs the clock to the end of the block.
    void processBlock(std::int64_t length);
    // Host samples the engine rested through, outside any block: the clock
    // and the bar keep their place, but nothing is posted.
    void skip(std::int64_t length);
    // A deferred setting waits for the next block start.
    bool hasPendingSettings() const;
    void reset();

    SyncableClock& getClock() { return *m_pClock; }
    SyncableLfo& getLfo(int index) { return *m_pLfos[index]; }

    double getTempo() const { return m_tempo; }
    double getBarLength() const { return m_barLength; }
    // Samples from the last bar start to the start of the block.
    double getBarPhase() const { return m_barPhase; }
    double getSamplesPerMinute() const { return m_samplesPerMinute; }
    float getSampleRate() const { return m_sampleRate; }
    bool isTransportPlaying() const { return m_transportPlaying; }
    bool needsHost() const { return m_needsHost.load(std::memory_order_relaxed); }
    // Any thread: a clock or LFO setting needs the host's bars.
    void setNeedsHost() { m_needsHost.store(true, std::memory_order_relaxed); }

    // Hands a clock gate (583, 584) or LFO sync (586, 587) event at a sample
    // offset of the block to the engine.
    virtual void postEvent(std::int64_t code, std::int64_t value, std::int64_t time);

protected:
    virtual void readHostTime() = 0;
    virtual void clearHostTime() = 0;

    // The tempo and bar length for a host answer; a missing one stands for
    // 120 beats per minute in 4/4.
    void setHostTempo(bool tempoValid, double tempo, bool signatureValid, int numerator, int denominator);
    // The bar phase for a host position in quarter notes.
    void setBarPosition(double quarters, double barStartQuarters);
    void wrapBarPhase();

    TempoAndSyncOwner* m_pOwner;
    std::unique_ptr<SyncableClock> m_pClock;
    std::unique_ptr<SyncableLfo> m_pLfos[kNumLfos];
    std::int64_t m_position = 0;
    double m_barLength = 0.0;
    float m_sampleRate = 44100.0f;
    double m_samplesPerMinute = 44100.0 * 60.0;
    double m_barPhase = 0.0;
    double m_tempo = kDefaultTempo;
    bool m_hostInfoRead = false;
    bool m_positionRead = false;
    bool m_transportPlaying = false;
    std::atomic<bool> m_needsHost{false};
};
