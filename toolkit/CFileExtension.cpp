#include "toolkit/CFileExtension.h"

#include "dsp/Lasting.h"

#include <cctype>

namespace
{
std::optional<std::string> copyOf(const char* text)
{
    return text ? std::optional<std::string>(text) : std::nullopt;
}

bool equalIgnoringCase(const std::string& a, const std::string& b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}
} // namespace

CFileExtension::CFileExtension(const char* description, const char* extension, const char* mimeType,
                               std::uint32_t macType)
    : m_description(copyOf(description)), m_extension(copyOf(extension)), m_mimeType(copyOf(mimeType)),
      m_macType(macType)
{
}

bool CFileExtension::operator==(const CFileExtension& other) const
{
    if (m_extension && other.m_extension && *m_extension == *other.m_extension)
        return true;
    if (m_mimeType && other.m_mimeType && *m_mimeType == *other.m_mimeType)
        return true;
    return m_macType != 0 && m_macType == other.m_macType;
}

bool CFileExtension::matches(const std::string& fileName) const
{
    if (!m_extension || m_extension->empty())
        return true;
    const std::size_t dot = fileName.rfind('.');
    return dot != std::string::npos && dot > 0 && equalIgnoringCase(fileName.substr(dot + 1), *m_extension);
}

const CFileExtension& CFileExtension::allFiles()
{
    static const Lasting<CFileExtension> all("All Files", "");
    return *all;
}
