#include "Source/ProgramList.h"

#include <atomic>
#include <utility>

ProgramList::ProgramList()
    : m_currentBank(std::make_shared<const Bank>()), m_banks(std::make_shared<const std::vector<BankInfo>>())
{
}

std::shared_ptr<const ProgramList::Bank> ProgramList::currentBank() const
{
    return std::atomic_load(&m_currentBank);
}

std::shared_ptr<const std::vector<BankInfo>> ProgramList::banks() const
{
    return std::atomic_load(&m_banks);
}

void ProgramList::setCurrentBank(const BankInfo& info, Patches patches)
{
    std::atomic_store(&m_currentBank, std::make_shared<const Bank>(Bank{info, std::move(patches)}));
}

void ProgramList::setBanks(std::vector<BankInfo> banks)
{
    std::atomic_store(&m_banks, std::make_shared<const std::vector<BankInfo>>(std::move(banks)));
}
