// A patch state exchanging its patch with patch files: saving, loading back,
// version-1 files, and files that hold no usable patch.

#include "Source/parameters/ParameterTable.h"
#include "Source/shared/FileAccess.h"
#include "Source/state/ZentrovaState.h"
#include "patches/PatchFileHandler.h"
#include "patches/PatchTypeBits.h"
#include "tests/patches/PatchFileTestSupport.h"
#include "tests/support/QuietStateOwner.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace
{
std::vector<BankFolder> folderOf(const std::string& path)
{
    return {BankFolder{path, kFileTypeFxp | kFileTypeAupreset | kFileTypeEffect}};
}

std::vector<KeyboardDescriptor::Note> notesOf(const KeyboardDescriptor& list)
{
    KeyboardDescriptor copy = list;
    copy.setOrder(KeyboardDescriptor::kPlayOrder);
    std::vector<KeyboardDescriptor::Note> notes;
    KeyboardDescriptor::Note note;
    for (bool more = copy.getFirst(note); more; more = copy.getNext(note.note, note))
        notes.push_back(note);
    return notes;
}

// Loading path must fail as a patch file that is not valid, leaving the state's values alone.
void expectNotAPatch(ZentrovaState& state, const std::string& path, int programInFile = 0)
{
    const float before = state.m_patchData.values[Param::FilterQ];
    try
    {
        state.loadPatchFile(path, programInFile);
        ADD_FAILURE() << path << " loaded";
    }
    catch (const FileAccess::Exception& error)
    {
        EXPECT_EQ(error.code(), FileAccess::Exception::kNotAPatch);
        EXPECT_EQ(std::string(error.what()).rfind("Patch file is not valid <ZentrovaState.cpp@", 0), 0u)
            << error.what();
    }
    EXPECT_EQ(state.m_patchData.values[Param::FilterQ], before);
}
} // namespace

TEST(ZentrovaStatePatchFiles, ASavedPatchLoadsBackWithItsValuesAndChords)
{
    patchtest::TempFolder folder;
    QuietStateOwner owner;
    ZentrovaState saved(&owner);
    saved.setPatchName("Edited");
    saved.setParameterValue(Param::FilterQ, 0.25f, 2);
    saved.setParameterValue(Param::ArpeggioOrder, 1.0f, 2);
    saved.setParameterValue(Param::ChordMemory, 1.0f, 2);
    saved.m_patchData.chords[3].addNote(64, 100, 0);
    saved.m_patchData.chords[3].addNote(60, 90, 0);
    ASSERT_EQ(saved.savePatch(folderOf(folder.path()), "Round"), 0);
    EXPECT_EQ(saved.m_patchData.name, "Edited") << "the state keeps its name";
    EXPECT_EQ(saved.m_patchInfo.name, "Edited");

    ZentrovaState loaded(&owner);
    loaded.setParameterValue(Param::FilterFreq, 0.9f, 2);
    ASSERT_TRUE(loaded.m_modified);
    loaded.m_patchInfo.name = "Library Name";
    loaded.loadPatchFile(folder / "Round.fxp", 0);
    EXPECT_FALSE(loaded.m_modified);
    EXPECT_EQ(loaded.m_patchData.name, "Library Name") << "a library patch is named by its record";
    for (int index = 0; index < kParameterCount; ++index)
        EXPECT_NEAR(loaded.m_patchData.values[index], saved.m_patchData.values[index], 1e-4) << index;
    const std::vector<KeyboardDescriptor::Note> notes = notesOf(loaded.m_patchData.chords[3]);
    ASSERT_EQ(notes.size(), 2u);
    EXPECT_EQ(notes[0].note, 64);
    EXPECT_EQ(notes[1].note, 60);
    EXPECT_EQ(notes[1].velocity, 90);
}

TEST(ZentrovaStatePatchFiles, SavingWritesTheConfiguredFormatsOrThoseAskedFor)
{
    patchtest::TempFolder folder;
    QuietStateOwner owner;
    ZentrovaState state(&owner);
    state.savePatch(folderOf(folder.path()), "Configured");
    EXPECT_TRUE(std::filesystem::exists(folder / "Configured.fxp"));
    EXPECT_FALSE(std::filesystem::exists(folder / "Configured.aupreset"));
    state.savePatch(folderOf(folder.path()), "Asked", kFileTypeAupreset | kFileTypeEffect);
    EXPECT_TRUE(std::filesystem::exists(folder / "Asked.aupreset"));
    EXPECT_FALSE(std::filesystem::exists(folder / "Asked.fxp"));
}

TEST(ZentrovaStatePatchFiles, AFailedSaveIsReportedToTheCaller)
{
    patchtest::TempFolder folder;
    QuietStateOwner owner;
    ZentrovaState state(&owner);
    // A folder below a plain file can never be written.
    const std::string blocked = folder / "plain";
    { std::ofstream(blocked) << "x"; }
    EXPECT_NE(state.savePatch(folderOf(blocked + "/inside"), "Lost"), 0);
    EXPECT_EQ(state.savePatch(folderOf(folder.path()), "Kept"), 0);
}

TEST(ZentrovaStatePatchFiles, FilesWithoutAUsablePatchAreNotValid)
{
    patchtest::TempFolder folder;
    QuietStateOwner owner;
    ZentrovaState state(&owner);
    state.setParameterValue(Param::FilterQ, 0.5f, 2);

    expectNotAPatch(state, folder / "missing.fxp");
    expectNotAPatch(state, "");
    patchtest::writeFile(folder / "text.txt", std::string("hello"));
    expectNotAPatch(state, folder / "text.txt");
    patchtest::writeFile(folder / "junk.fxp", std::string("CcnK junk"));
    expectNotAPatch(state, folder / "junk.fxp");

    // A well-formed program file whose chunk is no patch document must not
    // pass for a patch.
    ChunkBuffer notXml;
    notXml.assignCompressed("not a patch");
    ASSERT_EQ(PatchFileHandler::writeFxp(folder / "empty.fxp", "Empty", notXml, true), 0);
    state.m_modified = true;
    expectNotAPatch(state, folder / "empty.fxp");
    EXPECT_TRUE(state.m_modified);
}

TEST(ZentrovaStatePatchFiles, APatchThatInflatesBeyondAnyPatchIsNotValid)
{
    patchtest::TempFolder folder;
    QuietStateOwner owner;
    ZentrovaState saved(&owner);
    saved.setParameterValue(Param::FilterQ, 0.25f, 2);
    ChunkBuffer chunk;
    ASSERT_TRUE(saved.writeChunkXml(chunk, true));
    const std::string patch = inflateToString(chunk);
    ASSERT_FALSE(patch.empty());

    ZentrovaState state(&owner);
    state.setParameterValue(Param::FilterQ, 0.5f, 2);
    // The patch padded to 60 MB: some 60 KB on disk.
    ChunkBuffer huge;
    ASSERT_EQ(huge.assignCompressed(patch + std::string(60u << 20, ' ')), 0);
    ASSERT_EQ(PatchFileHandler::writeFxp(folder / "huge.fxp", "Huge", huge, true), 0);
    expectNotAPatch(state, folder / "huge.fxp");

    ChunkBuffer padded;
    ASSERT_EQ(padded.assignCompressed(patch + std::string(100000, ' ')), 0);
    ASSERT_EQ(PatchFileHandler::writeFxp(folder / "padded.fxp", "Padded", padded, true), 0);
    state.loadPatchFile(folder / "padded.fxp", 0);
    EXPECT_NEAR(state.m_patchData.values[Param::FilterQ], 0.25f, 1e-4);
}

TEST(ZentrovaStatePatchFiles, Version1FilesLoadTheirProgram)
{
    patchtest::TempFolder folder;
    QuietStateOwner owner;
    ZentrovaState state(&owner);
    patchtest::writeFile(folder / "bank.fxb", patchtest::version1BankFile());
    state.m_modified = true;
    state.loadPatchFile(folder / "bank.fxb", 2);
    EXPECT_EQ(state.m_patchData.name, "Program 3");
    EXPECT_FALSE(state.m_modified);
    expectNotAPatch(state, folder / "bank.fxb", 36);
    expectNotAPatch(state, folder / "bank.fxb", -1);

    ByteVector program;
    patchtest::appendVersion1Program(program, "Solo", 0);
    patchtest::writeFile(folder / "solo.fxp", program);
    state.loadPatchFile(folder / "solo.fxp", 7);
    EXPECT_EQ(state.m_patchData.name, "Solo") << "a program file has one program, whatever is asked";
}
