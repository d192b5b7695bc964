#pragma once

#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <stdexcept>
#include <string>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

// An argument that cannot be used: the message names it and says why.
class UsageError : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

// Thrown by unknownArgument for --help and -h: the usage, and nothing else.
struct HelpRequest
{
};

// The frame of a command-line tool: its options parsed (on a UsageError its
// message, then the usage, with 2 returned; the usage alone when parse
// answers false; the usage on standard output with 0 returned when asked
// for), then its work, whose error is printed under the tool's name with 1
// returned.
template <class Options, class Parse, class Usage, class Run>
int runCommandLine(const char* name, int argc, char** argv, Parse parse, Usage usage, Run run)
{
    Options options;
    try
    {
        if (!parse(argc, argv, options))
        {
            usage(stderr);
            return 2;
        }
    }
    catch (const HelpRequest&)
    {
        usage(stdout);
        return 0;
    }
    catch (const UsageError& error)
    {
        std::fprintf(stderr, "%s: %s\n", name, error.what());
        usage(stderr);
        return 2;
    }
    try
    {
        return run(options);
    }
    catch (const std::exception& error)
    {
        std::fprintf(stderr, "%s: %s\n", name, error.what());
        return 1;
    }
}

// The value that follows the option at argv[i], i moved on to it.
inline std::string optionValue(int argc, char** argv, int& i)
{
    if (i + 1 >= argc)
        throw UsageError(std::string(argv[i]) + " needs a value");
    return argv[++i];
}

inline std::string formatNumber(double value)
{
    char text[32];
    std::snprintf(text, sizeof text, "%g", value);
    return text;
}

// The option's value as a number from low to high (unit, when given, follows
// the bounds in the message).
inline double numberValue(const std::string& option, const std::string& text, double low, double high,
                          const std::string& unit = std::string())
{
    char* end = nullptr;
    errno = 0;
    const double value = std::strtod(text.c_str(), &end);
    if (text.empty() || end != text.c_str() + text.size() || !std::isfinite(value) || errno == ERANGE)
        throw UsageError(option + " " + text + ": not a number");
    if (!(value >= low && value <= high))
        throw UsageError(option + " " + text + ": must be from " + formatNumber(low) + " to " + formatNumber(high) +
                         (unit.empty() ? "" : " " + unit));
    return value;
}

// The option's value as a whole number from low to high.
inline long wholeValue(const std::string& option, const std::string& text, long low, long high,
                       const std::string& unit = std::string())
{
    char* end = nullptr;
    errno = 0;
    const long value = std::strtol(text.c_str(), &end, 10);
    if (text.empty() || end != text.c_str() + text.size() || errno == ERANGE)
        throw UsageError(option + " " + text + ": not a whole number");
    if (value < low || value > high)
        throw UsageError(option + " " + text + ": must be from " + std::to_string(low) + " to " + std::to_string(high) +
                         (unit.empty() ? "" : " " + unit));
    return value;
}

// Why a file could not be written, from the error of the call that failed,
// in the words a user looks for.
inline std::string whyNotWritten(int error)
{
    switch (error)
    {
    case ENOENT:
        return "no such folder";
    case EISDIR:
        return "it is a folder";
    case ENOTDIR:
        return "a part of the path is not a folder";
    case ENOSPC:
        return "the disk is full";
    case 0:
        return "not all of it was written";
    default:
        return std::strerror(error);
    }
}

// Throws std::runtime_error naming the path and why not when the file
// cannot be written, so that a long piece of work is not done for nothing.
// A file there is opened for appending, which keeps what it holds; a new one
// is made and removed again.
inline void checkWritable(const std::string& path)
{
    const auto fail = [&](int error) {
        throw std::runtime_error("cannot write " + path + ": " + whyNotWritten(error));
    };
    struct stat status;
    if (::stat(path.c_str(), &status) == 0)
    {
        if (S_ISDIR(status.st_mode))
            fail(EISDIR);
        // Not blocking: a pipe without a reader is said, not waited on.
        const int file = ::open(path.c_str(), O_WRONLY | O_APPEND | O_NONBLOCK | O_CLOEXEC);
        if (file < 0)
            fail(errno);
        ::close(file);
        return;
    }
    if (errno != ENOENT)
        fail(errno);
    const int file = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (file < 0)
    {
        // A link to nowhere: the write itself says what becomes of it.
        if (errno == EEXIST)
            return;
        fail(errno);
    }
    ::close(file);
    ::unlink(path.c_str());
}

// Why a file could not be read, in the words the plug-in loader uses.
inline std::string whyNotRead(int error)
{
    switch (error)
    {
    case ENOENT:
        return "no such file";
    case ENOTDIR:
        return "a part of the path is not a folder";
    default:
        return std::strerror(error);
    }
}

// A size in the unit a person reads it in.
inline std::string formatBytes(std::uint64_t bytes)
{
    if (bytes >= (1u << 20) && bytes % (1u << 20) == 0)
        return std::to_string(bytes >> 20) + " MiB";
    return std::to_string(bytes) + " bytes";
}

// The whole file named by an option, of at most limit bytes, kind naming
// what it should hold in the refusal of a larger one; throws
// std::runtime_error naming the path and why not. A device or a pipe is read
// up to the limit; a pipe without a writer reads as empty rather than being
// waited on.
inline std::vector<unsigned char> readBoundedFile(const std::string& path, std::uint64_t limit, const std::string& kind)
{
    const int file = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (file < 0)
        throw std::runtime_error("cannot read " + path + ": " + whyNotRead(errno));
    std::vector<unsigned char> bytes;
    std::string refusal;
    struct stat status;
    if (::fstat(file, &status) != 0)
        refusal = whyNotRead(errno);
    else if (S_ISDIR(status.st_mode))
    {
        ::close(file);
        throw std::runtime_error(path + " is a folder");
    }
    else if (S_ISREG(status.st_mode) && static_cast<std::uint64_t>(status.st_size) > limit)
        refusal = formatBytes(static_cast<std::uint64_t>(status.st_size)) + ", far larger than any " + kind +
                  " (at most " + formatBytes(limit) + " are read)";
    else
    {
        // A writer that is there is waited for.
        ::fcntl(file, F_SETFL, ::fcntl(file, F_GETFL) & ~O_NONBLOCK);
        if (S_ISREG(status.st_mode))
            bytes.reserve(static_cast<std::size_t>(status.st_size));
        unsigned char block[1 << 16];
        for (;;)
        {
            const ssize_t got = ::read(file, block, sizeof block);
            if (got < 0 && errno == EINTR)
                continue;
            if (got < 0)
            {
                refusal = whyNotRead(errno);
                break;
            }
            if (got == 0)
                break;
            if (bytes.size() + static_cast<std::size_t>(got) > limit)
            {
                refusal = "more than " + formatBytes(limit) + ", far larger than any " + kind;
                break;
            }
            bytes.insert(bytes.end(), block, block + got);
        }
    }
    ::close(file);
    if (!refusal.empty())
        throw std::runtime_error("cannot read " + path + ": " + refusal);
    return bytes;
}

// Writes the bytes as the whole file; throws std::runtime_error naming the
// path and why not.
inline void writeWholeFile(const std::string& path, const std::vector<unsigned char>& bytes)
{
    errno = 0;
    FILE* file = std::fopen(path.c_str(), "wb");
    int error = errno;
    if (file != nullptr)
    {
        if (std::fwrite(bytes.data(), 1, bytes.size(), file) != bytes.size())
            error = errno;
        // A full disk may show only when the file is closed.
        if (std::fclose(file) != 0 && error == 0)
            error = errno != 0 ? errno : EIO;
        if (error == 0)
            return;
    }
    throw std::runtime_error("cannot write " + path + ": " + whyNotWritten(error));
}

// An argument no option takes; --help and -h ask for the usage.
[[noreturn]] inline void unknownArgument(const std::string& argument)
{
    if (argument == "--help" || argument == "-h")
        throw HelpRequest();
    if (!argument.empty() && argument[0] == '-')
        throw UsageError(argument + ": no such option");
    throw UsageError(argument + ": one argument too many");
}

// The one argument that is not an option names the plug-in's library;
// anything else left over is refused.
inline void takePluginArgument(const std::string& argument, std::string& plugin)
{
    if (argument.empty() || argument[0] == '-' || !plugin.empty())
        unknownArgument(argument);
    plugin = argument;
}

// Once every argument is read.
inline void requirePlugin(const std::string& plugin)
{
    if (plugin.empty())
        throw UsageError("which plug-in? Name its library file first");
}
