#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "toolkit/CBaseObject.h"

// One file type of a file selector: a description for people, the file
// name extension (without the dot), a MIME type and a Mac OS type code;
// each text may be missing (null).
class CFileExtension : public CBaseObject
{
public:
    CFileExtension(const char* description, const char* extension, const char* mimeType = nullptr,
                   std::uint32_t macType = 0);
    CFileExtension(const CFileExtension& other) = default;
    CFileExtension& operator=(const CFileExtension& other) = default;

    const char* getDescription() const { return text(m_description); }
    const char* getExtension() const { return text(m_extension); }
    const char* getMimeType() const { return text(m_mimeType); }
    std::uint32_t getMacType() const { return m_macType; }

    // Equal extensions, or equal MIME types, or the same non-zero type code.
    bool operator==(const CFileExtension& other) const;
    bool operator!=(const CFileExtension& other) const { return !(*this == other); }

    // Whether a file of this name is of this type: an empty or missing
    // extension takes every file; letter case does not count.
    bool matches(const std::string& fileName) const;

    // "All Files": no extension, no MIME type, no type code.
    static const CFileExtension& allFiles();

private:
    static const char* text(const std::optional<std::string>& value) { return value ? value->c_str() : nullptr; }

    std::optional<std::string> m_description;
    std::optional<std::string> m_extension;
    std::optional<std::string> m_mimeType;
    std::uint32_t m_macType;
};
