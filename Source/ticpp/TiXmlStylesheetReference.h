#pragma once

#include "ticppapi.h"

#include <string>

// The parser has no node for an xml-stylesheet instruction; the layer's
// stylesheet reference wraps this stand-in. Nothing parses into it: it exists
// only when built by hand.
class TiXmlStylesheetReference : public TiXmlUnknown
{
public:
    TiXmlStylesheetReference();
    TiXmlStylesheetReference(const std::string& type, const std::string& href);

    const std::string& Type() const { return m_type; }
    const std::string& Href() const { return m_href; }

    TiXmlNode* Clone() const override;
    bool Accept(TiXmlVisitor* visitor) const override;

private:
    std::string m_type;
    std::string m_href;
};
