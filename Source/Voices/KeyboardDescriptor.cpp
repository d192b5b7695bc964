#include "Source/Voices/KeyboardDescriptor.h"

#include "dsp/Random.h"

KeyboardDescriptor::KeyboardDescriptor()
{
    clear();
}

KeyboardDescriptor::~KeyboardDescriptor() = default;

void KeyboardDescriptor::clear()
{
    for (Entry& entry : m_entries)
        entry = Entry{-1, -1, -1, -1};
    m_count = 0;
    m_lowest = kNoteCount;
    m_highest = -1;
    m_head = -1;
    m_last = -1;
}

bool KeyboardDescriptor::contains(int note) const
{
    return isNote(note) && m_entries[note].velocity >= 0;
}

int KeyboardDescriptor::velocityOf(int note) const
{
    return contains(note) ? m_entries[note].velocity : 0;
}

int KeyboardDescriptor::pressureOf(int note) const
{
    return contains(note) ? m_entries[note].pressure : 0;
}

void KeyboardDescriptor::addNote(int note, int velocity, int pressure)
{
    if (!isNote(note))
        return;
    if (contains(note))
        unlink(note);
    else
        ++m_count;
    Entry& entry = m_entries[note];
    entry.velocity = static_cast<std::int8_t>(velocity < 0 ? 0 : (velocity > 127 ? 127 : velocity));
    entry.pressure = static_cast<std::int8_t>(pressure);
    entry.prev = static_cast<std::int8_t>(m_last);
    entry.next = -1;
    if (m_last >= 0)
        m_entries[m_last].next = static_cast<std::int8_t>(note);
    else
        m_head = note;
    m_last = note;
    if (note < m_lowest)
        m_lowest = note;
    if (note > m_highest)
        m_highest = note;
}

void KeyboardDescriptor::setPressure(int note, int pressure)
{
    if (contains(note))
        m_entries[note].pressure = static_cast<std::int8_t>(pressure);
}

void KeyboardDescriptor::unlink(int note)
{
    Entry& entry = m_entries[note];
    if (entry.prev >= 0)
        m_entries[entry.prev].next = entry.next;
    else
        m_head = entry.next;
    if (entry.next >= 0)
        m_entries[entry.next].prev = entry.prev;
    else
        m_last = entry.prev;
    entry.prev = -1;
    entry.next = -1;
}

void KeyboardDescriptor::removeNote(int note)
{
    if (!contains(note))
        return;
    unlink(note);
    m_entries[note].velocity = -1;
    m_entries[note].pressure = -1;
    if (--m_count == 0)
    {
        m_lowest = kNoteCount;
        m_highest = -1;
        return;
    }
    if (note == m_lowest)
        m_lowest = nextHigher(note);
    if (note == m_highest)
        m_highest = nextLower(note);
}

int KeyboardDescriptor::nextHigher(int note) const
{
    for (int n = note + 1; n < kNoteCount; ++n)
        if (m_entries[n].velocity >= 0)
            return n;
    return -1;
}

int KeyboardDescriptor::nextLower(int note) const
{
    for (int n = note - 1; n >= 0; --n)
        if (m_entries[n].velocity >= 0)
            return n;
    return -1;
}

bool KeyboardDescriptor::fill(int note, Note& out) const
{
    if (!contains(note))
        return false;
    out.note = note;
    out.velocity = m_entries[note].velocity;
    out.pressure = m_entries[note].pressure;
    return true;
}

bool KeyboardDescriptor::getFirst(Note& out) const
{
    return fill(m_order == kPitchOrder ? m_lowest : m_head, out);
}

bool KeyboardDescriptor::getLast(Note& out) const
{
    return fill(m_order == kPitchOrder ? m_highest : m_last, out);
}

bool KeyboardDescriptor::getNext(int note, Note& out) const
{
    int next = -1;
    if (m_order == kPitchOrder)
        next = isNote(note) ? nextHigher(note) : -1;
    else if (contains(note))
        next = m_entries[note].next;
    if (fill(next, out))
        return true;
    getFirst(out);
    return false;
}

bool KeyboardDescriptor::getPrev(int note, Note& out) const
{
    int prev = -1;
    if (m_order == kPitchOrder)
        prev = isNote(note) ? nextLower(note) : -1;
    else if (contains(note))
        prev = m_entries[note].prev;
    if (fill(prev, out))
        return true;
    getLast(out);
    return false;
}

bool KeyboardDescriptor::getFirstExcept(int note, Note& out) const
{
    if (!getFirst(out))
        return false;
    if (out.note != note)
        return true;
    return getNext(note, out);
}

bool KeyboardDescriptor::pickRandom(Note& out) const
{
    if (m_count == 0)
        return false;
    int k = ((randomInt() & 0x7FFF) * m_count) >> 15;
    for (int n = m_lowest; n < kNoteCount; ++n)
        if (m_entries[n].velocity >= 0 && k-- == 0)
            return fill(n, out);
    return false;
}

void KeyboardDescriptor::copyFrom(const KeyboardDescriptor& other)
{
    if (&other == this)
    {
        for (Entry& entry : m_entries)
            if (entry.velocity >= 0)
                entry.pressure = 0;
        return;
    }
    clear();
    m_order = other.m_order;
    Note note;
    // Bounded: a list has at most 128 notes, however its links look.
    bool more = other.getFirst(note);
    for (int i = 0; more && i < kNoteCount; ++i)
    {
        addNote(note.note, note.velocity, 0);
        more = other.getNext(note.note, note);
    }
}
