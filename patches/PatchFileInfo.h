#pragma once

#include "patches/FileInfo.h"

#include <cstdint>
#include <map>
#include <string>
#include <vector>

// The files of one patch: the files of equal stem within one bank's folders,
// with the issues their formats give against the folders' required types.
class PatchFileInfo
{
public:
    PatchFileInfo(const FileInfo& first, std::uint32_t requiredFileType);
    // No files yet; the cache adds them one by one.
    PatchFileInfo(const std::string& name, std::uint32_t requiredFileType);

    void addFileInfo(const FileInfo& file);
    void addFileInfo(FileInfo&& file);
    // Replaces the computed words by stored ones.
    void setWords(std::uint32_t fileType, std::uint32_t fileTypeError);
    // Marks the record as placed in the tree.
    void markPlaced();
    // Marks the record as placed without a patch: its files hold none.
    void markInvalid();
    bool isInvalid() const;

    const std::string& name() const { return m_name; }
    std::uint32_t fileType() const { return m_fileType; }
    std::uint32_t fileTypeError() const { return m_fileTypeError; }
    std::uint32_t requiredFileType() const { return m_requiredFileType; }
    const std::map<std::uint32_t, std::uint32_t>& fileTypeErrors() const { return m_fileTypeErrors; }
    const std::vector<FileInfo>& files() const { return m_files; }

    // Same files: same paths, sizes and modify times, in the same order.
    bool sameFiles(const PatchFileInfo& other) const;

private:
    // A file's own issues against the types required where it was found.
    static std::uint32_t notRequiredBits(const FileInfo& file);
    void recomputeSummary();

    std::string m_name;
    std::uint32_t m_fileType = 0;
    std::uint32_t m_fileTypeError = 0;
    std::uint32_t m_requiredFileType = 0;
    std::map<std::uint32_t, std::uint32_t> m_fileTypeErrors;
    std::vector<FileInfo> m_files;
};
