#include "ticpp.h"

#include <cstring>
#include <fstream>
#include <iterator>

namespace ticpp
{
namespace
{
// The parser recurses once per nesting level: a crafted text of a few
// megabytes of open tags would overflow the stack. No document of ours comes
// near this depth.
constexpr int kMaxNesting = 256;

// Skips markup that cannot open an element (comments, CDATA, declarations and
// processing instructions); counts element opens and closes.
bool NestingWithinLimit(const std::string& xml)
{
    int depth = 0;
    const std::size_t n = xml.size();
    for (std::size_t i = xml.find('<'); i != std::string::npos && i < n; i = xml.find('<', i))
    {
        const char next = i + 1 < n ? xml[i + 1] : '\0';
        if (xml.compare(i, 4, "<!--") == 0)
        {
            i = xml.find("-->", i + 4);
            if (i == std::string::npos)
                return true;
            continue;
        }
        if (xml.compare(i, 9, "<![CDATA[") == 0)
        {
            i = xml.find("]]>", i + 9);
            if (i == std::string::npos)
                return true;
            continue;
        }
        const std::size_t close = xml.find('>', i + 1);
        if (close == std::string::npos)
            return true;
        if (next == '/')
            --depth;
        else if (next != '!' && next != '?' && xml[close - 1] != '/' && ++depth > kMaxNesting)
            return false;
        i = close + 1;
    }
    return true;
}
}

// ---------------------------------------------------------------- Base

Base::~Base() = default;

std::string Base::FormatMessage(const std::string& text, const char* file, int line, const std::string& detail)
{
    const char* name = file;
    for (const char* p = file; *p != '\0'; ++p)
        if (*p == '/' || *p == '\\')
            name = p + 1;
    std::ostringstream full;
    full.imbue(std::locale::classic());
    full << text << " <" << name << "@" << line << ">" << detail;
    return full.str();
}

std::string Base::BuildDetailedErrorString() const
{
    if (m_impRC == nullptr || m_impRC->IsNull())
        return std::string();
    auto* node = dynamic_cast<TiXmlNode*>(m_impRC->Get());
    if (node == nullptr)
        return std::string();
    const TiXmlDocument* doc = node->GetDocument();
    if (doc == nullptr || !doc->Error())
        return std::string();
    std::ostringstream full;
    full.imbue(std::locale::classic());
    full << "\nDescription: " << doc->ErrorDesc() << "\nFile: "
         << (doc->ValueStr().empty() ? std::string("<unnamed-file>") : doc->ValueStr()) << "\nLine: " << doc->ErrorRow()
         << "\nColumn: " << doc->ErrorCol();
    return full.str();
}

void Base::ValidatePointer() const
{
    if (m_impRC == nullptr || m_impRC->IsNull())
        TICPPTHROW("Internal TiXml Pointer is NULL");
}

void Base::BindRecord(TiXmlBase* object)
{
    m_impRC = TiCppRCImp::Of(object);
    m_impRC->IncRef();
}

void Base::RegisterAsSpawned()
{
    m_impRC->Spawn(this);
}

// ---------------------------------------------------------------- Node

template <class W, class T>
W* Node::Spawn(T* object)
{
    W* wrapper = new W(object);
    wrapper->RegisterAsSpawned();
    return wrapper;
}

Node* Node::NodeFactory(TiXmlNode* tiXmlNode, bool throwIfNull, bool rememberSpawnedWrapper) const
{
    if (tiXmlNode == nullptr)
    {
        if (throwIfNull)
            TICPPTHROW("tiXmlNode is NULL");
        return nullptr;
    }

    Node* temp = nullptr;
    switch (tiXmlNode->Type())
    {
    case TiXmlNode::TINYXML_DOCUMENT:
        temp = new Document(tiXmlNode->ToDocument());
        break;
    case TiXmlNode::TINYXML_ELEMENT:
        temp = new Element(tiXmlNode->ToElement());
        break;
    case TiXmlNode::TINYXML_COMMENT:
        temp = new Comment(tiXmlNode->ToComment());
        break;
    case TiXmlNode::TINYXML_TEXT:
        temp = new Text(tiXmlNode->ToText());
        break;
    case TiXmlNode::TINYXML_DECLARATION:
        temp = new Declaration(tiXmlNode->ToDeclaration());
        break;
    default:
        if (auto* stylesheet = dynamic_cast<TiXmlStylesheetReference*>(tiXmlNode))
        {
            temp = new StylesheetReference(stylesheet);
            break;
        }
        TICPPTHROW("Type is unsupported");
    }

    if (rememberSpawnedWrapper)
        temp->RegisterAsSpawned();
    return temp;
}

std::string Node::Value() const
{
    return GetTiXmlPointer()->ValueStr();
}

void Node::Clear()
{
    TiXmlNode* node = GetTiXmlPointer();
    TiCppRCImp::ReleaseBeneath(node);
    node->Clear();
}

void Node::ReleaseWrappersBeneath()
{
    TiCppRCImp::DropSpawnedBeneath(GetTiXmlPointer());
}

Node* Node::Parent(bool throwIfNoParent) const
{
    TiXmlNode* parent = GetTiXmlPointer()->Parent();
    if (parent == nullptr && throwIfNoParent)
        TICPPTHROW("No parent exists");
    return Found(parent);
}

Node* Node::FirstChild(bool throwIfNoChildren) const
{
    return FirstChild(std::string(), throwIfNoChildren);
}

Node* Node::FirstChild(const char* value, bool throwIfNoChildren) const
{
    return FirstChild(std::string(value), throwIfNoChildren);
}

Node* Node::FirstChild(const std::string& value, bool throwIfNoChildren) const
{
    TiXmlNode* node = GetTiXmlPointer();
    TiXmlNode* child = value.empty() ? node->FirstChild() : node->FirstChild(value);
    if (child == nullptr && throwIfNoChildren)
        TICPPTHROW("Child with the value of \"" << value << "\" not found");
    return Found(child);
}

Node* Node::LastChild(bool throwIfNoChildren) const
{
    return LastChild(std::string(), throwIfNoChildren);
}

Node* Node::LastChild(const char* value, bool throwIfNoChildren) const
{
    return LastChild(std::string(value), throwIfNoChildren);
}

Node* Node::LastChild(const std::string& value, bool throwIfNoChildren) const
{
    TiXmlNode* node = GetTiXmlPointer();
    TiXmlNode* child = value.empty() ? node->LastChild() : node->LastChild(value);
    if (child == nullptr && throwIfNoChildren)
        TICPPTHROW("Child with the value of \"" << value << "\" not found");
    return Found(child);
}

Node* Node::IterateChildren(Node* previous) const
{
    return IterateChildren(std::string(), previous);
}

Node* Node::IterateChildren(const std::string& value, Node* previous) const
{
    TiXmlNode* node = GetTiXmlPointer();
    const TiXmlNode* after = previous != nullptr ? previous->GetTiXmlPointer() : nullptr;
    TiXmlNode* child = value.empty() ? node->IterateChildren(after) : node->IterateChildren(value, after);
    return Found(child);
}

Node* Node::InsertEndChild(Node& addThis)
{
    if (addThis.Type() == TiXmlNode::TINYXML_DOCUMENT)
        TICPPTHROW("Node is a Document and can't be inserted");
    TiXmlNode* copy = GetTiXmlPointer()->InsertEndChild(*addThis.GetTiXmlPointer());
    if (copy == nullptr)
        TICPPTHROW("Node can't be inserted");
    TiCppRCImp::ForgetRecords(copy);
    return NodeFactory(copy);
}

Node* Node::LinkEndChild(Node* childNode)
{
    if (childNode->Type() == TiXmlNode::TINYXML_DOCUMENT)
        TICPPTHROW("Node is a Document and can't be linked");
    TiXmlNode* node = GetTiXmlPointer();
    TiXmlNode* child = childNode->GetTiXmlPointer();
    // The parser would put a node that already has a parent into a second
    // list, or a node under itself; both corrupt the tree.
    bool refused = child->Parent() != nullptr;
    for (TiXmlNode* up = node; up != nullptr && !refused; up = up->Parent())
        refused = up == child;
    if (refused)
        TICPPTHROW("Node can't be linked");

    childNode->m_impRC->IncRef();
    if (node->LinkEndChild(child) == nullptr)
    {
        childNode->m_impRC->DecRef();
        TICPPTHROW("Node can't be linked");
    }
    return childNode;
}

Node* Node::InsertBeforeChild(Node* beforeThis, Node& addThis)
{
    if (addThis.Type() == TiXmlNode::TINYXML_DOCUMENT)
        TICPPTHROW("Node is a Document and can't be inserted");
    TiXmlNode* before = beforeThis != nullptr ? beforeThis->GetTiXmlPointer() : nullptr;
    TiXmlNode* copy = before != nullptr ? GetTiXmlPointer()->InsertBeforeChild(before, *addThis.GetTiXmlPointer()) : nullptr;
    if (copy == nullptr)
        TICPPTHROW("Node can't be inserted");
    TiCppRCImp::ForgetRecords(copy);
    return NodeFactory(copy);
}

Node* Node::InsertAfterChild(Node* afterThis, Node& addThis)
{
    if (addThis.Type() == TiXmlNode::TINYXML_DOCUMENT)
        TICPPTHROW("Node is a Document and can't be inserted");
    TiXmlNode* after = afterThis != nullptr ? afterThis->GetTiXmlPointer() : nullptr;
    TiXmlNode* copy = after != nullptr ? GetTiXmlPointer()->InsertAfterChild(after, *addThis.GetTiXmlPointer()) : nullptr;
    if (copy == nullptr)
        TICPPTHROW("Node can't be inserted");
    TiCppRCImp::ForgetRecords(copy);
    return NodeFactory(copy);
}

Node* Node::ReplaceChild(Node* replaceThis, Node& withThis)
{
    if (withThis.Type() == TiXmlNode::TINYXML_DOCUMENT)
        TICPPTHROW("Node is a Document and can't be inserted");
    TiXmlNode* node = GetTiXmlPointer();
    TiXmlNode* replaced = replaceThis != nullptr ? replaceThis->GetTiXmlPointer() : nullptr;
    const TiXmlNode* with = withThis.GetTiXmlPointer();
    if (replaced == nullptr || replaced->Parent() != node)
        TICPPTHROW("Node can't be inserted");

    // The wrappers of the replaced subtree (replaceThis among them, perhaps
    // withThis too) go first; the parser copies withThis before it deletes.
    TiCppRCImp::ReleaseSubtree(replaced);
    TiXmlNode* copy = node->ReplaceChild(replaced, *with);
    if (copy == nullptr)
        TICPPTHROW("Node can't be inserted");
    TiCppRCImp::ForgetRecords(copy);
    return NodeFactory(copy);
}

void Node::RemoveChild(Node* removeThis)
{
    TiXmlNode* node = GetTiXmlPointer();
    TiXmlNode* removed = removeThis->GetTiXmlPointer();
    if (removed->Parent() != node)
        TICPPTHROW("Node to remove (" << removeThis->Value() << ") is not a child of this Node (" << Value() << ")");
    TiCppRCImp::ReleaseSubtree(removed);
    node->RemoveChild(removed);
}

Node* Node::PreviousSibling(bool throwIfNoSiblings) const
{
    return PreviousSibling(std::string(), throwIfNoSiblings);
}

Node* Node::PreviousSibling(const char* value, bool throwIfNoSiblings) const
{
    return PreviousSibling(std::string(value), throwIfNoSiblings);
}

Node* Node::PreviousSibling(const std::string& value, bool throwIfNoSiblings) const
{
    TiXmlNode* node = GetTiXmlPointer();
    TiXmlNode* sibling = value.empty() ? node->PreviousSibling() : node->PreviousSibling(value);
    if (sibling == nullptr && throwIfNoSiblings)
        TICPPTHROW("No Siblings found with value, '" << value << "', Prior to this Node (" << Value() << ")");
    return Found(sibling);
}

Node* Node::NextSibling(bool throwIfNoSiblings) const
{
    return NextSibling(std::string(), throwIfNoSiblings);
}

Node* Node::NextSibling(const char* value, bool throwIfNoSiblings) const
{
    return NextSibling(std::string(value), throwIfNoSiblings);
}

Node* Node::NextSibling(const std::string& value, bool throwIfNoSiblings) const
{
    TiXmlNode* node = GetTiXmlPointer();
    TiXmlNode* sibling = value.empty() ? node->NextSibling() : node->NextSibling(value);
    if (sibling == nullptr && throwIfNoSiblings)
        TICPPTHROW("No Siblings found with value, '" << value << "', After this Node (" << Value() << ")");
    return Found(sibling);
}

Element* Node::FirstChildElement(bool throwIfNoChildren) const
{
    return FirstChildElement(std::string(), throwIfNoChildren);
}

Element* Node::FirstChildElement(const char* value, bool throwIfNoChildren) const
{
    return FirstChildElement(std::string(value), throwIfNoChildren);
}

Element* Node::FirstChildElement(const std::string& value, bool throwIfNoChildren) const
{
    TiXmlNode* node = GetTiXmlPointer();
    TiXmlElement* element = value.empty() ? node->FirstChildElement() : node->FirstChildElement(value);
    if (element == nullptr)
    {
        if (throwIfNoChildren)
            TICPPTHROW("Element (" << Value() << ") does NOT contain a child with the value of '" << value << "'");
        return nullptr;
    }
    return Spawn<Element>(element);
}

Element* Node::NextSiblingElement(bool throwIfNoSiblings) const
{
    return NextSiblingElement(std::string(), throwIfNoSiblings);
}

Element* Node::NextSiblingElement(const char* value, bool throwIfNoSiblings) const
{
    return NextSiblingElement(std::string(value), throwIfNoSiblings);
}

Element* Node::NextSiblingElement(const std::string& value, bool throwIfNoSiblings) const
{
    TiXmlNode* node = GetTiXmlPointer();
    TiXmlElement* sibling = value.empty() ? node->NextSiblingElement() : node->NextSiblingElement(value);
    if (sibling == nullptr)
    {
        if (throwIfNoSiblings)
            TICPPTHROW("No Element Siblings found with value, '" << value << "', After this Node (" << Value() << ")");
        return nullptr;
    }
    return Spawn<Element>(sibling);
}

int Node::Type() const
{
    return GetTiXmlPointer()->Type();
}

bool Node::NoChildren() const
{
    return GetTiXmlPointer()->NoChildren();
}

Document* Node::GetDocument(bool throwIfNoDocument) const
{
    TiXmlDocument* doc = GetTiXmlPointer()->GetDocument();
    if (doc == nullptr)
    {
        if (throwIfNoDocument)
            TICPPTHROW("This node (" << Value() << ") is not linked under a document");
        return nullptr;
    }
    return Spawn<Document>(doc);
}

Document* Node::ToDocument() const
{
    TiXmlDocument* p = GetTiXmlPointer()->ToDocument();
    if (p == nullptr)
        TICPPTHROW("This node (" << Value() << ") is not a Document");
    return Spawn<Document>(p);
}

Element* Node::ToElement() const
{
    TiXmlElement* p = GetTiXmlPointer()->ToElement();
    if (p == nullptr)
        TICPPTHROW("This node (" << Value() << ") is not a Element");
    return Spawn<Element>(p);
}

Comment* Node::ToComment() const
{
    TiXmlComment* p = GetTiXmlPointer()->ToComment();
    if (p == nullptr)
        TICPPTHROW("This node (" << Value() << ") is not a Comment");
    return Spawn<Comment>(p);
}

Text* Node::ToText() const
{
    TiXmlText* p = GetTiXmlPointer()->ToText();
    if (p == nullptr)
        TICPPTHROW("This node (" << Value() << ") is not a Text");
    return Spawn<Text>(p);
}

Declaration* Node::ToDeclaration() const
{
    TiXmlDeclaration* p = GetTiXmlPointer()->ToDeclaration();
    if (p == nullptr)
        TICPPTHROW("This node (" << Value() << ") is not a Declaration");
    return Spawn<Declaration>(p);
}

StylesheetReference* Node::ToStylesheetReference() const
{
    auto* p = dynamic_cast<TiXmlStylesheetReference*>(GetTiXmlPointer());
    if (p == nullptr)
        TICPPTHROW("This node (" << Value() << ") is not a StylesheetReference");
    return Spawn<StylesheetReference>(p);
}

std::unique_ptr<Node> Node::Clone() const
{
    TiXmlNode* copy = GetTiXmlPointer()->Clone();
    if (copy == nullptr)
        TICPPTHROW("Node could not be cloned");
    TiCppRCImp::ForgetRecords(copy);
    std::unique_ptr<Node> owner;
    try
    {
        owner.reset(NodeFactory(copy, false, false));
    }
    catch (...)
    {
        delete copy;
        throw;
    }
    owner->m_impRC->InitRef();
    return owner;
}

bool Node::Accept(TiXmlVisitor* visitor) const
{
    return GetTiXmlPointer()->Accept(visitor);
}

void Node::IterateFirst(const std::string&, Attribute**) const
{
    TICPPTHROW("Attributes can only be iterated with Elements.");
}

// ---------------------------------------------------------------- Attribute

Attribute::Attribute() : Attribute(std::string(), std::string())
{
}

Attribute::Attribute(const std::string& name, const std::string& value)
{
    m_tiXmlPointer = new TiXmlAttribute(name, value);
    BindRecord(m_tiXmlPointer);
    m_impRC->InitRef();
}

Attribute::Attribute(TiXmlAttribute* attribute)
{
    if (attribute == nullptr)
        TICPPTHROW("Can not create a " << typeid(TiXmlAttribute).name());
    m_tiXmlPointer = attribute;
    BindRecord(attribute);
}

Attribute::Attribute(const Attribute& copy) : Base(copy), m_tiXmlPointer(copy.m_tiXmlPointer)
{
    m_impRC = copy.m_impRC;
    m_impRC->IncRef();
}

Attribute& Attribute::operator=(const Attribute& copy)
{
    copy.m_impRC->IncRef();
    TiCppRCImp* old = m_impRC;
    m_impRC = copy.m_impRC;
    m_tiXmlPointer = copy.m_tiXmlPointer;
    old->DecRef();
    return *this;
}

Attribute::~Attribute()
{
    m_impRC->DecRef();
}

TiXmlBase* Attribute::GetBasePointer() const
{
    ValidatePointer();
    return m_tiXmlPointer;
}

std::string Attribute::Value() const
{
    ValidatePointer();
    return m_tiXmlPointer->ValueStr();
}

std::string Attribute::Name() const
{
    ValidatePointer();
    return m_tiXmlPointer->Name();
}

Attribute* Attribute::Spawned(TiXmlAttribute* attribute)
{
    auto* wrapper = new Attribute(attribute);
    wrapper->RegisterAsSpawned();
    return wrapper;
}

Attribute* Attribute::SpawnFor(const TiXmlAttribute* attribute, bool throwIfNone) const
{
    if (attribute == nullptr)
    {
        if (throwIfNone)
            TICPPTHROW("No more attributes found");
        return nullptr;
    }
    return Spawned(const_cast<TiXmlAttribute*>(attribute));
}

Attribute* Attribute::Next(bool throwIfNoAttribute) const
{
    ValidatePointer();
    return SpawnFor(m_tiXmlPointer->Next(), throwIfNoAttribute);
}

Attribute* Attribute::Previous(bool throwIfNoAttribute) const
{
    ValidatePointer();
    return SpawnFor(m_tiXmlPointer->Previous(), throwIfNoAttribute);
}

void Attribute::IterateNext(const std::string&, Attribute** next) const
{
    *next = Next(false);
}

void Attribute::IteratePrevious(const std::string&, Attribute** previous) const
{
    *previous = Previous(false);
}

void Attribute::Print(FILE* file, int depth) const
{
    ValidatePointer();
    m_tiXmlPointer->Print(file, depth);
}

// ---------------------------------------------------------------- Document

Document::Document() : NodeImp<TiXmlDocument>(new TiXmlDocument())
{
    m_impRC->InitRef();
}

Document::Document(TiXmlDocument* document) : NodeImp<TiXmlDocument>(document)
{
}

Document::Document(const char* documentName) : NodeImp<TiXmlDocument>(new TiXmlDocument(documentName))
{
    m_impRC->InitRef();
}

Document::Document(const std::string& documentName) : NodeImp<TiXmlDocument>(new TiXmlDocument(documentName))
{
    m_impRC->InitRef();
}

void Document::LoadNamedFile(const std::string& filename, TiXmlEncoding encoding)
{
    TiXmlDocument* doc = Pointer();
    TiCppRCImp::ReleaseBeneath(doc);
    doc->Clear();
    std::ifstream file(filename, std::ios::binary);
    if (file && !NestingWithinLimit(std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>())))
    {
        doc->SetValue(filename);
        doc->SetError(TiXmlBase::TIXML_ERROR_PARSING_ELEMENT, nullptr, nullptr, encoding);
        TICPPTHROW("Couldn't load " << filename);
    }
    if (!doc->LoadFile(filename.c_str(), encoding))
        TICPPTHROW("Couldn't load " << filename);
}

void Document::LoadFile(TiXmlEncoding encoding)
{
    LoadNamedFile(Pointer()->ValueStr(), encoding);
}

void Document::LoadFile(const std::string& filename, TiXmlEncoding encoding)
{
    LoadNamedFile(filename, encoding);
}

void Document::LoadFile(const char* filename, TiXmlEncoding encoding)
{
    LoadNamedFile(std::string(filename), encoding);
}

void Document::SaveFile() const
{
    TiXmlDocument* doc = Pointer();
    if (!doc->SaveFile())
        TICPPTHROW("Couldn't save " << doc->ValueStr());
}

void Document::SaveFile(const std::string& filename) const
{
    if (!Pointer()->SaveFile(filename.c_str()))
        TICPPTHROW("Couldn't save " << filename);
}

void Document::Parse(const std::string& xml, bool throwIfParseError, TiXmlEncoding encoding)
{
    TiXmlDocument* doc = Pointer();
    // A second parse replaces the tree rather than appending a second root.
    TiCppRCImp::ReleaseBeneath(doc);
    doc->Clear();
    if (NestingWithinLimit(xml))
    {
        // TinyXML steps over a whole UTF-8 sequence from its lead byte, also
        // from one that the end of the text cuts short, and then reads past
        // the terminator: the text goes in with terminators enough behind it.
        constexpr std::size_t kTerminators = 8;
        std::string padded;
        padded.reserve(xml.size() + kTerminators);
        padded.append(xml).append(kTerminators, '\0');
        doc->Parse(padded.c_str(), nullptr, encoding);
    }
    else
        doc->SetError(TiXmlBase::TIXML_ERROR_PARSING_ELEMENT, nullptr, nullptr, encoding);
    if (throwIfParseError && doc->Error())
        TICPPTHROW("Error parsing xml.");
}

// ---------------------------------------------------------------- Element

Element::Element() : NodeImp<TiXmlElement>(new TiXmlElement("DefaultValueCausedByCreatingAnElementWithNoParameters"))
{
    m_impRC->InitRef();
}

Element::Element(const std::string& value) : NodeImp<TiXmlElement>(new TiXmlElement(value))
{
    m_impRC->InitRef();
}

Element::Element(const char* value) : NodeImp<TiXmlElement>(new TiXmlElement(value))
{
    m_impRC->InitRef();
}

Element::Element(TiXmlElement* element) : NodeImp<TiXmlElement>(element)
{
}

Attribute* Element::FirstAttribute(bool throwIfNoAttributes) const
{
    TiXmlAttribute* attribute = Pointer()->FirstAttribute();
    if (attribute == nullptr)
    {
        if (throwIfNoAttributes)
            TICPPTHROW("This Element (" << Value() << ") has no attributes");
        return nullptr;
    }
    return Attribute::Spawned(attribute);
}

Attribute* Element::LastAttribute(bool throwIfNoAttributes) const
{
    TiXmlAttribute* attribute = Pointer()->LastAttribute();
    if (attribute == nullptr)
    {
        if (throwIfNoAttributes)
            TICPPTHROW("This Element (" << Value() << ") has no attributes");
        return nullptr;
    }
    return Attribute::Spawned(attribute);
}

std::string Element::GetAttribute(const std::string& name) const
{
    std::string temp;
    GetAttributeImp(name, &temp);
    return temp;
}

std::string Element::GetAttributeOrDefault(const std::string& name, const std::string& defaultValue) const
{
    std::string temp;
    if (!GetAttributeImp(name, &temp))
        return defaultValue;
    return temp;
}

void Element::RemoveAttribute(const std::string& name)
{
    TiXmlElement* element = Pointer();
    for (TiXmlAttribute* a = element->FirstAttribute(); a != nullptr; a = a->Next())
    {
        if (a->NameTStr() == name)
        {
            TiCppRCImp::Release(a);
            break;
        }
    }
    element->RemoveAttribute(name);
}

bool Element::GetAttributeImp(const std::string& name, std::string* value) const
{
    const std::string* text = Pointer()->Attribute(name);
    if (text == nullptr)
        return false;
    *value = *text;
    return true;
}

bool Element::GetTextImp(std::string* value) const
{
    const TiXmlNode* child = Pointer()->FirstChild();
    const TiXmlText* text = child != nullptr ? child->ToText() : nullptr;
    if (text == nullptr)
        return false;
    *value = text->ValueStr();
    return true;
}

std::string Element::GetText(bool throwIfNotFound) const
{
    std::string temp;
    if (!GetTextImp(&temp) && throwIfNotFound)
        TICPPTHROW("Text does not exists in the current element");
    return temp;
}

void Element::IterateFirst(const std::string&, Attribute** first) const
{
    *first = FirstAttribute(false);
}

// ---------------------------------------------------------------- the other nodes

Text::Text() : NodeImp<TiXmlText>(new TiXmlText(""))
{
    m_impRC->InitRef();
}

Text::Text(const std::string& value) : NodeImp<TiXmlText>(new TiXmlText(value))
{
    m_impRC->InitRef();
}

Text::Text(TiXmlText* text) : NodeImp<TiXmlText>(text)
{
}

Comment::Comment() : NodeImp<TiXmlComment>(new TiXmlComment())
{
    m_impRC->InitRef();
}

Comment::Comment(const std::string& comment) : NodeImp<TiXmlComment>(new TiXmlComment(comment.c_str()))
{
    m_impRC->InitRef();
}

Comment::Comment(TiXmlComment* comment) : NodeImp<TiXmlComment>(comment)
{
}

Declaration::Declaration() : NodeImp<TiXmlDeclaration>(new TiXmlDeclaration())
{
    m_impRC->InitRef();
}

Declaration::Declaration(const std::string& version, const std::string& encoding, const std::string& standalone)
    : NodeImp<TiXmlDeclaration>(new TiXmlDeclaration(version, encoding, standalone))
{
    m_impRC->InitRef();
}

Declaration::Declaration(TiXmlDeclaration* declaration) : NodeImp<TiXmlDeclaration>(declaration)
{
}

std::string Declaration::Version() const
{
    return Pointer()->Version();
}

std::string Declaration::Encoding() const
{
    return Pointer()->Encoding();
}

std::string Declaration::Standalone() const
{
    return Pointer()->Standalone();
}

StylesheetReference::StylesheetReference() : NodeImp<TiXmlStylesheetReference>(new TiXmlStylesheetReference())
{
    m_impRC->InitRef();
}

StylesheetReference::StylesheetReference(const std::string& type, const std::string& href)
    : NodeImp<TiXmlStylesheetReference>(new TiXmlStylesheetReference(type, href))
{
    m_impRC->InitRef();
}

StylesheetReference::StylesheetReference(TiXmlStylesheetReference* stylesheetReference)
    : NodeImp<TiXmlStylesheetReference>(stylesheetReference)
{
}

std::string StylesheetReference::Type() const
{
    return Pointer()->Type();
}

std::string StylesheetReference::Href() const
{
    return Pointer()->Href();
}
}
