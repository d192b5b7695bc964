#include "Source/PatchData.h"

#include "Source/DefaultPatchRecord.h"

#include <algorithm>
#include <mutex>

PatchData::PatchData()
{
    std::fill(std::begin(values), std::end(values), 0.0f);
}

PatchData::PatchData(const DefaultPatchRecord& record) : name(record.name)
{
    std::copy(std::begin(record.values), std::end(record.values), std::begin(values));
}

PatchData::PatchData(const PatchData& other) : name(other.name)
{
    std::copy(std::begin(other.values), std::end(other.values), std::begin(values));
    std::lock_guard<SpinLock> guard(other.chordsLock);
    for (int channel = 0; channel < kMidiChannelCount; ++channel)
        chords[channel].copyFrom(other.chords[channel]);
}

PatchData& PatchData::operator=(const PatchData& other)
{
    if (&other == this)
        return *this;
    std::copy(std::begin(other.values), std::end(other.values), std::begin(values));
    name = other.name;
    std::lock_guard<SpinLock> guard(other.chordsLock);
    for (int channel = 0; channel < kMidiChannelCount; ++channel)
        chords[channel].copyFrom(other.chords[channel]);
    return *this;
}

PatchData::~PatchData() = default;

void PatchData::clearChords()
{
    for (KeyboardDescriptor& chord : chords)
        chord.clear();
}
