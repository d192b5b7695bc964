#include "Source/ZentrovaStateHandler.h"

#include "Source/FileAccess.h"
#include "Source/ZentrovaStateOwner.h"

#include <chrono>
#include <thread>

namespace
{
// Pseudo-parameters that frame a program change for the engine.
constexpr long kProgramLoad = 594;
constexpr long kProgramSwitched = 595;
// Right after a switch the engine reads the state it played until the end
// of that block; a host thread waits for it at most this long (a host that
// stops processing mid-switch must not hang its other threads).
constexpr auto kEngineWait = std::chrono::milliseconds(250);
}

ZentrovaStateHandler::ZentrovaStateHandler(ZentrovaStateOwner* owner) : m_pOwner(owner)
{
    m_states[0].reset(new ZentrovaState(owner));
    m_states[0]->loadDefaultPatch();
    m_states[1].reset(new ZentrovaState(owner));
    // Without this an instance that never loads a patch would have no state
    // whose changes reach the engine.
    m_states[0]->setCurrent();
}

ZentrovaStateHandler::~ZentrovaStateHandler()
{
    m_states[0].reset();
    m_states[1].reset();
}

bool ZentrovaStateHandler::readChunkXml(const ChunkBuffer& chunk, bool patchOnly)
{
    std::lock_guard<std::mutex> reading(m_chunkMutex);
    const int target = 1 - m_currentIndex.load(std::memory_order_acquire);
    waitForEngine(*m_states[target]);
    if (!m_states[target]->readChunkXml(chunk, patchOnly, true, false))
        return false;
    m_editIndex.store(target, std::memory_order_release);
    m_switchPending.store(true, std::memory_order_release);
    return true;
}

bool ZentrovaStateHandler::loadPatchFile(const PatchInfo& info, int programIndex)
{
    std::lock_guard<std::mutex> loading(m_chunkMutex);
    waitForEngine(*m_states[1 - m_currentIndex.load(std::memory_order_acquire)]);
    return loadLocked(info, programIndex);
}

bool ZentrovaStateHandler::inactiveStateFree() const
{
    // While a switch is pending the inactive state is the edit state, which
    // host threads read without the lock; the engine may still read it just
    // after a switch.
    return !m_switchPending.load(std::memory_order_acquire) &&
           !m_pOwner->engineReads(*m_states[1 - m_currentIndex.load(std::memory_order_acquire)]);
}

ZentrovaStateHandler::Attempt ZentrovaStateHandler::tryLoadPatchFile(const PatchInfo& info, int programIndex)
{
    std::unique_lock<std::mutex> loading(m_chunkMutex, std::try_to_lock);
    if (!loading.owns_lock() || !inactiveStateFree())
        return Attempt::kBusy;
    return loadLocked(info, programIndex) ? Attempt::kLoaded : Attempt::kFailed;
}

ZentrovaStateHandler::Attempt ZentrovaStateHandler::trySetDefaultPatch()
{
    std::unique_lock<std::mutex> writing(m_chunkMutex, std::try_to_lock);
    if (!writing.owns_lock())
        return Attempt::kBusy;
    getEditState().setDefaultPatch();
    return Attempt::kLoaded;
}

void ZentrovaStateHandler::setDefaultPatch()
{
    std::lock_guard<std::mutex> writing(m_chunkMutex);
    getEditState().setDefaultPatch();
}

std::string ZentrovaStateHandler::editPatchName()
{
    std::lock_guard<std::mutex> reading(m_chunkMutex);
    const ZentrovaState& state = getEditState();
    return state.m_patchData.name.empty() ? state.m_patchInfo.shownName() : state.m_patchData.name;
}

void ZentrovaStateHandler::setEditPatchName(const char* name)
{
    std::lock_guard<std::mutex> writing(m_chunkMutex);
    getEditState().setPatchName(name);
}

bool ZentrovaStateHandler::loadLocked(const PatchInfo& info, int programIndex)
{
    const int target = 1 - m_currentIndex.load(std::memory_order_acquire);
    ZentrovaState& state = *m_states[target];
    state.m_isCurrent = false;
    state.m_patchInfo = info;
    state.m_programIndex = programIndex;
    try
    {
        state.loadPatchFile(info.lastFile(), info.programInFile());
    }
    catch (const FileAccess::Exception&)
    {
        return false;
    }
    m_editIndex.store(target, std::memory_order_release);
    m_switchPending.store(true, std::memory_order_release);
    return true;
}

void ZentrovaStateHandler::waitForEngine(const ZentrovaState& state) const
{
    const auto start = std::chrono::steady_clock::now();
    while (m_pOwner->engineReads(state) && std::chrono::steady_clock::now() - start < kEngineWait)
        std::this_thread::sleep_for(std::chrono::microseconds(50));
}

bool ZentrovaStateHandler::writeChunkXml(ChunkBuffer& out, bool patchOnly)
{
    std::lock_guard<std::mutex> writing(m_chunkMutex);
    return getEditState().writeChunkXml(out, patchOnly);
}

bool ZentrovaStateHandler::toggleState()
{
    std::unique_lock<std::mutex> reading(m_chunkMutex, std::try_to_lock);
    if (!reading.owns_lock() || !m_switchPending.load(std::memory_order_acquire))
        return false;
    const int next = 1 - m_currentIndex.load(std::memory_order_relaxed);
    m_currentIndex.store(next, std::memory_order_release);
    m_states[next]->setCurrent();
    m_switchPending.store(false, std::memory_order_release);
    return true;
}

void ZentrovaStateHandler::sendCurrentState(int lane)
{
    ZentrovaState& state = getCurrentState();
    m_pOwner->setPseudoParameter(lane, kProgramLoad, engineValueFromInt(1), 0);
    m_pOwner->setPseudoParameter(lane, kProgramSwitched, engineValueFromInt(0), 0);
    for (int index = 0; index < kParameterCount; ++index)
        m_pOwner->setPseudoParameter(lane, index, state.getParameter(index)->getEngineValue(), 0);
    state.checkSwitches(-1, lane, true);
    m_pOwner->setPseudoParameter(lane, kProgramLoad, engineValueFromInt(0), 0);
}
