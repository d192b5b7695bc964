#include "patches/PatchFileInfo.h"

#include "patches/PatchTypeBits.h"

#include <cassert>

PatchFileInfo::PatchFileInfo(const FileInfo& first, std::uint32_t requiredFileType)
    : m_name(first.stem), m_fileType(first.fileType), m_requiredFileType(requiredFileType)
{
    m_fileTypeErrors[first.requiredFileType] =
        notRequiredBits(first) | ((first.requiredFileType & kFileTypeSaveFormats & ~first.fileType) << kIssueMissingShift);
    m_files.push_back(first);
    recomputeSummary();
}

PatchFileInfo::PatchFileInfo(const std::string& name, std::uint32_t requiredFileType)
    : m_name(name), m_requiredFileType(requiredFileType)
{
}

void PatchFileInfo::addFileInfo(const FileInfo& file)
{
    addFileInfo(FileInfo(file));
}

void PatchFileInfo::addFileInfo(FileInfo&& added)
{
    m_files.push_back(std::move(added));
    const FileInfo& file = m_files.back();
    m_fileType |= file.fileType;
    auto entry = m_fileTypeErrors.find(file.requiredFileType);
    if (entry != m_fileTypeErrors.end())
        entry->second = (entry->second | notRequiredBits(file)) & ~(file.fileType << kIssueMissingShift);
    else
        m_fileTypeErrors[file.requiredFileType] =
            notRequiredBits(file) | ((file.requiredFileType & kFileTypeSaveFormats & ~m_fileType) << kIssueMissingShift);
    assert(m_fileTypeErrors[file.requiredFileType] < kRecordWordLimit &&
           "fileTypeErrors[fileInfo.requiredFileType()] < 32768");
    recomputeSummary();
}

void PatchFileInfo::setWords(std::uint32_t fileType, std::uint32_t fileTypeError)
{
    m_fileType = fileType;
    m_fileTypeError = fileTypeError;
}

void PatchFileInfo::markPlaced()
{
    m_fileType |= kFileTypePlaced;
}

void PatchFileInfo::markInvalid()
{
    m_fileType |= kFileTypeInvalid;
}

bool PatchFileInfo::isInvalid() const
{
    return (m_fileType & kFileTypeInvalid) != 0;
}

bool PatchFileInfo::sameFiles(const PatchFileInfo& other) const
{
    if (m_files.size() != other.m_files.size())
        return false;
    for (std::size_t i = 0; i < m_files.size(); ++i)
    {
        const FileInfo& a = m_files[i];
        const FileInfo& b = other.m_files[i];
        if (a.fileName != b.fileName || a.modifyTime != b.modifyTime ||
            a.modifyTimeNanoseconds != b.modifyTimeNanoseconds || a.size != b.size || a.path != b.path)
            return false;
    }
    return true;
}

std::uint32_t PatchFileInfo::notRequiredBits(const FileInfo& file)
{
    return (file.fileType & file.requiredFileType) == 0 ? file.fileType : 0;
}

void PatchFileInfo::recomputeSummary()
{
    std::uint32_t errors = 0;
    std::uint32_t keys = 0;
    for (const auto& entry : m_fileTypeErrors)
    {
        keys |= entry.first;
        errors |= entry.second;
    }
    m_fileTypeError = errors | ((m_requiredFileType & kFileTypeSaveFormats & ~keys) << kIssueMissingShift);
    assert(m_fileTypeError < kRecordWordLimit && "fileTypeError < 32768");
}
