#include "toolkit/CNewFileSelector.h"

#include "toolkit/CPanelFileSelector.h"
#include "toolkit/SharedPointer.h"

const char* const CNewFileSelector::kSelectEndMessage = "CNewFileSelector Select End Message";

namespace
{
std::optional<std::string> copyOf(const char* text)
{
    return text ? std::optional<std::string>(text) : std::nullopt;
}
} // namespace

CNewFileSelector* CNewFileSelector::create(CFrame* frame, Style style)
{
    return new CPanelFileSelector(frame, style);
}

CNewFileSelector::CNewFileSelector(CFrame* frame, Style style) : m_frame(frame), m_style(style) {}

CNewFileSelector::~CNewFileSelector() = default;

bool CNewFileSelector::run(CBaseObject* delegate)
{
    // The delegate may drop its reference while it hears the end.
    SharedPointer<CNewFileSelector> self(this);
    return runInternal(delegate);
}

void CNewFileSelector::cancel()
{
    cancelInternal();
}

bool CNewFileSelector::runModal()
{
    SharedPointer<CNewFileSelector> self(this);
    return runModalInternal();
}

void CNewFileSelector::setTitle(const char* title)
{
    m_title = copyOf(title);
}

void CNewFileSelector::setInitialDirectory(const char* path)
{
    m_initialPath = copyOf(path);
}

void CNewFileSelector::setDefaultSaveName(const char* name)
{
    m_defaultSaveName = copyOf(name);
}

void CNewFileSelector::setDefaultExtension(const CFileExtension& extension)
{
    if (m_defaultExtension >= 0)
        return;
    for (std::size_t i = 0; i < m_extensions.size(); ++i)
        if (m_extensions[i] == extension)
        {
            m_defaultExtension = static_cast<int>(i);
            return;
        }
    m_extensions.push_back(extension);
    m_defaultExtension = static_cast<int>(m_extensions.size()) - 1;
}

void CNewFileSelector::addFileExtension(const CFileExtension& extension)
{
    m_extensions.push_back(extension);
}

const char* CNewFileSelector::getSelectedFile(std::uint32_t index) const
{
    return index < m_result.size() ? m_result[index].c_str() : nullptr;
}

const CFileExtension* CNewFileSelector::getDefaultExtension() const
{
    return m_defaultExtension >= 0 ? &m_extensions[static_cast<std::size_t>(m_defaultExtension)] : nullptr;
}
