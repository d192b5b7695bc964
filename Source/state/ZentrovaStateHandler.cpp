#include "Source/state/ZentrovaStateHandler.h"

#include "Source/Voices/EventCodes.h"
#include "Source/shared/FileAccess.h"
#include "Source/state/ZentrovaStateOwner.h"

#include <chrono>
#include <thread>

namespace
{
// Right after a switch the engine reads the state it played until the end
// of that block; a host thread waits for it at most this long (a host that
// stops processing mid-switch must not hang its other threads).
constexpr auto kEngineWait = std::chrono::milliseconds(250);
}

ZentrovaStateHandler::ZentrovaStateHandler(ZentrovaStateOwner* owner) : m_pOwner(owner)
{
    m_states[0].reset(new ZentrovaState(owner));
    m_states[0]->loadDefaultPatch();
    // The second state waits for the first patch read into it.
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
    makeSecondState();
    const int target = beginWrite();
    waitForEngine(*m_states[target]);
    const bool read = m_states[target]->readChunkXml(chunk, patchOnly, true, false);
    if (read)
        m_editIndex.store(target, std::memory_order_release);
    endWrite(read);
    return read;
}

bool ZentrovaStateHandler::loadPatchFile(const PatchInfo& info, int programIndex)
{
    std::lock_guard<std::mutex> loading(m_chunkMutex);
    return loadLocked(info, programIndex);
}

void ZentrovaStateHandler::setDefaultPatch()
{
    std::lock_guard<std::mutex> writing(m_chunkMutex);
    // While a switch is pending the edit state is the one about to be played.
    beginWrite();
    getEditState().setDefaultPatch();
    endWrite(false);
}

std::string ZentrovaStateHandler::editPatchName()
{
    std::lock_guard<std::mutex> reading(m_chunkMutex);
    const ZentrovaState& state = getEditState();
    return state.m_patchData.name.empty() ? state.m_patchInfo.shownName() : state.m_patchData.name;
}

std::string ZentrovaStateHandler::editPatchAddress()
{
    std::lock_guard<std::mutex> reading(m_chunkMutex);
    return getEditState().m_patchInfo.address;
}

void ZentrovaStateHandler::setEditPatchName(const char* name)
{
    std::lock_guard<std::mutex> writing(m_chunkMutex);
    beginWrite();
    getEditState().setPatchName(name);
    endWrite(false);
}

void ZentrovaStateHandler::makeSecondState()
{
    if (!m_states[1])
        m_states[1].reset(new ZentrovaState(m_pOwner));
}

int ZentrovaStateHandler::beginWrite()
{
    int word = m_switch.load(std::memory_order_acquire);
    while (!m_switch.compare_exchange_weak(word, word | kWriting, std::memory_order_acq_rel))
    {
    }
    return 1 - (word & kCurrentIndex);
}

void ZentrovaStateHandler::endWrite(bool pending)
{
    // Only this thread changes the word while it holds the claim.
    const int word = m_switch.load(std::memory_order_relaxed) & ~kWriting;
    m_switch.store(pending ? word | kPending : word, std::memory_order_release);
}

bool ZentrovaStateHandler::loadLocked(const PatchInfo& info, int programIndex)
{
    makeSecondState();
    const int target = beginWrite();
    waitForEngine(*m_states[target]);
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
        endWrite(false);
        return false;
    }
    catch (...)
    {
        endWrite(false);
        throw;
    }
    m_editIndex.store(target, std::memory_order_release);
    endWrite(true);
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
    int word = m_switch.load(std::memory_order_acquire);
    if ((word & (kPending | kWriting)) != kPending)
        return false;
    // One attempt: a writer that claimed the state meanwhile wins, and the
    // switch waits for a later block.
    const int next = 1 - (word & kCurrentIndex);
    if (!m_switch.compare_exchange_strong(word, next, std::memory_order_acq_rel))
        return false;
    m_states[next]->setCurrent();
    return true;
}

void ZentrovaStateHandler::sendCurrentState(int lane)
{
    ZentrovaState& state = getCurrentState();
    m_pOwner->setPseudoParameter(lane, EventCode::ProgramLoad, engineValueFromInt(1), 0);
    m_pOwner->setPseudoParameter(lane, EventCode::ProgramSwitched, engineValueFromInt(0), 0);
    for (int index = 0; index < kParameterCount; ++index)
        m_pOwner->setPseudoParameter(lane, index, state.getParameter(index)->getEngineValue(), 0);
    state.checkSwitches(-1, lane, true);
    m_pOwner->setPseudoParameter(lane, EventCode::ProgramLoad, engineValueFromInt(0), 0);
}
