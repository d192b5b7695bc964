#include "Source/state/DefaultPatchRecord.h"
#include "Source/state/PatchData.h"

#include <gtest/gtest.h>

#include <vector>

namespace
{
std::vector<int> playOrder(const KeyboardDescriptor& list)
{
    KeyboardDescriptor copy = list;
    copy.setOrder(KeyboardDescriptor::kPlayOrder);
    std::vector<int> notes;
    KeyboardDescriptor::Note note;
    for (bool more = copy.getFirst(note); more && notes.size() <= 128; more = copy.getNext(note.note, note))
        notes.push_back(note.note);
    return notes;
}
}

TEST(PatchData, StartsAllZeroWithoutNameOrChords)
{
    PatchData data;
    for (float value : data.values)
        EXPECT_EQ(value, 0.0f);
    EXPECT_EQ(data.name, "");
    for (const KeyboardDescriptor& chord : data.chords)
        EXPECT_TRUE(chord.isEmpty());
}

TEST(PatchData, FromTheDefaultRecord)
{
    const DefaultPatchRecord& record = DefaultPatchRecord::instance();
    PatchData data(record);
    for (int index = 0; index < kParameterCount; ++index)
        EXPECT_EQ(data.values[index], record.values[index]);
    EXPECT_EQ(data.name, "Default");
    for (const KeyboardDescriptor& chord : data.chords)
        EXPECT_TRUE(chord.isEmpty());
}

TEST(PatchData, CopiesKeepChordsButNotKeyPressure)
{
    PatchData source;
    source.values[5] = 0.25f;
    source.name = "Lead";
    source.chords[3].addNote(64, 100, 50);
    source.chords[3].addNote(60, 90, 51);
    source.chords[3].addNote(67, 80, 52);
    source.chords[15].setOrder(KeyboardDescriptor::kPitchOrder);
    source.chords[15].addNote(10, 1, 2);

    PatchData copy(source);
    EXPECT_EQ(copy.values[5], 0.25f);
    EXPECT_EQ(copy.name, "Lead");
    EXPECT_EQ(playOrder(copy.chords[3]), (std::vector<int>{64, 60, 67}));
    EXPECT_EQ(copy.chords[3].velocityOf(60), 90);
    EXPECT_EQ(copy.chords[3].pressureOf(60), 0);
    EXPECT_EQ(copy.chords[15].getOrder(), KeyboardDescriptor::kPitchOrder);
    EXPECT_TRUE(copy.chords[0].isEmpty());

    PatchData assigned;
    assigned.chords[0].addNote(1, 1, 1);
    assigned = source;
    EXPECT_EQ(assigned.name, "Lead");
    EXPECT_TRUE(assigned.chords[0].isEmpty());
    EXPECT_EQ(playOrder(assigned.chords[3]), (std::vector<int>{64, 60, 67}));
    EXPECT_EQ(assigned.chords[3].pressureOf(64), 0);
}

TEST(PatchData, ClearingChordsKeepsTheirOrder)
{
    PatchData data;
    data.chords[2].setOrder(KeyboardDescriptor::kPitchOrder);
    data.chords[2].addNote(60, 100, 0);
    data.values[1] = 0.5f;
    data.clearChords();
    EXPECT_TRUE(data.chords[2].isEmpty());
    EXPECT_EQ(data.chords[2].getOrder(), KeyboardDescriptor::kPitchOrder);
    EXPECT_EQ(data.values[1], 0.5f);
}
