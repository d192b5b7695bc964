#pragma once

#include <cstdint>

#include "toolkit/CBaseObject.h"

// The items of a drag that reaches the views: file paths or one text, each
// as zero-terminated UTF-8. An item pointer stays valid until the next call.
class CDragContainer : public CBaseObject
{
public:
    // Restarts the walk and answers the first item, or null with type
    // kDragError when there is none.
    virtual void* first(std::int64_t& size, std::int32_t& type) = 0;
    virtual void* next(std::int64_t& size, std::int32_t& type) = 0;
    virtual std::int32_t getType(std::int64_t index) const = 0;
    virtual std::int64_t getCount() const = 0;
};
