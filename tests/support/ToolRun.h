#pragma once

// Runs one of the command-line tools through the shell, as a user would,
// and reads back what it wrote (standard error included) and how it ended.

#include <sys/wait.h>

#include <array>
#include <cstdio>
#include <string>

struct ToolRun
{
    // The exit status; -1 when a signal ended the tool.
    int status = -1;
    std::string output;

    bool says(const std::string& text) const { return output.find(text) != std::string::npos; }
};

inline std::string shellQuoted(const std::string& text)
{
    std::string quoted = "'";
    for (char c : text)
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

inline ToolRun runTool(const std::string& command)
{
    ToolRun run;
    FILE* pipe = popen((command + " 2>&1").c_str(), "r");
    if (!pipe)
        return run;
    std::array<char, 4096> buffer{};
    for (std::size_t read; (read = std::fread(buffer.data(), 1, buffer.size(), pipe)) > 0;)
        run.output.append(buffer.data(), read);
    const int status = pclose(pipe);
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}
