// What a host sends while playing: MIDI event lists before each block,
// blocks of any length, parameter values, program changes, transport and
// tempo, and a suspend with a new sample rate. The output stays finite.

#include "tests/fuzz/FuzzSupport.h"

#include "Source/Flavour.h"
#include "tests/support/MidiEvents.h"
#include "tools/MidiSequence.h"

#include <cmath>
#include <cstdlib>
#include <initializer_list>
#include <limits>
#include <memory>
#include <utility>
#include <vector>

namespace
{
constexpr int kMaxBlockSize = 1024;
constexpr int kMaxEvents = 32;
// Enough for notes to start, sound and end; more only slows the search,
// as does clearing the echo's long buffers on every resume.
constexpr int kMaxFramesPerInput = 1 << 15;
constexpr int kMaxSuspendsPerInput = 1;

// One instance of each flavour for every input: a new one would spend
// most of the time clearing the echo's long buffers.
struct Instance
{
    std::unique_ptr<fuzz::Plugin> plugin;
    fuzz::Bytes bank;
    fuzz::Bytes program;
    bool rateChanged = false;
};

Instance effect;
Instance instrument;

// The input read from the front, one byte at a time; zeros once used up.
class Reader
{
public:
    Reader(const std::uint8_t* data, std::size_t size) : m_data(data), m_size(size) {}
    bool done() const { return m_at >= m_size; }
    int byte() { return m_at < m_size ? m_data[m_at++] : 0; }
    int word() { return byte() << 8 | byte(); }

private:
    const std::uint8_t* m_data;
    std::size_t m_size;
    std::size_t m_at = 0;
};

enum Operation
{
    kBlock = 0, // 0-3
    kParameter = 4,
    kProgram = 5,
    kTransport = 6,
    // Rare: a resume clears the echo's long buffers, which takes a while.
    kSuspend = 255,
};

// 0..250 spread over 0..1, then values no host should send.
float parameterValue(int byte)
{
    switch (byte)
    {
    case 251:
        return -1.0f;
    case 252:
        return 2.0f;
    case 253:
        return std::numeric_limits<float>::quiet_NaN();
    case 254:
        return std::numeric_limits<float>::infinity();
    case 255:
        return -0.0f;
    default:
        return static_cast<float>(byte) / 250.0f;
    }
}

double tempo(int byte)
{
    switch (byte)
    {
    case 0:
        return 0.0;
    case 1:
        return -120.0;
    case 2:
        return 1e9;
    case 3:
        return std::numeric_limits<double>::quiet_NaN();
    default:
        return 10.0 + byte;
    }
}

// The frames rendered.
int block(fuzz::Plugin& plugin, Reader& in)
{
    const int frames = 1 + in.word() % kMaxBlockSize;
    const int count = in.byte() % (kMaxEvents + 1);
    std::vector<VstMidiEvent> events;
    for (int i = 0; i < count; ++i)
    {
        const int type = in.byte();
        const int delta = in.byte();
        // Inside the block mostly; before it, and far beyond it, too.
        const int deltaFrames = delta == 255 ? 1 << 30 : delta == 254 ? -1 : delta * frames / 254;
        const int status = in.byte();
        const int data1 = in.byte();
        VstMidiEvent event = midiEvent(deltaFrames, status, data1, in.byte());
        event.type = type < 240 ? kVstMidiType : type < 248 ? kVstSysExType : type;
        events.push_back(event);
    }
    if (!events.empty())
        plugin.sendEvents(events);
    plugin.render(frames);
    VstTimeInfo& time = fuzz::hostTimeInfo();
    time.samplePos += frames;
    time.ppqPos += frames / time.sampleRate * 2.0;
    return frames;
}

void setSampleRate(fuzz::Plugin& plugin, float rate)
{
    plugin.dispatch(effStopProcess);
    plugin.dispatch(effMainsChanged, 0, 0);
    plugin.dispatch(effSetSampleRate, 0, 0, nullptr, rate);
    fuzz::hostTimeInfo().sampleRate = rate;
    plugin.dispatch(effMainsChanged, 0, 1);
    plugin.dispatch(effStartProcess);
}

void sendToEveryChannel(fuzz::Plugin& plugin, std::initializer_list<std::pair<int, int>> controllers)
{
    std::vector<VstMidiEvent> events;
    for (int channel = 0; channel < 16; ++channel)
        for (const auto& [controller, value] : controllers)
            events.push_back(midiEvent(0, 0xB0 | channel, controller, value));
    plugin.sendEvents(events);
}

// Back to the state every input starts from, as near as the host can bring
// it: the default patches, no notes or pedals held, the first sample rate.
void reset(Instance& instance)
{
    VstTimeInfo& time = fuzz::hostTimeInfo();
    time = VstTimeInfo{};
    time.sampleRate = 44100.0;
    time.tempo = 120.0;
    time.timeSigNumerator = 4;
    time.timeSigDenominator = 4;
    fuzz::Plugin& plugin = *instance.plugin;
    if (instance.rateChanged)
        setSampleRate(plugin, 44100.0f);
    instance.rateChanged = false;
    plugin.setChunk(instance.bank, false);
    plugin.setChunk(instance.program, true);
    sendToEveryChannel(plugin, {{64, 0}, {65, 0}, {66, 0}, {67, 0}, {68, 0}, {69, 0}, {1, 0}, {11, 127}, {123, 0}});
    plugin.render(64);
}

void run(Instance& instance, Reader& in)
{
    fuzz::Plugin& plugin = *instance.plugin;
    AEffect* e = plugin.effect();
    int frames = 0;
    int suspends = 0;
    while (!in.done() && frames < kMaxFramesPerInput)
    {
        const int code = in.byte();
        const int operation = code == kSuspend ? kSuspend : code % 7;
        if (operation < kParameter)
        {
            frames += block(plugin, in);
        }
        else if (operation == kParameter)
        {
            const int index = in.byte() % 160 - 2;
            e->setParameter(e, index, parameterValue(in.byte()));
            const float value = e->getParameter(e, index);
            if (index >= 0 && index < e->numParams && !(value >= 0.0f && value <= 1.0f))
                fuzz::fail("a parameter outside 0..1");
        }
        else if (operation == kProgram)
        {
            plugin.dispatch(effSetProgram, 0, in.byte() % 132 - 2);
        }
        else if (operation == kTransport)
        {
            VstTimeInfo& time = fuzz::hostTimeInfo();
            time.tempo = tempo(in.byte());
            const int flags = in.byte();
            time.flags = (flags & 1 ? kVstTransportPlaying : 0) | (flags & 2 ? kVstTransportChanged : 0) |
                         (flags & 4 ? kVstTempoValid : 0) | (flags & 8 ? kVstPpqPosValid : 0) |
                         (flags & 16 ? kVstBarsValid : 0) | (flags & 32 ? kVstTimeSigValid : 0);
            time.ppqPos = in.word() / 64.0 - 8.0;
            time.barStartPos = std::floor(time.ppqPos / 4.0) * 4.0;
            time.timeSigNumerator = in.byte() % 17;
            time.timeSigDenominator = 1 << (in.byte() % 6);
        }
        else
        {
            static const float kRates[] = {44100.0f, 48000.0f, 22050.0f, 96000.0f, 192000.0f, 8000.0f};
            const float rate = kRates[in.byte() % 6];
            if (++suspends > kMaxSuspendsPerInput)
                continue;
            setSampleRate(plugin, rate);
            instance.rateChanged = true;
        }
    }
}

// A seed: the operations that play the sequence in blocks of blockSize at
// 44.1 kHz.
fuzz::Bytes playing(const MidiSequence& sequence, int blockSize, bool instrumentFlavour)
{
    fuzz::Bytes seed{static_cast<unsigned char>(instrumentFlavour ? 1 : 0)};
    // Transport running at 120 beats per minute.
    seed.insert(seed.end(), {kTransport, 110, 0x3F, 0x02, 0x00, 4, 2});
    const auto& messages = sequence.messages();
    std::size_t next = 0;
    const double end = sequence.duration() + 0.1;
    for (int start = 0; start / 44100.0 < end; start += blockSize)
    {
        std::vector<const TimedMidiMessage*> inBlock;
        for (; next < messages.size() && messages[next].seconds * 44100.0 < start + blockSize; ++next)
            inBlock.push_back(&messages[next]);
        seed.insert(seed.end(), {kBlock, static_cast<unsigned char>((blockSize - 1) >> 8),
                                 static_cast<unsigned char>((blockSize - 1) & 0xFF),
                                 static_cast<unsigned char>(inBlock.size())});
        for (const TimedMidiMessage* message : inBlock)
        {
            const int delta = static_cast<int>(message->seconds * 44100.0) - start;
            seed.insert(seed.end(), {0, static_cast<unsigned char>(delta * 254 / blockSize), message->bytes[0],
                                     message->bytes[1], message->bytes[2]});
        }
    }
    return seed;
}

void writeSeeds(const std::string& folder)
{
    // The built-in phrase six times as fast.
    const MidiSequence builtIn = MidiSequence::builtInPhrase();
    MidiSequence phrase;
    for (const TimedMidiMessage& message : builtIn.messages())
        phrase.add(message.seconds / 6.0, message.bytes[0], message.bytes[1], message.bytes[2]);
    fuzz::writeSeed(folder, "phrase-effect", playing(phrase, 512, false));
    fuzz::writeSeed(folder, "phrase-instrument", playing(phrase, 64, true));

    // Controllers, pedals, bend, pressure and a program change around held notes.
    MidiSequence controllers;
    controllers.add(0.0, 0x90, 60, 100);
    controllers.add(0.0, 0x91, 64, 90);
    controllers.add(0.05, 0xB0, 64, 127);
    controllers.add(0.1, 0xE0, 0, 96);
    controllers.add(0.15, 0xB0, 1, 80);
    controllers.add(0.2, 0xD0, 70, 0);
    controllers.add(0.25, 0xA0, 60, 50);
    controllers.add(0.3, 0x80, 60, 0);
    controllers.add(0.35, 0xB0, 64, 0);
    controllers.add(0.4, 0xB0, 66, 127);
    controllers.add(0.45, 0xC0, 5, 0);
    controllers.add(0.5, 0xB0, 0, 1);
    controllers.add(0.55, 0xB0, 123, 0);
    fuzz::writeSeed(folder, "controllers", playing(controllers, 128, false));

    fuzz::Bytes operations{0, kParameter, 10, 200, kProgram, 3, kBlock, 0, 63, 0, kParameter, 0, 253, kSuspend, 1,
                           kBlock, 1, 255, 1, 0, 0, 0x90, 60, 100, kTransport, 0, 0, 0, 0, 0, 0, kBlock, 0, 0, 0};
    fuzz::writeSeed(folder, "operations", operations);
    // Found here once: a list of more than the two events the record
    // declares, and a parameter value beyond the range.
    fuzz::writeSeed(folder, "three-events", fuzz::Bytes{0, kBlock, 0, 63, 3, 0, 0, 0x90, 60, 100, 0, 10, 0x90, 64,
                                                          100, 0, 20, 0x90, 67, 100});
    fuzz::writeSeed(folder, "parameter-beyond-range", fuzz::Bytes{0, kParameter, 96, 252, kBlock, 0, 63, 0});
}
} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    fuzz::initialise(writeSeeds);
    for (Instance* instance : {&effect, &instrument})
    {
        instance->plugin = std::make_unique<fuzz::Plugin>(instance == &effect ? effectFlavour() : instrumentFlavour(),
                                                          kMaxBlockSize);
        instance->bank = instance->plugin->getChunk(false);
        instance->program = instance->plugin->getChunk(true);
    }
    std::atexit([] {
        effect.plugin.reset();
        instrument.plugin.reset();
    });
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 1)
        return 0;
    Instance& instance = (data[0] & 1) ? instrument : effect;
    reset(instance);
    Reader in(data + 1, size - 1);
    run(instance, in);
    return 0;
}
