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
    // The last client's release saves the list and deletes it. A list that
    // could not be written is kept, with an alert, for the next client to
    // take up and the next last release (or the unload) to write.
    static void release(std::uint64_t clientId);

    ~HarmonicList();

    HarmonicList(const HarmonicList&) = delete;
    HarmonicList& operator=(const HarmonicList&) = delete;

    // Stores the levels under the name (blanks trimmed). An entry of the same
    // name, or holding the same levels, gives way first; the same name with
    // the same levels changes nothing.
    void storeWave(const std::string& name, const Harmonics& harmonics);
    // Merges the waves of the list's own file (a byte-order mark before it
    // is passed over); false when it cannot be read. A file that holds
    // something but no wave is kept aside under a backup name first; one
    // that cannot be read at all is never written over. Either is told once
    // in the process, in an alert shown when an editor opens. A given path
    // is merged as loadFiles does.
    bool load(const std::string& path = std::string());
    // Merges the waves of each file in turn, each whole or not at all: a
    // file that cannot be read, holds no wave, or would take the list past
    // its bound is refused. One alert tells of every refusal; true when the
    // waves of any file were taken.
    bool loadFiles(const std::vector<std::string>& paths);
    // The wave at a 1-based index; an empty wave for any other index.
    HarmonicWave getWaveAt(int index);
    int getIndexFor(const Harmonics& harmonics);
    int size();

private:
    friend class HarmonicListPointer;

    explicit HarmonicList(const std::string& path);

    // Stores the waves of each group in turn as storeWave does, with the
    // same messages; a group that would leave more than limit waves, and more
    // than before it, changes nothing. Whether each group was taken.
    std::vector<bool> mergeLocked(const std::vector<std::vector<HarmonicWave>>& groups, std::size_t limit);
    void post(const HarmonicListMessage& message);
    // For an own file that gave no wave though it holds something, or could
    // not be read (unreadable).
    void keepUnreadFile(bool unreadable, int error);
    // Empty when the list was written, or has nowhere to go; else why not.
    std::string saveLocked() const;
    // At unload: one more try for waves a failed save kept.
    void saveKeptWaves();

    std::mutex m_mutex;
    std::map<std::uint64_t, HarmonicListMessagePipe*> m_clients;
    std::uint64_t m_nextClientId = 0;
    // Empty without a content folder: nothing is read or written then.
    const std::string m_path;
    std::vector<HarmonicWave> m_waves;
    std::map<Harmonics, int> m_indexOf;
    // Set while the list outlives its clients because it could not be saved.
    bool m_kept = false;
    // Set when the own file may hold waves the list could not read and
    // could not keep aside: it is never written over.
    bool m_leaveFile = false;
};
