#include "patches/BankFolderInfo.h"
#include "patches/PatchTypeBits.h"

#include <gtest/gtest.h>

TEST(BankFolderInfo, GroupGathersTheWordsOfItsFolders)
{
    FolderInfo a;
    a.name = "Pads";
    a.path = "/a/Pads";
    a.requiredFileTypes = 0xC1;
    a.containedFileTypes = 0x1;
    FolderInfo b = a;
    b.path = "/b/Pads";
    b.requiredFileTypes = 0xC2;
    b.containedFileTypes = 0x2;
    b.readOnly = true;

    BankFolderInfo group(a);
    EXPECT_EQ(group.fileType(), 0x1u);
    group.addFolderInfo(b);
    EXPECT_EQ(group.name(), "Pads");
    EXPECT_EQ(group.folders().size(), 2u);
    EXPECT_EQ(group.fileType(), 0x3u | kFileTypeReadOnly);
    EXPECT_EQ(group.requiredFileType(), 0xC3u);

    const BankFolderInfo fromList({b, a});
    EXPECT_EQ(fromList.folders().front().path, "/b/Pads");
    EXPECT_EQ(BankFolderInfo(a, 0xC7).requiredFileType(), 0xC7u);
}

TEST(BankFolderInfo, ValidWordsAreThoseTheRecordsKeep)
{
    EXPECT_TRUE(BankFolderInfo::wordsAreValid(0x7FFF, 0xFF));
    EXPECT_FALSE(BankFolderInfo::wordsAreValid(0, 0));
    EXPECT_FALSE(BankFolderInfo::wordsAreValid(0, 256));
    EXPECT_FALSE(BankFolderInfo::wordsAreValid(32768, 0x42));
}
