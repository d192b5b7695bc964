#include "toolkit/CListDragContainer.h"

#include "Source/shared/Utf8.h"
#include "toolkit/BaseTypes.h"

CListDragContainer::CListDragContainer(std::vector<std::string> items, std::int32_t type)
    : m_items(std::move(items)), m_type(type)
{
}

CListDragContainer* CListDragContainer::makeText(const std::string& text)
{
    return new CListDragContainer({Utf8::makeValid(text)}, kDragText);
}

CListDragContainer* CListDragContainer::makeFiles(const std::vector<std::string>& paths)
{
    return new CListDragContainer(paths, kDragFile);
}

void* CListDragContainer::first(std::int64_t& size, std::int32_t& type)
{
    m_index = 0;
    return next(size, type);
}

void* CListDragContainer::next(std::int64_t& size, std::int32_t& type)
{
    if (m_index < 0 || m_index >= static_cast<std::int64_t>(m_items.size()))
    {
        size = 0;
        type = kDragError;
        return nullptr;
    }
    m_current = m_items[static_cast<std::size_t>(m_index++)];
    size = static_cast<std::int64_t>(m_current.size());
    type = m_type;
    return m_current.data();
}

std::int32_t CListDragContainer::getType(std::int64_t index) const
{
    if (m_type == kDragText)
        return index == 0 ? kDragText : kDragError;
    return index >= 0 && index < getCount() ? kDragFile : kDragUnknown;
}

std::int64_t CListDragContainer::getCount() const
{
    return static_cast<std::int64_t>(m_items.size());
}
