#include "Source/shared/FileAccess.h"

namespace FileAccess
{
Exception::Exception(int code, const std::string& message) : m_message(message), m_code(code) {}

Exception::~Exception() noexcept = default;

const char* Exception::what() const noexcept
{
    return m_message.c_str();
}
} // namespace FileAccess
