#include "tools/XServerProcess.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <sstream>
#include <vector>

#include <unistd.h>

namespace
{
std::vector<std::string> commandLine(pid_t process)
{
    std::ifstream file("/proc/" + std::to_string(process) + "/cmdline", std::ios::binary);
    const std::string text((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    std::vector<std::string> words;
    std::istringstream stream(text);
    for (std::string word; std::getline(stream, word, '\0');)
        words.push_back(word);
    return words;
}

std::vector<pid_t> processes()
{
    std::vector<pid_t> result;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator("/proc", error))
    {
        const std::string name = entry.path().filename().string();
        if (!name.empty() &&
            std::all_of(name.begin(), name.end(), [](char c) { return std::isdigit(static_cast<unsigned char>(c)); }))
            result.push_back(static_cast<pid_t>(std::atol(name.c_str())));
    }
    return result;
}

bool isServerName(const std::string& name)
{
    for (const char* known : {"Xvfb", "Xorg", "X", "Xwayland", "Xephyr", "Xvnc", "Xtigervnc", "Xnest"})
        if (name == known)
            return true;
    return false;
}

// The inodes of the sockets bound to the display's path, named or abstract.
std::set<std::string> listeningInodes(int number)
{
    const std::string path = "/tmp/.X11-unix/X" + std::to_string(number);
    std::set<std::string> inodes;
    std::ifstream table("/proc/net/unix");
    std::string line;
    std::getline(table, line);
    while (std::getline(table, line))
    {
        std::istringstream fields(line);
        std::string slot, references, protocol, flags, type, state, inode, name;
        if (fields >> slot >> references >> protocol >> flags >> type >> state >> inode >> name &&
            (name == path || name == "@" + path))
            inodes.insert(inode);
    }
    return inodes;
}

pid_t socketOwner(int number)
{
    const std::set<std::string> inodes = listeningInodes(number);
    if (inodes.empty())
        return 0;
    for (pid_t process : processes())
    {
        std::error_code error;
        for (const auto& entry : std::filesystem::directory_iterator("/proc/" + std::to_string(process) + "/fd", error))
        {
            std::error_code ignored;
            const std::string target = std::filesystem::read_symlink(entry.path(), ignored).string();
            if (target.rfind("socket:[", 0) == 0 && inodes.count(target.substr(8, target.size() - 9)))
                return process;
        }
    }
    return 0;
}
} // namespace

std::optional<int> XServerProcess::displayNumber(const std::string& display)
{
    const std::size_t colon = display.rfind(':');
    if (colon == std::string::npos)
        return std::nullopt;
    const std::string host = display.substr(0, colon);
    if (!host.empty() && host != "unix")
        return std::nullopt;
    std::size_t end = colon + 1;
    while (end < display.size() && std::isdigit(static_cast<unsigned char>(display[end])))
        ++end;
    if (end == colon + 1 || (end < display.size() && display[end] != '.'))
        return std::nullopt;
    return std::atoi(display.c_str() + colon + 1);
}

pid_t XServerProcess::find(int displayNumber)
{
    const std::string argument = ":" + std::to_string(displayNumber);
    for (pid_t process : processes())
    {
        const std::vector<std::string> words = commandLine(process);
        if (words.empty() || !isServerName(std::filesystem::path(words.front()).filename().string()))
            continue;
        for (std::size_t i = 1; i < words.size(); ++i)
            if (words[i] == argument)
                return process;
    }
    return socketOwner(displayNumber);
}

double XServerProcess::cpuSeconds(pid_t process)
{
    // The scheduler's own count, in nanoseconds per thread, where there is
    // one: stat counts in clock ticks (10 ms), coarse for an idle server.
    double scheduled = 0.0;
    bool counted = false;
    std::error_code error;
    for (const auto& task : std::filesystem::directory_iterator("/proc/" + std::to_string(process) + "/task", error))
    {
        std::ifstream schedstat(task.path() / "schedstat");
        unsigned long long nanoseconds = 0;
        if (!(schedstat >> nanoseconds))
        {
            counted = false;
            break;
        }
        scheduled += 1e-9 * static_cast<double>(nanoseconds);
        counted = true;
    }
    if (counted)
        return scheduled;

    std::ifstream file("/proc/" + std::to_string(process) + "/stat");
    std::string text;
    if (!std::getline(file, text))
        return -1.0;
    // The name in parentheses may hold spaces: the fields follow the last ')'.
    const std::size_t close = text.rfind(')');
    if (close == std::string::npos)
        return -1.0;
    std::istringstream fields(text.substr(close + 1));
    std::string field;
    // State is field 3; utime and stime are fields 14 and 15.
    for (int i = 3; i < 14 && fields >> field; ++i)
    {
    }
    unsigned long long user = 0, system = 0;
    if (!(fields >> user >> system))
        return -1.0;
    return static_cast<double>(user + system) / static_cast<double>(sysconf(_SC_CLK_TCK));
}

std::string XServerProcess::name(pid_t process)
{
    const std::vector<std::string> words = commandLine(process);
    return words.empty() ? std::string() : std::filesystem::path(words.front()).filename().string();
}
