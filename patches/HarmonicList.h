#pragma once

#include "dsp/HarmonicWave.h"
#include "dsp/Harmonics.h"
#include "patches/HarmonicListMessage.h"

#include <cstddef>
#include <cstdint>
#include <map>
#include <mutex>
#include <string>
#include <vector>

class HarmonicListMessagePipe;

// The user's named harmonic waves, sorted by name without regard to case and
// kept in "Zentrova2.hrm" in the content folder. One list per loaded
// plug-in, shared by every harmonic selector: each is a client with its own
// message pipe, told of every wave added or removed. Indices count from 1;
// 0 means no stored wave.
class HarmonicList
{
public:
    static constexpr const char* kFileName = "Zentrova2.hrm";
    // Names read from the file are cut to this.
    static constexpr std::size_t kMaxReadNameLength = 20;
    // Far beyond any list made by hand: a dropped file with more waves, or
    // one that would take the list past this, is refused whole.
    static constexpr std::size_t kMaxMergedWaves = 4096;

    // Registers pipe as a client, creating the list from the content
    // folder's file first when there is none; the pipe receives an added
    // message for every stored wave.
    static HarmonicList* acquire(std::uint64_t& clientId, HarmonicListMessagePipe* pipe,
                                 const std::string& contentFolder);
    // The last client's release saves the list and deletes it.
    static void release(std::uint64_t clientId);

    ~HarmonicList();

    HarmonicList(const HarmonicList&) = delete;
    HarmonicList& operator=(const HarmonicList&) = delete;

    // Stores the levels under the name (blanks trimmed). An entry of the same
    // name, or holding the same levels, gives way first; the same name with
    // the same levels changes nothing.
    void storeWave(const std::string& name, const Harmonics& harmonics);
    // Merges the waves of a file (the list's own file for an empty path);
    // false when it cannot be opened, or when a given file is refused for its
    // length (with an alert, the list left as it was).
    bool load(const std::string& path = std::string());
    // The wave at a 1-based index; an empty wave for any other index.
    HarmonicWave getWaveAt(int index);
    int getIndexFor(const Harmonics& harmonics);
    int size();

private:
    explicit HarmonicList(const std::string& path);

    // Stores the waves in turn as storeWave does, with the same messages;
    // false, changing nothing, when that would leave more than limit waves
    // and more than before.
    bool mergeLocked(const std::vector<HarmonicWave>& waves, std::size_t limit);
    void post(const HarmonicListMessage& message);
    bool saveLocked() const;

    std::mutex m_mutex;
    std::map<std::uint64_t, HarmonicListMessagePipe*> m_clients;
    std::uint64_t m_nextClientId = 0;
    // Empty without a content folder: nothing is read or written then.
    const std::string m_path;
    std::vector<HarmonicWave> m_waves;
    std::map<Harmonics, int> m_indexOf;
};
