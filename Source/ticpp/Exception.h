#pragma once

#include <exception>
#include <string>

namespace ticpp
{
// The one failure of the XML layer: the message, where in the layer it was
// raised, and the parser's own description of a known parse error.
class Exception : public std::exception
{
public:
    explicit Exception(const std::string& details);
    ~Exception() noexcept override;
    const char* what() const noexcept override;

    std::string m_details;
};
}
