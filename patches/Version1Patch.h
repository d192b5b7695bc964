#pragma once

#include "patches/ChunkBuffer.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// One program of the first product version. A plain record: the version-1 bank
// buffer is 36 of them back to back, in the machine's byte order.
struct Version1Patch
{
    static constexpr int kNameSize = 28;
    static constexpr int kValueCount = 120;
    static constexpr int kBankPrograms = 36;

    Version1Patch();

    char name[kNameSize];     // always zero-terminated
    float values[kValueCount]; // each in 0..1

    // The name up to its terminator.
    std::string nameText() const;

    // The version-1 bank buffer: 36 slots, each a new record ("Empty", all 0).
    static void makeBank(ChunkBuffer& bank);
    static bool isBank(const ChunkBuffer& bank);
    // Slot operations; false (and nothing done) for a slot outside 0..35 or a
    // buffer that is not a version-1 bank.
    static bool storeProgram(ChunkBuffer& bank, int slot, const Version1Patch& program);
    static bool getProgram(const ChunkBuffer& bank, int slot, Version1Patch* program);
    static std::string programName(const ChunkBuffer& bank, int slot);

    // 36 names for saving the bank's programs side by side in one folder: each
    // program's name made safe for a file name ("Empty" when it has none); a
    // name already taken gets "(01)", "(02)", ... appended until it is free.
    static std::vector<std::string> uniqueProgramFileNames(const ChunkBuffer& bank);
};

constexpr std::size_t kVersion1BankSize = sizeof(Version1Patch) * Version1Patch::kBankPrograms;

// A version-1 AU preset bank as decoded from its data: 36 records of 544 bytes.
constexpr std::size_t kVersion1AuRecordSize = 544;
constexpr std::size_t kVersion1AuBankSize = kVersion1AuRecordSize * Version1Patch::kBankPrograms;

// Replaces a decoded version-1 AU preset bank by the version-1 bank buffer;
// false (buffer emptied) when it holds fewer than the 36 records.
bool convertVersion1AuBank(ChunkBuffer& chunk);
