#include "Source/patchtree/PatchTreeCache.h"

#include "Source/patchtree/PatchTreeLeaf.h"
#include "Source/patchtree/UuidRegistry.h"
#include "Source/ticpp/ticpp.h"
#include "patches/PatchTypeBits.h"

#include <cstring>
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
        PatchInfo record{Uuid{}};
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
                // Older caches kept neither: their records are read again.
                entry->GetAttribute("modify_time_ns", &file.modifyTimeNanoseconds, false);
                entry->GetAttribute("size", &file.size, false);
                checkWords(file.fileType, file.requiredFileType);
                record.addFileInfo(file);
            }
            check(!record.files().empty(), "patch without files");
            // Files that gave no patch are tried again by the next scan.
            record.setWords(fileType & ~kFileTypeInvalid, fileTypeError);
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

const char kBinaryMagic[4] = {'Z', 'P', 'T', 'C'};
constexpr std::uint32_t kBinaryFormat = 1;
constexpr std::uint32_t kFullPath = 0xFFFFFFFFu;
// Far below what would strain the stack; a scan makes trees a few levels deep.
constexpr int kMaxBinaryDepth = 64;

enum NodeKind : unsigned char
{
    kBranchNode = 1,
    kLeafNode = 2
};

// A file path as the index of the bank folder it lies in and its name
// there, when it is that; the whole path otherwise.
bool relativePath(const std::string& path, const std::string& folder, std::size_t& restStart)
{
    if (folder.empty() || path.size() <= folder.size() || path.compare(0, folder.size(), folder) != 0)
        return false;
    restStart = folder.back() == '/' ? folder.size() : folder.size() + 1;
    if (folder.back() != '/' && path[folder.size()] != '/')
        return false;
    return restStart < path.size() && path.find('/', restStart) == std::string::npos;
}

std::string joinedPath(const std::string& folder, const std::string& name)
{
    return folder.back() == '/' ? folder + name : folder + "/" + name;
}

class BinaryWriter
{
public:
    std::string bytes;

    void u8(unsigned value) { bytes.push_back(static_cast<char>(value)); }
    void u32(std::uint32_t value)
    {
        for (int i = 0; i < 4; ++i)
            bytes.push_back(static_cast<char>(value >> (8 * i)));
    }
    void u64(std::uint64_t value)
    {
        for (int i = 0; i < 8; ++i)
            bytes.push_back(static_cast<char>(value >> (8 * i)));
    }
    void text(const std::string& value)
    {
        u32(static_cast<std::uint32_t>(value.size()));
        bytes.append(value);
    }
    void path(const std::string& value, const std::vector<BankFolder>& folders)
    {
        for (std::size_t i = 0; i < folders.size(); ++i)
        {
            std::size_t restStart = 0;
            if (relativePath(value, folders[i].path, restStart))
            {
                u32(static_cast<std::uint32_t>(i));
                u32(static_cast<std::uint32_t>(value.size() - restStart));
                bytes.append(value, restStart, std::string::npos);
                return;
            }
        }
        u32(kFullPath);
        text(value);
    }

    void branch(const PatchTreeBranch& bank)
    {
        const BankInfo info = bank.getBankInfo();
        text(info.name);
        u32(info.patchType);
        u32(info.requiredPatchType);
        u32(info.patchTypeError);
        u32(bank.crc());
        u32(bank.checksum());
        u8(bank.isVirtual() ? 1 : 0);
        u32(static_cast<std::uint32_t>(info.folders.size()));
        for (const BankFolder& folder : info.folders)
        {
            text(folder.path);
            u32(folder.requiredFileTypes);
        }
        u32(static_cast<std::uint32_t>(bank.patchFiles().size()));
        for (const PatchFileInfo& record : bank.patchFiles())
        {
            text(record.name());
            u32(record.fileType());
            u32(record.fileTypeError());
            u32(record.requiredFileType());
            u32(static_cast<std::uint32_t>(record.files().size()));
            for (const FileInfo& file : record.files())
            {
                path(file.path, info.folders);
                text(file.fileName);
                u32(file.fileType);
                u32(file.requiredFileType);
                u64(static_cast<std::uint64_t>(file.modifyTime));
                u32(file.modifyTimeNanoseconds);
                u64(file.size);
            }
        }
        u32(static_cast<std::uint32_t>(bank.banks().size()));
        for (const BankFolderInfo& group : bank.banks())
        {
            u32(static_cast<std::uint32_t>(group.folders().size()));
            for (const FolderInfo& folder : group.folders())
            {
                path(folder.path, info.folders);
                text(folder.name);
                u32(folder.requiredFileTypes);
                u32(folder.containedFileTypes);
                u8(folder.readOnly ? 1 : 0);
                u64(static_cast<std::uint64_t>(folder.modifyTime));
            }
        }
        u32(static_cast<std::uint32_t>(bank.children().size()));
        for (const PatchTreeBranch::Child& child : bank.children())
        {
            if (child.second->isBranch())
            {
                u8(kBranchNode);
                branch(static_cast<const PatchTreeBranch&>(*child.second));
            }
            else
            {
                u8(kLeafNode);
                leaf(*static_cast<const PatchTreeLeaf&>(*child.second).getPatchInfo(), info.folders);
            }
        }
    }

    void leaf(const PatchInfo& record, const std::vector<BankFolder>& folders)
    {
        text(record.name);
        text(record.description);
        u32(record.patchType);
        u32(record.patchTypeError);
        bytes.append(reinterpret_cast<const char*>(record.uuid.data()), record.uuid.size());
        u32(static_cast<std::uint32_t>(record.files.size()));
        for (const std::string& file : record.files)
            path(file, folders);
    }
};

void binaryCheck(bool condition, const char* what)
{
    if (!condition)
        throw PatchTreeCache::Malformed(std::string("Patch tree cache: ") + what);
}

// Reads what BinaryWriter wrote, with every length and count held to the
// bytes that are left, and the rules of the tree checked as in the XML form.
class BinaryReader
{
public:
    BinaryReader(const char* begin, const char* end, UuidRegistry& registry)
        : m_at(begin), m_end(end), m_registry(registry)
    {
    }

    bool atEnd() const { return m_at == m_end; }

    unsigned u8()
    {
        need(1);
        return static_cast<unsigned char>(*m_at++);
    }
    std::uint32_t u32()
    {
        need(4);
        std::uint32_t value = 0;
        for (int i = 0; i < 4; ++i)
            value |= std::uint32_t(static_cast<unsigned char>(m_at[i])) << (8 * i);
        m_at += 4;
        return value;
    }
    std::uint64_t u64()
    {
        need(8);
        std::uint64_t value = 0;
        for (int i = 0; i < 8; ++i)
            value |= std::uint64_t(static_cast<unsigned char>(m_at[i])) << (8 * i);
        m_at += 8;
        return value;
    }
    std::string text()
    {
        const std::uint32_t length = u32();
        need(length);
        std::string value(m_at, length);
        m_at += length;
        return value;
    }
    // A count of items that take at least minimum bytes each.
    std::uint32_t count(std::size_t minimum)
    {
        const std::uint32_t value = u32();
        binaryCheck(value <= static_cast<std::size_t>(m_end - m_at) / minimum, "count");
        return value;
    }
    std::string path(const std::vector<BankFolder>& folders)
    {
        const std::uint32_t index = u32();
        if (index == kFullPath)
            return text();
        binaryCheck(index < folders.size() && !folders[index].path.empty(), "folder index");
        const std::string name = text();
        binaryCheck(!name.empty() && name.find('/') == std::string::npos, "file name");
        return joinedPath(folders[index].path, name);
    }

    PatchTreeBranch::Pointer branch(const PatchTreeBranch::Pointer& parent, const std::string& address, int depth)
    {
        binaryCheck(depth < kMaxBinaryDepth, "depth");
        BankInfo info;
        info.name = text();
        if (parent)
            checkName(info.name);
        info.address = address;
        info.patchType = u32();
        info.requiredPatchType = u32();
        info.patchTypeError = u32();
        const std::uint32_t crc = u32();
        const std::uint32_t checksum = u32();
        const bool isVirtual = u8() != 0;
        for (std::uint32_t n = count(8); n > 0; --n)
        {
            BankFolder folder;
            folder.path = text();
            folder.requiredFileTypes = u32();
            info.folders.push_back(std::move(folder));
        }
        auto bank = std::make_shared<PatchTreeBranch>(info, parent, isVirtual);
        bank->setCrc(crc, checksum);

        for (std::uint32_t n = count(20); n > 0; --n)
        {
            const std::string name = text();
            const std::uint32_t fileType = u32();
            const std::uint32_t fileTypeError = u32();
            const std::uint32_t required = u32();
            checkWords(fileType, required);
            checkWords(fileTypeError, required);
            PatchFileInfo record(name, required);
            for (std::uint32_t f = count(40); f > 0; --f)
            {
                FileInfo file;
                file.path = path(info.folders);
                file.fileName = text();
                file.stem = name;
                file.fileType = u32();
                file.requiredFileType = u32();
                file.modifyTime = static_cast<std::int64_t>(u64());
                file.modifyTimeNanoseconds = u32();
                file.size = u64();
                checkWords(file.fileType, file.requiredFileType);
                record.addFileInfo(std::move(file));
            }
            binaryCheck(!record.files().empty(), "patch without files");
            // Files that gave no patch are tried again by the next scan.
            record.setWords(fileType & ~kFileTypeInvalid, fileTypeError);
            bank->patchFiles().push_back(std::move(record));
        }

        for (std::uint32_t n = count(4); n > 0; --n)
        {
            std::vector<FolderInfo> folders;
            std::uint32_t required = 0;
            for (std::uint32_t f = count(29); f > 0; --f)
            {
                FolderInfo folder;
                folder.path = path(info.folders);
                folder.name = text();
                folder.requiredFileTypes = u32();
                folder.containedFileTypes = u32();
                folder.readOnly = u8() != 0;
                folder.modifyTime = static_cast<std::int64_t>(u64());
                checkWords(folder.containedFileTypes | (folder.readOnly ? kFileTypeReadOnly : 0),
                           folder.requiredFileTypes);
                required |= folder.requiredFileTypes;
                folders.push_back(std::move(folder));
            }
            binaryCheck(!folders.empty(), "bank without folders");
            binaryCheck(required < kRequiredTypeLimit, "record words");
            bank->banks().emplace_back(folders);
        }

        for (std::uint32_t n = count(1); n > 0; --n)
        {
            PatchTreeNode::Pointer node;
            const unsigned kind = u8();
            if (kind == kBranchNode)
            {
                // The name is read twice: once to make the address.
                const char* start = m_at;
                const std::string name = text();
                m_at = start;
                node = branch(bank, address + name + "/", depth + 1);
            }
            else
            {
                binaryCheck(kind == kLeafNode, "node kind");
                node = leaf(bank, address, info.folders);
            }
            // A child of a name already taken would replace the other.
            const std::size_t before = bank->children().size();
            bank->addChild(node, m_registry);
            binaryCheck(bank->children().size() == before + 1, "two children of one name");
        }
        return bank;
    }

private:
    void need(std::size_t n) const { binaryCheck(n <= static_cast<std::size_t>(m_end - m_at), "cut short"); }

    static void checkName(const std::string& name)
    {
        binaryCheck(!name.empty() && name.find('/') == std::string::npos, "node name");
    }

    static void checkWords(std::uint32_t fileType, std::uint32_t required)
    {
        binaryCheck(BankFolderInfo::wordsAreValid(fileType, required), "record words");
    }

    PatchTreeNode::Pointer leaf(const PatchTreeBranch::Pointer& parent, const std::string& bankAddress,
                                const std::vector<BankFolder>& folders)
    {
        PatchInfo record{Uuid{}};
        record.name = text();
        checkName(record.name);
        record.address = bankAddress + record.name;
        record.description = text();
        record.patchType = u32();
        record.patchTypeError = u32();
        need(record.uuid.size());
        std::memcpy(record.uuid.data(), m_at, record.uuid.size());
        m_at += record.uuid.size();
        for (std::uint32_t n = count(8); n > 0; --n)
            record.files.push_back(path(folders));
        auto leaf = std::make_shared<PatchTreeLeaf>(std::move(record), parent);
        leaf->registerUuid(m_registry);
        return leaf;
    }

    const char* m_at;
    const char* const m_end;
    UuidRegistry& m_registry;
};
}

std::string PatchTreeCache::binaryDocument(std::uint32_t formatFlags,
                                           const std::vector<BankFolderInfo>& instrumentGroups,
                                           const std::vector<BankFolderInfo>& effectGroups,
                                           const PatchTreeBranch* instrumentTree, const PatchTreeBranch* effectTree)
{
    BinaryWriter writer;
    writer.bytes.append(kBinaryMagic, sizeof kBinaryMagic);
    writer.u32(kBinaryFormat);
    writer.text(settingsText(formatFlags, instrumentGroups, effectGroups));
    for (const PatchTreeBranch* tree : {instrumentTree, effectTree})
    {
        writer.u8(tree != nullptr ? 1 : 0);
        if (tree != nullptr)
            writer.branch(*tree);
    }
    return writer.bytes;
}

bool PatchTreeCache::isBinaryDocument(const std::string& bytes)
{
    return bytes.size() >= sizeof kBinaryMagic && bytes.compare(0, sizeof kBinaryMagic, kBinaryMagic, sizeof kBinaryMagic) == 0;
}

PatchTreeCache::Trees PatchTreeCache::readBinary(const std::string& bytes, const std::string& settings,
                                                 const std::string& instrumentAddress, bool hasInstrument,
                                                 bool hasEffect, UuidRegistry& registry)
{
    binaryCheck(isBinaryDocument(bytes), "not a binary cache");
    BinaryReader reader(bytes.data() + sizeof kBinaryMagic, bytes.data() + bytes.size(), registry);
    binaryCheck(reader.u32() == kBinaryFormat, "format of another version");
    binaryCheck(reader.text() == settings, "settings of another library");
    Trees trees;
    if (reader.u8() != 0)
        trees.instrument = reader.branch(nullptr, instrumentAddress, 0);
    if (reader.u8() != 0)
        trees.effect = reader.branch(nullptr, kEffectAddress, 0);
    binaryCheck(reader.atEnd(), "bytes after the trees");
    // The trees must be the ones a rebuild would make of these settings.
    binaryCheck((trees.instrument != nullptr) == hasInstrument && (trees.effect != nullptr) == hasEffect, "top trees");
    return trees;
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
