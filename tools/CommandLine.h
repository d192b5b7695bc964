#pragma once

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <stdexcept>
#include <string>
#include <vector>

// An argument that cannot be used: the message names it and says why.
class UsageError : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

// The frame of a command-line tool: its options parsed (on a UsageError its
// message, then the usage, with 2 returned; the usage alone when parse
// answers false), then its work, whose error is printed under the tool's
// name with 1 returned.
template <class Options, class Parse, class Usage, class Run>
int runCommandLine(const char* name, int argc, char** argv, Parse parse, Usage usage, Run run)
{
    Options options;
    try
    {
        if (!parse(argc, argv, options))
        {
            usage();
            return 2;
        }
    }
    catch (const UsageError& error)
    {
        std::fprintf(stderr, "%s: %s\n", name, error.what());
        usage();
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

// An argument no option takes.
[[noreturn]] inline void unknownArgument(const std::string& argument)
{
    if (!argument.empty() && argument[0] == '-')
        throw UsageError(argument + ": no such option");
    throw UsageError(argument + ": one argument too many");
}
