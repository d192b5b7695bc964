#pragma once

#include <cstdint>

// One channel's list of held notes (0..127), each with its velocity and key
// pressure, linked in the order they were played. It can be walked in that
// play order or by pitch.
class KeyboardDescriptor
{
public:
    static constexpr int kNoteCount = 128;
    // Order values: walk by pitch (lowest to highest), or in play order.
    static constexpr int kPitchOrder = 1;
    static constexpr int kPlayOrder = 0;

    // A note handed out by the walks.
    struct Note
    {
        int note;
        int velocity;
        int pressure;
    };

    KeyboardDescriptor();
    virtual ~KeyboardDescriptor();
    KeyboardDescriptor(const KeyboardDescriptor&) = default;
    KeyboardDescriptor& operator=(const KeyboardDescriptor&) = default;

    void clear();
    bool isEmpty() const { return m_count == 0; }
    bool contains(int note) const;
    // 0 when the note is absent.
    int velocityOf(int note) const;
    int pressureOf(int note) const;

    // Appends the note at the end of the play order; a note already present
    // is moved there. Notes outside 0..127 are ignored; the velocity is held
    // inside 0..127 (a negative one would mark the note absent).
    void addNote(int note, int velocity, int pressure);
    void setPressure(int note, int pressure);
    void removeNote(int note);

    // The walks follow the order value. Each returns false when it has no
    // note to give: getFirst and getLast on an empty list; getNext past the
    // end (it then gives the first note) and getPrev past the start (it then
    // gives the last).
    bool getFirst(Note& out) const;
    bool getLast(Note& out) const;
    bool getNext(int note, Note& out) const;
    bool getPrev(int note, Note& out) const;
    // The first note, or the one after it when the first is `note`.
    bool getFirstExcept(int note, Note& out) const;
    // A note chosen at random, counted upwards from the lowest.
    bool pickRandom(Note& out) const;

    // Rebuilds this list from other, walked in other's order, with every
    // pressure 0; takes over other's order value.
    void copyFrom(const KeyboardDescriptor& other);

    int getCount() const { return m_count; }
    int getLowest() const { return m_lowest; }
    int getHighest() const { return m_highest; }
    int getOrder() const { return m_order; }
    void setOrder(int order) { m_order = order; }

private:
    struct Entry
    {
        std::int8_t velocity; // -1: absent
        std::int8_t pressure;
        std::int8_t prev;     // play order links, -1: none
        std::int8_t next;
    };

    static bool isNote(int note) { return note >= 0 && note < kNoteCount; }
    bool fill(int note, Note& out) const;
    void unlink(int note);
    int nextHigher(int note) const;
    int nextLower(int note) const;

    int m_count;
    Entry m_entries[kNoteCount];
    int m_lowest;
    int m_highest;
    int m_head;
    int m_last;
    int m_order = kPlayOrder;
};
