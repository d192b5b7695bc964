#include "Source/patchtree/PatchTreeLeaf.h"

#include "Source/patchtree/PatchConversion.h"
#include "Source/patchtree/PatchConverter.h"
#include "Source/patchtree/PatchTreeBranch.h"
#include "Source/patchtree/UuidRegistry.h"
#include "Source/shared/Alerts.h"
#include "Source/ticpp/ticpp.h"
#include "patches/PatchFileHandler.h"
#include "patches/PatchFileIo.h"
#include "patches/PatchTypeBits.h"

#include <cstdio>

PatchTreeLeaf::PatchTreeLeaf(const PatchInfo& scanned, const std::string& bankAddress,
                             const std::shared_ptr<PatchTreeBranch>& parent, std::uint32_t typeWord,
                             std::uint32_t bankRequired)
    : PatchTreeNode(parent)
{
    PatchInfo record = scanned;
    record.address = bankAddress + scanned.name;
    const std::uint32_t type = typeWord | scanned.patchType;
    if ((type & kFileTypeVersion1) != 0)
    {
        record.patchTypeError = kIssueVersion1;
    }
    else
    {
        record.patchTypeError = scanned.patchTypeError & ~(kFileTypeFlavours | kIssueReadOnly);
        if ((type & kFileTypeFlavours) != (bankRequired & kFileTypeFlavours))
            record.patchTypeError |= ~bankRequired & kFileTypeFlavours;
    }
    m_record = std::make_shared<const PatchInfo>(record);
}

PatchTreeLeaf::PatchTreeLeaf(const PatchInfo& record, const std::shared_ptr<PatchTreeBranch>& parent)
    : PatchTreeNode(parent), m_record(std::make_shared<const PatchInfo>(record))
{
}

PatchTreeLeaf::PatchTreeLeaf(PatchInfo&& record, const std::shared_ptr<PatchTreeBranch>& parent)
    : PatchTreeNode(parent), m_record(std::make_shared<const PatchInfo>(std::move(record)))
{
}

std::shared_ptr<PatchTreeLeaf> PatchTreeLeaf::makeVersion1Program(const std::string& name,
                                                                  const std::string& bankAddress,
                                                                  const std::shared_ptr<PatchTreeBranch>& parent,
                                                                  const std::string& bankFile, std::uint32_t typeWord)
{
    PatchInfo record;
    record.name = name;
    record.address = bankAddress + name;
    record.files.push_back(bankFile);
    record.patchType = typeWord;
    record.patchTypeError = typeWord & ~kFileTypeFlavours;
    record.uuid = Uuid{};
    return std::make_shared<PatchTreeLeaf>(record, parent);
}

PatchTreeLeaf::~PatchTreeLeaf() = default;

std::shared_ptr<const PatchInfo> PatchTreeLeaf::record() const
{
    return std::atomic_load(&m_record);
}

void PatchTreeLeaf::replaceRecord(const PatchInfo& record)
{
    std::atomic_store(&m_record, std::make_shared<const PatchInfo>(record));
}

std::string PatchTreeLeaf::getName() const
{
    return record()->name;
}

std::string PatchTreeLeaf::getAddress() const
{
    return record()->address;
}

bool PatchTreeLeaf::isLeaf() const
{
    return true;
}

std::uint32_t PatchTreeLeaf::getPatchTypeError() const
{
    return record()->patchTypeError;
}

std::uint32_t PatchTreeLeaf::getPatchType() const
{
    return record()->patchType;
}

const char* PatchTreeLeaf::typeName() const
{
    return "Patch";
}

PatchInfoPointer PatchTreeLeaf::getPatchInfo() const
{
    return record();
}

std::vector<std::string> PatchTreeLeaf::getFiles() const
{
    return record()->files;
}

std::string PatchTreeLeaf::getLastFile() const
{
    return record()->lastFile();
}

void PatchTreeLeaf::collectPatches(std::vector<PatchInfoPointer>& out, const std::string&) const
{
    out.push_back(record());
}

void PatchTreeLeaf::listBanks(std::vector<BankInfo>&, const std::string&, int) const
{
}

PatchInfoPointer PatchTreeLeaf::getPatchInfo(const std::string&) const
{
    return record();
}

PatchTreeNode::Pointer PatchTreeLeaf::findNode(const std::string&)
{
    return shared_from_this();
}

void PatchTreeLeaf::setName(const std::string& name)
{
    PatchInfo changed = *record();
    changed.name = name;
    replaceRecord(changed);
}

void PatchTreeLeaf::setPatchTypeError(std::uint32_t bits)
{
    PatchInfo changed = *record();
    changed.patchTypeError = bits;
    replaceRecord(changed);
}

void PatchTreeLeaf::registerUuid(UuidRegistry& registry)
{
    const std::shared_ptr<const PatchInfo> current = record();
    bool issue;
    if (isNilUuid(current->uuid))
        issue = (current->patchType & kFileTypeVersion1) == 0;
    else
        issue = !registry.insert(current->uuid, this);
    if (issue)
        setPatchTypeError(current->patchTypeError | kIssueUuid);
}

void PatchTreeLeaf::unregisterUuids(UuidRegistry& registry)
{
    registry.remove(record()->uuid, this);
}

void PatchTreeLeaf::writeXml(ticpp::Element& parent) const
{
    const std::shared_ptr<const PatchInfo> current = record();
    ticpp::Element leaf("leaf");
    leaf.SetAttribute("name", current->name);
    leaf.SetAttribute("address", current->address);
    leaf.SetAttribute("description", current->description);
    leaf.SetAttribute("patch_type", current->patchType);
    leaf.SetAttribute("patch_type_error", current->patchTypeError);
    leaf.SetAttribute("uuid", uuidToString(current->uuid));
    for (const std::string& path : current->files)
    {
        ticpp::Element file("file");
        file.SetAttribute("path", path);
        leaf.InsertEndChild(file);
    }
    parent.InsertEndChild(leaf);
}

std::uint32_t PatchTreeLeaf::convert(PatchConversion& conversion)
{
    const std::shared_ptr<const PatchInfo> current = record();
    const std::uint32_t issues = current->patchTypeError;
    if (issues == 0)
        return 0;
    if (conversion.answer == kAnswerStop)
        return issues;
    const std::shared_ptr<PatchTreeBranch> bank = getParent();
    if (!bank)
        return issues;
    const std::vector<BankFolder> folders = bank->folderEntries(true);

    if ((current->patchType & kFileTypeReadOnly) != 0)
    {
        if (conversion.answer == kAnswerSkipAll)
            return issues;
        const std::string message = "You cannot convert " + current->address + " because it is set to Read Only";
        conversion.answer = static_cast<std::uint32_t>(askSkipStop("Permssions Error", message.c_str()));
        return issues;
    }

    const std::string file = current->lastFile();
    if ((current->patchType & kFileTypeVersion1) != 0)
    {
        if (!convertVersion1(conversion, *bank, file))
            return issues;
        setPatchTypeError(0);
        return 0;
    }

    PatchFileHandler handler;
    ChunkBuffer chunk;
    const int loaded = handler.loadPatch(file, chunk);
    if (loaded != kLoadBankChunk && loaded != kLoadProgramChunk)
        return issues;
    // A patch in the other flavour's tree is saved in the tree's flavour.
    const bool isEffect = (issues & kFileTypeFlavours) != 0 ? (issues & kIssueInstrumentInEffectTree) != 0
                                                             : (current->patchType & kFileTypeEffect) != 0;
    if (issues > (kIssueAupresetNotRequired | kIssueFxpNotRequired))
        if (conversion.converter == nullptr || !conversion.converter->renamePatch(chunk, current->name))
            return issues;
    if (handler.savePatch(folders, current->name, chunk, conversion.formatFlags, isEffect, conversion.deleteOriginal) != 0)
        return issues;
    PatchInfo changed = *current;
    changed.patchType &= ~kFileTypePlaced;
    changed.patchTypeError = 0;
    replaceRecord(changed);
    return 0;
}

bool PatchTreeLeaf::convertVersion1(PatchConversion& conversion, const PatchTreeBranch& bank, const std::string& file)
{
    if (conversion.converter == nullptr)
        return false;
    ChunkBuffer data;
    if (PatchFileHandler().loadPatch(file, data) != kLoadVersion1Program)
        return false;
    // Out of the way first, so that the converted patch may take its name.
    const std::string backup = file + "._bk";
    if (std::rename(file.c_str(), backup.c_str()) != 0)
        return false;
    if (!conversion.converter->convertSinglePatch(data, bank, conversion.formatFlags))
    {
        std::rename(backup.c_str(), file.c_str());
        return false;
    }
    if (conversion.deleteOriginal)
        std::remove(backup.c_str());
    return true;
}
