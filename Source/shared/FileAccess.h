#pragma once

#include <cstddef>
#include <exception>
#include <string>

namespace FileAccess
{
// Reads exactly length bytes, through interruptions; false at an error or
// the end of the file first.
bool readFully(int fd, unsigned char* data, std::size_t length);

// A file that cannot be used: its message and a code.
class Exception : public std::exception
{
public:
    // The code of a patch file that cannot be read as a patch.
    static constexpr int kNotAPatch = 3;

    Exception(int code, const std::string& message);
    ~Exception() noexcept override;

    const char* what() const noexcept override;
    int code() const { return m_code; }

private:
    std::string m_message;
    int m_code;
};
} // namespace FileAccess
