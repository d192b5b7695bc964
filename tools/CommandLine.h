#pragma once

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <stdexcept>
#include <string>

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

// An argument no option takes.
[[noreturn]] inline void unknownArgument(const std::string& argument)
{
    if (!argument.empty() && argument[0] == '-')
        throw UsageError(argument + ": no such option");
    throw UsageError(argument + ": one argument too many");
}
