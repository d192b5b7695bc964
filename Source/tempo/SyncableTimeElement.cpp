#include "Source/tempo/SyncableTimeElement.h"

SyncableTimeElement::SyncableTimeElement(TempoAndSync* owner, std::uint32_t index) : m_pOwner(owner), m_index(index)
{
}

SyncableTimeElement::~SyncableTimeElement() = default;
