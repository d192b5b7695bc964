#include "Source/Voices/KeyboardDescriptor.h"
#include "dsp/Random.h"

#include <gtest/gtest.h>

#include <map>
#include <vector>

namespace
{
using Note = KeyboardDescriptor::Note;

// The notes of a list in its current order, walked from getFirst.
std::vector<int> walk(const KeyboardDescriptor& list)
{
    std::vector<int> notes;
    Note note;
    bool more = list.getFirst(note);
    while (more && notes.size() <= 128)
    {
        notes.push_back(note.note);
        more = list.getNext(note.note, note);
    }
    return notes;
}

std::vector<int> walkBack(const KeyboardDescriptor& list)
{
    std::vector<int> notes;
    Note note;
    bool more = list.getLast(note);
    while (more && notes.size() <= 128)
    {
        notes.push_back(note.note);
        more = list.getPrev(note.note, note);
    }
    return notes;
}

KeyboardDescriptor listOf(std::initializer_list<int> notes, int order = KeyboardDescriptor::kPlayOrder)
{
    KeyboardDescriptor list;
    list.setOrder(order);
    for (int n : notes)
        list.addNote(n, 100, 0);
    return list;
}
}

TEST(KeyboardDescriptor, StartsEmpty)
{
    KeyboardDescriptor list;
    EXPECT_TRUE(list.isEmpty());
    EXPECT_EQ(list.getCount(), 0);
    EXPECT_EQ(list.getLowest(), 128);
    EXPECT_EQ(list.getHighest(), -1);
    Note note;
    EXPECT_FALSE(list.getFirst(note));
    EXPECT_FALSE(list.getLast(note));
    EXPECT_FALSE(list.pickRandom(note));
    EXPECT_FALSE(list.contains(60));
    EXPECT_EQ(list.velocityOf(60), 0);
}

TEST(KeyboardDescriptor, KeepsNotesWithVelocityAndPressure)
{
    KeyboardDescriptor list;
    list.addNote(64, 90, 12);
    list.addNote(60, 0, 0);
    EXPECT_EQ(list.getCount(), 2);
    EXPECT_TRUE(list.contains(64));
    EXPECT_TRUE(list.contains(60));
    EXPECT_EQ(list.velocityOf(64), 90);
    EXPECT_EQ(list.pressureOf(64), 12);
    list.setPressure(64, 77);
    EXPECT_EQ(list.pressureOf(64), 77);
    EXPECT_EQ(list.getLowest(), 60);
    EXPECT_EQ(list.getHighest(), 64);
    EXPECT_FALSE(list.contains(128));
    EXPECT_FALSE(list.contains(-1));
    EXPECT_EQ(list.velocityOf(200), 0);
}

TEST(KeyboardDescriptor, WalksInPlayOrder)
{
    KeyboardDescriptor list = listOf({64, 60, 67});
    EXPECT_EQ(walk(list), (std::vector<int>{64, 60, 67}));
    EXPECT_EQ(walkBack(list), (std::vector<int>{67, 60, 64}));
}

TEST(KeyboardDescriptor, WalksByPitch)
{
    KeyboardDescriptor list = listOf({64, 60, 67}, KeyboardDescriptor::kPitchOrder);
    EXPECT_EQ(walk(list), (std::vector<int>{60, 64, 67}));
    EXPECT_EQ(walkBack(list), (std::vector<int>{67, 64, 60}));
}

TEST(KeyboardDescriptor, WalkPastAnEndWrapsAndSaysSo)
{
    KeyboardDescriptor list = listOf({64, 60, 67});
    Note note;
    EXPECT_FALSE(list.getNext(67, note));
    EXPECT_EQ(note.note, 64);
    EXPECT_FALSE(list.getPrev(64, note));
    EXPECT_EQ(note.note, 67);
    list.setOrder(KeyboardDescriptor::kPitchOrder);
    EXPECT_FALSE(list.getNext(67, note));
    EXPECT_EQ(note.note, 60);
    EXPECT_FALSE(list.getPrev(60, note));
    EXPECT_EQ(note.note, 67);
}

TEST(KeyboardDescriptor, AddingAPresentNoteMovesItToTheEnd)
{
    KeyboardDescriptor list = listOf({64, 60, 67});
    list.addNote(64, 30, 5);
    EXPECT_EQ(list.getCount(), 3);
    EXPECT_EQ(walk(list), (std::vector<int>{60, 67, 64}));
    EXPECT_EQ(list.velocityOf(64), 30);
    Note note;
    ASSERT_TRUE(list.getLast(note));
    EXPECT_EQ(note.note, 64);
    EXPECT_EQ(note.velocity, 30);
    EXPECT_EQ(note.pressure, 5);
}

TEST(KeyboardDescriptor, RemovingKeepsLinksAndBoundsRight)
{
    KeyboardDescriptor list = listOf({64, 60, 67, 72});
    list.removeNote(60);
    EXPECT_EQ(walk(list), (std::vector<int>{64, 67, 72}));
    EXPECT_EQ(list.getLowest(), 64);
    list.removeNote(72);
    EXPECT_EQ(list.getHighest(), 67);
    EXPECT_EQ(walkBack(list), (std::vector<int>{67, 64}));
    list.removeNote(64);
    EXPECT_EQ(walk(list), (std::vector<int>{67}));
    list.removeNote(50);
    EXPECT_EQ(list.getCount(), 1);
    list.removeNote(67);
    EXPECT_TRUE(list.isEmpty());
    EXPECT_EQ(list.getLowest(), 128);
    EXPECT_EQ(list.getHighest(), -1);
    Note note;
    EXPECT_FALSE(list.getFirst(note));
    list.addNote(10, 1, 0);
    EXPECT_EQ(walk(list), (std::vector<int>{10}));
}

TEST(KeyboardDescriptor, FirstExceptSkipsTheGivenNote)
{
    KeyboardDescriptor list = listOf({64, 60, 67});
    Note note;
    ASSERT_TRUE(list.getFirstExcept(60, note));
    EXPECT_EQ(note.note, 64);
    ASSERT_TRUE(list.getFirstExcept(64, note));
    EXPECT_EQ(note.note, 60);
    KeyboardDescriptor single = listOf({64});
    EXPECT_FALSE(single.getFirstExcept(64, note));
    KeyboardDescriptor empty;
    EXPECT_FALSE(empty.getFirstExcept(64, note));
}

TEST(KeyboardDescriptor, RandomPicksCoverEveryNote)
{
    seedRandom(3);
    KeyboardDescriptor list = listOf({40, 52, 64, 76});
    std::map<int, int> picks;
    Note note;
    for (int i = 0; i < 4000; ++i)
    {
        ASSERT_TRUE(list.pickRandom(note));
        ++picks[note.note];
    }
    ASSERT_EQ(picks.size(), 4u);
    for (const auto& pick : picks)
        EXPECT_GT(pick.second, 800) << pick.first;
}

TEST(KeyboardDescriptor, CopyKeepsOrderAndDropsPressure)
{
    KeyboardDescriptor source;
    source.setOrder(KeyboardDescriptor::kPitchOrder);
    source.addNote(64, 90, 40);
    source.addNote(60, 80, 41);
    source.addNote(67, 70, 42);
    KeyboardDescriptor copy = listOf({1, 2, 3});
    copy.copyFrom(source);
    EXPECT_EQ(copy.getOrder(), KeyboardDescriptor::kPitchOrder);
    EXPECT_EQ(walk(copy), (std::vector<int>{60, 64, 67}));
    // Rebuilt in the source's walk order: pitch order becomes play order.
    copy.setOrder(KeyboardDescriptor::kPlayOrder);
    EXPECT_EQ(walk(copy), (std::vector<int>{60, 64, 67}));
    EXPECT_EQ(copy.velocityOf(64), 90);
    EXPECT_EQ(copy.pressureOf(64), 0);
    EXPECT_FALSE(copy.contains(1));

    copy.copyFrom(copy);
    EXPECT_EQ(copy.getCount(), 3);
}

TEST(KeyboardDescriptor, UntrustedNotesAndVelocitiesCannotBreakIt)
{
    KeyboardDescriptor list;
    list.addNote(128, 100, 0);
    list.addNote(-1, 100, 0);
    list.addNote(1000, 100, 0);
    EXPECT_TRUE(list.isEmpty());
    list.addNote(60, -20, 0);
    list.addNote(61, 300, 0);
    EXPECT_EQ(list.getCount(), 2);
    EXPECT_TRUE(list.contains(60));
    EXPECT_EQ(list.velocityOf(60), 0);
    EXPECT_EQ(list.velocityOf(61), 127);
    list.setPressure(500, 3);
    list.removeNote(-7);
    EXPECT_EQ(walk(list), (std::vector<int>{60, 61}));
}

TEST(KeyboardDescriptor, ClearEmptiesButKeepsTheOrder)
{
    KeyboardDescriptor list = listOf({64, 60}, KeyboardDescriptor::kPitchOrder);
    list.clear();
    EXPECT_TRUE(list.isEmpty());
    EXPECT_EQ(list.getOrder(), KeyboardDescriptor::kPitchOrder);
    EXPECT_FALSE(list.contains(64));
}

TEST(KeyboardDescriptor, FullListOfEveryNote)
{
    KeyboardDescriptor list;
    for (int n = 127; n >= 0; --n)
        list.addNote(n, n, 0);
    EXPECT_EQ(list.getCount(), 128);
    std::vector<int> played = walk(list);
    ASSERT_EQ(played.size(), 128u);
    EXPECT_EQ(played.front(), 127);
    EXPECT_EQ(played.back(), 0);
    list.setOrder(KeyboardDescriptor::kPitchOrder);
    EXPECT_EQ(walk(list).front(), 0);
}
