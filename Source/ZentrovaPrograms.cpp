#include "Source/Zentrova.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <time.h>

#include "Source/editorport/EditorTags.h"
#include "Source/patchtree/PatchTree.h"
#include "Source/shared/Alerts.h"
#include "Source/shared/Utf8.h"
#include "Source/state/StatePatchConverter.h"
#include "patches/Configuration.h"
#include "patches/PatchTypeBits.h"

namespace
{
constexpr char kEmptyProgramName[] = "empty";
// Where a patch memory's bank address ends and its patch name begins.
constexpr char kMemorySeparator = '#';
} // namespace

void Zentrova::applyPendingProgram(int lane)
{
    // The handler takes the engine state's chord lists when the switch marker arrives.
    m_keyboardHandler.setChordLists(&m_stateHandler.getCurrentState().m_patchData);
    m_stateHandler.sendCurrentState(lane);
    for (VstInt32 index = 0; index < Configuration::kNumControllableParameters; ++index)
        parameterChanged(index);
    for (std::int64_t tag : {EditorTag::kResetParameterMonitor, EditorTag::kRefreshBankViews})
        setEditorParameter(tag, 0.0f);
}

void Zentrova::setProgram(VstInt32 program)
{
    if (program < 0 || program >= kNumPrograms)
        return;
    if (program < kEditBufferProgram)
    {
        if (program != m_curProgram)
            selectProgram(program, false, true);
    }
    else if (m_curProgram == kEditBufferProgram && m_editBufferSource != kEditBufferProgram)
    {
        selectProgram(program, false, true);
    }
}

void Zentrova::selectProgram(int index, bool keepEditBuffer, bool load)
{
    if (chooseProgram(index, keepEditBuffer, load))
        updateDisplay();
}

bool Zentrova::chooseProgram(int index, bool keepEditBuffer, bool load)
{
    // A patch from outside the library stands alone until a bank is chosen.
    if (index < 0 || m_stateHandler.getEditState().m_notInLibrary)
        return false;
    int toLoad = index;
    if (!keepEditBuffer)
    {
        if (index > kEditBufferProgram)
            return false;
        m_curProgram = index;
        if (index == kEditBufferProgram)
            toLoad = m_editBufferSource;
        else
            m_editBufferSource = kEditBufferProgram;
    }
    else if (index >= kEditBufferProgram)
    {
        m_curProgram = kEditBufferProgram;
        m_editBufferSource = index;
    }
    else
    {
        m_curProgram = index;
        m_editBufferSource = kEditBufferProgram;
    }
    // The patch menu follows at once, whether or not the host ever
    // processes the block that applies the patch.
    if (!load)
    {
        setEditorParameter(EditorTag::kRefreshBankViews, 0.0f);
        return false;
    }
    const std::shared_ptr<const ProgramList::Bank> bank = m_programs.currentBank();
    if (!(toLoad >= 0 && toLoad < static_cast<int>(bank->patches.size()) &&
          loadPatch(bank->patches[static_cast<std::size_t>(toLoad)]->address, toLoad)))
    {
        m_stateHandler.setDefaultPatch();
        m_curProgram = 0;
        m_editBufferSource = kEditBufferProgram;
    }
    setEditorParameter(EditorTag::kRefreshBankViews, 0.0f);
    return true;
}

bool Zentrova::loadPatch(const std::string& address, int program)
{
    const PatchInfoPointer patch = patchTree().getPatchInfo(address);
    return patch && m_stateHandler.loadPatchFile(*patch, program);
}

int Zentrova::getCurrentProgramIndex()
{
    return m_curProgram == kEditBufferProgram ? m_editBufferSource.load() : m_curProgram.load();
}

void Zentrova::stepProgram(int delta)
{
    const auto size = static_cast<std::int64_t>(m_programs.currentBank()->patches.size());
    std::int64_t next = static_cast<std::int64_t>(getCurrentProgramIndex()) + delta;
    // Wrapped into the list whatever the step and wherever the edit buffer
    // pointed before the list changed.
    next = size > 0 ? ((next % size) + size) % size : 0;
    selectProgram(static_cast<int>(next), true, true);
}

int Zentrova::findProgramByAddress(const std::string& address) const
{
    if (address.empty())
        return 0;
    const std::shared_ptr<const ProgramList::Bank> bank = m_programs.currentBank();
    for (std::size_t index = 0; index < bank->patches.size(); ++index)
        if (bank->patches[index]->address == address)
            return static_cast<int>(index);
    return 0;
}

void Zentrova::listLoadedPatchOnly()
{
    ProgramList::Patches alone{std::make_shared<const PatchInfo>(m_stateHandler.getEditState().m_patchInfo)};
    m_programs.setCurrentBank(m_programs.currentBank()->info, std::move(alone));
    setEditorParameter(EditorTag::kListsChanged, 0.0f);
}

bool Zentrova::switchToBank(const std::string& address)
{
    const std::shared_ptr<const std::vector<BankInfo>> banks = m_programs.banks();
    const auto found = std::find_if(banks->begin(), banks->end(),
                                    [&address](const BankInfo& bank) { return bank.address == address; });
    if (found == banks->end())
        return false;
    ProgramList::Patches patches;
    patchTree().collectPatches(patches, address);
    m_stateHandler.getEditState().m_notInLibrary = false;
    m_programs.setCurrentBank(*found, std::move(patches));
    return true;
}

ProgramList::Patches Zentrova::selectBank(const std::string& address, bool loadFirst)
{
    if (switchToBank(address))
    {
        if (loadFirst)
            selectProgram(0, true, true);
        setEditorParameter(EditorTag::kListsChanged, 0.0f);
    }
    return m_programs.currentBank()->patches;
}

void Zentrova::selectBank(const std::string& address)
{
    selectBank(address, false);
}

BankInfo Zentrova::getCurrentBank() const
{
    return m_programs.currentBank()->info;
}

ProgramList::Patches Zentrova::getCurrentBankPatches() const
{
    return m_programs.currentBank()->patches;
}

std::vector<BankInfo> Zentrova::getBankList() const
{
    return *m_programs.banks();
}

PatchInfo Zentrova::getCurrentPatchInfo()
{
    return m_stateHandler.getEditState().m_patchInfo;
}

std::string Zentrova::getBankFolderPath(const std::string& address)
{
    const PatchTreeNode::Pointer node = patchTree().findNode(address);
    if (!node || !node->isBranch())
        return std::string();
    return static_cast<const PatchTreeBranch&>(*node).firstFolderPath();
}

std::string Zentrova::getNodeFlagsText(const std::string& address)
{
    const PatchTreeNode::Pointer node = patchTree().findNode(address);
    if (!node)
        return std::string();
    struct Flag
    {
        bool ofIssues;
        std::uint32_t bit;
        const char* text;
    };
    static const Flag kFlags[] = {
        {false, kFileTypeAupreset, "(+AU)"},     {true, kIssueAupresetMissing, "(-AU)"},
        {false, kFileTypeFxp, "(+VST)"},         {true, kIssueFxpMissing, "(-VST)"},
        {false, kFileTypeTfx, "(+RTAS)"},        {true, kIssueTfxMissing, "(-RTAS)"},
        {false, kFileTypeVersion1, "(v1)"},      {false, kFileTypeInstrument, "(I)"},
        {false, kFileTypeEffect, "(FX)"},        {true, kIssueUuid, "(uuid)"},
    };
    const std::uint32_t type = node->getPatchType();
    const std::uint32_t issues = node->getPatchTypeError();
    std::string text;
    for (const Flag& flag : kFlags)
        if (((flag.ofIssues ? issues : type) & flag.bit) != 0)
            text += flag.text;
    return text;
}

std::vector<PatchInfoPointer> Zentrova::collectPatches(const std::string& address)
{
    std::vector<PatchInfoPointer> patches;
    patchTree().collectPatches(patches, address);
    return patches;
}

void Zentrova::convertPatchesAt(const std::string& address)
{
    StatePatchConverter converter(this);
    try
    {
        patchTree().convertAt(address, static_cast<std::uint32_t>(m_pConfiguration->getPatchFormatFlags()),
                              &converter);
    }
    catch (const std::exception& error)
    {
        showAlert("Patch Conversion Error", error.what());
    }
    // The listed records name the files as they were before.
    refreshPatchLists(std::string(), false);
}

std::string Zentrova::recallPatchMemory(int memory, bool select)
{
    const std::string text = m_pConfiguration->getPatchMemory(memory);
    const std::size_t separator = text.find(kMemorySeparator);
    std::string bankAddress = text;
    std::string patchAddress;
    if (separator == 0)
    {
        bankAddress.clear();
        patchAddress = text.substr(1);
    }
    else if (separator != std::string::npos)
    {
        bankAddress = text.substr(0, separator) + "/";
        patchAddress = text;
        patchAddress[separator] = '/';
    }
    if (select)
    {
        selectBank(bankAddress, false);
        selectProgram(findProgramByAddress(patchAddress), true, true);
    }
    return bankAddress;
}

void Zentrova::storePatchMemory(int memory, bool bankOnly)
{
    const std::string bankAddress = m_programs.currentBank()->info.address;
    std::string text = m_stateHandler.getEditState().m_patchInfo.address;
    if (bankOnly || text.empty())
    {
        text = bankAddress;
    }
    else if (bankAddress.empty())
    {
        text.insert(text.begin(), kMemorySeparator);
    }
    else if (text.size() > bankAddress.size() && text.compare(0, bankAddress.size(), bankAddress) == 0)
    {
        text[bankAddress.size() - 1] = kMemorySeparator;
    }
    else
    {
        // A patch from another bank is remembered with its own bank.
        const std::size_t slash = text.rfind('/');
        if (slash == std::string::npos)
            text.insert(text.begin(), kMemorySeparator);
        else
            text[slash] = kMemorySeparator;
    }
    m_pConfiguration->setPatchMemory(memory, text);
}

bool Zentrova::setPatchMemory(int memory, const std::string& text)
{
    return m_pConfiguration->setPatchMemory(memory, text);
}

MidiProgramEntry Zentrova::getMidiProgramEntry(int program)
{
    MidiProgramEntry entry;
    entry.path = m_pConfiguration->getMidiBankPath(getMidiBank(), program);
    const std::size_t slash = entry.path.rfind('/');
    if (const PatchInfoPointer patch = patchTree().getPatchInfo(entry.path))
    {
        entry.name = patch->name;
        entry.present = true;
    }
    else if (slash != std::string::npos)
    {
        entry.name = entry.path.substr(slash + 1);
    }
    else
    {
        entry.present = true;
    }
    return entry;
}

void Zentrova::setMidiProgramPath(int program, const std::string& path)
{
    m_pConfiguration->setMidiBankPath(getMidiBank(), program, path);
}

void Zentrova::onMidiProgramChange(int program, VstInt32)
{
    if (program < 0 || program >= Configuration::kNumMidiPrograms)
        return;
    m_midiProgramRequest.store(getMidiBank() << 8 | program, std::memory_order_release);
    // A host that processes without ever resuming the instance gets the
    // worker started here, once.
    if (!ProgramChangeWorker::wake())
        ProgramChangeWorker::start();
}

void Zentrova::startMidiProgramChanges()
{
    ProgramChangeWorker::attach(this);
}

void Zentrova::stopMidiProgramChanges()
{
    ProgramChangeWorker::detach(this);
}

void Zentrova::waitForWorker()
{
    ProgramChangeWorker::waitUntilServed(this);
}

bool Zentrova::hasProgramChangeRequest() const
{
    return m_midiProgramRequest.load(std::memory_order_acquire) >= 0;
}

void Zentrova::serveProgramChangeRequest()
{
    const int request = m_midiProgramRequest.exchange(-1, std::memory_order_acq_rel);
    if (request < 0)
        return;
    try
    {
        changeMidiProgram(request >> 8, request & 0xFF);
    }
    catch (...)
    {
        // Nothing may end the worker: the program stays as it was.
    }
}

void Zentrova::changeMidiProgram(int bank, int program)
{
    const std::string path = m_pConfiguration->getMidiBankPath(bank, program);
    if (path.empty())
        return;
    const PatchTreeNode::Pointer node = patchTree().findNode(path);
    if (!node)
        return;
    const std::size_t slash = path.rfind('/');
    const std::string name =
        node->isLeaf() ? node->getName() : slash != std::string::npos ? path.substr(slash + 1) : std::string();
    if (name.empty())
        return;
    const std::shared_ptr<PatchTreeBranch> parent = node->getParent();
    selectBank(parent ? parent->getAddress() : std::string(), false);
    if (!chooseProgram(findProgramByAddress(path), true, true))
        return;
    // The host hears of it from the audio thread: this thread never calls
    // the host, so that an instance closing (which waits for it) cannot wait
    // on a host that waits for the close.
    refreshEditorDisplay();
    m_hostDisplayPending.store(true, std::memory_order_release);
}

void Zentrova::savePatchAs(const std::string& folderPath, const std::string& name, std::uint32_t formats,
                           bool refresh, bool replace)
{
    PatchTree& tree = patchTree();
    ZentrovaState& state = m_stateHandler.getEditState();
    std::string oldAddress = state.m_patchInfo.address;
    int unwritten = 0;
    const PatchTreeNode::Pointer node = tree.findNodeByFilePath(folderPath);
    if (node && formats == 0)
    {
        unwritten = state.savePatch(tree.folderForNode(node, true), name);
    }
    else
    {
        // Formats asked for are the user's choice, written where chosen, in
        // the library or outside it; outside, none asked for means the
        // configured ones.
        if (formats == 0)
            formats = static_cast<std::uint32_t>(m_pConfiguration->getPatchFormatFlags());
        unwritten = state.savePatch({BankFolder{folderPath, formats}}, name, formats);
    }
    if (node)
    {
        // Saved under its old name into its own bank, the patch's files are
        // the ones just written.
        const std::shared_ptr<PatchTreeBranch> bank =
            node->isBranch() ? std::static_pointer_cast<PatchTreeBranch>(node) : node->getParent();
        if (bank && bank->getAddress() + name == oldAddress)
            oldAddress.clear();
    }
    try
    {
        // The old patch goes only once its replacement is safely on disk.
        if (replace && unwritten == 0 && !oldAddress.empty())
            tree.deletePatchLocked(oldAddress);
    }
    catch (const std::exception& error)
    {
        showAlert("Patch Delete Error", error.what());
    }
    // Only a rescan finds the new files (and loses the replaced ones).
    if (refresh)
        refreshPatchLists(std::string(), true);
}

void Zentrova::saveSnapshot()
{
    PatchTree& tree = patchTree();
    if (!tree.hasTree())
        return;
    std::string address = m_pConfiguration->getSnapshotFolder(m_pConfiguration->isEffect());
    std::string folder;
    if (const PatchTreeNode::Pointer node = tree.findNode(address))
    {
        if (!node->isBranch())
            return;
        folder = static_cast<const PatchTreeBranch&>(*node).firstFolderPath();
    }
    else
    {
        // The nearest bank above that exists, and the missing rest of the
        // address as folders below it.
        std::string missing;
        PatchTreeNode::Pointer found;
        while (!found)
        {
            const std::size_t slash = address.rfind('/');
            if (slash == std::string::npos)
                return;
            missing = address.substr(slash) + missing;
            address.erase(slash);
            found = tree.findNode(address);
        }
        if (!found->isBranch())
            return;
        folder = static_cast<const PatchTreeBranch&>(*found).firstFolderPath();
        if (folder.empty())
            return;
        folder += missing;
        while (!folder.empty() && folder.back() == '/')
            folder.pop_back();
        std::error_code ignored;
        std::filesystem::create_directories(folder, ignored);
    }
    if (folder.empty())
        return;
    struct timespec now;
    clock_gettime(CLOCK_REALTIME, &now);
    std::tm local{};
    localtime_r(&now.tv_sec, &local);
    savePatchAs(folder, snapshotName(local, local.tm_sec + static_cast<double>(now.tv_nsec) * 1e-9), 0, true, false);
}

std::string Zentrova::snapshotName(const std::tm& localTime, double seconds)
{
    char name[64];
    std::snprintf(name, sizeof name, "%04d-%02d-%02d@%02d-%02d-%02.0f", localTime.tm_year + 1900, localTime.tm_mon + 1,
                  localTime.tm_mday, localTime.tm_hour, localTime.tm_min, seconds);
    return name;
}

std::string Zentrova::getCurrentBankAddress() const
{
    return m_programs.currentBank()->info.address;
}

bool Zentrova::findLibraryPatch(const Uuid& uuid, PatchInfo& info)
{
    const std::shared_ptr<PatchTreeLeaf> leaf = patchTree().findLeafByUuid(uuid);
    if (!leaf)
        return false;
    info = *leaf->getPatchInfo();
    return true;
}

int Zentrova::showLibraryPatch(const PatchInfo& info)
{
    const PatchTreeNode::Pointer node = patchTree().findNode(info.address);
    const std::shared_ptr<PatchTreeBranch> bank = node ? node->getParent() : nullptr;
    selectBank(bank ? bank->getAddress() : std::string(), false);
    const int index = findProgramByAddress(info.address);
    selectProgram(index, true, false);
    return index;
}

ZentrovaStateOwner::PatchFileSettings Zentrova::getPatchFileSettings() const
{
    return PatchFileSettings{static_cast<std::uint32_t>(m_pConfiguration->getPatchFormatFlags()),
                             m_pConfiguration->isEffect(), m_pConfiguration->getDeleteOriginal()};
}

void Zentrova::setProgramName(char* name)
{
    // The host's buffer holds kVstMaxProgNameLen bytes, so the one past the
    // room can be read to tell whether the cut falls inside a character.
    const std::size_t given = strnlen(name, kVstMaxProgNameLen);
    const std::size_t kept = Utf8::cutLength(name, given, kVstMaxProgNameLen - 1);
    m_stateHandler.setEditPatchName(std::string(name, kept).c_str());
    if (EditorPort* editor = m_pEditorPort)
        editor->setParameter(static_cast<VstInt32>(EditorTag::kProgramName), static_cast<float>(m_curProgram));
}

void Zentrova::getProgramName(char* name)
{
    copyHostName(name, m_stateHandler.editPatchName(), kVstMaxProgNameLen);
}

bool Zentrova::getProgramNameIndexed(VstInt32, VstInt32 index, char* text)
{
    if (index < 0)
        return false;
    const std::shared_ptr<const ProgramList::Bank> bank = m_programs.currentBank();
    const auto count = static_cast<VstInt32>(bank->patches.size());
    const int patch = index == kEditBufferProgram ? m_editBufferSource.load() : index;
    const bool listed = index < count && patch >= 0 && patch < count;
    // The current program goes by the name of the patch it plays (renamed,
    // or with no bank behind it), so that a host's menu agrees with
    // effGetProgramName; after a bank change without a load its slot is
    // the new bank's.
    if (index == m_curProgram &&
        (!listed || bank->patches[static_cast<std::size_t>(patch)]->address == m_stateHandler.editPatchAddress()))
    {
        getProgramName(text);
        return true;
    }
    if (!listed)
    {
        if (index >= kNumPrograms)
            return false;
        copyHostString(text, kEmptyProgramName, kVstMaxProgNameLen);
        return true;
    }
    copyHostName(text, bank->patches[static_cast<std::size_t>(patch)]->shownName(), kVstMaxProgNameLen);
    return true;
}
