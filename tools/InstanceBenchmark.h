#pragma once

#include "tools/BenchmarkSubject.h"

// What an instance costs beyond its voices: the resident memory and the
// time each further instance of a project adds (opened, its rate and block
// size set, resumed and run one block), and the CPU of one instance in the
// silence long after its only note was released.
class InstanceBenchmark
{
public:
    struct Case
    {
        double sampleRate = 48000.0;
        int blockSize = 64;
        int instances = 20;
        // The silence measured runs from this long after the release...
        double silenceFrom = 25.0;
        // ...to this long after it.
        double silenceTo = 30.0;
    };

    struct Result
    {
        // Medians over the instances after the first, which also pays for
        // loading the library and whatever it shares.
        double megabytesPerInstance = 0.0;
        double openMilliseconds = 0.0;
        double firstMegabytes = 0.0;
        double firstOpenMilliseconds = 0.0;
        // Minor page faults of the opening: steadier than its time on a
        // shared machine, where each first touch of a page is most of it.
        double faultsPerInstance = 0.0;
        double silenceCpuPercent = 0.0;
        double silencePeak = 0.0;
    };

    // Throws std::runtime_error when the plug-in cannot be loaded.
    static Result run(const BenchmarkSubject& subject, const Case& benchmarkCase);
};
