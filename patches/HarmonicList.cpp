#include "patches/HarmonicList.h"

#include "patches/HarmonicListMessagePipe.h"
#include "patches/HarmonicListPointer.h"
#include "patches/PatchFileIo.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <sstream>

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
    storeLocked(name, harmonics);
}

bool HarmonicList::load(const std::string& path)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    // Merged waves are saved into the list's own file.
    return loadLocked(path.empty() ? m_path : path);
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

bool HarmonicList::loadLocked(const std::string& path)
{
    ByteVector bytes;
    if (path.empty() || !readWholeFile(path, &bytes, kMaxFileSize))
        return false;
    const std::string text(bytes.begin(), bytes.end());
    std::size_t start = 0;
    while (start < text.size())
    {
        std::size_t end = text.find_first_of("\r\n", start);
        if (end == std::string::npos)
            end = text.size();
        parseRecord(text.substr(start, end - start));
        start = end + 1;
    }
    return true;
}

void HarmonicList::parseRecord(const std::string& line)
{
    // A record: "{", the name, "}{", 24 levels, "}". Anything else is skipped.
    if (line.empty() || line[0] != '{')
        return;
    const std::size_t close = line.find('}', 1);
    if (close == std::string::npos || close == 1 || close + 1 >= line.size() || line[close + 1] != '{')
        return;
    std::string name = line.substr(1, std::min(close - 1, kMaxNameRead));
    if (name.size() > kMaxReadNameLength)
        name.resize(kMaxReadNameLength);
    unsigned char levels[Harmonics::kCount];
    if (!readLevels(line, close + 2, levels))
        return;
    storeLocked(name, Harmonics(levels));
}

void HarmonicList::storeLocked(const std::string& rawName, const Harmonics& harmonics)
{
    const std::string name = storableName(rawName);
    if (name.empty())
        return;
    for (std::size_t i = 0; i < m_waves.size(); ++i)
        if (m_waves[i].name() == name)
        {
            if (m_waves[i].harmonics() == harmonics)
                return;
            removeAt(static_cast<int>(i + 1));
            break;
        }
    auto holder = m_indexOf.find(harmonics);
    if (holder != m_indexOf.end())
        removeAt(holder->second);

    const HarmonicWave wave(name, harmonics);
    const auto position = std::upper_bound(m_waves.begin(), m_waves.end(), wave);
    const int index = static_cast<int>(position - m_waves.begin()) + 1;
    for (auto& entry : m_indexOf)
        if (entry.second >= index)
            ++entry.second;
    m_indexOf[harmonics] = index;
    m_waves.insert(position, wave);
    post(message(HarmonicListMessage::kAdded, index, name));
}

void HarmonicList::removeAt(int index)
{
    post(message(HarmonicListMessage::kRemoved, index, std::string()));
    m_indexOf.erase(m_waves[static_cast<std::size_t>(index - 1)].harmonics());
    for (auto& entry : m_indexOf)
        if (entry.second > index)
            --entry.second;
    m_waves.erase(m_waves.begin() + (index - 1));
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
