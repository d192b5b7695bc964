#pragma once

#include <cstdint>

// The root of every toolkit object: reference counted. The creator holds
// the first reference; whoever keeps a pointer it did not create retains it
// first. Objects are never deleted directly, only released.
class CBaseObject
{
public:
    CBaseObject() = default;
    virtual ~CBaseObject() = default;
    CBaseObject(const CBaseObject&) : CBaseObject() {}
    CBaseObject& operator=(const CBaseObject&) { return *this; }

    virtual void release();
    virtual void retain() { ++m_referenceCount; }
    virtual std::int32_t notify(CBaseObject* sender, const char* message);

    std::int32_t getNbReference() const { return m_referenceCount; }

    // Same as release; for code that reads better saying it drops its own
    // reference.
    void forget() { release(); }

private:
    std::int32_t m_referenceCount = 1;
};
