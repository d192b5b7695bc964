#include "Visitor.h"

#include "ticpp.h"

namespace ticpp
{
Visitor::~Visitor() = default;

bool Visitor::VisitEnter(const TiXmlDocument& doc)
{
    return VisitEnter(Document(const_cast<TiXmlDocument*>(&doc)));
}

bool Visitor::VisitExit(const TiXmlDocument& doc)
{
    return VisitExit(Document(const_cast<TiXmlDocument*>(&doc)));
}

bool Visitor::VisitEnter(const TiXmlElement& element, const TiXmlAttribute* firstAttribute)
{
    const Element wrapped(const_cast<TiXmlElement*>(&element));
    if (firstAttribute == nullptr)
        return VisitEnter(wrapped, nullptr);
    const Attribute attribute(const_cast<TiXmlAttribute*>(firstAttribute));
    return VisitEnter(wrapped, &attribute);
}

bool Visitor::VisitExit(const TiXmlElement& element)
{
    return VisitExit(Element(const_cast<TiXmlElement*>(&element)));
}

bool Visitor::Visit(const TiXmlDeclaration& declaration)
{
    return Visit(Declaration(const_cast<TiXmlDeclaration*>(&declaration)));
}

bool Visitor::Visit(const TiXmlStylesheetReference& stylesheet)
{
    return Visit(StylesheetReference(const_cast<TiXmlStylesheetReference*>(&stylesheet)));
}

bool Visitor::Visit(const TiXmlText& text)
{
    return Visit(Text(const_cast<TiXmlText*>(&text)));
}

bool Visitor::Visit(const TiXmlComment& comment)
{
    return Visit(Comment(const_cast<TiXmlComment*>(&comment)));
}

bool Visitor::Visit(const TiXmlUnknown&)
{
    return true;
}

bool Visitor::VisitEnter(const Document&)
{
    return true;
}

bool Visitor::VisitExit(const Document&)
{
    return true;
}

bool Visitor::VisitEnter(const Element&, const Attribute*)
{
    return true;
}

bool Visitor::VisitExit(const Element&)
{
    return true;
}

bool Visitor::Visit(const Declaration&)
{
    return true;
}

bool Visitor::Visit(const StylesheetReference&)
{
    return true;
}

bool Visitor::Visit(const Text&)
{
    return true;
}

bool Visitor::Visit(const Comment&)
{
    return true;
}
}
