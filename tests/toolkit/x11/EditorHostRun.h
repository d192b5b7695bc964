#pragma once

// Runs the editor test host on the window tests' plug-in with an input
// script and reads back every line it and the plug-in wrote (standard
// error included). Window tests need a display; without one they skip.

#include <gtest/gtest.h>

#include <sys/wait.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#define REQUIRE_DISPLAY()                                                                                            \
    do                                                                                                               \
    {                                                                                                                \
        if (!haveDisplay())                                                                                          \
            GTEST_SKIP() << "no X display (run under xvfb-run)";                                                     \
    } while (false)

inline bool haveDisplay()
{
    const char* display = std::getenv("DISPLAY");
    return display && *display;
}

struct HostRun
{
    int status = -1;
    std::vector<std::string> lines;

    // The lines from index from on that start with prefix, with the prefix
    // taken off.
    std::vector<std::string> after(const std::string& prefix, int from = 0) const
    {
        std::vector<std::string> result;
        for (std::size_t i = static_cast<std::size_t>(std::max(0, from)); i < lines.size(); ++i)
            if (lines[i].compare(0, prefix.size(), prefix) == 0)
                result.push_back(lines[i].substr(prefix.size()));
        return result;
    }
    // The index of the first line equal to text from index from on, or -1.
    int find(const std::string& text, int from = 0) const
    {
        for (int i = std::max(0, from); i < static_cast<int>(lines.size()); ++i)
            if (lines[static_cast<std::size_t>(i)] == text)
                return i;
        return -1;
    }
    bool has(const std::string& text) const { return find(text) >= 0; }
    int countBetween(const std::string& prefix, int first, int last) const
    {
        int count = 0;
        for (int i = first + 1; i < last && i < static_cast<int>(lines.size()); ++i)
            count += lines[static_cast<std::size_t>(i)].compare(0, prefix.size(), prefix) == 0 ? 1 : 0;
        return count;
    }
    // Everything but the timer's ticks, for failure messages.
    std::string text() const
    {
        std::string all;
        for (const std::string& line : lines)
            if (line.find(" timer ") == std::string::npos)
                all += line + "\n";
        return all;
    }
};

// onLine sees each line as it comes, while the host still runs.
inline HostRun runEditorHostWith(const std::string& plugin, const std::string& script,
                                 const std::string& arguments = "", const std::string& environment = "",
                                 const std::function<void(const std::string&)>& onLine = nullptr)
{
    static int runs = 0;
    const std::string scriptPath =
        testing::TempDir() + "editor-host-" + std::to_string(getpid()) + "-" + std::to_string(++runs) + ".txt";
    std::ofstream(scriptPath) << script;
    const std::string command = (environment.empty() ? "" : "env " + environment + " ") +
                                ZENTROVA_EDITOR_HOST_PATH " " + plugin + " --script " +
                                scriptPath + " " + arguments + " 2>&1";
    HostRun run;
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe)
        return run;
    std::string line;
    std::array<char, 4096> buffer{};
    while (std::fgets(buffer.data(), static_cast<int>(buffer.size()), pipe))
    {
        line += buffer.data();
        if (!line.empty() && line.back() == '\n')
        {
            line.pop_back();
            if (onLine)
                onLine(line);
            run.lines.push_back(line);
            line.clear();
        }
    }
    if (!line.empty())
        run.lines.push_back(line);
    const int status = pclose(pipe);
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    std::remove(scriptPath.c_str());
    return run;
}

inline HostRun runEditorHost(const std::string& script, const std::string& arguments = "",
                             const std::string& environment = "")
{
    return runEditorHostWith(ZENTROVA_WINDOW_TEST_PLUGIN_PATH, script, arguments, environment);
}

// Where screenshots go for people to look at.
inline std::string screenshotPath(const std::string& name)
{
    return std::string(ZENTROVA_WINDOW_SHOTS_DIR) + "/" + name;
}
