#include "Source/Voices/Arpeggiator.h"

#include <algorithm>

#include "dsp/Random.h"

using Note = KeyboardDescriptor::Note;

Arpeggiator::Arpeggiator()
{
    reset();
}

void Arpeggiator::reset()
{
    m_mode = kOff;
    m_octaveMask = 1 << kZeroOctaveBit;
    for (Channel& channel : m_channels)
        channel = Channel{-1, -1, false, true, kZeroOctaveBit, 0, true, false};
}

void Arpeggiator::setMode(int mode)
{
    m_mode = mode >= kOff && mode <= kRandom ? mode : kOff;
    for (Channel& channel : m_channels)
    {
        channel.firstStep = true;
        if (m_mode == kOff)
            channel.source = channel.played = -1;
        channel.notesUp = (m_mode & 1) != 0;
    }
}

void Arpeggiator::setOctaveDirection(int direction)
{
    m_octaveDirection = std::clamp(direction, static_cast<int>(kOctavesUp), static_cast<int>(kOctavesRandom));
}

void Arpeggiator::setOctaveEnabled(int octave, bool enabled)
{
    const int bit = octave + kZeroOctaveBit;
    if (bit < kFirstOctaveBit || bit > kLastOctaveBit || bit == kZeroOctaveBit)
        return;
    if (enabled)
        m_octaveMask |= 1 << bit;
    else
        m_octaveMask &= ~(1 << bit);
}

int Arpeggiator::foldIntoRange(int note)
{
    while (note > 127)
        note -= 12;
    while (note < 0)
        note += 12;
    return note;
}

int Arpeggiator::higherOctave(int bit) const
{
    for (int b = bit + 1; b <= kLastOctaveBit; ++b)
        if (isEnabled(b))
            return b;
    return -1;
}

int Arpeggiator::lowerOctave(int bit) const
{
    for (int b = bit - 1; b >= kFirstOctaveBit; --b)
        if (isEnabled(b))
            return b;
    return -1;
}

int Arpeggiator::randomOctave() const
{
    const int start = randomInt() & 7;
    int bit = start;
    for (int taken = 0; taken <= start; ++taken)
    {
        do
            bit = (bit + 1) & 7;
        while (!isEnabled(bit));
    }
    return bit;
}

void Arpeggiator::startOctave(Channel& channel)
{
    channel.octavesUp = true;
    channel.randomSteps = 0;
    switch (m_octaveDirection)
    {
    case kOctavesDown:
        channel.octaveBit = lowerOctave(kLastOctaveBit + 1);
        break;
    case kOctavesRandom:
        channel.octaveBit = randomOctave();
        break;
    default:
        channel.octaveBit = higherOctave(kFirstOctaveBit - 1);
        break;
    }
}

void Arpeggiator::moveOctave(Channel& channel)
{
    int bit = channel.octaveBit;
    switch (m_octaveDirection)
    {
    case kOctavesUp:
        bit = higherOctave(bit);
        if (bit < 0)
            bit = higherOctave(kFirstOctaveBit - 1);
        break;
    case kOctavesDown:
        bit = lowerOctave(bit);
        if (bit < 0)
            bit = lowerOctave(kLastOctaveBit + 1);
        break;
    case kOctavesUpDown:
        bit = channel.octavesUp ? higherOctave(bit) : lowerOctave(bit);
        if (bit < 0)
        {
            // The end of the range: bounce.
            channel.octavesUp = !channel.octavesUp;
            bit = channel.octavesUp ? higherOctave(channel.octaveBit) : lowerOctave(channel.octaveBit);
            if (bit < 0)
                bit = channel.octaveBit;
        }
        break;
    default:
        bit = randomOctave();
        break;
    }
    channel.octaveBit = bit;
}

void Arpeggiator::stepOctave(Channel& channel)
{
    if (m_mode != kUpDown)
    {
        moveOctave(channel);
        return;
    }
    if (m_octaveDirection == kOctavesUpDown)
    {
        // The octaves follow the notes; at the top or bottom both turn.
        const int bit = channel.notesUp ? higherOctave(channel.octaveBit) : lowerOctave(channel.octaveBit);
        if (bit < 0)
            channel.notesUp = channel.octavesUp = !channel.notesUp;
        else
            channel.octaveBit = bit;
        return;
    }
    // Every other step only turns the walk: at the top it comes down in the
    // same octave, at the bottom it moves on to the next octave.
    if (!channel.notesUp)
        moveOctave(channel);
    channel.notesUp = !channel.notesUp;
}

bool Arpeggiator::walkUpDown(Channel& channel, const KeyboardDescriptor& list, Note& note)
{
    const int source = noteOf(channel.source);
    const bool wasUp = channel.notesUp;
    if (wasUp ? list.getNext(source, note) : list.getPrev(source, note))
        return true;
    stepOctave(channel);
    if (channel.notesUp == wasUp)
        return wasUp ? list.getFirst(note) : list.getLast(note);
    // Turned: go on from the current note, unless it is the only one.
    if (channel.notesUp ? list.getNext(source, note) : list.getPrev(source, note))
        return true;
    stepOctave(channel);
    return channel.notesUp ? list.getFirst(note) : list.getLast(note);
}

bool Arpeggiator::walk(Channel& channel, const KeyboardDescriptor& list, bool first, Note& note)
{
    const int source = noteOf(channel.source);
    switch (m_mode)
    {
    case kUp:
        if (first || list.getNext(source, note))
            return first ? list.getFirst(note) : true;
        stepOctave(channel);
        return list.getFirst(note);
    case kDown:
        if (first || list.getPrev(source, note))
            return first ? list.getLast(note) : true;
        stepOctave(channel);
        return list.getLast(note);
    case kUpDown:
        if (first)
            return channel.notesUp ? list.getFirst(note) : list.getLast(note);
        return walkUpDown(channel, list, note);
    default:
        // Random: in pitch order each octave gets as many steps as there
        // are notes; in play order the octave moves on at every step.
        if (!first && (list.getOrder() != KeyboardDescriptor::kPitchOrder ||
                       channel.randomSteps >= list.getCount()))
        {
            stepOctave(channel);
            channel.randomSteps = 0;
        }
        ++channel.randomSteps;
        return list.pickRandom(note);
    }
}

int Arpeggiator::start(int channel, int key)
{
    Channel& state = m_channels[channel];
    startOctave(state);
    state.source = key;
    state.played = foldIntoRange(key + 12 * (state.octaveBit - kZeroOctaveBit));
    state.firstStep = true;
    return state.played;
}

bool Arpeggiator::step(int channel, const KeyboardDescriptor& list, Step& out)
{
    Channel& state = m_channels[channel];
    if (list.isEmpty())
    {
        stop(channel);
        return false;
    }
    const bool first = state.source < 0;
    if (first)
        startOctave(state);
    Note note;
    if (!walk(state, list, first, note))
        return false;
    out.note = note;
    out.played = foldIntoRange(note.note + 12 * (state.octaveBit - kZeroOctaveBit));
    out.previousPlayed = noteOf(state.played);
    out.firstStep = state.firstStep;
    out.newPhrase = state.newPhrase;
    out.changed = m_mode == kRandom || note.note != state.source || out.played != state.played;
    state.source = note.note;
    state.played = out.played;
    state.firstStep = false;
    state.newPhrase = false;
    return true;
}

void Arpeggiator::stop(int channel)
{
    Channel& state = m_channels[channel];
    if (state.source >= 0)
        state.source |= kRestartMark;
    if (state.played >= 0)
        state.played |= kRestartMark;
}
