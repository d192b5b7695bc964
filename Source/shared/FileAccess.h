#pragma once

#include <exception>
#include <string>

namespace FileAccess
{
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
