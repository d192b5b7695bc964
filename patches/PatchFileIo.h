#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// What a patch file reader found.
enum PatchLoadResult
{
    kLoadNotUsable = -1,
    kLoadVersion1Bank = 0,    // 36 version-1 programs in the version-1 bank buffer
    kLoadVersion1Program = 1, // one version-1 program in slot 0 of that buffer
    kLoadBankChunk = 2,
    kLoadProgramChunk = 3,
};

// No patch file of any format comes near this; larger files are refused
// before anything is allocated for them.
constexpr std::uint64_t kMaxPatchFileSize = 4u << 20;

using ByteVector = std::vector<unsigned char>;

// A four-character code as the big-endian number of its characters.
constexpr std::uint32_t fourCc(const char (&code)[5])
{
    return (std::uint32_t(std::uint8_t(code[0])) << 24) | (std::uint32_t(std::uint8_t(code[1])) << 16) |
           (std::uint32_t(std::uint8_t(code[2])) << 8) | std::uint32_t(std::uint8_t(code[3]));
}

std::uint32_t readBigEndian32(const unsigned char* bytes);
std::uint32_t readLittleEndian32(const unsigned char* bytes);
void appendBigEndian32(ByteVector& out, std::uint32_t value);
void appendBytes(ByteVector& out, const void* bytes, std::size_t n);
void appendZeros(ByteVector& out, std::size_t n);

float floatFromBits(std::uint32_t bits);
// A stored parameter value made safe: NaN becomes 0, the rest is clamped to 0..1.
float unitValue(float value);

// Copies a fixed-size name field and terminates it in its last byte, so that a
// name that fills its field can never run past it.
void copyNameField(char* out, std::size_t fieldSize, const unsigned char* field);

// The whole file, when it exists, is a regular file and holds at most maxSize
// bytes; false otherwise (out is then empty).
bool readWholeFile(const std::string& path, ByteVector* out, std::uint64_t maxSize = kMaxPatchFileSize);

// The first n bytes of a regular file (fewer when it is shorter) and its real
// size; false when it cannot be opened or read.
bool readFileStart(const std::string& path, std::size_t n, ByteVector* out, std::uint64_t* fileSize);

// Writes the bytes beside path under a temporary name, flushes them to disk and
// renames them over path, so that path holds either its old or its complete new
// contents. A symbolic link stays a link: the file it leads to is the one
// replaced, and a replaced file keeps its permission bits. False (path
// untouched, no temporary left, errno telling why) on any failure.
bool writeFileReplacing(const std::string& path, const ByteVector& bytes);

// The file that opening path reaches: symbolic links followed (relative ones
// from their own folder); path itself when it is no link. Empty for a chain of
// links that does not end.
std::string linkTarget(const std::string& path);

// Keeps the regular file at target under the first free name beside it
// (target + "._bk", then "._bk2" and on), never over an earlier one and
// without reading it: a second name for it where the file system allows,
// else the file itself moved there (moved is then set). The backup's path;
// empty when none could be made.
std::string keepBackup(const std::string& target, bool& moved);

// A patch name made usable as a file name inside its folder: no "/", no control
// characters, no leading "." (so no "..", no hidden file), at most 200 bytes;
// "Empty" when nothing is left.
std::string safePatchFileName(const std::string& name);

bool fileExists(const std::string& path);
bool isDirectory(const std::string& path);

// Why a file that exists could not be read, in words for the user: the
// system's reason for error, or what stands there instead of a file.
std::string unreadableReason(const std::string& path, int error);
