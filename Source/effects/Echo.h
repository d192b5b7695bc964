#pragma once

#include "Source/effects/EchoBase.h"
#include "dsp/LevelGlide.h"
#include "dsp/TwoPoleFilter.h"

#include <atomic>
#include <cstdint>
#include <mutex>
#include <vector>

// Stereo echo with tempo-synced lengths. Each channel's memory is a ring of
// blocks; a length change crossfades the read position over 20 ms. The
// memory held follows what the delays need: the audio thread only asks for
// blocks and gives them back, through lock-free queues, and a thread that is
// not the audio thread allocates and frees them (serveMemory). Until the
// blocks for a longer delay arrive, the delay is held at the longest the
// ring allows; an echo that is silent, restarted or woken, stays so until
// then. While the chain leaves it out, the echo holds no written
// memory (sleep).
class Echo : public EchoBase
{
public:
    Echo();
    ~Echo() override;

    Echo(const Echo&) = delete;
    Echo& operator=(const Echo&) = delete;

    bool process(const float* in, float* out, int64_t frames) override;

    // 0..100; turning the echo back on starts it from empty memory. The
    // levels, mixes, feedbacks and ducking glide to a new value.
    void setLevel(int64_t level);
    void setMixLeft(float mix);
    void setMixRight(float mix);
    void setFeedbackLeft(float feedback);
    void setFeedbackRight(float feedback);
    // 0 keeps each channel's feedback in it, anything else crosses it.
    void setFeedbackMode(uint32_t mode);
    // Percent: positive gates the echo by the input level, negative ducks it.
    void setDucking(int64_t percent);
    // Below 10 Hz the high-pass is off.
    void setHighPass(float hz);
    // Above 19 kHz the low-pass is off.
    void setLowPass(float hz);
    // Beats per minute; 31 hands the tempo to the host.
    void setTempo(int64_t bpm);
    void setHostTempo(float bpm);
    void setUnits(int64_t unitsPerBeat);
    void setLengthLeft(uint32_t units);
    void setLengthRight(uint32_t units);
    // The engine rate. Sizes the memory for the current lengths, or with
    // takeMemory false leaves that to the next clear (a rate that is only a
    // default until the host's comes); never call it on the audio thread.
    void setSampleRate(float rate, bool takeMemory = true);
    // Zeroes the memory, sized for the current lengths, and starts from them
    // at once. Never on the audio thread.
    void clear();
    // Counts the memory as empty: silent until a full delay has been
    // written, then a fade in.
    void restart();
    // Counts memory that holds nothing audible as empty: silent until a
    // full delay has been written, then heard at once, as it would have
    // been heard from the memory.
    void forget();
    // The largest magnitude written to the memory since the last call.
    float takeWrittenPeak();
    // The longer of the two channels' delays, in engine samples.
    int64_t longestDelay() const;
    // The level is on, or still gliding down to off: the chain runs the
    // echo.
    bool isRunning() const;
    // Every glide ends at its target, for when nothing sounds.
    void settleLevels();

    // Set while the memory held and the memory the delays need differ, or
    // blocks wait to be freed. The audio thread sets it and wakes the
    // program change worker.
    bool hasMemoryRequest() const { return m_memoryRequest.load(std::memory_order_acquire); }
    // Any thread but the audio thread, while the echo is in use: allocates
    // the blocks the delays need and frees those given back.
    void serveMemory();
    // Blocks held beyond each channel's first: in the rings, spare or on
    // their way. Any thread.
    int heldBlocks() const { return m_heldBlocks.load(std::memory_order_relaxed); }
    // Audio thread, every block the chain does not call the echo, and only
    // while what its memory holds will never be heard (it is restarted or
    // forgotten before it sounds again): the memory beyond the first block
    // goes back to the worker, and a written first block is swapped for one
    // of fresh pages. The next process asks for the memory again.
    void sleep();
    // While asleep: frames of silence pass as they would through the echo,
    // so that one restarted meanwhile sounds as it would have. Nothing to do
    // for a forgotten one.
    void passSilence(int64_t frames);

    // The host tempo is held in this range; with the patch's own tempo
    // (32..192 bpm), 32 units and 4 units per beat it bounds the longest
    // delay to 15 seconds.
    static constexpr float kSlowestHostTempo = 32.0f;
    static constexpr float kFastestHostTempo = 999.0f;
    static constexpr int64_t kLongestLength = 32;
    static constexpr int64_t kFewestUnitsPerBeat = 4;
    static constexpr float kSlowestTempo = 32.0f;

private:
    // Blocks per channel, the first included; the block length keeps the
    // longest delay within them.
    static constexpr int kMostBlocks = 30;

    struct Block
    {
        float* samples;
        int64_t start;
        int64_t length;
    };

    // One producer, one consumer; neither allocates, locks or waits.
    class BlockQueue
    {
    public:
        bool push(float* block);
        // Null when empty.
        float* pop();

    private:
        // A power of two, so that the counters may wrap.
        static constexpr unsigned kRoom = 32;
        float* m_slots[kRoom] = {};
        std::atomic<unsigned> m_head{0};
        std::atomic<unsigned> m_tail{0};
    };

    // The next sample is element offset - 1 of the block.
    struct Pointer
    {
        int32_t block = 0;
        int64_t offset = 0;
    };

    enum State
    {
        Steady = 0,
        SilentRead = 1,
        Crossfade = 2,
        FadeIn = 3
    };

    struct Channel
    {
        std::vector<Block> blocks;
        // Blocks supplied for the ring and not yet in it: never written.
        float* spare[kMostBlocks] = {};
        int spareCount = 0;
        // Blocks beyond the first that the wanted delay needs.
        int wantedBlocks = 0;
        // The delay the settings ask for; delay is it as far as the ring
        // allows.
        int64_t wanted = 0;
        Pointer write;
        Pointer read;
        Pointer newRead;
        LevelGlide wet;
        TwoPoleFilter highPass;
        TwoPoleFilter lowPass;
        LevelGlide feedback;
        int state = Steady;
        float fade = 0.0f;
        int64_t delay = 0;
        float mix = 0.0f;
        uint32_t length = 0;
        int64_t fadeCounter = 0;
        int64_t currentDelay = 0;
        int64_t pendingDelay = 0;
        int64_t filled = 0;
        int64_t idle = 0;
    };

    int64_t capacity(int c) const;
    int64_t positionOf(int c, const Pointer& p) const;
    Pointer locate(int c, int64_t distance) const;
    void updateOffset(int c, Pointer& p, int64_t run);
    int64_t delayFor(double length, double unitsPerBeat, double tempo) const;
    void computeDelays(int firstChannel, int lastChannel);
    int blocksFor(int64_t delay) const;
    void fitMemory(int c);
    void takeSupplied(int c);
    void requestMemory();
    void grow(int c);
    void giveBackRing(int c);
    void swapFirstBlock(int c);
    bool dropLastBlock(int c);
    void housekeeping(int c, int64_t remaining);
    // The read goes to the delay, whose memory then fades in.
    void startFadeIn(int c);
    void updateFilters();
    void updateFollower();
    // The run cut where a glide takes its next step, and the glides moved
    // on past it.
    int64_t holdLevels(int64_t run) const;
    void advanceLevels(int64_t run);
    // With m_memoryMutex held, and no audio thread running.
    void settleMemory();
    // The first block of each channel, under the memory lock.
    void takeFirstBlocks();
    void serveFirstBlock(int c);
    void releaseMemory();
    void publishHeldBlocks();

    Channel m_channels[2];
    float m_feedbackSource[2] = {0.0f, 0.0f};
    float m_envelope = 0.0f;
    float m_attack = 0.0f;
    float m_release = 0.0f;
    LevelGlide m_duckOffset{1.0f};
    LevelGlide m_duckDepth{0.0f};
    int64_t m_ducking = 0;
    int m_feedbackMode = 0;
    float m_fadeStep = 0.0f;
    float m_lowPassCutoff = 20000.0f;
    float m_highPassCutoff = 20.0f;
    int64_t m_tempo = 60;
    float m_sampleRate = 0.0f;
    int64_t m_units = 1;
    bool m_tempoFromHost = false;
    float m_hostTempo = 60.0f;
    unsigned m_modeFlags = 0;
    float m_level = 0.0f;
    int64_t m_fadeLength = 0;
    bool m_levelOn = false;
    // The memory was forgotten: no fade in once it holds a full delay.
    bool m_forgotten = false;
    float m_writtenPeak = 0.0f;
    // The memory in the rings was written since it was last zeroed.
    bool m_written = false;
    // The chain has stopped calling the echo: it holds only its first
    // blocks and asks for no more.
    bool m_asleep = false;
    // The ring's first block was written since it came fresh.
    bool m_firstWritten[2] = {false, false};
    int64_t m_shrinkAfter = 0;
    int64_t m_maxDelay = 0;
    int64_t m_firstLength = 0;
    int64_t m_blockLength = 0;

    // The hand-over between the audio thread and the memory's server.
    BlockQueue m_supplied[2];
    BlockQueue m_returned[2];
    std::atomic<int> m_wantedBlocks[2] = {{0}, {0}};
    std::atomic<bool> m_memoryRequest{false};
    std::atomic<int> m_heldBlocks{0};
    // Held by the server and by the host thread's calls that size the
    // memory; never by the audio thread.
    std::mutex m_memoryMutex;
    // The server's count of blocks handed over and not given back.
    int m_givenBlocks[2] = {0, 0};
    // A first block the server keeps ready, never written, so that a
    // sleeping echo need not hold the pages it wrote; and one written, on
    // its way back. The server fills the first and empties the second.
    std::atomic<float*> m_freshFirst[2] = {{nullptr}, {nullptr}};
    std::atomic<float*> m_staleFirst[2] = {{nullptr}, {nullptr}};
    // The first block of an echo just woken, whose pages the server takes
    // so that the audio thread need not fault them in.
    std::atomic<float*> m_wokenFirst[2] = {{nullptr}, {nullptr}};
};
