#include "Source/ZentrovaState.h"

#include "Source/FloatIntParameter.h"
#include "Source/FloatParameter.h"
#include "Source/ModalFloatParameter.h"
#include "Source/ParameterText.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace
{
// Control tag of the editor's patch-modified indicator.
constexpr long kPatchModifiedTag = 599;
// Controller destinations below "Aux Amount" have a display mode each; with
// "Aux Amount" the mode follows the aux destination, from this mode on.
constexpr int kAuxAmountDestination = 6;
constexpr int kFirstAuxControllerMode = 5;

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
            m_pZentrova->setEditorParameter(kPatchModifiedTag, 1.0f);
    }
    m_modified = true;
}

void ZentrovaState::setParameterViaMidi(int index, int midiValue, std::int32_t deltaFrames)
{
    if (index < 0 || index >= kParameterCount)
        return;
    EngineValue engineValue = m_parameters[index]->setFromMidi(midiValue, m_patchData.values[index]);
    m_modified = true;
    if (m_isCurrent)
    {
        REQUIRE_OWNER("setParameterViaMidi");
        m_pZentrova->setPseudoParameter(0, index, engineValue, deltaFrames);
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
    m_pZentrova->setEditorParameter(kPatchModifiedTag, m_modified ? 1.0f : 0.0f);
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
    int order = m_patchData.values[Param::ArpeggioOrder] < 0.5f ? KeyboardDescriptor::kPitchOrder
                                                                : KeyboardDescriptor::kPlayOrder;
    for (KeyboardDescriptor& chord : m_patchData.chords)
        chord.setOrder(order);
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
