#include "patches/Version1Patch.h"

#include "patches/PatchFileIo.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <set>
#include <type_traits>

static_assert(std::is_trivially_copyable<Version1Patch>::value, "the bank buffer holds records by their bytes");
static_assert(sizeof(Version1Patch) == 28 + 4 * 120, "name and values without padding");

Version1Patch::Version1Patch() : name{"Empty"}, values{}
{
}

std::string Version1Patch::nameText() const
{
    return std::string(name, strnlen(name, kNameSize));
}

void Version1Patch::makeBank(ChunkBuffer& bank)
{
    bank.resize(kVersion1BankSize);
    const Version1Patch empty;
    for (int slot = 0; slot < kBankPrograms; ++slot)
        std::memcpy(bank.data + slot * sizeof(Version1Patch), &empty, sizeof empty);
}

bool Version1Patch::isBank(const ChunkBuffer& bank)
{
    return bank.data != nullptr && bank.size == kVersion1BankSize;
}

bool Version1Patch::storeProgram(ChunkBuffer& bank, int slot, const Version1Patch& program)
{
    if (!isBank(bank) || slot < 0 || slot >= kBankPrograms)
        return false;
    std::memcpy(bank.data + slot * sizeof(Version1Patch), &program, sizeof program);
    return true;
}

bool Version1Patch::getProgram(const ChunkBuffer& bank, int slot, Version1Patch* program)
{
    if (!isBank(bank) || slot < 0 || slot >= kBankPrograms)
        return false;
    std::memcpy(program, bank.data + slot * sizeof(Version1Patch), sizeof *program);
    program->name[kNameSize - 1] = '\0';
    for (float& value : program->values)
        value = unitValue(value);
    return true;
}

std::string Version1Patch::programName(const ChunkBuffer& bank, int slot)
{
    Version1Patch program;
    return getProgram(bank, slot, &program) ? program.nameText() : std::string();
}

std::vector<std::string> Version1Patch::uniqueProgramFileNames(const ChunkBuffer& bank)
{
    std::vector<std::string> names;
    std::set<std::string> taken;
    for (int slot = 0; slot < kBankPrograms; ++slot)
    {
        const std::string base = safePatchFileName(programName(bank, slot));
        std::string candidate = base;
        for (int n = 1; taken.count(candidate) != 0; ++n)
        {
            char suffix[16];
            std::snprintf(suffix, sizeof suffix, "(%02d)", n);
            candidate = base + suffix;
        }
        taken.insert(candidate);
        names.push_back(candidate);
    }
    return names;
}

bool convertVersion1AuBank(ChunkBuffer& chunk)
{
    if (chunk.data == nullptr || chunk.size < kVersion1AuBankSize)
    {
        chunk.clear();
        return false;
    }
    ChunkBuffer bank;
    Version1Patch::makeBank(bank);
    for (int slot = 0; slot < Version1Patch::kBankPrograms; ++slot)
    {
        const unsigned char* record = chunk.data + slot * kVersion1AuRecordSize;
        Version1Patch program;
        std::memset(program.name, 0, sizeof program.name);
        // The record's 64-byte name field may be unterminated; only 27 characters fit.
        const std::size_t length = std::min<std::size_t>(strnlen(reinterpret_cast<const char*>(record), 64),
                                                         Version1Patch::kNameSize - 1);
        std::memcpy(program.name, record, length);
        for (int i = 0; i < Version1Patch::kValueCount; ++i)
            program.values[i] = unitValue(floatFromBits(readBigEndian32(record + 64 + 4 * i)));
        Version1Patch::storeProgram(bank, slot, program);
    }
    chunk = std::move(bank);
    return true;
}
