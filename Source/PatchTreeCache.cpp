#include "Source/PatchTreeCache.h"

#include "Source/PatchTreeLeaf.h"
#include "Source/ticpp/ticpp.h"
#include "patches/PatchTypeBits.h"

#include <set>

namespace
{
const char kCacheVersion[] = "2.0.3";
const char kEffectAddress[] = "FX/";

std::string printed(const ticpp::Node& node)
{
    TiXmlPrinter printer;
    node.Accept(&printer);
    return printer.CStr();
}

void check(bool condition, const char* what)
{
    if (!condition)
        throw ticpp::Exception(std::string("Patch tree cache: ") + what);
}

template <typename T>
T attribute(const ticpp::Element& element, const char* name)
{
    T value;
    element.GetAttribute(name, &value);
    return value;
}

ticpp::Element settingsElement(std::uint32_t formatFlags, const std::vector<BankFolderInfo>& instrumentGroups,
                               const std::vector<BankFolderInfo>& effectGroups)
{
    ticpp::Element settings("settings");
    settings.SetAttribute("version", kCacheVersion);
    ticpp::Element patchType("patchtype");
    patchType.SetAttribute("value", static_cast<int>(formatFlags & kFileTypeSaveFormats));
    settings.InsertEndChild(patchType);
    ticpp::Element folders("folders");
    for (const auto& side : {std::make_pair("inst", &instrumentGroups), std::make_pair("fx", &effectGroups)})
    {
        ticpp::Element list(side.first);
        for (const BankFolderInfo& group : *side.second)
        {
            ticpp::Element bank("bank");
            bank.SetAttribute("name", group.name());
            bank.SetAttribute("filetype", group.fileType());
            for (const FolderInfo& folder : group.folders())
            {
                ticpp::Element entry("folder");
                entry.SetAttribute("path", folder.path);
                bank.InsertEndChild(entry);
            }
            list.InsertEndChild(bank);
        }
        folders.InsertEndChild(list);
    }
    settings.InsertEndChild(folders);
    return settings;
}

// Reads nodes while checking what the tree relies on: the record words the
// scan records assert, names that are path components, addresses that
// follow the names, one child per name.
class TreeReader
{
public:
    explicit TreeReader(UuidRegistry& registry) : m_registry(registry) {}

    PatchTreeBranch::Pointer readBranch(const ticpp::Element& element, const PatchTreeBranch::Pointer& parent,
                                        const std::string& expectedAddress)
    {
        BankInfo info;
        info.name = attribute<std::string>(element, "name");
        info.address = attribute<std::string>(element, "address");
        check(info.address == expectedAddress, "bank address");
        if (parent)
            checkName(info.name);
        info.patchType = attribute<std::uint32_t>(element, "patch_type");
        info.requiredPatchType = attribute<std::uint32_t>(element, "required_patch_type");
        info.patchTypeError = attribute<std::uint32_t>(element, "patch_type_error");
        const auto crc = attribute<std::uint32_t>(element, "crc");
        const auto checksum = attribute<std::uint32_t>(element, "checksum");
        const bool isVirtual = attribute<bool>(element, "is_virtual");
        for (ticpp::Element* folder = element.FirstChildElement("folder", false); folder != nullptr;
             folder = folder->NextSiblingElement("folder", false))
            info.folders.push_back(
                BankFolder{attribute<std::string>(*folder, "path"), attribute<std::uint32_t>(*folder, "patch_type")});

        auto branch = std::make_shared<PatchTreeBranch>(info, parent, isVirtual);
        branch->setCrc(crc, checksum);
        readPatchFiles(*element.FirstChildElement("patchfiles"), *branch);
        readBanks(*element.FirstChildElement("banks"), *branch);

        std::set<std::string> names;
        const ticpp::Element* children = element.FirstChildElement("children");
        for (ticpp::Element* child = children->FirstChildElement(false); child != nullptr;
             child = child->NextSiblingElement(false))
        {
            const std::string kind = child->Value();
            if (kind != "branch" && kind != "leaf")
                continue;
            PatchTreeNode::Pointer node;
            const std::string name = attribute<std::string>(*child, "name");
            if (kind == "branch")
                node = readBranch(*child, branch, info.address + name + "/");
            else if (kind == "leaf")
                node = readLeaf(*child, branch, info.address);
            check(names.insert(name).second, "two children of one name");
            branch->addChild(node, m_registry);
        }
        return branch;
    }

private:
    static void checkName(const std::string& name)
    {
        check(!name.empty() && name.find('/') == std::string::npos, "node name");
    }

    static void checkWords(std::uint32_t fileType, std::uint32_t required)
    {
        check(BankFolderInfo::wordsAreValid(fileType, required), "record words");
    }

    PatchTreeNode::Pointer readLeaf(const ticpp::Element& element, const PatchTreeBranch::Pointer& parent,
                                    const std::string& bankAddress)
    {
        PatchInfo record;
        record.name = attribute<std::string>(element, "name");
        checkName(record.name);
        record.address = attribute<std::string>(element, "address");
        check(record.address == bankAddress + record.name, "patch address");
        record.description = attribute<std::string>(element, "description");
        record.patchType = attribute<std::uint32_t>(element, "patch_type");
        record.patchTypeError = attribute<std::uint32_t>(element, "patch_type_error");
        const std::string uuid = attribute<std::string>(element, "uuid");
        record.uuid = uuidFromString(uuid);
        check(!isNilUuid(record.uuid) || uuid.empty() || uuid == uuidToString(Uuid{}), "uuid");
        for (ticpp::Element* file = element.FirstChildElement("file", false); file != nullptr;
             file = file->NextSiblingElement("file", false))
            record.files.push_back(attribute<std::string>(*file, "path"));
        auto leaf = std::make_shared<PatchTreeLeaf>(record, parent);
        leaf->registerUuid(m_registry);
        return leaf;
    }

    static void readPatchFiles(const ticpp::Element& element, PatchTreeBranch& branch)
    {
        for (ticpp::Element* patch = element.FirstChildElement("patch", false); patch != nullptr;
             patch = patch->NextSiblingElement("patch", false))
        {
            const auto name = attribute<std::string>(*patch, "name");
            const auto fileType = attribute<std::uint32_t>(*patch, "file_type");
            const auto fileTypeError = attribute<std::uint32_t>(*patch, "file_type_error");
            const auto required = attribute<std::uint32_t>(*patch, "required_file_types");
            checkWords(fileType, required);
            checkWords(fileTypeError, required);
            PatchFileInfo record(name, required);
            for (ticpp::Element* entry = patch->FirstChildElement("file", false); entry != nullptr;
                 entry = entry->NextSiblingElement("file", false))
            {
                FileInfo file;
                file.path = attribute<std::string>(*entry, "path");
                file.fileName = attribute<std::string>(*entry, "file_name");
                file.stem = name;
                file.fileType = attribute<std::uint32_t>(*entry, "file_type");
                file.requiredFileType = attribute<std::uint32_t>(*entry, "required_file_type");
                file.modifyTime = static_cast<std::int64_t>(attribute<std::uint64_t>(*entry, "modify_time"));
                checkWords(file.fileType, file.requiredFileType);
                record.addFileInfo(file);
            }
            check(!record.files().empty(), "patch without files");
            record.setWords(fileType, fileTypeError);
            branch.patchFiles().push_back(record);
        }
    }

    static void readBanks(const ticpp::Element& element, PatchTreeBranch& branch)
    {
        for (ticpp::Element* bank = element.FirstChildElement("bank", false); bank != nullptr;
             bank = bank->NextSiblingElement("bank", false))
        {
            std::vector<FolderInfo> folders;
            std::uint32_t required = 0;
            for (ticpp::Element* entry = bank->FirstChildElement("folder", false); entry != nullptr;
                 entry = entry->NextSiblingElement("folder", false))
            {
                FolderInfo folder;
                folder.path = attribute<std::string>(*entry, "path");
                folder.name = attribute<std::string>(*entry, "name");
                folder.requiredFileTypes = attribute<std::uint32_t>(*entry, "required_file_types");
                folder.containedFileTypes = attribute<std::uint32_t>(*entry, "contained_file_types");
                folder.readOnly = attribute<bool>(*entry, "read_only");
                folder.modifyTime = static_cast<std::int64_t>(attribute<std::uint64_t>(*entry, "modify_time"));
                checkWords(folder.containedFileTypes | (folder.readOnly ? kFileTypeReadOnly : 0),
                           folder.requiredFileTypes);
                required |= folder.requiredFileTypes;
                folders.push_back(folder);
            }
            check(!folders.empty(), "bank without folders");
            check(required < kRequiredTypeLimit, "record words");
            branch.banks().emplace_back(folders);
        }
    }

    UuidRegistry& m_registry;
};
}

std::string PatchTreeCache::settingsText(std::uint32_t formatFlags, const std::vector<BankFolderInfo>& instrumentGroups,
                                         const std::vector<BankFolderInfo>& effectGroups)
{
    return printed(settingsElement(formatFlags, instrumentGroups, effectGroups));
}

std::string PatchTreeCache::documentText(std::uint32_t formatFlags,
                                         const std::vector<BankFolderInfo>& instrumentGroups,
                                         const std::vector<BankFolderInfo>& effectGroups,
                                         const PatchTreeBranch* instrumentTree, const PatchTreeBranch* effectTree)
{
    ticpp::Document document;
    ticpp::Element root("patchtree");
    ticpp::Element settings = settingsElement(formatFlags, instrumentGroups, effectGroups);
    root.InsertEndChild(settings);
    if (instrumentTree != nullptr)
        instrumentTree->writeXml(root, "instrument");
    if (effectTree != nullptr)
        effectTree->writeXml(root, "effect");
    document.InsertEndChild(root);
    return printed(document);
}

PatchTreeCache::Trees PatchTreeCache::read(const std::string& text, const std::string& settings,
                                           const std::string& instrumentAddress, bool hasInstrument, bool hasEffect,
                                           UuidRegistry& registry)
{
    ticpp::Document document;
    document.Parse(text);
    const ticpp::Element* root = document.FirstChildElement("patchtree");
    check(printed(*root->FirstChildElement("settings")) == settings, "settings of another library");

    Trees trees;
    TreeReader reader(registry);
    const ticpp::Element* instrument = root->FirstChildElement("instrument", false);
    const ticpp::Element* effect = root->FirstChildElement("effect", false);
    // The trees must be the ones a rebuild would make of these settings.
    check((instrument != nullptr) == hasInstrument && (effect != nullptr) == hasEffect, "top trees");
    if (instrument != nullptr)
        trees.instrument = reader.readBranch(*instrument, nullptr, instrumentAddress);
    if (effect != nullptr)
        trees.effect = reader.readBranch(*effect, nullptr, kEffectAddress);
    return trees;
}
