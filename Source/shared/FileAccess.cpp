#include "Source/shared/FileAccess.h"

#include <cerrno>
#include <unistd.h>

namespace FileAccess
{
bool readFully(int fd, unsigned char* data, std::size_t length)
{
    while (length > 0)
    {
        const ssize_t got = ::read(fd, data, length);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            return false;
        data += got;
        length -= static_cast<std::size_t>(got);
    }
    return true;
}

Exception::Exception(int code, const std::string& message) : m_message(message), m_code(code) {}

Exception::~Exception() noexcept = default;

const char* Exception::what() const noexcept
{
    return m_message.c_str();
}
} // namespace FileAccess
