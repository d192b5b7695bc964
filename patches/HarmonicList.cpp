#include "patches/HarmonicList.h"

#include "patches/HarmonicListMessagePipe.h"
#include "patches/HarmonicListPointer.h"
#include "patches/PatchFileIo.h"

#include "Source/shared/Alerts.h"
#include "dsp/Lasting.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <numeric>
#include <set>
#include <sstream>
#include <unordered_map>

namespace
{
Lasting<HarmonicListPointer> harmonicListHolder;

// Waves a failed save kept are written when the library goes while
// instances are open too.
void saveKeptWavesAtExit(void*)
{
    harmonicListHolder->saveNow();
}
const bool savedAtExit = (LibraryLifetime::atExitWhileOpen(&saveKeptWavesAtExit, nullptr), true);

// Editors of several instances may open and close on different threads.
std::mutex& acquisitionMutex()
{
    static std::mutex mutex;
    return mutex;
}

// Far beyond any real list.
constexpr std::uint64_t kMaxFileSize = 16u << 20;
constexpr std::size_t kMaxNameRead = 254;
constexpr std::size_t kNoLimit = std::numeric_limits<std::size_t>::max();

HarmonicListMessage message(HarmonicListMessage::Kind kind, int index, const std::string& name)
{
    HarmonicListMessage result;
    result.kind = kind;
    result.index = index;
    std::strncpy(result.name, name.c_str(), HarmonicListMessage::kNameSize - 1);
    return result;
}

// A name the file can hold: "}" would end it early and a line break would
// split its record, so neither survives.
std::string storableName(const std::string& name)
{
    std::string result;
    for (char c : name)
    {
        const auto byte = static_cast<unsigned char>(c);
        result += c == '}' ? ')' : (byte < 0x20 || byte == 0x7F) ? ' ' : c;
    }
    const std::size_t first = result.find_first_not_of(' ');
    if (first == std::string::npos)
        return std::string();
    return result.substr(first, result.find_last_not_of(' ') - first + 1);
}

// The 24 levels after the "{" at text[at]; false when a number is missing.
bool readLevels(const std::string& text, std::size_t at, unsigned char* levels)
{
    const char* p = text.c_str() + at;
    for (int i = 0; i < Harmonics::kCount; ++i)
    {
        while (*p == ' ' || *p == '\t')
            ++p;
        char* end = nullptr;
        const long value = std::strtol(p, &end, 10);
        if (end == p)
            return false;
        levels[i] = static_cast<unsigned char>(std::clamp(value, 0L, 255L));
        p = end;
    }
    return true;
}

// One record line: "{", the name, "}{", 24 levels, "}"; false for anything
// else.
bool parseRecord(const std::string& line, std::vector<HarmonicWave>* waves)
{
    if (line.empty() || line[0] != '{')
        return false;
    const std::size_t close = line.find('}', 1);
    if (close == std::string::npos || close == 1 || close + 1 >= line.size() || line[close + 1] != '{')
        return false;
    std::string name = line.substr(1, std::min(close - 1, kMaxNameRead));
    if (name.size() > HarmonicList::kMaxReadNameLength)
        name.resize(HarmonicList::kMaxReadNameLength);
    // A wave without a name could not be stored: a file of such records
    // holds no wave.
    if (storableName(name).empty())
        return false;
    unsigned char levels[Harmonics::kCount];
    if (!readLevels(line, close + 2, levels))
        return false;
    waves->emplace_back(name, Harmonics(levels));
    return true;
}

enum ReadResult
{
    kRead,
    kUnreadable,
    kTooLong,
    kNoWave,
    // Bytes other than blanks and line breaks, and no wave among them.
    kJunk,
};

constexpr char kByteOrderMark[] = "\xEF\xBB\xBF";
constexpr char kNotReadTitle[] = "Harmonic List Not Read";

// The records of a file, reading no further once there are more than limit.
ReadResult readRecords(const std::string& path, std::size_t limit, std::vector<HarmonicWave>* waves)
{
    if (path.empty())
        return kUnreadable;
    ByteVector bytes;
    if (!readWholeFile(path, &bytes, kMaxFileSize))
    {
        std::uint64_t size = 0;
        return readFileStart(path, 0, &bytes, &size) && size > kMaxFileSize ? kTooLong : kUnreadable;
    }
    const std::string text(bytes.begin(), bytes.end());
    // Text editors may put a byte-order mark before the first record.
    std::size_t start = text.compare(0, 3, kByteOrderMark) == 0 ? 3 : 0;
    const bool blank = text.find_first_not_of(" \t\r\n", start) == std::string::npos;
    while (start < text.size())
    {
        std::size_t end = text.find_first_of("\r\n", start);
        if (end == std::string::npos)
            end = text.size();
        if (parseRecord(text.substr(start, end - start), waves) && waves->size() > limit)
            return kTooLong;
        start = end + 1;
    }
    return !waves->empty() ? kRead : blank ? kNoWave : kJunk;
}

// Whether the list's own file at path has not been told of yet in this
// process: a list made again finds it as it was.
bool firstToldOf(const std::string& path)
{
    static std::mutex mutex;
    static Lasting<std::set<std::string>> told;
    std::lock_guard<std::mutex> lock(mutex);
    return told->insert(path).second;
}

// The first few paths, for an alert that must stay readable.
std::string someOf(const std::vector<std::string>& paths)
{
    constexpr std::size_t kNamed = 3;
    std::string text;
    for (std::size_t i = 0; i < paths.size() && i < kNamed; ++i)
        text += (i == 0 ? "" : ", ") + paths[i];
    if (paths.size() > kNamed)
        text += " and " + std::to_string(paths.size() - kNamed) + " more";
    return text;
}

// One alert for every file of a drop that was not taken.
void reportRefusals(const std::vector<std::string>& tooLong, const std::vector<std::string>& unreadable,
                    const std::vector<std::string>& noWave)
{
    std::string text;
    if (tooLong.size() == 1)
        text += "The waves of " + tooLong[0] + " were not added";
    else if (!tooLong.empty())
        text += "The waves of " + std::to_string(tooLong.size()) + " files were not added (" + someOf(tooLong) + ")";
    if (!tooLong.empty())
        text += ": a harmonic list holds at most " + std::to_string(HarmonicList::kMaxMergedWaves) + " waves.\n";
    if (unreadable.size() == 1)
        text += unreadable[0] + " could not be read.\n";
    else if (!unreadable.empty())
        text += std::to_string(unreadable.size()) + " files could not be read: " + someOf(unreadable) + ".\n";
    if (noWave.size() == 1)
        text += noWave[0] + " holds no harmonic wave.\n";
    else if (!noWave.empty())
        text += std::to_string(noWave.size()) + " files hold no harmonic wave: " + someOf(noWave) + ".\n";
    if (text.empty())
        return;
    showAlert(tooLong.empty() ? "Harmonic List Not Added" : "Harmonic List Too Long", text.c_str());
}

// A count tree (Fenwick) over slots 0..n-1, kept in tree[1..n].
void countAdd(std::vector<int>& tree, std::size_t slot, int delta)
{
    for (std::size_t i = slot + 1; i < tree.size(); i += i & (~i + 1))
        tree[i] += delta;
}

// How many slots up to and including slot are taken.
int countUpTo(const std::vector<int>& tree, std::size_t slot)
{
    int sum = 0;
    for (std::size_t i = slot + 1; i > 0; i -= i & (~i + 1))
        sum += tree[i];
    return sum;
}
}

HarmonicList::HarmonicList(const std::string& path) : m_path(path)
{
}

HarmonicList::~HarmonicList() = default;

HarmonicList* HarmonicList::acquire(std::uint64_t& clientId, HarmonicListMessagePipe* pipe,
                                    const std::string& contentFolder)
{
    std::lock_guard<std::mutex> guard(acquisitionMutex());
    HarmonicList* list = harmonicListHolder->get();
    if (list == nullptr)
    {
        list = new HarmonicList(contentFolder.empty() ? std::string() : contentFolder + "/" + kFileName);
        list->load();
        harmonicListHolder->set(list);
    }
    std::lock_guard<std::mutex> lock(list->m_mutex);
    for (std::size_t i = 0; i < list->m_waves.size(); ++i)
        pipe->push(message(HarmonicListMessage::kAdded, static_cast<int>(i + 1), list->m_waves[i].name()));
    std::uint64_t id = list->m_nextClientId;
    while (list->m_clients.count(id) != 0)
        ++id;
    list->m_clients[id] = pipe;
    list->m_nextClientId = id + 1;
    clientId = id;
    return list;
}

void HarmonicList::release(std::uint64_t clientId)
{
    HarmonicList* finished = nullptr;
    std::string failure;
    {
        std::lock_guard<std::mutex> guard(acquisitionMutex());
        HarmonicList* list = harmonicListHolder->get();
        if (list == nullptr)
            return;
        std::lock_guard<std::mutex> lock(list->m_mutex);
        list->m_clients.erase(clientId);
        if (!list->m_clients.empty())
            return;
        const std::string reason = list->saveLocked();
        list->m_kept = !reason.empty();
        if (reason.empty())
        {
            harmonicListHolder->set(nullptr);
            finished = list;
        }
        else
            failure = "The harmonic waves could not be written to " + list->m_path + " (" + reason +
                      ").\nThey are kept while the plug-in stays loaded, and written when the last editor closes "
                      "again or the plug-in is unloaded.";
    }
    delete finished;
    // Outside the locks: the alert waits on the user.
    if (!failure.empty())
        showAlert("Harmonic List Not Saved", failure.c_str());
}

void HarmonicList::storeWave(const std::string& name, const Harmonics& harmonics)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    mergeLocked({{HarmonicWave(name, harmonics)}}, kNoLimit);
}

bool HarmonicList::load(const std::string& path)
{
    if (!path.empty())
        return loadFiles({path});
    // The list's own file is taken however many waves it holds: refusing it
    // would lose them at the next save.
    std::vector<std::vector<HarmonicWave>> waves(1);
    // Read before the lock, so that other editors do not wait on the file.
    errno = 0;
    const ReadResult read = readRecords(m_path, kNoLimit, &waves[0]);
    const int error = errno;
    if (read == kRead || read == kNoWave)
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        mergeLocked(waves, kNoLimit);
        return true;
    }
    if (!m_path.empty())
        keepUnreadFile(read == kUnreadable, error);
    return false;
}

void HarmonicList::keepUnreadFile(bool unreadable, int error)
{
    // Only a file that is there holds waves to keep.
    if (unreadable && !fileExists(m_path))
        return;
    std::string text;
    bool leave = unreadable;
    if (unreadable)
        text = m_path + " cannot be read (" + unreadableReason(m_path, error) + ").";
    else
    {
        // Kept aside before the list is ever written over it.
        bool moved = false;
        const std::string target = linkTarget(m_path);
        const std::string backup = target.empty() ? std::string() : keepBackup(target, moved);
        leave = backup.empty();
        text = m_path + " holds no harmonic wave that can be read" +
               (leave ? std::string(", and could not be kept aside.") : ". It is kept as " + backup + ".");
    }
    if (leave)
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_leaveFile = true;
        text += "\nThe list starts empty and leaves the file as it is: waves stored now are not saved.";
    }
    else
        text += "\nThe list starts empty, and the waves stored now are saved in the file's place.";
    if (firstToldOf(m_path))
        deferAlert(kNotReadTitle, text.c_str());
}

bool HarmonicList::loadFiles(const std::vector<std::string>& paths)
{
    // Merged waves go into the list's own file. Files are merged a batch at
    // a time, so that a drop of thousands of files neither walks the list
    // for each nor holds them all at once.
    bool taken = false;
    std::vector<std::string> tooLong, unreadable, noWave;
    std::vector<std::vector<HarmonicWave>> batch;
    std::vector<const std::string*> batchPaths;
    std::size_t batchWaves = 0;
    auto mergeBatch = [&] {
        if (batch.empty())
            return;
        std::vector<bool> merged;
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            merged = mergeLocked(batch, kMaxMergedWaves);
        }
        for (std::size_t i = 0; i < merged.size(); ++i)
        {
            if (merged[i])
                taken = true;
            else
                tooLong.push_back(*batchPaths[i]);
        }
        batch.clear();
        batchPaths.clear();
        batchWaves = 0;
    };
    for (const std::string& path : paths)
    {
        std::vector<HarmonicWave> waves;
        // Read before the lock, so that other editors do not wait on files.
        switch (readRecords(path, kMaxMergedWaves, &waves))
        {
        case kUnreadable:
            unreadable.push_back(path);
            break;
        case kNoWave:
        case kJunk:
            noWave.push_back(path);
            break;
        case kTooLong:
            tooLong.push_back(path);
            break;
        case kRead:
            batchWaves += waves.size();
            batch.push_back(std::move(waves));
            batchPaths.push_back(&path);
            if (batchWaves >= kMaxMergedWaves)
                mergeBatch();
            break;
        }
    }
    mergeBatch();
    // Outside the lock: the alert waits on the user.
    reportRefusals(tooLong, unreadable, noWave);
    return taken;
}

HarmonicWave HarmonicList::getWaveAt(int index)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    if (index < 1 || index > static_cast<int>(m_waves.size()))
        return HarmonicWave();
    return m_waves[static_cast<std::size_t>(index - 1)];
}

int HarmonicList::getIndexFor(const Harmonics& harmonics)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    auto found = m_indexOf.find(harmonics);
    return found != m_indexOf.end() ? found->second : 0;
}

int HarmonicList::size()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return static_cast<int>(m_waves.size());
}

std::vector<bool> HarmonicList::mergeLocked(const std::vector<std::vector<HarmonicWave>>& groups, std::size_t limit)
{
    // Each wave, stored or new, gets its slot in the final name order up
    // front; a count tree over the slots then gives any wave's index as waves
    // come and go, so no store has to walk the list.
    const std::size_t stored = m_waves.size();
    std::vector<HarmonicWave> incoming;
    std::vector<std::size_t> groupEnd;
    for (const std::vector<HarmonicWave>& group : groups)
    {
        for (const HarmonicWave& wave : group)
        {
            std::string name = storableName(wave.name());
            if (!name.empty())
                incoming.emplace_back(std::move(name), wave.harmonics());
        }
        groupEnd.push_back(stored + incoming.size());
    }
    std::vector<bool> taken(groups.size(), true);
    if (incoming.empty())
        return taken;
    const std::size_t total = stored + incoming.size();
    auto waveOf = [&](std::size_t id) -> const HarmonicWave& {
        return id < stored ? m_waves[id] : incoming[id - stored];
    };
    std::vector<std::string> keys(total);
    for (std::size_t id = 0; id < total; ++id)
        keys[id] = HarmonicWave::sortKey(waveOf(id).name());
    // A wave goes after those of an equal name that came before it.
    std::vector<std::size_t> order(total);
    std::iota(order.begin(), order.end(), std::size_t(0));
    auto byName = [&](std::size_t a, std::size_t b) { return keys[a] < keys[b]; };
    std::stable_sort(order.begin() + static_cast<std::ptrdiff_t>(stored), order.end(), byName);
    std::inplace_merge(order.begin(), order.begin() + static_cast<std::ptrdiff_t>(stored), order.end(), byName);
    std::vector<std::size_t> slotOf(total);
    for (std::size_t slot = 0; slot < total; ++slot)
        slotOf[order[slot]] = slot;

    std::vector<int> tree(total + 1, 0);
    std::vector<char> present(total, 0);
    std::unordered_map<std::string, std::size_t> named;
    std::map<Harmonics, std::size_t> holding;
    named.reserve(total);
    std::size_t count = 0;
    std::vector<HarmonicListMessage> messages;
    // What a group did, undone in reverse when the group is refused.
    std::vector<std::pair<bool, std::size_t>> done;
    auto indexOf = [&](std::size_t id) { return countUpTo(tree, slotOf[id]); };
    auto put = [&](std::size_t id) {
        countAdd(tree, slotOf[id], 1);
        present[id] = 1;
        ++count;
        named[waveOf(id).name()] = id;
        holding[waveOf(id).harmonics()] = id;
    };
    auto take = [&](std::size_t id) {
        countAdd(tree, slotOf[id], -1);
        present[id] = 0;
        --count;
        named.erase(waveOf(id).name());
        holding.erase(waveOf(id).harmonics());
    };
    auto add = [&](std::size_t id) {
        put(id);
        done.emplace_back(true, id);
        messages.push_back(message(HarmonicListMessage::kAdded, indexOf(id), waveOf(id).name()));
    };
    auto remove = [&](std::size_t id) {
        messages.push_back(message(HarmonicListMessage::kRemoved, indexOf(id), std::string()));
        take(id);
        done.emplace_back(false, id);
    };
    for (std::size_t id = 0; id < stored; ++id)
        put(id);
    std::size_t next = stored;
    for (std::size_t group = 0; group < groups.size(); ++group)
    {
        const std::size_t countBefore = count;
        const std::size_t messagesBefore = messages.size();
        done.clear();
        for (; next < groupEnd[group]; ++next)
        {
            const HarmonicWave& wave = waveOf(next);
            const auto sameName = named.find(wave.name());
            if (sameName != named.end())
            {
                if (waveOf(sameName->second).harmonics() == wave.harmonics())
                    continue;
                remove(sameName->second);
            }
            const auto holder = holding.find(wave.harmonics());
            if (holder != holding.end())
                remove(holder->second);
            add(next);
        }
        if (count > limit && count > countBefore)
        {
            for (auto step = done.rbegin(); step != done.rend(); ++step)
            {
                if (step->first)
                    take(step->second);
                else
                    put(step->second);
            }
            messages.resize(messagesBefore);
            taken[group] = false;
        }
    }
    if (messages.empty())
        return taken;

    std::vector<HarmonicWave> merged;
    merged.reserve(count);
    for (std::size_t each : order)
        if (present[each])
            merged.push_back(waveOf(each));
    m_waves.swap(merged);
    m_indexOf.clear();
    for (std::size_t i = 0; i < m_waves.size(); ++i)
        m_indexOf[m_waves[i].harmonics()] = static_cast<int>(i + 1);
    for (const HarmonicListMessage& each : messages)
        post(each);
    return taken;
}

void HarmonicList::post(const HarmonicListMessage& message)
{
    for (const auto& client : m_clients)
        client.second->push(message);
}

std::string HarmonicList::saveLocked() const
{
    if (m_path.empty() || m_leaveFile)
        return std::string();
    std::ostringstream text;
    for (const HarmonicWave& wave : m_waves)
    {
        text << '{' << wave.name() << "}{";
        wave.harmonics().print(text);
        text << "}\n";
    }
    const std::string written = text.str();
    if (writeFileReplacing(m_path, ByteVector(written.begin(), written.end())))
        return std::string();
    const int error = errno;
    return error != 0 ? std::strerror(error) : "the file could not be written";
}

void HarmonicList::saveKeptWaves()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    if (!m_kept)
        return;
    const std::string reason = saveLocked();
    // No editor is left to show an alert, and the alert handlers may be gone.
    if (!reason.empty())
        std::fprintf(stderr,
                     "Zentrova2: Harmonic List Not Saved\nThe harmonic waves could not be written to %s (%s); "
                     "the waves added since they were last saved are lost.\n",
                     m_path.c_str(), reason.c_str());
}
