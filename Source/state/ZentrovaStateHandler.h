#pragma once

#include "Source/state/ZentrovaState.h"

#include <atomic>
#include <memory>
#include <mutex>
#include <string>

class ZentrovaStateOwner;

// Double-buffers the patch state. The engine plays the current state while a
// new patch is read into the other one; the read only marks a switch pending,
// and the audio thread makes the new state current at the start of its next
// block and sends all its values to the engine. From the read on, the host
// and the editor already see the new patch (the edit state).
class ZentrovaStateHandler
{
public:
    // The first state reads the built-in default patch and is the engine's
    // from the start; the second begins as a copy of the default patch.
    explicit ZentrovaStateHandler(ZentrovaStateOwner* owner);
    virtual ~ZentrovaStateHandler();

    ZentrovaStateHandler(const ZentrovaStateHandler&) = delete;
    ZentrovaStateHandler& operator=(const ZentrovaStateHandler&) = delete;

    // Any host thread: reads a host chunk into the inactive state and makes
    // it the edit state, pending the switch; right after a switch, first
    // waits for the engine to stop reading that state. False, with nothing changed and
    // nothing pending, when the chunk holds no readable patch.
    bool readChunkXml(const ChunkBuffer& chunk, bool patchOnly);
    // Any host thread: writes the edit state's chunk; waits for a read on
    // another thread to finish rather than write half of it.
    bool writeChunkXml(ChunkBuffer& out, bool patchOnly);

    // Loads the library patch that info describes into the inactive state
    // and makes it the edit state, pending the switch; programIndex is its
    // place in the current bank's program list. False, with nothing pending,
    // when the file holds no usable patch.
    bool loadPatchFile(const PatchInfo& info, int programIndex);
    // Where a library patch could not be loaded: the edit state's stored
    // patch becomes the default patch (its parameters keep their values).
    void setDefaultPatch();
    // Host threads: the edit state's patch name (its file's name when it has
    // none), which the audio thread may be writing.
    std::string editPatchName();
    // Host threads: the edit state's library address.
    std::string editPatchAddress();
    void setEditPatchName(const char* name);

    bool isSwitchPending() const { return (m_switch.load(std::memory_order_acquire) & kPending) != 0; }
    // Audio thread, at the start of a block: makes the pending state current.
    // Never waits and takes no lock: while a host thread is still writing
    // the state, the switch is left for a later block and the answer is
    // false.
    bool toggleState();
    // Sends every value of the current state to the engine on a lane, framed
    // by the program-load markers, followed by the values its switch rules
    // derive.
    void sendCurrentState(int lane);

    // The state the engine plays.
    ZentrovaState& getCurrentState() { return *m_states[m_switch.load(std::memory_order_acquire) & kCurrentIndex]; }
    // The state the host's parameter, program and chunk calls and the editor
    // see.
    ZentrovaState& getEditState() { return *m_states[m_editIndex.load(std::memory_order_acquire)]; }

private:
    // The switch word: which state the engine plays, whether the other one
    // waits to be switched to, and whether a host thread is writing it. One
    // word, so that the audio thread's switch and a writer's claim can never
    // both succeed.
    static constexpr int kCurrentIndex = 1;
    static constexpr int kPending = 2;
    static constexpr int kWriting = 4;

    // Host threads, holding the lock: the second state is made for the
    // first patch read into it.
    void makeSecondState();
    // Host threads, holding the lock: claims the state that is not current
    // for writing (no switch can happen until endWrite) and answers its
    // index.
    int beginWrite();
    // Ends the claim; with pending, the written state waits for its switch.
    void endWrite(bool pending);
    bool loadLocked(const PatchInfo& info, int programIndex);
    // Host threads, before writing the inactive state.
    void waitForEngine(const ZentrovaState& state) const;

    std::unique_ptr<ZentrovaState> m_states[2];
    std::atomic<int> m_switch{0};
    std::atomic<int> m_editIndex{0};
    ZentrovaStateOwner* m_pOwner;
    // Held by each host thread for each whole read, load and write, so that
    // no chunk shows half of one; the audio thread never takes it.
    std::mutex m_chunkMutex;
};
