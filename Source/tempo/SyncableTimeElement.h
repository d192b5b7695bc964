#pragma once

#include <cstdint>

class TempoAndSync;

// Something that keeps time with the tempo object: the gate clock or one of
// the two LFO sync elements.
class SyncableTimeElement
{
public:
    SyncableTimeElement(TempoAndSync* owner, std::uint32_t index);
    virtual ~SyncableTimeElement();

    SyncableTimeElement(const SyncableTimeElement&) = delete;
    SyncableTimeElement& operator=(const SyncableTimeElement&) = delete;

    std::uint32_t getIndex() const { return m_index; }

protected:
    TempoAndSync* m_pOwner;
    std::uint32_t m_index;
};
