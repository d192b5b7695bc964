#pragma once

#include "Source/patchtree/PatchTreeNode.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// A patch of the library. Its record is replaced, never changed in place,
// so a record handed out stays as it was.
class PatchTreeLeaf : public PatchTreeNode
{
public:
    // A patch found by a scan: the record read from its files, the address
    // of its bank, its type word and the bank's required word. The leaf is
    // not registered yet (registerUuid).
    PatchTreeLeaf(const PatchInfo& scanned, const std::string& bankAddress,
                  const std::shared_ptr<PatchTreeBranch>& parent, std::uint32_t typeWord, std::uint32_t bankRequired);
    // A complete record, as the cache stores it.
    PatchTreeLeaf(const PatchInfo& record, const std::shared_ptr<PatchTreeBranch>& parent);
    PatchTreeLeaf(PatchInfo&& record, const std::shared_ptr<PatchTreeBranch>& parent);

    // One program of a version-1 bank file: the type word carries the
    // program's index; such leaves have no uuid and are never registered.
    static std::shared_ptr<PatchTreeLeaf> makeVersion1Program(const std::string& name, const std::string& bankAddress,
                                                              const std::shared_ptr<PatchTreeBranch>& parent,
                                                              const std::string& bankFile, std::uint32_t typeWord);

    ~PatchTreeLeaf() override;

    std::string getName() const override;
    std::string getAddress() const override;
    bool isLeaf() const override;
    std::uint32_t getPatchTypeError() const override;
    std::uint32_t getPatchType() const override;
    const char* typeName() const override;
    PatchInfoPointer getPatchInfo() const;
    std::vector<std::string> getFiles() const;
    std::string getLastFile() const;

    // Under the tree's lock.
    void collectPatches(std::vector<PatchInfoPointer>& out, const std::string& address) const override;
    void listBanks(std::vector<BankInfo>& out, const std::string& parentAddress, int depth) const override;
    PatchInfoPointer getPatchInfo(const std::string& address) const override;
    Pointer findNode(const std::string& address) override;
    void setName(const std::string& name) override;
    std::uint32_t convert(PatchConversion& conversion) override;
    void unregisterUuids(UuidRegistry& registry) override;
    void writeXml(ticpp::Element& parent) const override;

    // Enters the uuid in the registry; a missing uuid, or one another leaf
    // holds, marks the patch's uuid issue instead.
    void registerUuid(UuidRegistry& registry);
    void setPatchTypeError(std::uint32_t bits);

private:
    std::shared_ptr<const PatchInfo> record() const;
    void replaceRecord(const PatchInfo& record);
    // The version-1 program's patch saved anew; the original kept as "._bk"
    // (or removed) only once that worked.
    bool convertVersion1(PatchConversion& conversion, const PatchTreeBranch& bank, const std::string& file);

    // Read and replaced atomically.
    std::shared_ptr<const PatchInfo> m_record;
};
