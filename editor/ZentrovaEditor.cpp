#include "editor/ZentrovaEditor.h"

#include "Source/Zentrova.h"
#include "Source/queues/QueueLanes.h"

ZentrovaEditor::ZentrovaEditor(Zentrova* effect) : AEffEditor(effect), m_pZentrova(effect) {}

ZentrovaEditor::~ZentrovaEditor()
{
    close();
}

bool ZentrovaEditor::getRect(ERect** rect)
{
    return AEffEditor::getRect(rect);
}

bool ZentrovaEditor::open(void* parentWindow)
{
    if (isOpen())
        close();
    AEffEditor::open(parentWindow);
    m_open.store(true, std::memory_order_release);
    m_pZentrova->refreshEditorParameters();
    return true;
}

void ZentrovaEditor::close()
{
    if (!m_open.exchange(false, std::memory_order_acq_rel))
        return;
    AEffEditor::close();
}

bool ZentrovaEditor::isOpen()
{
    return m_open.load(std::memory_order_acquire);
}

void ZentrovaEditor::idle()
{
    // Only what is waiting now: whatever arrives meanwhile waits for the
    // next idle call.
    std::uint32_t waiting = 0;
    for (int lane = 0; lane < kQueueLanes; ++lane)
        waiting += m_parameterQueue.pending(lane);
    m_parameterQueue.beginRead();
    for (std::uint32_t i = 0; i < waiting; ++i)
        applyGuiItem(m_parameterQueue.pop());
}

bool ZentrovaEditor::setKnobMode(VstInt32 mode)
{
    m_hostKnobMode = mode;
    return true;
}

void ZentrovaEditor::setParameter(VstInt32 index, float value)
{
    postToGui(EditorLane::kHost, index, value);
}

void ZentrovaEditor::draw(ERect*) {}

void ZentrovaEditor::postToGui(int lane, std::int64_t index, float value)
{
    if (m_open.load(std::memory_order_acquire))
        m_parameterQueue.push(lane, ParameterIndexAndValue(index, value));
}

void ZentrovaEditor::bindMidiLearn(int)
{
    m_pendingLearnParameter.store(-1, std::memory_order_relaxed);
}

void ZentrovaEditor::midiMapChanged() {}

void ZentrovaEditor::knobModeChanged(int mode)
{
    m_configuredKnobMode = mode;
}

// Without a window there is no control to show the value in.
void ZentrovaEditor::applyGuiItem(const ParameterIndexAndValue&) {}
