#pragma once

#include <optional>
#include <string>

#include <sys/types.h>

// The process of the local X server that a DISPLAY names, found through
// /proc, and the CPU time it has used: what an editor costs outside the
// host's own process.
class XServerProcess
{
public:
    // The display number of a local display (":1", ":1.0", "unix:1");
    // none for a remote one or text that names no display.
    static std::optional<int> displayNumber(const std::string& display);

    // The process whose command line is an X server's (Xvfb, Xorg, ...)
    // with ":N", else the one holding the listening socket
    // /tmp/.X11-unix/XN; 0 when neither is found.
    static pid_t find(int displayNumber);

    // CPU time of the process so far: its threads' time on the processor
    // as the scheduler counts it, else user and system time from stat;
    // negative when it is gone.
    static double cpuSeconds(pid_t process);

    // The first word of its command line, without the folder.
    static std::string name(pid_t process);
};
