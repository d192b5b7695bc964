#pragma once

#include <string>
#include <vector>

#include "toolkit/CDragContainer.h"

// A drag made of either one text or a list of file paths, as a window layer
// receives it.
class CListDragContainer : public CDragContainer
{
public:
    static CListDragContainer* makeText(const std::string& text);
    static CListDragContainer* makeFiles(const std::vector<std::string>& paths);

    void* first(std::int64_t& size, std::int32_t& type) override;
    void* next(std::int64_t& size, std::int32_t& type) override;
    std::int32_t getType(std::int64_t index) const override;
    std::int64_t getCount() const override;

private:
    CListDragContainer(std::vector<std::string> items, std::int32_t type);

    std::vector<std::string> m_items;
    std::int32_t m_type;
    std::int64_t m_index = 0;
    std::string m_current;
};
