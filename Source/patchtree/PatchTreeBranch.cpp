#include "Source/patchtree/PatchTreeBranch.h"

#include "Source/patchtree/PatchConversion.h"
#include "Source/patchtree/PatchConverter.h"
#include "Source/patchtree/PatchTree.h"
#include "Source/patchtree/UuidRegistry.h"
#include "Source/shared/Alerts.h"
#include "Source/ticpp/ticpp.h"
#include "patches/PatchFileHandler.h"
#include "patches/PatchFileIo.h"
#include "patches/PatchTypeBits.h"

#include <algorithm>
#include <cstdio>
#include <string_view>
#include <unistd.h>

namespace
{
constexpr std::string_view kTempSuffix = "_tmp";

BankInfo bankInfoOf(const BankFolderInfo& group, const std::string& address)
{
    BankInfo info;
    info.name = group.name();
    info.address = address;
    for (const FolderInfo& folder : group.folders())
        info.folders.push_back(BankFolder{folder.path, folder.requiredFileTypes});
    info.patchType = group.fileType();
    info.requiredPatchType = group.requiredFileType();
    return info;
}
}

PatchTreeBranch::PatchTreeBranch(const BankFolderInfo& group, const std::string& address, const Pointer& parent)
    : PatchTreeNode(parent), m_info(std::make_shared<const BankInfo>(bankInfoOf(group, address))), m_isVirtual(false)
{
}

PatchTreeBranch::PatchTreeBranch(const BankInfo& info, const Pointer& parent, bool isVirtual)
    : PatchTreeNode(parent), m_info(std::make_shared<const BankInfo>(info)), m_isVirtual(isVirtual)
{
}

PatchTreeBranch::~PatchTreeBranch() = default;

std::shared_ptr<const BankInfo> PatchTreeBranch::info() const
{
    return std::atomic_load(&m_info);
}

template <typename Change>
void PatchTreeBranch::changeInfo(Change change)
{
    BankInfo changed = *info();
    change(changed);
    std::atomic_store(&m_info, std::make_shared<const BankInfo>(changed));
}

std::string PatchTreeBranch::getName() const
{
    return info()->name;
}

std::string PatchTreeBranch::getAddress() const
{
    return info()->address;
}

bool PatchTreeBranch::isBranch() const
{
    return true;
}

std::uint32_t PatchTreeBranch::getPatchTypeError() const
{
    return info()->patchTypeError;
}

std::uint32_t PatchTreeBranch::getPatchType() const
{
    return info()->patchType;
}

const char* PatchTreeBranch::typeName() const
{
    return "Bank";
}

BankInfo PatchTreeBranch::getBankInfo() const
{
    return *info();
}

std::string PatchTreeBranch::firstFolderPath() const
{
    return info()->firstFolderPath();
}

template <typename Children>
auto PatchTreeBranch::childAt(Children& children, const std::string& name) -> decltype(children.begin())
{
    return std::lower_bound(children.begin(), children.end(), name,
                            [](const Child& child, const std::string& key) { return child.first < key; });
}

PatchTreeNode::Pointer PatchTreeBranch::getChild(const std::string& name) const
{
    auto at = childAt(m_children, name);
    return at != m_children.end() && at->first == name ? at->second : nullptr;
}

void PatchTreeBranch::collectPatches(std::vector<PatchInfoPointer>& out, const std::string& address) const
{
    if (address.empty())
    {
        for (const Child& child : m_children)
            child.second->collectPatches(out, std::string());
        return;
    }
    std::string head, rest;
    splitAddress(address, head, rest);
    if (const PatchTreeNode::Pointer child = getChild(head))
        child->collectPatches(out, rest);
}

void PatchTreeBranch::listBanks(std::vector<BankInfo>& out, const std::string&, int depth) const
{
    BankInfo copy = *info();
    copy.name = std::string(4 * static_cast<std::size_t>(depth), ' ') + copy.name;
    const std::string address = copy.address;
    out.push_back(std::move(copy));
    for (const Child& child : m_children)
        child.second->listBanks(out, address, depth + 1);
}

PatchInfoPointer PatchTreeBranch::getPatchInfo(const std::string& address) const
{
    std::string head, rest;
    splitAddress(address, head, rest);
    const PatchTreeNode::Pointer child = head.empty() ? nullptr : getChild(head);
    return child ? child->getPatchInfo(rest) : nullptr;
}

PatchTreeNode::Pointer PatchTreeBranch::findNode(const std::string& address)
{
    std::string head, rest;
    splitAddress(address, head, rest);
    if (head.empty())
        return shared_from_this();
    const PatchTreeNode::Pointer child = getChild(head);
    return child ? child->findNode(rest) : nullptr;
}

void PatchTreeBranch::setName(const std::string& name)
{
    changeInfo([&](BankInfo& changed) { changed.name = name; });
}

void PatchTreeBranch::collectPatchesFlat(std::vector<PatchInfoPointer>& out) const
{
    for (auto child = m_children.rbegin(); child != m_children.rend(); ++child)
        child->second->collectPatches(out, std::string());
}

void PatchTreeBranch::listBanksFlat(std::vector<BankInfo>& out) const
{
    const std::shared_ptr<const BankInfo> own = info();
    out.push_back(*own);
    for (auto child = m_children.rbegin(); child != m_children.rend(); ++child)
        child->second->listBanks(out, own->address, 1);
}

void PatchTreeBranch::addChild(const PatchTreeNode::Pointer& node, UuidRegistry& registry)
{
    const std::string name = node->getName();
    auto at = childAt(m_children, name);
    if (at != m_children.end() && at->first == name)
    {
        at->second->unregisterUuids(registry);
        at->second = node;
    }
    else
    {
        m_children.insert(at, Child(name, node));
    }
    const std::uint32_t issues = node->getPatchTypeError();
    if (issues != 0)
        changeInfo([&](BankInfo& changed) { changed.patchTypeError |= issues; });
}

void PatchTreeBranch::removeChild(const std::string& name, UuidRegistry& registry)
{
    auto at = childAt(m_children, name);
    if (at == m_children.end() || at->first != name)
        return;
    at->second->unregisterUuids(registry);
    m_children.erase(at);
}

void PatchTreeBranch::unregisterUuids(UuidRegistry& registry)
{
    for (const Child& child : m_children)
        child.second->unregisterUuids(registry);
}

void PatchTreeBranch::setPatchTypeError(std::uint32_t bits)
{
    changeInfo([&](BankInfo& changed) { changed.patchTypeError = bits; });
}

void PatchTreeBranch::setPatchType(std::uint32_t bits)
{
    changeInfo([&](BankInfo& changed) { changed.patchType = bits; });
}

void PatchTreeBranch::setFolders(const std::vector<BankFolder>& folders)
{
    changeInfo([&](BankInfo& changed) { changed.folders = folders; });
}

void PatchTreeBranch::setCrc(std::uint32_t crc, std::uint32_t checksum)
{
    m_crc = crc;
    m_checksum = checksum;
}

void PatchTreeBranch::refreshIssues()
{
    std::uint32_t issues = 0;
    for (const Child& child : m_children)
        issues |= child.second->getPatchTypeError();
    setPatchTypeError(issues);
}

void PatchTreeBranch::refreshIssuesBelow()
{
    for (const Child& child : m_children)
        if (child.second->isBranch())
            std::static_pointer_cast<PatchTreeBranch>(child.second)->refreshIssuesBelow();
    refreshIssues();
}

std::vector<BankFolder> PatchTreeBranch::folderEntries(bool create)
{
    const std::shared_ptr<PatchTreeBranch> parent = getParent();
    // A version-1 bank's folder entry is its file: it has no folder to make.
    if (!parent || !create || m_isVirtual)
        return info()->folders;
    const std::string name = getName();
    for (const BankFolder& parentFolder : parent->folderEntries(true))
    {
        if (fileExists(parentFolder.path + "/" + name))
            continue;
        const std::string made = PatchTree::ensureFolder(parentFolder.path, name);
        if (!made.empty())
            changeInfo([&](BankInfo& changed) {
                changed.folders.push_back(BankFolder{made, parentFolder.requiredFileTypes});
            });
    }
    return info()->folders;
}

std::uint32_t PatchTreeBranch::convert(PatchConversion& conversion)
{
    const std::uint32_t issues = getPatchTypeError();
    // After a Stop the remaining banks keep their issues.
    if (conversion.answer == kAnswerStop)
        return issues;
    if (m_isVirtual)
        return convertVersion1Bank(conversion);
    if (issues == 0)
        return 0;
    std::uint32_t left = 0;
    for (const Child& child : m_children)
        if (child.second->hasErrors())
            left |= child.second->convert(conversion);
    setPatchTypeError(left);
    return left;
}

std::uint32_t PatchTreeBranch::convertVersion1Bank(PatchConversion& conversion)
{
    const std::uint32_t issues = getPatchTypeError();
    const std::shared_ptr<PatchTreeBranch> parent = getParent();
    if (!parent)
        return issues;
    const std::vector<BankFolder> temporary = PatchTree::makeTempFolders(parent->folderEntries(true), getName());
    if (temporary.empty())
        return issues;
    const std::string bankFile = firstFolderPath();
    ChunkBuffer data;
    const bool converted = conversion.converter != nullptr &&
                           PatchFileHandler().loadPatch(bankFile, data) == kLoadVersion1Bank &&
                           conversion.converter->convertBank(data, temporary, conversion.formatFlags);
    if (converted)
        PatchFileHandler::retireFile(bankFile, conversion.deleteOriginal);
    for (const BankFolder& folder : temporary)
    {
        const std::string finalPath = folder.path.substr(0, folder.path.size() - kTempSuffix.size());
        // An empty folder left by a failed conversion is not worth keeping.
        if (!converted && ::rmdir(folder.path.c_str()) == 0)
            continue;
        std::rename(folder.path.c_str(), finalPath.c_str());
    }
    if (!converted)
        return issues;
    setPatchTypeError(0);
    return 0;
}

void PatchTreeBranch::writeXml(ticpp::Element& parent) const
{
    writeXml(parent, "branch");
}

void PatchTreeBranch::writeXml(ticpp::Element& parent, const std::string& elementName) const
{
    const std::shared_ptr<const BankInfo> own = info();
    ticpp::Element branch(elementName);
    branch.SetAttribute("name", own->name);
    branch.SetAttribute("address", own->address);
    branch.SetAttribute("patch_type", own->patchType);
    branch.SetAttribute("required_patch_type", own->requiredPatchType);
    branch.SetAttribute("patch_type_error", own->patchTypeError);
    branch.SetAttribute("crc", m_crc);
    branch.SetAttribute("checksum", m_checksum);
    branch.SetAttribute("is_virtual", m_isVirtual ? 1 : 0);
    for (const BankFolder& folder : own->folders)
    {
        ticpp::Element entry("folder");
        entry.SetAttribute("path", folder.path);
        entry.SetAttribute("patch_type", folder.requiredFileTypes);
        branch.InsertEndChild(entry);
    }
    ticpp::Element patchFiles("patchfiles");
    for (const PatchFileInfo& record : m_patchFiles)
    {
        ticpp::Element patch("patch");
        patch.SetAttribute("name", record.name());
        patch.SetAttribute("file_type", record.fileType());
        patch.SetAttribute("file_type_error", record.fileTypeError());
        patch.SetAttribute("required_file_types", record.requiredFileType());
        for (const FileInfo& file : record.files())
        {
            ticpp::Element entry("file");
            entry.SetAttribute("path", file.path);
            entry.SetAttribute("file_name", file.fileName);
            entry.SetAttribute("file_type", file.fileType);
            entry.SetAttribute("required_file_type", file.requiredFileType);
            entry.SetAttribute("modify_time", static_cast<std::uint64_t>(file.modifyTime));
            entry.SetAttribute("modify_time_ns", file.modifyTimeNanoseconds);
            entry.SetAttribute("size", file.size);
            patch.InsertEndChild(entry);
        }
        patchFiles.InsertEndChild(patch);
    }
    branch.InsertEndChild(patchFiles);
    ticpp::Element banks("banks");
    for (const BankFolderInfo& group : m_banks)
    {
        ticpp::Element bank("bank");
        for (const FolderInfo& folder : group.folders())
        {
            ticpp::Element entry("folder");
            entry.SetAttribute("path", folder.path);
            entry.SetAttribute("name", folder.name);
            entry.SetAttribute("required_file_types", folder.requiredFileTypes);
            entry.SetAttribute("contained_file_types", folder.containedFileTypes);
            entry.SetAttribute("read_only", folder.readOnly ? 1 : 0);
            entry.SetAttribute("modify_time", static_cast<std::uint64_t>(folder.modifyTime));
            bank.InsertEndChild(entry);
        }
        banks.InsertEndChild(bank);
    }
    branch.InsertEndChild(banks);
    ticpp::Element children("children");
    for (const Child& child : m_children)
        child.second->writeXml(children);
    branch.InsertEndChild(children);
    parent.InsertEndChild(branch);
}
