#pragma once

#include "patches/BankInfo.h"
#include "patches/PatchInfo.h"

#include <memory>
#include <vector>

// The programs the host sees: every bank of the patch library, the current
// bank and the patches it lists. Each list is an unchanging snapshot that is
// replaced whole, never changed in place: a reader on another thread keeps
// the snapshot it took, and the patch records in it stay valid whatever the
// shared patch tree does meanwhile.
class ProgramList
{
public:
    using Patches = std::vector<PatchInfoPointer>;

    struct Bank
    {
        BankInfo info;
        Patches patches;
    };

    ProgramList();

    ProgramList(const ProgramList&) = delete;
    ProgramList& operator=(const ProgramList&) = delete;

    std::shared_ptr<const Bank> currentBank() const;
    std::shared_ptr<const std::vector<BankInfo>> banks() const;
    void setCurrentBank(const BankInfo& info, Patches patches);
    void setBanks(std::vector<BankInfo> banks);

private:
    std::shared_ptr<const Bank> m_currentBank;
    std::shared_ptr<const std::vector<BankInfo>> m_banks;
};
