#pragma once

#include "ticppapi.h"

class TiXmlStylesheetReference;

namespace ticpp
{
class Attribute;
class Comment;
class Declaration;
class Document;
class Element;
class StylesheetReference;
class Text;

// Adapts the parser's visitor to the wrapper classes: each parser callback
// wraps its object for the length of the call and calls the wrapped callback.
class Visitor : public TiXmlVisitor
{
public:
    ~Visitor() override;

    bool VisitEnter(const TiXmlDocument& doc) override;
    bool VisitExit(const TiXmlDocument& doc) override;
    bool VisitEnter(const TiXmlElement& element, const TiXmlAttribute* firstAttribute) override;
    bool VisitExit(const TiXmlElement& element) override;
    bool Visit(const TiXmlDeclaration& declaration) override;
    virtual bool Visit(const TiXmlStylesheetReference& stylesheet);
    bool Visit(const TiXmlText& text) override;
    bool Visit(const TiXmlComment& comment) override;
    bool Visit(const TiXmlUnknown& unknown) override;

    virtual bool VisitEnter(const Document& doc);
    virtual bool VisitExit(const Document& doc);
    virtual bool VisitEnter(const Element& element, const Attribute* firstAttribute);
    virtual bool VisitExit(const Element& element);
    virtual bool Visit(const Declaration& declaration);
    virtual bool Visit(const StylesheetReference& stylesheet);
    virtual bool Visit(const Text& text);
    virtual bool Visit(const Comment& comment);
};
}
