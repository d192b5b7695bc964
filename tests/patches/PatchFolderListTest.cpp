#include "Source/ticpp/Exception.h"
#include "patches/PatchFolderList.h"
#include "patches/PatchTypeBits.h"

#include "tests/patches/PatchFileTestSupport.h"

using patchtest::TempFolder;

namespace
{
std::string makeFolder(const TempFolder& temp, const std::string& name)
{
    const std::string path = temp / name;
    ::mkdir(path.c_str(), 0755);
    return path;
}
}

TEST(PatchFolderList, FoldersAndGroupsOfExistingDirectoriesBecomeBanks)
{
    TempFolder temp;
    const std::string a = makeFolder(temp, "A");
    const std::string b = makeFolder(temp, "B");
    const std::string text = "<folder name=\"Factory\" path=\"" + a + "/\"/>"
                             "<folder name=\"Gone\" path=\"" + temp / "missing" + "\"/>"
                             "<foldergroup name=\"User\"><folder path=\"" + b + "\"/><folder path=\"" + temp / "nope" +
                             "\"/></foldergroup>"
                             "<foldergroup name=\"Empty\"><folder path=\"" + temp / "nope" + "\"/></foldergroup>";
    const std::vector<BankFolderInfo> groups = PatchFolderList::read(text, 0xC2);
    ASSERT_EQ(groups.size(), 2u);
    EXPECT_EQ(groups[0].name(), "Factory");
    EXPECT_EQ(groups[0].folders()[0].path, a);
    EXPECT_EQ(groups[0].folders()[0].modifyTime, 0);
    EXPECT_EQ(groups[0].requiredFileType(), 0xC2u);
    EXPECT_EQ(groups[1].name(), "User");
    EXPECT_EQ(groups[1].folders().size(), 1u);
    EXPECT_TRUE(PatchFolderList::read("", 0xC2).empty());
}

TEST(PatchFolderList, PatchTypeNarrowsTheTreesRequiredWord)
{
    TempFolder temp;
    const std::string a = makeFolder(temp, "A");
    const std::string text = "<folder name=\"A\" path=\"" + a + "\" patchtype=\"AU+RTAS\"/>";
    EXPECT_EQ(PatchFolderList::read(text, 0x47)[0].requiredFileType(), 0x45u);
    EXPECT_EQ(PatchFolderList::read(text, 0x83)[0].requiredFileType(), 0x81u);
    const std::string unknown = "<folder name=\"A\" path=\"" + a + "\" patchtype=\"vst+Bogus\"/>";
    EXPECT_EQ(PatchFolderList::read(unknown, 0x47)[0].requiredFileType(), 0x40u);
}

TEST(PatchFolderList, UnnamedFoldersAndSameNamedGroupsMakeOneBankEach)
{
    TempFolder temp;
    const std::string a = makeFolder(temp, "Factory");
    const std::string b = makeFolder(temp, "More");
    const std::string text = "<folder name=\"\" path=\"" + a + "\"/><folder name=\"Factory\" path=\"" + b + "\"/>";
    const std::vector<BankFolderInfo> groups = PatchFolderList::read(text, 0xC2);
    ASSERT_EQ(groups.size(), 1u);
    EXPECT_EQ(groups[0].name(), "Factory");
    EXPECT_EQ(groups[0].folders().size(), 2u);
}

TEST(PatchFolderList, ReadOnlyFoldersAreMarked)
{
    TempFolder temp;
    const std::string a = makeFolder(temp, "A");
    ::chmod(a.c_str(), 0555);
    const std::vector<BankFolderInfo> groups = PatchFolderList::read("<folder path=\"" + a + "\"/>", 0xC2);
    ::chmod(a.c_str(), 0755);
    ASSERT_EQ(groups.size(), 1u);
    EXPECT_TRUE(groups[0].folders()[0].readOnly);
    EXPECT_EQ(groups[0].fileType(), kFileTypeReadOnly);
}

TEST(PatchFolderList, MalformedListThrowsTheXmlError)
{
    EXPECT_THROW(PatchFolderList::read("<folder path=\"/tmp\"", 0xC2), ticpp::Exception);
}
