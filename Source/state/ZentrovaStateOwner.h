#pragma once

#include "Source/parameters/EngineValue.h"
#include "patches/Uuid.h"

#include <cstdint>
#include <string>

class PatchInfo;
class ZentrovaState;

// What a patch state needs of the plug-in object that owns it: the road to
// the engine and to the editor, and the patch library as chunks name it.
class ZentrovaStateOwner
{
public:
    virtual ~ZentrovaStateOwner();

    // Sends a parameter (or pseudo-parameter) value to the engine through
    // the routing table, on the given control-queue lane, at a sample offset
    // inside the current block.
    virtual void setPseudoParameter(int lane, long index, EngineValue value, std::int64_t time) = 0;
    // Shows a value on the editor control with this tag; nothing when no
    // editor is open.
    virtual void setEditorParameter(long tag, float value) = 0;
    // Whether the engine still reads this state (the chord lists of the
    // state it played before a switch, until it has taken the new ones). A
    // state the engine reads is not written. Any thread.
    virtual bool engineReads(const ZentrovaState& state) const;

    // How patch files are saved: the configured formats with the
    // deliverable's patch type bit, which deliverable writes them, and
    // whether files in other formats are removed rather than kept aside.
    struct PatchFileSettings
    {
        std::uint32_t formatFlags;
        bool isEffect;
        bool deleteOriginal;
    };
    // The library side defaults to an owner without a library: no current
    // bank, no patch is ever found, and patches are saved as effect program
    // files.
    virtual PatchFileSettings getPatchFileSettings() const;

    // Tree address of the current bank.
    virtual std::string getCurrentBankAddress() const;
    // Makes the bank at this address current without loading a program.
    virtual void selectBank(const std::string& address);
    // Fills info with the library's record of the patch with this uuid; false
    // when the library holds none.
    virtual bool findLibraryPatch(const Uuid& uuid, PatchInfo& info);
    // Selects the bank holding this library patch and shows it as the current
    // program without loading anything; returns its index in the bank's
    // program list (0 when it is not listed).
    virtual int showLibraryPatch(const PatchInfo& info);
};
