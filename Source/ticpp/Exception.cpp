#include "Exception.h"

namespace ticpp
{
Exception::Exception(const std::string& details) : m_details(details)
{
}

Exception::~Exception() noexcept = default;

const char* Exception::what() const noexcept
{
    return m_details.c_str();
}
}
