#include "TiXmlStylesheetReference.h"

#include "Visitor.h"

TiXmlStylesheetReference::TiXmlStylesheetReference() : TiXmlStylesheetReference(std::string(), std::string())
{
}

TiXmlStylesheetReference::TiXmlStylesheetReference(const std::string& type, const std::string& href)
    : m_type(type), m_href(href)
{
    // Printed by the parser as "<" value ">", so the value is the whole instruction.
    SetValue("?xml-stylesheet type=\"" + type + "\" href=\"" + href + "\"?");
}

TiXmlNode* TiXmlStylesheetReference::Clone() const
{
    return new TiXmlStylesheetReference(m_type, m_href);
}

bool TiXmlStylesheetReference::Accept(TiXmlVisitor* visitor) const
{
    if (auto* wrapped = dynamic_cast<ticpp::Visitor*>(visitor))
        return wrapped->Visit(*this);
    return visitor->Visit(static_cast<const TiXmlUnknown&>(*this));
}
