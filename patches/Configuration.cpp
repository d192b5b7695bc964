#include "patches/Configuration.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <set>

#include "Source/parameters/ParameterTable.h"
#include "Source/parameters/ZentrovaParameter.h"
#include "Source/shared/Alerts.h"
#include "Source/ticpp/ticpp.h"
#include "dsp/Lasting.h"
#include "patches/ConfigurationPointer.h"
#include "patches/ConfigurationText.h"
#include "patches/PatchFileIo.h"
#include "patches/PatchTypeBits.h"

namespace
{
Lasting<ConfigurationPointer> configurationHolder;

// Written when the library goes while instances are open too: a host may
// never close them.
void saveAtExit(void*)
{
    configurationHolder->saveNow();
}
const bool savedAtExit = (LibraryLifetime::atExitWhileOpen(&saveAtExit, nullptr), true);

// Hosts may create and close instances on several threads.
std::mutex& acquisitionMutex()
{
    static std::mutex mutex;
    return mutex;
}

constexpr char kHeader[] = "Zentrova Configuration File";
constexpr std::size_t kHeaderLength = sizeof kHeader - 1;
constexpr char kByteOrderMark[] = "\xEF\xBB\xBF";
constexpr char kUnreadableTitle[] = "Configuration Not Read";
// Far beyond any real file (128 banks of 128 paths); larger ones are not read.
constexpr std::uint64_t kMaxFileSize = 64u << 20;

const char* const kKnobModeNames[] = {"System Default", "Circular", "Relative Circular", "Linear"};
const char* const kEditModeNames[] = {"Keyboard", "Wave 1", "Wave 2", "CC Setup"};
const char* const kEffectsPanelNames[] = {"closed", "open", "off", "on"};
const char* const kConvertModeNames[] = {"none", "ver1", "ver2", "both"};
const char* const kOffOn[] = {"off", "on"};

// The controllers that drive a parameter before any file is read.
struct DefaultAssignment
{
    int controller;
    int parameter;
};
constexpr DefaultAssignment kDefaultControllerMap[] = {
    {2, 69},    {3, 62},    {4, 17},   {5, 0},    {8, 73},    {9, 18},    {12, 94},  {13, 20},  {14, 10},
    {15, 9},    {16, 56},   {17, 55},  {18, 78},  {19, 48},   {21, 58},   {22, 3},   {23, 63},  {24, 6},
    {25, 19},   {26, 26},   {27, 25},  {28, 28},  {29, 27},   {30, 59},   {31, 95},  {33, 72},  {34, 57},
    {35, 49},   {36, 12},   {37, 51},  {38, 4},   {39, 64},   {40, 32},   {41, 33},  {42, 30},  {43, 31},
    {44, 96},   {45, 29},   {46, 13},  {47, 11},  {48, 76},   {49, 53},   {50, 66},  {51, 79},  {53, 60},
    {54, 5},    {55, 65},   {56, 22},  {57, 21},  {58, 24},   {59, 23},   {60, 106}, {61, 105}, {62, 16},
    {63, 34},   {70, 8},    {71, 1},   {72, 15},  {73, 61},   {74, 2},    {75, 14},  {76, 81},  {77, 82},
    {78, 89},   {79, 92},   {80, 86},  {81, 88},  {82, 46},   {83, 84},   {84, 44},  {85, 43},  {86, 90},
    {87, 91},   {88, 83},   {89, 45},  {90, 87},  {91, 85},   {92, 99},   {93, 97},  {94, 98},  {95, 100},
    {96, 102},  {97, 101},  {98, 47},  {99, 93},  {104, 36},  {105, 37},  {106, 38}, {107, 39}, {108, 40},
    {109, 41},  {110, 42},  {111, 54}, {112, 77}, {113, 80},  {114, 71},  {115, 52}, {116, 103}, {117, 74},
    {118, 75},  {119, 7},
};

// The keys the reader knows; anything else is a controller line.
enum RecordKey
{
    kKeyKnobMode,
    kKeyEditMode,
    kKeyEffectsPanel,
    kKeyPatchFormat,
    kKeyPatchConvert,
    kKeyLayout,
    kKeyDamperScale,
    kKeyTooltipDelay,
    kKeyHold2Scale,
    kKeyDeleteOriginal,
    kKeyPatchFolders,
    kKeyInstPatchFolders,
    kKeyFxPatchFolders,
    kKeyInstDefaultSaveFolder,
    kKeyFxDefaultSaveFolder,
    kKeyInstSnapshotFolder,
    kKeyFxSnapshotFolder,
    kKeyMidiBanks,
    kKeyPatchMemories,
    kKeyInstPatchMemories,
    kKeyPatchMemorys,
    kKeyInstPatchMemorys,
    kKeyFxPatchMemories,
    kKeyFxPatchMemorys,
    kKeyLinearKnobCursorMove,
    kNumRecordKeys
};
const char* const kRecordKeys[kNumRecordKeys] = {
    "Knob Mode",
    "Edit Mode",
    "Effects Panel",
    "Patch Format",
    "Patch Convert",
    "Layout",
    "Damper Scale",
    "Tooltip Delay",
    "Hold2 Scale",
    "Delete Original Patch On Convert",
    "Patch Folders",
    "Inst Patch Folders",
    "FX Patch Folders",
    "Inst Default Save Folder",
    "FX Default Save Folder",
    "Inst Snapshot Folder",
    "FX Snapshot Folder",
    "Midi Banks",
    "Patch Memories",
    "Inst Patch Memories",
    "Patch Memorys",
    "Inst Patch Memorys",
    "FX Patch Memories",
    "FX Patch Memorys",
    "Linear Knob Mode Cursor Move",
};

constexpr char kMirroredMemories[] = "dup";

template <std::size_t N>
int lookup(const std::string& value, const char* const (&names)[N])
{
    return lookupName(value, names, static_cast<int>(N));
}

void appendRecord(std::string& text, const std::string& key, const std::string& value)
{
    text += '{';
    text += key;
    text += "}{";
    text += value;
    text += "}\n";
}

// A value the file cannot hold is written empty rather than breaking the
// records after it.
std::string plainOrEmpty(const std::string& value)
{
    return isPlainValue(value) ? value : std::string();
}

template <std::size_t N>
std::string memoryList(const std::array<std::string, N>& memories)
{
    std::string list;
    for (const std::string& memory : memories)
    {
        if (isPlainValue(memory) && memory.find(';') == std::string::npos)
            list += memory;
        list += ';';
    }
    return list;
}

// Stores the pieces of a ";"-separated list into the slots in order; slots
// past the last piece keep their texts.
template <std::size_t N>
void readMemoryList(const std::string& value, std::array<std::string, N>& memories)
{
    const std::vector<std::string> pieces = splitAt(value, ';');
    for (std::size_t slot = 0; slot < N && slot < pieces.size(); ++slot)
        memories[slot] = pieces[slot];
}

// Stores the index of the name the value gives; a value that names nothing
// keeps the setting.
template <std::size_t N, typename T>
void readChoice(const std::string& value, const char* const (&names)[N], std::atomic<T>& setting)
{
    const int index = lookup(value, names);
    if (index >= 0)
        setting.store(static_cast<T>(index), std::memory_order_relaxed);
}

template <std::size_t N>
std::string nameOf(int index, const char* const (&names)[N])
{
    return index >= 0 && index < static_cast<int>(N) ? names[index] : names[0];
}

// Where the header line starts: after a byte-order mark, which some editors
// add, and after blank lines.
std::size_t headerStart(const std::string& text)
{
    std::size_t start = text.compare(0, 3, kByteOrderMark) == 0 ? 3 : 0;
    for (;;)
    {
        const std::size_t end = text.find_first_of("\r\n", start);
        if (end == std::string::npos || text.find_first_not_of(" \t", start) < end)
            return start;
        start = end + 1;
    }
}

// Tells of a file that cannot be read, once in the process: at once on
// standard error, and in an alert when an editor opens. Whether the
// settings would have been written there tells what becomes of them.
void reportUnreadable(const std::string& file, int error, bool writtenThere)
{
    static std::mutex mutex;
    static Lasting<std::set<std::string>> told;
    {
        std::lock_guard<std::mutex> lock(mutex);
        if (!told->insert(file).second)
            return;
    }
    const std::string text =
        file + " cannot be read (" + unreadableReason(file, error) +
        ").\nThe plug-in runs on its default settings and leaves the file as it is" +
        (writtenThere ? ": settings changed now are not saved. Once the file can be read, the plug-in takes it up "
                        "again the next time it is loaded."
                      : ".");
    std::fprintf(stderr, "Zentrova2: %s\n%s\n", kUnreadableTitle, text.c_str());
    deferAlert(kUnreadableTitle, text.c_str());
}

// The lines of the file, split at every line feed and carriage return.
std::vector<std::string> splitLines(const std::string& text)
{
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < text.size())
    {
        std::size_t end = text.find_first_of("\r\n", start);
        if (end == std::string::npos)
            end = text.size();
        lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return lines;
}
} // namespace

Configuration* Configuration::acquire(std::uint64_t& clientId, ConfigurationClient* client, bool isEffect,
                                      const ZentrovaParameter* const* parameters)
{
    std::lock_guard<std::mutex> guard(acquisitionMutex());
    Configuration* configuration = configurationHolder->get();
    if (!configuration)
    {
        configuration = new Configuration(isEffect, parameters);
        configurationHolder->set(configuration);
    }
    std::lock_guard<std::recursive_mutex> lock(configuration->m_clientsMutex);
    clientId = configuration->registerClient(client);
    return configuration;
}

void Configuration::release(std::uint64_t clientId)
{
    std::string failure;
    {
        std::lock_guard<std::mutex> guard(acquisitionMutex());
        Configuration* configuration = configurationHolder->get();
        if (!configuration)
            return;
        {
            std::lock_guard<std::recursive_mutex> lock(configuration->m_clientsMutex);
            configuration->m_clients.erase(clientId);
            if (!configuration->m_clients.empty())
                return;
            configurationHolder->set(nullptr);
        }
        // No client is left and the holder no longer hands the object out, so
        // nothing else can reach it while it is written.
        std::unique_ptr<Configuration> last(configuration);
        failure = last->saveOnLeaving();
    }
    // Outside the lock: the alert may wait on the user.
    if (!failure.empty())
        showAlert("Configuration Not Saved", failure.c_str());
}

std::string Configuration::saveOnLeaving()
{
    int result = kFileNotOpened;
    int error = 0;
    try
    {
        result = save();
        error = errno;
    }
    catch (...)
    {
        // Closing an instance never fails; the previous file stays.
    }
    const std::string file = getSupportFiles().userConfigFile;
    bool unreadable = false;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        unreadable = file == m_unreadableFile;
    }
    // The user was told when it could not be read.
    if (result == kFileDone || unreadable)
        return std::string();
    return "The settings could not be written to " + (file.empty() ? std::string("the Preferences folder") : file) +
           (!file.empty() && error != 0 ? " (" + std::string(std::strerror(error)) + ")" : std::string()) +
           ".\nThe settings changed since they were last saved are lost; the file keeps what it held.";
}

Configuration::Configuration(bool isEffect, const ZentrovaParameter* const* parameters)
    : PatchConfiguration(isEffect)
{
    m_parameterNames.reserve(kNumControllableParameters);
    for (int parameter = 0; parameter < kNumControllableParameters; ++parameter)
    {
        char name[ZentrovaParameter::kNameSize] = {};
        if (parameters && parameters[parameter])
            parameters[parameter]->getName(name);
        else
            std::snprintf(name, sizeof name, "%s", parameterNameTable[parameter].shortName);
        m_parameterNames.emplace_back(name);
    }

    // Each new configuration starts from the default map: the file then
    // changes only what it names.
    for (std::atomic<std::int32_t>& parameter : m_parameterOfController)
        parameter.store(-1, std::memory_order_relaxed);
    for (const DefaultAssignment& assignment : kDefaultControllerMap)
        m_parameterOfController[assignment.controller].store(assignment.parameter, std::memory_order_relaxed);
    for (std::atomic<std::int32_t>& controller : m_controllerOfParameter)
        controller.store(-1, std::memory_order_relaxed);
    for (int controller = 0; controller < kNumMidiControllers; ++controller)
    {
        const std::int32_t parameter = m_parameterOfController[controller].load(std::memory_order_relaxed);
        if (parameter >= 0)
            m_controllerOfParameter[parameter].store(controller, std::memory_order_relaxed);
    }

    load();
    createPatchTree();
    readPatchTreeCache();
}

Configuration::~Configuration() = default;

std::uint64_t Configuration::registerClient(ConfigurationClient* client)
{
    std::uint64_t id = m_nextClientId;
    while (m_clients.count(id))
        ++id;
    m_clients[id] = Client{client, false};
    m_nextClientId = id + 1;
    return id;
}

void Configuration::notifyClients(unsigned mask)
{
    if (mask == 0)
        return;
    std::lock_guard<std::recursive_mutex> lock(m_clientsMutex);
    for (const auto& client : m_clients)
    {
        if (client.second.active && client.second.client)
            client.second.client->configurationChanged(mask);
    }
}

unsigned Configuration::takeUntold()
{
    const unsigned mask = m_untold;
    m_untold = 0;
    return mask;
}

void Configuration::setClientActive(std::uint64_t clientId, bool active)
{
    std::lock_guard<std::recursive_mutex> lock(m_clientsMutex);
    const auto client = m_clients.find(clientId);
    if (client == m_clients.end() || client->second.active == active)
        return;
    client->second.active = active;
    if (active && client->second.client)
        client->second.client->configurationChanged(kMidiControllerMapChanged | kKnobModeChanged |
                                                    kDamperScaleChanged | kHold2ScaleChanged);
}

int Configuration::getMidiController(int parameter) const
{
    if (parameter < 0 || parameter >= kNumControllableParameters)
        return -1;
    return m_controllerOfParameter[parameter].load(std::memory_order_acquire);
}

void Configuration::getMidiControllerMap(std::int32_t map[kNumMidiControllers]) const
{
    for (int controller = 0; controller < kNumMidiControllers; ++controller)
        map[controller] = m_parameterOfController[controller].load(std::memory_order_acquire);
}

int Configuration::setMidiController(int parameter, int controller, unsigned mask)
{
    int loser = -1;
    bool accepted = false;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        accepted = changeMidiController(parameter, controller, loser);
    }
    if (accepted)
        notifyClients(mask);
    return loser;
}

int Configuration::assignMidiController(int parameter, int controller, unsigned mask)
{
    if (controller == kModulationWheel)
        return kControllerRefused;
    return setMidiController(parameter, controller, mask);
}

bool Configuration::changeMidiController(int parameter, int controller, int& loser)
{
    loser = -1;
    if (controller < -1 || controller >= kNumMidiControllers || parameter < 0 ||
        parameter >= kNumControllableParameters)
        return false;
    const std::int32_t oldController = m_controllerOfParameter[parameter].load(std::memory_order_relaxed);
    if (controller == -1)
    {
        m_controllerOfParameter[parameter].store(-1, std::memory_order_release);
    }
    else
    {
        const std::int32_t holder = m_parameterOfController[controller].load(std::memory_order_relaxed);
        if (holder != -1 && holder != parameter)
        {
            m_controllerOfParameter[holder].store(-1, std::memory_order_release);
            loser = holder;
        }
        m_controllerOfParameter[parameter].store(controller, std::memory_order_release);
        m_parameterOfController[controller].store(parameter, std::memory_order_release);
    }
    if (oldController >= 0 && oldController != controller)
        m_parameterOfController[oldController].store(-1, std::memory_order_release);
    return true;
}

std::string Configuration::getLayoutName() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_layoutName;
}

bool Configuration::setLayoutName(const std::string& name)
{
    if (!isPlainValue(name))
        return false;
    std::lock_guard<std::mutex> lock(m_mutex);
    m_layoutName = name;
    return true;
}

void Configuration::setKnobMode(int mode)
{
    if (mode < -1 || mode > 2)
        return;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_knobMode.store(mode, std::memory_order_relaxed);
    }
    notifyClients(kKnobModeChanged);
}

void Configuration::setDamperScale(float scale)
{
    if (!(scale >= 0.0f && scale <= 1.0f))
        return;
    unsigned mask = 0;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        changeDamperScale(scale);
        mask = takeUntold();
    }
    notifyClients(mask);
}

void Configuration::setHold2Scale(float scale)
{
    if (!(scale >= 0.0f) || !std::isfinite(scale))
        return;
    unsigned mask = 0;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        changeHold2Scale(scale);
        mask = takeUntold();
    }
    notifyClients(mask);
}

void Configuration::changeDamperScale(float scale)
{
    m_damperScale.store(scale, std::memory_order_relaxed);
    m_untold |= kDamperScaleChanged;
}

void Configuration::changeHold2Scale(float scale)
{
    m_hold2Scale.store(scale, std::memory_order_relaxed);
    m_untold |= kHold2ScaleChanged;
}

int Configuration::getNumMidiBanks() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return static_cast<int>(m_midiBanks.size());
}

std::string Configuration::getMidiBankPath(int bank, int program) const
{
    if (bank < 0 || program < 0 || program >= kNumMidiPrograms)
        return std::string();
    std::lock_guard<std::mutex> lock(m_mutex);
    if (bank >= static_cast<int>(m_midiBanks.size()))
        return std::string();
    return m_midiBanks[bank][program];
}

bool Configuration::setMidiBankPath(int bank, int program, const std::string& path)
{
    if (bank < 0 || bank >= kMaxMidiBanks || program < 0 || program >= kNumMidiPrograms)
        return false;
    std::lock_guard<std::mutex> lock(m_mutex);
    while (static_cast<int>(m_midiBanks.size()) <= bank)
        m_midiBanks.emplace_back(kNumMidiPrograms);
    m_midiBanks[bank][program] = path;
    return true;
}

int Configuration::save(const std::string& path)
{
    writePatchTreeCache();
    std::string text;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        text = configurationText();
    }
    const std::string file = path.empty() ? getSupportFiles().userConfigFile : path;
    if (file.empty())
        return kFileNotOpened;
    if (path.empty())
    {
        // The user's Preferences folder may not exist yet.
        std::error_code ignored;
        std::filesystem::create_directories(std::filesystem::path(file).parent_path(), ignored);
    }
    std::string damaged;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (file == m_unreadableFile)
            return kFileNotOpened;
        damaged = m_damagedFile;
    }
    // A failure is reported with errno: no older error may stand in for it.
    errno = 0;
    // What could not be used may still be the user's only copy of their
    // settings: it is kept, and the defaults that stood in for it go beside it.
    const std::string target = linkTarget(file);
    std::string backup;
    bool moved = false;
    if (file == damaged && !target.empty() && fileExists(target))
    {
        backup = keepBackup(target, moved);
        if (backup.empty())
            return kFileNotOpened;
    }
    if (!writeFileReplacing(file, ByteVector(text.begin(), text.end())))
    {
        const int error = errno;
        if (moved)
            std::rename(backup.c_str(), target.c_str());
        errno = error;
        return kFileNotOpened;
    }
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_damagedFile == file)
        m_damagedFile.clear();
    return kFileDone;
}

std::string Configuration::configurationText() const
{
    const std::string home = SupportFiles::homeFolder();
    std::string text = std::string(kHeader) + "\n";
    appendRecord(text, "Layout", plainOrEmpty(m_layoutName));
    appendRecord(text, "Knob Mode", nameOf(getKnobMode() + 1, kKnobModeNames));
    appendRecord(text, "Edit Mode", nameOf(getEditMode(), kEditModeNames));
    appendRecord(text, "Effects Panel", nameOf(getEffectsPanel(), kEffectsPanelNames));
    if (getTooltipDelay() > 0)
        appendRecord(text, "Tooltip Delay", formatDecimal(getTooltipDelay() / 1000.0));
    appendRecord(text, "Damper Scale", formatDecimal(getDamperScale()));
    appendRecord(text, "Hold2 Scale", formatDecimal(getHold2Scale()));
    appendRecord(text, "Inst Patch Folders", recordSafeXml(abbreviateHome(m_instPatchFolders, home)));
    appendRecord(text, "FX Patch Folders", recordSafeXml(abbreviateHome(m_fxPatchFolders, home)));
    appendRecord(text, "Inst Default Save Folder", plainOrEmpty(m_instDefaultSaveFolder));
    appendRecord(text, "FX Default Save Folder", plainOrEmpty(m_fxDefaultSaveFolder));
    appendRecord(text, "Inst Snapshot Folder", plainOrEmpty(m_instSnapshotFolder));
    appendRecord(text, "FX Snapshot Folder", plainOrEmpty(m_fxSnapshotFolder));
    appendRecord(text, "Inst Patch Memories", memoryList(m_instMemories));
    appendRecord(text, "FX Patch Memories", m_mirrorMemories ? kMirroredMemories : memoryList(m_fxMemories));
    appendRecord(text, "Patch Format", patchFormatText(m_patchFormat.load(std::memory_order_relaxed)));
    appendRecord(text, "Patch Convert", nameOf(getConvertMode(), kConvertModeNames));
    appendRecord(text, "Delete Original Patch On Convert", kOffOn[getDeleteOriginal() ? 1 : 0]);
    if (!getLinearKnobCursorMove())
        appendRecord(text, "Linear Knob Mode Cursor Move", kOffOn[0]);
    for (int parameter = 0; parameter < kNumControllableParameters; ++parameter)
    {
        const std::string& name = m_parameterNames[parameter];
        if (name.empty() || name.compare(0, 6, "Empty ") == 0)
            continue;
        appendRecord(text, name, std::to_string(getMidiController(parameter)));
    }
    appendRecord(text, "Midi Banks", "\n" + recordSafeXml(midiBankBlock()));
    return text;
}

// One document per bank, as the XML printer lays it out.
std::string Configuration::midiBankBlock() const
{
    std::string block;
    for (const std::vector<std::string>& bank : m_midiBanks)
    {
        std::string programs;
        for (int program = 0; program < kNumMidiPrograms; ++program)
        {
            if (bank[program].empty())
                continue;
            programs += "    <program midi=\"" + std::to_string(program) + "\" path=\"" +
                        xmlAttributeText(bank[program]) + "\" />\n";
        }
        block += programs.empty() ? "<bank />\n" : "<bank>\n" + programs + "</bank>\n";
    }
    return block;
}

int Configuration::load(const std::string& path)
{
    int result = kFileNotOpened;
    unsigned mask = path.empty() ? 0u : static_cast<unsigned>(kMidiControllerMapChanged);
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        result = loadLocked(path);
        mask |= takeUntold();
    }
    notifyClients(mask);
    return result;
}

int Configuration::loadLocked(const std::string& path)
{
    m_mirrorMemories = false;
    m_sharedFolders = false;
    const std::string& file = path.empty() ? getSupportFiles().configFile : path;
    int result = kFileNotOpened;
    ByteVector bytes;
    errno = 0;
    const bool read = !file.empty() && readWholeFile(file, &bytes, kMaxFileSize);
    const int readError = errno;
    if (read && !bytes.empty())
        result = readConfiguration(std::string(bytes.begin(), bytes.end()));
    if (!file.empty())
    {
        // A missing or empty file holds nothing to lose; any other that gave
        // no configuration does.
        std::uint64_t size = 0;
        ByteVector none;
        const bool tooLarge = !read && readFileStart(file, 0, &none, &size) && size > kMaxFileSize;
        const bool damaged = read ? result == kFileWrongHeader : tooLarge;
        const bool unreadable = !read && !tooLarge && fileExists(file);
        if (damaged)
            m_damagedFile = file;
        else if (m_damagedFile == file)
            m_damagedFile.clear();
        if (unreadable)
        {
            m_unreadableFile = file;
            reportUnreadable(file, readError, file == getSupportFiles().userConfigFile);
        }
        else if (m_unreadableFile == file)
            m_unreadableFile.clear();
    }
    // Also without a file: every later look-up relies on the defaults and
    // on the first banks being there.
    applyFolderDefaults();
    while (m_midiBanks.size() < static_cast<std::size_t>(kMinMidiBanks))
        m_midiBanks.emplace_back(kNumMidiPrograms);
    return result;
}

int Configuration::readConfiguration(const std::string& text)
{
    const std::size_t start = headerStart(text);
    const std::size_t headerEnd = text.find_first_of("\r\n", start);
    const std::string header =
        text.substr(start, headerEnd == std::string::npos ? std::string::npos : headerEnd - start);
    if (header.compare(0, kHeaderLength, kHeader) != 0 || header.size() < kHeaderLength)
        return kFileWrongHeader;
    if (headerEnd == std::string::npos)
        return kFileDone;

    const std::vector<std::string> lines = splitLines(text.substr(headerEnd));
    for (std::size_t next = 0; next < lines.size();)
    {
        std::string line = lines[next++];
        const std::size_t keyStart = line.find('{');
        if (keyStart == std::string::npos)
            continue;
        const std::size_t keyEnd = line.find('}');
        if (keyEnd == std::string::npos || keyEnd < keyStart)
            continue;
        const std::size_t valueStart = line.find('{', keyEnd);
        if (valueStart == std::string::npos)
            continue;
        std::size_t valueEnd = line.find('}', valueStart);
        while (valueEnd == std::string::npos && next < lines.size())
        {
            line += lines[next++];
            valueEnd = line.find('}', valueStart);
        }
        if (valueEnd == std::string::npos)
            break;
        readRecord(line, keyStart + 1, keyEnd, valueStart, valueEnd);
    }
    return kFileDone;
}

void Configuration::readRecord(const std::string& line, std::size_t keyStart, std::size_t keyEnd,
                               std::size_t valueStart, std::size_t valueEnd)
{
    const std::string key = line.substr(keyStart, keyEnd - keyStart);
    const std::string value = line.substr(valueStart + 1, valueEnd - valueStart - 1);
    float scale = 0.0f;
    double seconds = 0.0;
    switch (lookup(key, kRecordKeys))
    {
    case kKeyKnobMode:
        if (const int index = lookup(value, kKnobModeNames); index >= 0)
        {
            m_knobMode.store(index - 1, std::memory_order_relaxed);
            m_untold |= kKnobModeChanged;
        }
        break;
    case kKeyEditMode:
        readChoice(value, kEditModeNames, m_editMode);
        break;
    case kKeyEffectsPanel:
        readChoice(value, kEffectsPanelNames, m_effectsPanel);
        break;
    case kKeyPatchFormat:
        if (const int mask = patchFormatBits(value))
            m_patchFormat.store(mask, std::memory_order_relaxed);
        break;
    case kKeyPatchConvert:
        readChoice(value, kConvertModeNames, m_convertMode);
        break;
    case kKeyLayout:
        m_layoutName = value;
        break;
    case kKeyDamperScale:
        if (parseDecimal(value, scale) && scale >= 0.0f && scale <= 1.0f)
            changeDamperScale(scale);
        break;
    case kKeyTooltipDelay:
        // Whole milliseconds that fit the field; a negative delay means none.
        if (parseDecimal(value, seconds) && seconds >= 0.0 && seconds * 1000.0 + 0.5 < 2147483647.0)
            m_tooltipDelay.store(static_cast<int>(seconds * 1000.0 + 0.5), std::memory_order_relaxed);
        break;
    case kKeyHold2Scale:
        if (parseDecimal(value, scale) && scale >= 0.0f)
            changeHold2Scale(scale);
        break;
    case kKeyDeleteOriginal:
        readChoice(value, kOffOn, m_deleteOriginal);
        break;
    case kKeyPatchFolders:
        m_instPatchFolders = value;
        m_sharedFolders = true;
        break;
    case kKeyInstPatchFolders:
        m_instPatchFolders = value;
        break;
    case kKeyFxPatchFolders:
        m_fxPatchFolders = value;
        if (value.empty())
            m_sharedFolders = true;
        break;
    case kKeyInstDefaultSaveFolder:
        m_instDefaultSaveFolder = value;
        break;
    case kKeyFxDefaultSaveFolder:
        m_fxDefaultSaveFolder = value;
        break;
    case kKeyInstSnapshotFolder:
        m_instSnapshotFolder = value;
        break;
    case kKeyFxSnapshotFolder:
        m_fxSnapshotFolder = value;
        break;
    case kKeyMidiBanks:
        readMidiBanks(value);
        break;
    case kKeyPatchMemories:
    case kKeyInstPatchMemories:
    case kKeyPatchMemorys:
    case kKeyInstPatchMemorys:
        readMemoryList(value, m_instMemories);
        break;
    case kKeyFxPatchMemories:
    case kKeyFxPatchMemorys:
        if (value == kMirroredMemories)
            m_mirrorMemories = true;
        else
            readMemoryList(value, m_fxMemories);
        break;
    case kKeyLinearKnobCursorMove:
        readChoice(value, kOffOn, m_linearKnobCursorMove);
        break;
    default:
        readControllerLine(line, key, valueStart);
        break;
    }
}

void Configuration::readControllerLine(const std::string& line, const std::string& key, std::size_t valueStart)
{
    const std::string name = normalisedKey(key);
    int parameter = -1;
    for (int i = 0; i < kNumControllableParameters && parameter < 0; ++i)
        if (!m_parameterNames[i].empty() && normalisedKey(m_parameterNames[i]) == name)
            parameter = i;
    int controller = 0;
    int loser = -1;
    if (parameter < 0 || !parseLeadingInteger(line, valueStart, controller) || controller == kModulationWheel)
        return;
    changeMidiController(parameter, controller, loser);
}

void Configuration::readMidiBanks(const std::string& block)
{
    // The block replaces the banks: a file read twice must not repeat them.
    m_midiBanks.clear();
    try
    {
        ticpp::Document document;
        document.Parse("<banks>" + block + "</banks>");
        ticpp::Element* root = document.FirstChildElement("banks");
        ticpp::Iterator<ticpp::Element> bankElement("bank");
        for (bankElement = bankElement.begin(root); bankElement != bankElement.end(); bankElement++)
        {
            if (m_midiBanks.size() >= static_cast<std::size_t>(kMaxMidiBanks))
                break;
            std::vector<std::string> bank(kNumMidiPrograms);
            ticpp::Iterator<ticpp::Element> program("program");
            for (program = program.begin(bankElement.Get()); program != program.end(); program++)
            {
                int midi = -1;
                program->GetAttribute("midi", &midi);
                if (midi >= 0 && midi < kNumMidiPrograms)
                    bank[midi] = program->GetAttribute("path");
            }
            m_midiBanks.push_back(std::move(bank));
        }
    }
    catch (const ticpp::Exception&)
    {
        // The banks read before the fault stay.
    }
}
