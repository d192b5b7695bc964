#pragma once

#include <cstdint>
#include <limits>

#include "Source/Voices/KeyboardDescriptor.h"

// Where the arpeggio of each MIDI channel is: which held note it played
// last, in which octave, and in which direction it walks. It chooses the
// notes; the keyboard handler sounds them.
class Arpeggiator
{
public:
    static constexpr int kNumChannels = 16;

    enum Mode
    {
        kOff = 0,
        kUp = 1,
        kDown = 2,
        kUpDown = 3,
        kRandom = 4,
    };

    enum OctaveDirection
    {
        kOctavesUp = 1,
        kOctavesDown = 2,
        kOctavesUpDown = 3,
        kOctavesRandom = 4,
    };

    // One step of a channel's walk.
    struct Step
    {
        KeyboardDescriptor::Note note; // the held note the step is on
        int played;                    // that note in the step's octave
        int previousPlayed;            // the note the previous step played, or -1
        bool firstStep;                // the first step of a phrase
        bool newPhrase;                // the first step after hold replaced the phrase
        bool changed;                  // false when the step repeats the previous one
    };

    Arpeggiator();

    void reset();
    // Arpeggio: 0 off, 1 up, 2 down, 3 up and down, 4 random.
    void setMode(int mode);
    int getMode() const { return m_mode; }
    bool isOn() const { return m_mode != kOff; }
    // 1 up, 2 down, 3 up and down, 4 random.
    void setOctaveDirection(int direction);
    // Octaves -1, +1 and +2 can be switched; octave 0 always plays.
    void setOctaveEnabled(int octave, bool enabled);

    // A channel is idle until a key starts it and again once its notes are
    // gone.
    bool isIdle(int channel) const { return m_channels[channel].source < 0; }
    // A key on an idle channel: returns the note to sound at once.
    int start(int channel, int key);
    // The next step of the walk over list; false when the list is empty,
    // which makes the channel idle.
    bool step(int channel, const KeyboardDescriptor& list, Step& out);
    // The channel's notes are gone; a later key starts a new walk.
    void stop(int channel);
    void setFirstStep(int channel) { m_channels[channel].firstStep = true; }
    void setNewPhrase(int channel) { m_channels[channel].newPhrase = true; }
    // The held note of the last step and the note it played; -1 for none.
    int getSource(int channel) const { return noteOf(m_channels[channel].source); }
    int getPlayed(int channel) const { return noteOf(m_channels[channel].played); }

    // A note moved by whole octaves into 0..127.
    static int foldIntoRange(int note);

private:
    static constexpr int kFirstOctaveBit = 2;
    static constexpr int kLastOctaveBit = 5;
    static constexpr int kZeroOctaveBit = 3;
    // A stopped channel keeps its last notes under this mark, which also
    // makes them negative, that is idle.
    static constexpr std::int32_t kRestartMark = std::numeric_limits<std::int32_t>::min();

    struct Channel
    {
        std::int32_t source;
        std::int32_t played;
        bool notesUp;
        bool octavesUp;
        int octaveBit;
        int randomSteps;
        bool firstStep;
        bool newPhrase;
    };

    static int noteOf(std::int32_t marked) { return marked == -1 ? -1 : marked & 0x7F; }
    bool isEnabled(int bit) const { return (m_octaveMask >> bit) & 1; }
    int higherOctave(int bit) const;
    int lowerOctave(int bit) const;
    int randomOctave() const;
    void startOctave(Channel& channel);
    // Moves the octave by the octave direction; in up-and-down walks also
    // turns the walk, as its rules say.
    void stepOctave(Channel& channel);
    void moveOctave(Channel& channel);
    bool walk(Channel& channel, const KeyboardDescriptor& list, bool first, KeyboardDescriptor::Note& note);
    bool walkUpDown(Channel& channel, const KeyboardDescriptor& list, KeyboardDescriptor::Note& note);

    int m_mode = kOff;
    int m_octaveDirection = kOctavesUp;
    int m_octaveMask = 1 << kZeroOctaveBit;
    Channel m_channels[kNumChannels];
};
