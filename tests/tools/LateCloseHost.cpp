// A host that keeps its plug-in instances in a global object and closes
// them in that object's destructor, after main has returned. The library is
// loaded after the global was built, so its own exit handlers have run by
// then. Prints "closed" once every instance is; a crash, or a sanitizer's
// report, ends it in failure.
//
//   zentrova_late_close_host PLUGIN.so INSTANCES [--editor]

#include "tests/support/TemporaryHome.h"
#include "tools/EditorHost.h"
#include "tools/HostedPlugin.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <thread>
#include <vector>

// Fontconfig's own blocks, kept until FcFini, which no plug-in calls.
extern "C" __attribute__((visibility("default"))) const char* __lsan_default_suppressions()
{
    return "leak:libfontconfig.so\n";
}

namespace
{
// Outlives the instances: their last close writes the configuration there.
TemporaryHome home;

struct Instances
{
    std::unique_ptr<EditorHost> editors;
    std::vector<std::unique_ptr<HostedPlugin>> plugins;

    ~Instances()
    {
        editors.reset();
        plugins.clear();
        std::puts("closed");
        std::fflush(stdout);
    }
} instances;

void play(HostedPlugin& plugin)
{
    std::vector<float> left(512), right(512), inLeft(512), inRight(512);
    float* outputs[] = {left.data(), right.data()};
    float* inputs[] = {inLeft.data(), inRight.data()};
    for (int block = 0; block < 200; ++block)
    {
        std::vector<VstMidiEvent> events(1);
        events[0].type = kVstMidiType;
        events[0].byteSize = sizeof(VstMidiEvent);
        events[0].midiData[0] = static_cast<char>(block % 100 == 0 ? 0x90 : 0x80);
        events[0].midiData[1] = 60;
        events[0].midiData[2] = 100;
        plugin.processBlock(events, plugin.effect()->numInputs > 0 ? inputs : nullptr, outputs, 512);
    }
}
} // namespace

int main(int argc, char** argv)
{
    if (argc < 3)
    {
        std::fputs("usage: zentrova_late_close_host PLUGIN.so INSTANCES [--editor]\n", stderr);
        return 2;
    }
    const std::string path = argv[1];
    const int count = std::atoi(argv[2]);
    const bool editor = argc > 3 && std::string(argv[3]) == "--editor";
    if (editor)
    {
        EditorHostOptions options;
        options.pluginPath = path;
        options.editors = count;
        options.quiet = true;
        instances.editors = std::make_unique<EditorHost>(options);
        for (int i = 0; i < count; ++i)
            play(instances.editors->plugin(i));
        // Until the editor has drawn, however busy the machine.
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
        while (!instances.editors->showsContent(0) && std::chrono::steady_clock::now() < deadline)
        {
            instances.editors->idle();
            std::this_thread::sleep_for(std::chrono::milliseconds(15));
        }
        if (!instances.editors->showsContent(0))
        {
            std::fputs("the editor shows nothing\n", stderr);
            return 1;
        }
    }
    else
    {
        for (int i = 0; i < count; ++i)
        {
            instances.plugins.push_back(std::make_unique<HostedPlugin>(path, HostSettings()));
            instances.plugins.back()->resume();
            play(*instances.plugins.back());
        }
    }
    return 0;
}
