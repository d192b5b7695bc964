#include "Source/state/ZentrovaState.h"

#include "Source/editorport/EditorTags.h"
#include "Source/parameters/FloatIntParameter.h"
#include "Source/parameters/FloatParameter.h"
#include "Source/parameters/ModalFloatParameter.h"
#include "Source/parameters/ParameterText.h"
#include "Source/patchtree/PatchTree.h"
#include "Source/queues/QueueLanes.h"
#include "Source/shared/Alerts.h"
#include "Source/shared/FileAccess.h"
#include "Source/state/PatchVersion.h"
#include "Source/state/Version1Conversion.h"
#include "Source/ticpp/ticpp.h"
#include "patches/PatchFileHandler.h"
#include "patches/PatchFileIo.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <unordered_map>

namespace
{
// Controller destinations below "Aux Amount" have a display mode each; with
// "Aux Amount" the mode follows the aux destination, from this mode on.
constexpr int kAuxAmountDestination = 6;
constexpr int kFirstAuxControllerMode = 5;

// Chunks of either flavour say so; the documents are shared across machines.
constexpr char kChunkPlatform[] = "mac_x86";

// The attribute as an integer; false when it is missing or not a number.
bool integerAttribute(const ticpp::Element& element, const char* name, int& value)
{
    try
    {
        element.GetAttribute(name, &value);
        return true;
    }
    catch (const ticpp::Exception&)
    {
        return false;
    }
}

bool isMidiByte(int value)
{
    return value >= 0 && value < 128;
}

constexpr char kEmptyPatchName[] = "Empty";
// Far more same-named patches than any bank holds.
constexpr int kMaxNameSuffix = 10000;

[[noreturn]] void throwNotAPatch(int line)
{
    throw FileAccess::Exception(FileAccess::Exception::kNotAPatch,
                                ticpp::Base::FormatMessage("Patch file is not valid", __FILE__, line, std::string()));
}

[[noreturn]] void ownerMissing(const char* operation, const char* file, int line)
{
    std::fprintf(stderr, "Assertion failed: m_pZentrova (%s), file %s, line %d\n", operation, file, line);
    std::abort();
}
}

// Operations that reach the engine or the editor need the owning plug-in.
#define REQUIRE_OWNER(operation)                                                                                \
    do                                                                                                          \
    {                                                                                                           \
        if (!m_pZentrova)                                                                                       \
            ownerMissing(operation, __FILE__, __LINE__);                                                        \
    } while (0)

ZentrovaState::ZentrovaState(ZentrovaStateOwner* owner)
    : m_patchData(DefaultPatchRecord::instance()), m_pZentrova(owner)
{
    createParameters(true);
    // Modes and ranges follow the default values from the start, so a new
    // state's texts already mean what its values mean.
    checkSwitches(-1, -1, true);
}

ZentrovaState::ZentrovaState(Scratch) : m_pZentrova(nullptr)
{
    createParameters(false);
}

ZentrovaState::~ZentrovaState()
{
    for (std::unique_ptr<ZentrovaParameter>& parameter : m_parameters)
        parameter.reset();
}

void ZentrovaState::createParameters(bool withDefaults)
{
    for (int index = 0; index < kParameterCount; ++index)
        m_parameters[index] = createParameterObject(index);
    if (!withDefaults)
        return;
    const DefaultPatchRecord& record = DefaultPatchRecord::instance();
    for (int index = 0; index < kParameterCount; ++index)
    {
        m_parameters[index]->setDefaultValue(record.values[index]);
        m_parameters[index]->setValue(record.values[index]);
    }
}

ZentrovaParameter* ZentrovaState::getParameter(int index) const
{
    if (index < 0 || index >= kParameterCount)
        return nullptr;
    return m_parameters[index].get();
}

void ZentrovaState::setParameterValue(int index, float value, int lane)
{
    if (index < 0 || index >= kParameterCount)
        return;
    // A host may send values beyond the range (or infinite ones): the patch
    // and the parameter objects only ever hold normalised values.
    value = std::clamp(value, 0.0f, 1.0f);
    float difference = std::fabs(m_patchData.values[index] - value);
    // A NaN difference fails this test too, so NaN is never stored.
    if (!(difference > 1e-7f))
        return;
    m_patchData.values[index] = value;
    EngineValue engineValue = m_parameters[index]->setValue(value);
    if (m_isCurrent)
    {
        REQUIRE_OWNER("setParameterValue");
        m_pZentrova->setPseudoParameter(lane, index, engineValue, 0);
        checkSwitches(index, lane, false);
        if (!m_modified)
            m_pZentrova->setEditorParameter(EditorTag::kPatchModified, 1.0f);
    }
    m_modified = true;
}

void ZentrovaState::setParameterViaMidi(int index, int midiValue, std::int32_t deltaFrames)
{
    if (index < 0 || index >= kParameterCount)
        return;
    float normalised = m_patchData.values[index];
    EngineValue engineValue = m_parameters[index]->setFromMidi(midiValue, normalised);
    m_patchData.values[index] = normalised;
    m_modified = true;
    if (m_isCurrent)
    {
        REQUIRE_OWNER("setParameterViaMidi");
        m_pZentrova->setPseudoParameter(ControlLane::kBlockStart, index, engineValue, deltaFrames);
        checkSwitches(index, 0, false);
    }
}

int ZentrovaState::getMidiValue(int index) const
{
    if (index < 0 || index >= kParameterCount)
        return 0;
    return m_parameters[index]->getMidiValue();
}

void ZentrovaState::setCurrent()
{
    REQUIRE_OWNER("setCurrent");
    m_isCurrent = true;
    m_pZentrova->setEditorParameter(EditorTag::kPatchModified, m_modified ? 1.0f : 0.0f);
}

void ZentrovaState::setPatchName(const char* text)
{
    m_patchData.name = text ? text : "";
    m_patchInfo.name = m_patchData.name;
}

void ZentrovaState::setDefaultPatch()
{
    m_patchData = PatchData(DefaultPatchRecord::instance());
    m_modified = false;
    m_programIndex = 0;
}

int ZentrovaState::choiceOf(int index) const
{
    return static_cast<int>(m_parameters[index]->getEngineValue());
}

void ZentrovaState::syncLfoRate(int syncIndex, int rateIndex, int lane)
{
    // Integer mode (cycles per bar) from "Clock" on.
    int sync = static_cast<int>(m_parameters[syncIndex]->getValue() * 10.0f + 0.5f);
    auto* rate = static_cast<FloatIntParameter*>(m_parameters[rateIndex].get());
    rate->setIntMode(sync > 3);
    if (lane != -1)
    {
        REQUIRE_OWNER("checkSwitches");
        m_pZentrova->setPseudoParameter(lane, rateIndex, rate->getEngineValue(), 0);
    }
}

void ZentrovaState::setModeFromDestination(int amountIndex, int destinationIndex)
{
    int destination = choiceOf(destinationIndex);
    int mode = destination < kAuxAmountDestination ? destination
                                                   : choiceOf(Param::AuxModDestination) + kFirstAuxControllerMode;
    static_cast<ModalFloatParameter*>(m_parameters[amountIndex].get())->setMode(mode);
}

void ZentrovaState::checkSwitches(long index, int lane, bool loading)
{
    using namespace Param;
    auto triggers = [index](int trigger) { return index == trigger || index == -1; };

    if (triggers(TempoExternal))
        static_cast<FloatIntParameter*>(m_parameters[Tempo].get())
            ->setIntMode(m_parameters[TempoExternal]->getValue() >= 0.5f);
    if (triggers(LFO1Sync))
        syncLfoRate(LFO1Sync, LFO1Rate, lane);
    if (triggers(LFO2Sync))
        syncLfoRate(LFO2Sync, LFO2Rate, lane);
    if (triggers(FilterType))
    {
        // Separation below zero only means something for the dual modes.
        float v = m_parameters[FilterType]->getValue();
        bool dual = v >= 0.6875f || std::isnan(v);
        static_cast<FloatParameter*>(m_parameters[FilterSep].get())->setMinimum(dual ? -24.0f : 0.0f);
    }
    if (triggers(AuxModDestination))
    {
        int destination = choiceOf(AuxModDestination);
        static_cast<ModalFloatParameter*>(m_parameters[AuxModAmount].get())->setMode(destination);
        static_cast<ModalFloatParameter*>(m_parameters[AuxModEnvelope].get())->setMode(destination);
        if (choiceOf(Controller1Dest) == kAuxAmountDestination)
            static_cast<ModalFloatParameter*>(m_parameters[Controller1Amount].get())
                ->setMode(destination + kFirstAuxControllerMode);
        if (choiceOf(Controller2Dest) == kAuxAmountDestination)
            static_cast<ModalFloatParameter*>(m_parameters[Controller2Amount].get())
                ->setMode(destination + kFirstAuxControllerMode);
    }
    if (triggers(Controller2Dest))
        setModeFromDestination(Controller2Amount, Controller2Dest);
    if (triggers(Controller1Dest))
        setModeFromDestination(Controller1Amount, Controller1Dest);
    if (triggers(ChordMemory) && !loading && m_parameters[ChordMemory]->getValue() > 0.5f)
    {
        // Chord memory and keyboard hold exclude each other; the stored
        // value of hold stays, so the patch still records it.
        m_parameters[KeyboardHold]->setValue(0.0f);
        if (lane != -1)
        {
            REQUIRE_OWNER("checkSwitches");
            m_pZentrova->setEditorParameter(KeyboardHold, 0.0f);
            m_pZentrova->setPseudoParameter(lane, KeyboardHold, engineValueFromFloat(0.0f), 0);
        }
    }
}

float ZentrovaState::applyValueText(int index, const std::string& text)
{
    ZentrovaParameter& parameter = *m_parameters[index];
    float value = parameter.valueFromText(text);
    parameter.setValue(value);
    checkSwitches(index, -1, false);
    m_patchData.values[index] = value;
    return value;
}

void ZentrovaState::readBuiltInPatch()
{
    m_patchData = PatchData();
    for (int index = 0; index < kParameterCount; ++index)
        applyValueText(index, builtInDefaultText(index));
    setChordOrders();
}

void ZentrovaState::loadDefaultPatch()
{
    readBuiltInPatch();
    m_patchData.name = m_patchInfo.name;
    for (int index = 0; index < kParameterCount; ++index)
        m_parameters[index]->setDefaultValue(m_patchData.values[index]);
}

DefaultPatchRecord ZentrovaState::readBuiltInDefaults()
{
    ZentrovaState scratch{Scratch{}};
    scratch.readBuiltInPatch();
    DefaultPatchRecord record{};
    for (int index = 0; index < kParameterCount; ++index)
        record.values[index] = scratch.m_patchData.values[index];
    copyText(record.name, "Default", sizeof record.name);
    return record;
}

std::vector<std::string> ZentrovaState::storedValueTexts() const
{
    ZentrovaState scratch{Scratch{}};
    for (int index = 0; index < kParameterCount; ++index)
        scratch.m_parameters[index]->setValue(m_patchData.values[index]);
    scratch.checkSwitches(-1, -1, true);
    std::vector<std::string> texts;
    texts.reserve(kParameterCount);
    for (int index = 0; index < kParameterCount; ++index)
        texts.push_back(scratch.m_parameters[index]->getValueText());
    return texts;
}

bool ZentrovaState::writeChunkXml(ChunkBuffer& out, bool patchOnly) const
{
    return writeChunkXml(out, patchOnly, m_patchData.name);
}

bool ZentrovaState::writeChunkXml(ChunkBuffer& out, bool patchOnly, const std::string& name) const
{
    REQUIRE_OWNER("writeChunkXml");
    ticpp::Document document;
    ticpp::Element root("zentrova");
    root.SetAttribute("version", kPatchVersion);
    root.SetAttribute("platform", std::string(kChunkPlatform));
    root.SetAttribute("uuid", uuidToString(generateUuid()));
    if (!patchOnly)
    {
        ticpp::Element status("status");
        status.SetAttribute("selected_bank", m_pZentrova->getCurrentBankAddress());
        status.SetAttribute("selected_patch", m_patchInfo.address);
        root.LinkEndChild(&status);
    }
    writePatchXml(root, !patchOnly, name);
    document.LinkEndChild(&root);

    TiXmlPrinter printer;
    document.Accept(&printer);
    return out.assignCompressed(printer.Str()) == 0;
}

void ZentrovaState::writePatchXml(ticpp::Element& parent, bool withUuid) const
{
    writePatchXml(parent, withUuid, m_patchData.name);
}

void ZentrovaState::writePatchXml(ticpp::Element& parent, bool withUuid, const std::string& name) const
{
    ticpp::Element patch("patch");
    patch.SetAttribute("name", name);
    if (withUuid)
        patch.SetAttribute("uuid", uuidToString(m_patchInfo.uuid));

    const std::vector<std::string> texts = storedValueTexts();
    for (int index = 0; index < kParameterCount; ++index)
    {
        ticpp::Element parameter("parameter");
        parameter.SetAttribute("name", std::string(m_parameters[index]->getKey()));
        parameter.SetAttribute("value", texts[index]);
        patch.LinkEndChild(&parameter);
    }

    if (m_patchData.values[Param::ChordMemory] > 0.5f)
    {
        // Copies, taken at once while the engine may be learning a chord
        // into the lists, and walked in play order.
        KeyboardDescriptor lists[kMidiChannelCount];
        {
            std::lock_guard<SpinLock> guard(m_patchData.chordsLock);
            std::copy(std::begin(m_patchData.chords), std::end(m_patchData.chords), std::begin(lists));
        }
        ticpp::Element chords("chords");
        for (int channel = 0; channel < kMidiChannelCount; ++channel)
        {
            KeyboardDescriptor& list = lists[channel];
            if (list.isEmpty())
                continue;
            list.setOrder(KeyboardDescriptor::kPlayOrder);
            ticpp::Element chord("chord");
            chord.SetAttribute("channel", channel);
            KeyboardDescriptor::Note note;
            bool more = list.getFirst(note);
            for (int step = 0; more && step < KeyboardDescriptor::kNoteCount; ++step)
            {
                ticpp::Element key("key");
                key.SetAttribute("note", note.note);
                key.SetAttribute("velocity", note.velocity);
                key.SetAttribute("aftertouch", note.pressure);
                chord.LinkEndChild(&key);
                more = list.getNext(note.note, note);
            }
            chords.LinkEndChild(&chord);
        }
        patch.LinkEndChild(&chords);
    }
    parent.LinkEndChild(&patch);
}

bool ZentrovaState::readChunkXml(const ChunkBuffer& chunk, bool patchOnly, bool resolve, bool keepBank)
{
    REQUIRE_OWNER("readChunkXml");
    ticpp::Document document;
    const ticpp::Element* root = nullptr;
    const ticpp::Element* patch = nullptr;
    try
    {
        document.Parse(inflateToString(chunk));
        root = document.FirstChildElement("zentrova", false);
        if (root)
            patch = root->FirstChildElement("patch", false);
    }
    catch (const ticpp::Exception&)
    {
        m_empty = true;
        return false;
    }
    // Nothing to read: the state stays exactly as it was, but for the mark.
    m_empty = patch == nullptr;
    if (!patch)
        return false;

    const int version = patchVersionNumber(root->GetAttribute("version"));
    if (!patchOnly)
    {
        if (const ticpp::Element* status = root->FirstChildElement("status", false))
            readStatusXml(*status, keepBank);
    }
    m_notInLibrary = false;
    readPatchXml(*patch, version);
    if (resolve)
        resolveLibraryPatch(*root, *patch);
    else
        m_patchData.name = m_patchInfo.name;
    return true;
}

void ZentrovaState::readStatusXml(const ticpp::Element& status, bool keepBank)
{
    std::string text;
    if (!keepBank && status.GetAttributeImp("selected_bank", &text))
        m_pZentrova->selectBank(text);
    if (status.GetAttributeImp("selected_patch", &text))
        m_patchInfo.address = text;
}

void ZentrovaState::resolveLibraryPatch(const ticpp::Element& root, const ticpp::Element& patch)
{
    m_patchData.name = patch.GetAttribute("name");
    m_patchInfo.name = m_patchData.name;
    m_patchInfo.uuid = uuidFromString(root.GetAttribute("uuid"));
    PatchInfo found;
    bool inLibrary = m_pZentrova->findLibraryPatch(m_patchInfo.uuid, found);
    std::string patchUuid;
    if (!inLibrary && patch.GetAttributeImp("uuid", &patchUuid))
    {
        m_patchInfo.uuid = uuidFromString(patchUuid);
        inLibrary = m_pZentrova->findLibraryPatch(m_patchInfo.uuid, found);
    }
    if (!inLibrary)
    {
        m_patchInfo.address.clear();
        m_programIndex = 0;
        m_notInLibrary = true;
        return;
    }
    m_patchInfo = found;
    m_programIndex = m_pZentrova->showLibraryPatch(found);
}

void ZentrovaState::resetToDefaults()
{
    const DefaultPatchRecord& record = DefaultPatchRecord::instance();
    m_patchData = PatchData(record);
    for (int index = 0; index < kParameterCount; ++index)
        m_parameters[index]->setValue(record.values[index]);
    checkSwitches(-1, -1, true);
}

void ZentrovaState::readPatchXml(const ticpp::Element& patch, int version)
{
    // Objects and stored values start alike, so parameters the document
    // leaves out mean the same to the engine and to the next chunk.
    resetToDefaults();
    std::unordered_map<std::string, int> indexOfKey;
    for (int index = 0; index < kParameterCount; ++index)
        indexOfKey.emplace(m_parameters[index]->getKey(), index);

    for (const ticpp::Element* parameter = patch.FirstChildElement("parameter", false); parameter;
         parameter = parameter->NextSiblingElement("parameter", false))
    {
        std::string key, text;
        if (!parameter->GetAttributeImp("name", &key) || !parameter->GetAttributeImp("value", &text))
            continue;
        auto found = indexOfKey.find(key);
        if (found == indexOfKey.end())
            continue;
        const int index = found->second;
        applyValueText(index, convertLegacyValueText(key, text, version));
        if (version < kNormalisedAuxAmountVersion &&
            (index == Param::AuxModAmount || index == Param::AuxModEnvelope || index == Param::AuxModWheel))
        {
            float stored = 0.0f;
            try
            {
                parameter->GetAttribute("value", &stored);
            }
            catch (const ticpp::Exception&)
            {
                continue;
            }
            const float value = legacyAuxAmountValue(stored);
            m_parameters[index]->setValue(value);
            m_patchData.values[index] = value;
        }
    }

    if (const ticpp::Element* chords = patch.FirstChildElement("chords", false))
        readChordsXml(*chords);
    setChordOrders();
}

void ZentrovaState::readChordsXml(const ticpp::Element& chords)
{
    for (const ticpp::Element* chord = chords.FirstChildElement("chord", false); chord;
         chord = chord->NextSiblingElement("chord", false))
    {
        int channel = -1;
        if (!integerAttribute(*chord, "channel", channel) || channel < 0 || channel >= kMidiChannelCount)
            continue;
        KeyboardDescriptor& list = m_patchData.chords[channel];
        list.clear();
        for (const ticpp::Element* key = chord->FirstChildElement("key", false); key;
             key = key->NextSiblingElement("key", false))
        {
            int note = -1, velocity = -1, aftertouch = 0;
            if (!integerAttribute(*key, "note", note) || !integerAttribute(*key, "velocity", velocity) ||
                !isMidiByte(note) || !isMidiByte(velocity))
                continue;
            std::string pressureText;
            if (key->GetAttributeImp("aftertouch", &pressureText) &&
                (!integerAttribute(*key, "aftertouch", aftertouch) || !isMidiByte(aftertouch)))
                continue;
            list.addNote(note, velocity, aftertouch);
        }
    }
}

void ZentrovaState::setChordOrders()
{
    int order = m_patchData.values[Param::ArpeggioOrder] < 0.5f ? KeyboardDescriptor::kPitchOrder
                                                                : KeyboardDescriptor::kPlayOrder;
    for (KeyboardDescriptor& chord : m_patchData.chords)
        chord.setOrder(order);
}

void ZentrovaState::loadPatchFile(const std::string& path, int programInFile)
{
    ChunkBuffer buffer;
    Version1Patch program;
    switch (PatchFileHandler().loadPatch(path, buffer))
    {
    case kLoadVersion1Bank:
        if (!Version1Patch::getProgram(buffer, programInFile, &program))
            throwNotAPatch(__LINE__);
        convertVersion1Patch(*this, program);
        break;
    case kLoadVersion1Program:
        if (!Version1Patch::getProgram(buffer, 0, &program))
            throwNotAPatch(__LINE__);
        convertVersion1Patch(*this, program);
        break;
    case kLoadBankChunk:
    case kLoadProgramChunk:
        // A file whose chunk holds no patch is as unusable as one that
        // cannot be read: it must not pass for the patch it names.
        if (!readChunkXml(buffer, true, false, false))
            throwNotAPatch(__LINE__);
        break;
    default:
        throwNotAPatch(__LINE__);
    }
    m_modified = false;
}

int ZentrovaState::savePatch(const std::vector<BankFolder>& folders, const std::string& name)
{
    REQUIRE_OWNER("savePatch");
    return savePatch(folders, name, m_pZentrova->getPatchFileSettings().formatFlags);
}

int ZentrovaState::savePatch(const std::vector<BankFolder>& folders, const std::string& name,
                             std::uint32_t formatFlags)
{
    REQUIRE_OWNER("savePatch");
    const ZentrovaStateOwner::PatchFileSettings settings = m_pZentrova->getPatchFileSettings();
    ChunkBuffer chunk;
    if (!writeChunkXml(chunk, true, name))
    {
        showAlert("Patch Save Error", ("The patch " + name + " could not be compressed for saving\n").c_str());
        return 1;
    }
    // The count of files not written: callers must not retire or delete the
    // patch's other copies when it is not zero.
    return PatchFileHandler().savePatch(folders, name, chunk, formatFlags, settings.isEffect, settings.deleteOriginal);
}

bool ZentrovaState::convertBank(const ChunkBuffer& bank, const std::vector<BankFolder>& folders,
                                std::uint32_t formatFlags)
{
    if (!Version1Patch::isBank(bank))
        return false;
    // Programs of one name would overwrite each other's files.
    const std::vector<std::string> names = Version1Patch::uniqueProgramFileNames(bank);
    for (int slot = 0; slot < Version1Patch::kBankPrograms; ++slot)
    {
        Version1Patch program;
        if (!Version1Patch::getProgram(bank, slot, &program))
            return false;
        convertVersion1Patch(*this, program);
        if (savePatch(folders, names[static_cast<std::size_t>(slot)], formatFlags) != 0)
            return false;
    }
    return true;
}

bool ZentrovaState::convertSinglePatch(const ChunkBuffer& data, const PatchTreeBranch& bank,
                                       std::uint32_t formatFlags)
{
    Version1Patch program;
    if (!Version1Patch::getProgram(data, 0, &program))
        return false;
    convertVersion1Patch(*this, program);
    const std::string base = m_patchData.name.empty() ? std::string(kEmptyPatchName) : m_patchData.name;
    std::string candidate = base;
    for (int n = 2; PatchTree::patchNameExists(bank, candidate); ++n)
    {
        if (n > kMaxNameSuffix)
            return false;
        char suffix[16];
        std::snprintf(suffix, sizeof suffix, "(%02d)", n);
        candidate = base + suffix;
    }
    return savePatch(bank.getBankInfo().folders, candidate, formatFlags) == 0;
}
