#include "patches/PatchFileInfo.h"
#include "patches/PatchTypeBits.h"

#include <gtest/gtest.h>

namespace
{
FileInfo file(const std::string& stem, std::uint32_t type, std::uint32_t required, std::int64_t time = 0)
{
    FileInfo info;
    info.stem = stem;
    info.fileName = stem + (type & kFileTypeFxp ? ".fxp" : type & kFileTypeAupreset ? ".aupreset" : ".other");
    info.path = "/lib/" + info.fileName;
    info.fileType = type;
    info.requiredFileType = required;
    info.modifyTime = time;
    return info;
}
}

TEST(PatchFileInfo, FormatsOfOnePatchCoverEachOthersMissingBits)
{
    PatchFileInfo pad(file("A", kFileTypeFxp, 0x43), 0x43);
    EXPECT_EQ(pad.fileTypeError(), kIssueAupresetMissing);
    pad.addFileInfo(file("A", kFileTypeAupreset, 0x43));
    EXPECT_EQ(pad.name(), "A");
    EXPECT_EQ(pad.fileType(), 0x3u);
    EXPECT_EQ(pad.fileTypeError(), 0u);

    PatchFileInfo wider(file("A", kFileTypeFxp, 0x47), 0x47);
    wider.addFileInfo(file("A", kFileTypeAupreset, 0x47));
    EXPECT_EQ(wider.fileTypeError(), kIssueTfxMissing);
}

TEST(PatchFileInfo, BankFileStandsForThePatchWithTheMissingFormat)
{
    const PatchFileInfo lone(file("A", kFileTypeFxb, 0x42), 0x42);
    EXPECT_EQ(lone.fileTypeError(), kIssueFxbFile | kIssueFxpMissing);
}

TEST(PatchFileInfo, ReadOnlyFileOfAFormatNotRequiredCarriesTheReadOnlyBit)
{
    const PatchFileInfo locked(file("A", kFileTypeAupreset | kFileTypeReadOnly, 0x42), 0x42);
    EXPECT_EQ(locked.fileTypeError(), kIssueAupresetNotRequired | kIssueReadOnly | kIssueFxpMissing);
    const PatchFileInfo wanted(file("A", kFileTypeFxp | kFileTypeReadOnly, 0x42), 0x42);
    EXPECT_EQ(wanted.fileTypeError(), 0u);
}

TEST(PatchFileInfo, EachFolderJudgesItsOwnFiles)
{
    // A group of an AU folder and a VST folder: each format in its place.
    PatchFileInfo both(file("A", kFileTypeAupreset, 0xC1), 0xC3);
    EXPECT_EQ(both.fileTypeError(), kIssueFxpMissing);
    both.addFileInfo(file("A", kFileTypeFxp, 0xC2));
    EXPECT_EQ(both.fileTypeErrors().size(), 2u);
    EXPECT_EQ(both.fileTypeError(), 0u);
    // An fxp in the AU folder is out of place there.
    PatchFileInfo misplaced(file("B", kFileTypeFxp, 0xC1), 0xC3);
    EXPECT_EQ(misplaced.fileTypeError(), kIssueFxpNotRequired | kIssueAupresetMissing | kIssueFxpMissing);
}

TEST(PatchFileInfo, SameFilesMeansSameNamesAndTimes)
{
    PatchFileInfo a(file("A", kFileTypeFxp, 0x42, 5), 0x42);
    const PatchFileInfo same(file("A", kFileTypeFxp, 0x42, 5), 0x42);
    const PatchFileInfo touched(file("A", kFileTypeFxp, 0x42, 6), 0x42);
    const PatchFileInfo otherFormat(file("A", kFileTypeAupreset, 0x42, 5), 0x42);
    EXPECT_TRUE(a.sameFiles(same));
    EXPECT_FALSE(a.sameFiles(touched));
    EXPECT_FALSE(a.sameFiles(otherFormat));
    a.addFileInfo(file("A", kFileTypeAupreset, 0x42, 5));
    EXPECT_FALSE(a.sameFiles(same));
}
