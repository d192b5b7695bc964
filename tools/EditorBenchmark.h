#pragma once

#include "tools/BenchmarkSubject.h"

// What an open editor costs, through the editor test host on the display
// DISPLAY names: the time from effEditOpen to the first drawing, the heap
// it holds open and leaves closed, the process's CPU while it idles with
// nothing changing, and the CPU of the process and of the X server while
// the host automates every parameter.
class EditorBenchmark
{
public:
    struct Case
    {
        // Editors of as many instances, open together for the heap figure.
        int editors = 4;
        double idleHz = 30.0;
        // Each of the three loops (no editor, editor idling, automation).
        double seconds = 30.0;
        double automationMillis = 10.0;
        int reopenings = 5;
    };

    struct Result
    {
        int width = 0;
        int height = 0;
        int parameters = 0;
        // From effEditOpen to the first capture of the screen, through the
        // host's own connection, that shows anything but the host window's
        // black background there; the host idles the editor meanwhile as
        // fast as it captures. The first opening in the process, then the
        // median of the reopenings of the same instance.
        double firstOpenMilliseconds = 0.0;
        double reopenMilliseconds = 0.0;
        // Heap in use (mallinfo2 uordblks + hblkhd: the mapped large blocks
        // too), against before the first opening, with every instance made.
        double oneOpenMegabytes = 0.0;
        double furtherOpenMegabytes = 0.0;
        double closedMegabytes = 0.0;
        // % of one core over the run.
        double baselineCpuPercent = 0.0;
        double idleCpuPercent = 0.0;
        double automationCpuPercent = 0.0;
        // Negative when the X server's process is not found.
        double baselineServerPercent = -1.0;
        double idleServerPercent = -1.0;
        double automationServerPercent = -1.0;
    };

    // Throws std::runtime_error: no display, a plug-in that does not load or
    // has no editor, an editor that does not open or never draws.
    static Result run(const BenchmarkSubject& subject, const Case& benchmarkCase);
};
