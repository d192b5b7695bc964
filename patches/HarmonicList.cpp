#include "patches/HarmonicList.h"

#include "patches/HarmonicListMessagePipe.h"
#include "patches/HarmonicListPointer.h"
#include "patches/PatchFileIo.h"

#include "Source/shared/Alerts.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <numeric>
#include <sstream>
#include <unordered_map>

namespace
{
HarmonicListPointer harmonicListHolder;

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
};

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
    std::size_t start = 0;
    while (start < text.size())
    {
        std::size_t end = text.find_first_of("\r\n", start);
        if (end == std::string::npos)
            end = text.size();
        if (parseRecord(text.substr(start, end - start), waves) && waves->size() > limit)
            return kTooLong;
        start = end + 1;
    }
    return kRead;
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
    HarmonicList* list = harmonicListHolder.get();
    if (list == nullptr)
    {
        list = new HarmonicList(contentFolder.empty() ? std::string() : contentFolder + "/" + kFileName);
        list->load();
        harmonicListHolder.set(list);
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
    std::lock_guard<std::mutex> guard(acquisitionMutex());
    HarmonicList* list = harmonicListHolder.get();
    if (list == nullptr)
        return;
    {
        std::lock_guard<std::mutex> lock(list->m_mutex);
        list->m_clients.erase(clientId);
        if (!list->m_clients.empty())
            return;
        list->saveLocked();
        harmonicListHolder.set(nullptr);
    }
    delete list;
}

void HarmonicList::storeWave(const std::string& name, const Harmonics& harmonics)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    mergeLocked({HarmonicWave(name, harmonics)}, kNoLimit);
}

bool HarmonicList::load(const std::string& path)
{
    // The list's own file is taken however many waves it holds: refusing it
    // would lose them at the next save. Merged waves go into the own file.
    const bool dropped = !path.empty();
    const std::size_t limit = dropped ? kMaxMergedWaves : kNoLimit;
    std::vector<HarmonicWave> waves;
    // Read before the lock, so that other editors do not wait on the file.
    const ReadResult read = readRecords(dropped ? path : m_path, limit, &waves);
    if (read == kUnreadable || (read == kTooLong && !dropped))
        return false;
    bool merged = false;
    if (read == kRead)
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        merged = mergeLocked(waves, limit);
    }
    // Outside the lock: the alert waits on the user.
    if (!merged)
    {
        const std::string informative = "The waves of " + path + " were not added: a harmonic list holds at most " +
                                        std::to_string(kMaxMergedWaves) + " waves.\n";
        showAlert("Harmonic List Too Long", informative.c_str());
    }
    return merged;
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

bool HarmonicList::mergeLocked(const std::vector<HarmonicWave>& waves, std::size_t limit)
{
    // Each wave, stored or new, gets its slot in the final name order up
    // front; a count tree over the slots then gives any wave's index as waves
    // come and go, so no store has to walk the list.
    const std::size_t stored = m_waves.size();
    std::vector<HarmonicWave> incoming;
    incoming.reserve(waves.size());
    for (const HarmonicWave& wave : waves)
    {
        std::string name = storableName(wave.name());
        if (!name.empty())
            incoming.emplace_back(std::move(name), wave.harmonics());
    }
    if (incoming.empty())
        return true;
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
    auto indexOf = [&](std::size_t id) { return countUpTo(tree, slotOf[id]); };
    auto add = [&](std::size_t id) {
        countAdd(tree, slotOf[id], 1);
        present[id] = 1;
        ++count;
        named[waveOf(id).name()] = id;
        holding[waveOf(id).harmonics()] = id;
    };
    auto remove = [&](std::size_t id) {
        messages.push_back(message(HarmonicListMessage::kRemoved, indexOf(id), std::string()));
        countAdd(tree, slotOf[id], -1);
        present[id] = 0;
        --count;
        named.erase(waveOf(id).name());
        holding.erase(waveOf(id).harmonics());
    };
    for (std::size_t id = 0; id < stored; ++id)
        add(id);
    for (std::size_t id = stored; id < total; ++id)
    {
        const HarmonicWave& wave = waveOf(id);
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
        add(id);
        messages.push_back(message(HarmonicListMessage::kAdded, indexOf(id), wave.name()));
    }
    if (messages.empty())
        return true;
    if (count > limit && count > stored)
        return false;

    std::vector<HarmonicWave> merged;
    merged.reserve(count);
    for (std::size_t id : order)
        if (present[id])
            merged.push_back(waveOf(id));
    m_waves.swap(merged);
    m_indexOf.clear();
    for (std::size_t i = 0; i < m_waves.size(); ++i)
        m_indexOf[m_waves[i].harmonics()] = static_cast<int>(i + 1);
    for (const HarmonicListMessage& each : messages)
        post(each);
    return true;
}

void HarmonicList::post(const HarmonicListMessage& message)
{
    for (const auto& client : m_clients)
        client.second->push(message);
}

bool HarmonicList::saveLocked() const
{
    if (m_path.empty())
        return false;
    std::ostringstream text;
    for (const HarmonicWave& wave : m_waves)
    {
        text << '{' << wave.name() << "}{";
        wave.harmonics().print(text);
        text << "}\n";
    }
    const std::string written = text.str();
    return writeFileReplacing(m_path, ByteVector(written.begin(), written.end()));
}
