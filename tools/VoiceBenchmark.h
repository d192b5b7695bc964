#pragma once

#include <string>
#include <utility>
#include <vector>

#include "tools/BenchmarkSubject.h"

// How one plug-in fares holding a number of voices at one rate and block
// size: the patch is set, the notes start in the first measured block and
// are held, the first oscillator's wave changes halfway through, then the
// notes are released and the silence after the tails is measured.
class VoiceBenchmark
{
public:
    // From the release to the measured silence: long enough for the release
    // and the echo's feedback to die away.
    static constexpr double kReleaseSeconds = 4.0;

    struct Case
    {
        double sampleRate = 48000.0;
        int blockSize = 64;
        int voices = 128;
        double seconds = 10.0;
        // Seconds of silence measured after the release tails, 0 for none.
        double silenceSeconds = 0.0;
    };

    struct Result
    {
        double cpuPercent = 0.0;       // thread CPU time over audio time
        double nsPerVoiceSample = 0.0; // CPU time per voice per host sample
        double blockBudgetUs = 0.0;    // the block's audio duration
        double medianBlockUs = 0.0;
        double p99BlockUs = 0.0;
        double maxBlockUs = 0.0;
        int maxBlockIndex = 0;
        // The worst block from the wave change until the tables are rebuilt.
        double waveChangeMaxUs = 0.0;
        // The silence's first and second half: the second costs no more when
        // no denormals creep in as the tails decay. -1 when not measured.
        double silenceCpuPercent = -1.0;
        double lateSilenceCpuPercent = -1.0;
        double heldRms = 0.0;            // of the held notes' last second
        double silencePeak = 0.0;
        int notes = 0;
        std::vector<std::string> patch; // the displays read back
    };

    // Throws std::runtime_error when the plug-in cannot be loaded or a
    // parameter does not show what the patch expects.
    static Result run(const BenchmarkSubject& subject, const Case& benchmarkCase);

    // Runs the case repeats times and keeps, figure by figure, the best
    // value: the one least disturbed by the rest of the machine.
    static Result best(const BenchmarkSubject& subject, const Case& benchmarkCase, int repeats);

    // The same for two subjects, their runs taken in turn: a stretch in which
    // the machine runs slow then falls on both, not on one of them only.
    static std::pair<Result, Result> bestOfBoth(const BenchmarkSubject& first, const BenchmarkSubject& second,
                                                const Case& benchmarkCase, int repeats);
};
