#pragma once

#include "Source/parameters/ParameterTable.h"
#include "Source/parameters/ZentrovaParameter.h"
#include "Source/state/DefaultPatchRecord.h"
#include "Source/state/PatchData.h"
#include "Source/state/ZentrovaStateOwner.h"
#include "patches/BankInfo.h"
#include "patches/ChunkBuffer.h"
#include "patches/PatchInfo.h"

#include <array>
#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace ticpp
{
class Element;
}

class PatchTreeBranch;

// One complete patch as the plug-in keeps it: the stored values, name and
// chords, the patch's library record, and the parameter objects that give
// each value its meaning. While the state is the one the engine plays, every
// change is forwarded to the engine; checkSwitches keeps parameters whose
// unit or range depends on another parameter consistent with it.
class ZentrovaState
{
public:
    // Starts from the default patch.
    explicit ZentrovaState(ZentrovaStateOwner* owner);
    virtual ~ZentrovaState();

    ZentrovaState(const ZentrovaState&) = delete;
    ZentrovaState& operator=(const ZentrovaState&) = delete;

    // Stores a normalised value from the host or the editor; lane is the
    // control-queue lane that carries the engine event.
    void setParameterValue(int index, float value, int lane);
    // Stores the value of a MIDI-learned controller (0..127); audio thread.
    void setParameterViaMidi(int index, int midiValue, std::int32_t deltaFrames);
    int getMidiValue(int index) const;
    // Makes this the state the engine plays.
    void setCurrent();
    void setPatchName(const char* text);
    // Resets the stored patch to the default patch; the parameter objects
    // keep their values.
    void setDefaultPatch();
    // Applies the dependent-parameter rules for a changed parameter, or for
    // all with index -1. With lane -1 neither engine nor editor is told;
    // loading is set while a whole program is being applied.
    void checkSwitches(long index, int lane, bool loading);
    // Reads the built-in default patch into this state and makes its values
    // the parameters' default values.
    void loadDefaultPatch();

    // The patch as a chunk: the compressed XML document, with the bank
    // selection and the patch's uuid unless patchOnly. Reads only the stored
    // patch, never the live objects, so it may run beside the audio thread.
    // False (out emptied) when the text could not be compressed.
    bool writeChunkXml(ChunkBuffer& out, bool patchOnly) const;
    // Appends the "patch" element.
    void writePatchXml(ticpp::Element& parent, bool withUuid) const;
    // Reads a chunk (compressed, or plain XML text). patchOnly ignores the
    // bank selection; resolve takes the name from the document and looks the
    // patch up in the library; keepBank leaves the current bank alone.
    // Damaged parts of a readable chunk are skipped. False, with nothing
    // changed, when the chunk holds no readable patch at all.
    bool readChunkXml(const ChunkBuffer& chunk, bool patchOnly, bool resolve, bool keepBank);
    // Reads a "patch" element into the stored patch and the parameter
    // objects, both starting from the default patch.
    void readPatchXml(const ticpp::Element& patch, int version);

    // Reads the patch file at path into the state; programInFile picks the
    // program of a version-1 bank file. Throws FileAccess::Exception, with
    // the state as it was, when the file holds no usable patch.
    void loadPatchFile(const std::string& path, int programInFile);
    // Writes the patch as files named name into the folders, in the owner's
    // configured formats or in formatFlags. The state keeps its own name, so
    // other threads never see it change. Returns 0.
    int savePatch(const std::vector<BankFolder>& folders, const std::string& name);
    int savePatch(const std::vector<BankFolder>& folders, const std::string& name, std::uint32_t formatFlags);
    // Version-1 conversions, each program becoming the state's patch in turn,
    // so they need a state that neither the engine nor the editor uses.
    // convertBank saves the 36 programs of version-1 bank data into the
    // folders, under names unique among them; false when the data is no
    // version-1 bank. convertSinglePatch saves program 0 of the data into
    // the bank's folders under a name the bank does not hold yet.
    bool convertBank(const ChunkBuffer& bank, const std::vector<BankFolder>& folders, std::uint32_t formatFlags);
    bool convertSinglePatch(const ChunkBuffer& data, const PatchTreeBranch& bank, std::uint32_t formatFlags);

    // The parameter object of index 0..154, null for any other index.
    ZentrovaParameter* getParameter(int index) const;
    // The patch value texts of the stored values, formatted by a scratch set
    // of parameter objects, so the live ones (which the audio thread reads
    // and which may differ from the stored values) are never touched.
    std::vector<std::string> storedValueTexts() const;

    // The values of the built-in default patch, as DefaultPatchRecord holds
    // them.
    static DefaultPatchRecord readBuiltInDefaults();

    PatchData m_patchData;
    PatchInfo m_patchInfo;
    // Index in the current bank's program list; 0 when not in it.
    std::atomic<int> m_programIndex{0};
    // The last chunk read named a patch the library does not hold.
    std::atomic<bool> m_notInLibrary{false};
    // The engine plays this state's values.
    std::atomic<bool> m_isCurrent{false};
    // Changed since loaded or reset.
    std::atomic<bool> m_modified{false};
    // The last chunk read held no patch: there is nothing to step from.
    std::atomic<bool> m_empty{false};

private:
    struct Scratch
    {
    };
    // A state with no owner whose objects all start at 0, for formatting
    // and for building the default record.
    explicit ZentrovaState(Scratch);

    bool writeChunkXml(ChunkBuffer& out, bool patchOnly, const std::string& name) const;
    void writePatchXml(ticpp::Element& parent, bool withUuid, const std::string& name) const;
    void createParameters(bool withDefaults);
    // Reads one patch value text into the object and the stored values,
    // followed by the switch rules it triggers; returns the value.
    float applyValueText(int index, const std::string& text);
    void readBuiltInPatch();
    void resetToDefaults();
    void readParameterXml(const ticpp::Element& parameter, int version);
    void readChordsXml(const ticpp::Element& chords);
    void readStatusXml(const ticpp::Element& status, bool keepBank);
    void resolveLibraryPatch(const ticpp::Element& root, const ticpp::Element& patch);
    void setChordOrders();
    int choiceOf(int index) const;
    void syncLfoRate(int syncIndex, int rateIndex, int lane);
    void setModeFromDestination(int amountIndex, int destinationIndex);

    ZentrovaStateOwner* const m_pZentrova;
    std::array<std::unique_ptr<ZentrovaParameter>, kParameterCount> m_parameters;
};
