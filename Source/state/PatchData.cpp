#include "Source/state/PatchData.h"

#include "Source/state/DefaultPatchRecord.h"

#include <algorithm>
#include <mutex>

PatchData::PatchData()
{
    for (RelaxedFloat& value : values)
        value = 0.0f;
}

PatchData::PatchData(const DefaultPatchRecord& record) : name(record.name)
{
    copyValues(record.values);
}

PatchData::PatchData(const PatchData& other) : ChordLists(), name(other.name)
{
    copyValues(other.values);
    std::lock_guard<SpinLock> guard(other.chordsLock);
    for (int channel = 0; channel < kMidiChannelCount; ++channel)
        chords[channel].copyFrom(other.chords[channel]);
}

PatchData& PatchData::operator=(const PatchData& other)
{
    if (&other == this)
        return *this;
    copyValues(other.values);
    name = other.name;
    // Taken out under the other patch's lock, written under this one's: the
    // engine may be copying this patch's chords, and one lock at a time
    // cannot deadlock.
    KeyboardDescriptor taken[kMidiChannelCount];
    {
        std::lock_guard<SpinLock> guard(other.chordsLock);
        for (int channel = 0; channel < kMidiChannelCount; ++channel)
            taken[channel].copyFrom(other.chords[channel]);
    }
    std::lock_guard<SpinLock> guard(chordsLock);
    std::copy(std::begin(taken), std::end(taken), std::begin(chords));
    return *this;
}

PatchData::~PatchData() = default;

template <class Value>
void PatchData::copyValues(const Value (&from)[kParameterCount])
{
    for (int index = 0; index < kParameterCount; ++index)
        values[index] = static_cast<float>(from[index]);
}

void PatchData::clearChords()
{
    for (KeyboardDescriptor& chord : chords)
        chord.clear();
}
