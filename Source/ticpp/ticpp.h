#pragma once

// Reference-counted object wrappers over the TinyXML parser. Wrappers are held
// by value, copied and returned freely; wrappers returned as pointers by the
// navigation operations belong to the node they wrap and die with it.

#include "Exception.h"
#include "TiCppRCImp.h"
#include "TiXmlStylesheetReference.h"
#include "ticppapi.h"

#include <cstdio>
#include <locale>
#include <memory>
#include <sstream>
#include <string>
#include <typeinfo>

namespace ticpp
{
// Builds the full message of an exception raised in this layer: the text, the
// raising source file (without directories) and line, and the parse error of
// the wrapper's document when one is known.
#define TICPPTHROW(message)                                                                                 \
    {                                                                                                       \
        std::ostringstream ticppMessage;                                                                    \
        ticppMessage << message;                                                                            \
        throw ::ticpp::Exception(                                                                           \
            ::ticpp::Base::FormatMessage(ticppMessage.str(), __FILE__, __LINE__, BuildDetailedErrorString())); \
    }

class Attribute;
class Comment;
class Declaration;
class Document;
class Element;
class Node;
class StylesheetReference;
class Text;

class Base
{
public:
    Base() = default;
    virtual ~Base();

    virtual TiXmlBase* GetBasePointer() const = 0;

    template <class T>
    std::string ToString(const T& value) const
    {
        std::stringstream convert;
        convert.imbue(std::locale::classic());
        convert << value;
        if (convert.fail())
            TICPPTHROW("Could not convert value to text");
        return convert.str();
    }
    std::string ToString(const std::string& value) const { return value; }

    template <class T>
    void FromString(const std::string& temp, T* out) const
    {
        std::istringstream val(temp);
        val.imbue(std::locale::classic());
        val >> *out;
        if (val.fail())
            TICPPTHROW("Could not convert \"" << temp << "\" to target type");
    }
    void FromString(const std::string& temp, std::string* out) const { *out = temp; }

    // Equal when both wrap the same parser object.
    bool operator==(const Base& rhs) const { return GetBasePointer() == rhs.GetBasePointer(); }
    bool operator!=(const Base& rhs) const { return !(*this == rhs); }

    // The parse error of this wrapper's document, or empty.
    std::string BuildDetailedErrorString() const;
    // Throws "Internal TiXml Pointer is NULL" when the object is gone.
    void ValidatePointer() const;

    static std::string FormatMessage(const std::string& text, const char* file, int line, const std::string& detail);

protected:
    friend class TiCppRCImp;
    // Binds to object's record and adds this wrapper's reference.
    void BindRecord(TiXmlBase* object);
    // Registers this wrapper as one its object owns.
    void RegisterAsSpawned();

    TiCppRCImp* m_impRC = nullptr;
};

class Node : public Base
{
public:
    template <class T>
    void GetValue(T* value) const
    {
        FromString(GetTiXmlPointer()->ValueStr(), value);
    }
    std::string Value() const;
    template <class T>
    void SetValue(const T& value)
    {
        GetTiXmlPointer()->SetValue(ToString(value));
    }

    void Clear();
    // Destroys the wrappers that navigation handed out for the nodes and
    // attributes beneath this one; the nodes stay, and so do wrappers held
    // by value. For a tree that outlives many walks over it: each walk makes
    // new wrappers, which would otherwise stay until the tree goes.
    void ReleaseWrappersBeneath();

    Node* Parent(bool throwIfNoParent = true) const;

    Node* FirstChild(bool throwIfNoChildren = true) const;
    Node* FirstChild(const char* value, bool throwIfNoChildren = true) const;
    Node* FirstChild(const std::string& value, bool throwIfNoChildren = true) const;
    Node* LastChild(bool throwIfNoChildren = true) const;
    Node* LastChild(const char* value, bool throwIfNoChildren = true) const;
    Node* LastChild(const std::string& value, bool throwIfNoChildren = true) const;

    Node* IterateChildren(Node* previous) const;
    Node* IterateChildren(const std::string& value, Node* previous) const;

    Node* InsertEndChild(Node& addThis);
    Node* LinkEndChild(Node* childNode);
    Node* InsertBeforeChild(Node* beforeThis, Node& addThis);
    Node* InsertAfterChild(Node* afterThis, Node& addThis);
    Node* ReplaceChild(Node* replaceThis, Node& withThis);
    void RemoveChild(Node* removeThis);

    Node* PreviousSibling(bool throwIfNoSiblings = true) const;
    Node* PreviousSibling(const char* value, bool throwIfNoSiblings = true) const;
    Node* PreviousSibling(const std::string& value, bool throwIfNoSiblings = true) const;
    Node* NextSibling(bool throwIfNoSiblings = true) const;
    Node* NextSibling(const char* value, bool throwIfNoSiblings = true) const;
    Node* NextSibling(const std::string& value, bool throwIfNoSiblings = true) const;

    Element* FirstChildElement(bool throwIfNoChildren = true) const;
    Element* FirstChildElement(const char* value, bool throwIfNoChildren = true) const;
    Element* FirstChildElement(const std::string& value, bool throwIfNoChildren = true) const;
    Element* NextSiblingElement(bool throwIfNoSiblings = true) const;
    Element* NextSiblingElement(const char* value, bool throwIfNoSiblings = true) const;
    Element* NextSiblingElement(const std::string& value, bool throwIfNoSiblings = true) const;

    int Type() const;
    bool NoChildren() const;

    Document* GetDocument(bool throwIfNoDocument = true) const;

    Document* ToDocument() const;
    Element* ToElement() const;
    Comment* ToComment() const;
    Text* ToText() const;
    Declaration* ToDeclaration() const;
    StylesheetReference* ToStylesheetReference() const;

    // A deep copy outside any tree, owned by the returned wrapper alone.
    std::unique_ptr<Node> Clone() const;

    bool Accept(TiXmlVisitor* visitor) const;

    // Element iteration: the first (next) element among the children
    // (siblings) whose value matches; every node passed on the way is wrapped.
    template <class T>
    void IterateFirst(const std::string& value, T** first) const
    {
        *first = nullptr;
        for (Node* child = FirstChild(value, false); child != nullptr; child = child->NextSibling(value, false))
        {
            *first = dynamic_cast<T*>(child);
            if (*first != nullptr)
                return;
        }
    }
    template <class T>
    void IterateNext(const std::string& value, T** next) const
    {
        Node* sibling = NextSibling(value, false);
        *next = dynamic_cast<T*>(sibling);
        while (sibling != nullptr && *next == nullptr)
        {
            sibling = sibling->NextSibling(value, false);
            *next = dynamic_cast<T*>(sibling);
        }
    }
    template <class T>
    void IteratePrevious(const std::string& value, T** previous) const
    {
        Node* sibling = PreviousSibling(value, false);
        *previous = dynamic_cast<T*>(sibling);
        while (sibling != nullptr && *previous == nullptr)
        {
            sibling = sibling->PreviousSibling(value, false);
            *previous = dynamic_cast<T*>(sibling);
        }
    }
    // Attributes iterate only on elements.
    virtual void IterateFirst(const std::string& value, Attribute** first) const;

    TiXmlBase* GetBasePointer() const override { return GetTiXmlPointer(); }
    virtual TiXmlNode* GetTiXmlPointer() const = 0;

protected:
    // The one place where wrappers for found nodes are made.
    Node* NodeFactory(TiXmlNode* tiXmlNode, bool throwIfNull = true, bool rememberSpawnedWrapper = true) const;

private:
    // Spawned wrapper of a known class.
    template <class W, class T>
    static W* Spawn(T* object);
    // Wraps a node found by a navigation step, honouring the throw flag.
    Node* Found(TiXmlNode* node) const { return NodeFactory(node, false); }
};

template <class T>
class NodeImp : public Node
{
public:
    NodeImp(const NodeImp& copy) : Node(copy), m_tiXmlPointer(copy.m_tiXmlPointer)
    {
        m_impRC = copy.m_impRC;
        m_impRC->IncRef();
    }

    NodeImp& operator=(const NodeImp& copy)
    {
        copy.m_impRC->IncRef();
        TiCppRCImp* old = m_impRC;
        m_impRC = copy.m_impRC;
        m_tiXmlPointer = copy.m_tiXmlPointer;
        old->DecRef();
        return *this;
    }

    ~NodeImp() override { m_impRC->DecRef(); }

    TiXmlNode* GetTiXmlPointer() const override
    {
        ValidatePointer();
        return m_tiXmlPointer;
    }

protected:
    // Wraps an existing parser object; a null one cannot be wrapped.
    explicit NodeImp(T* tiXmlPointer)
    {
        if (tiXmlPointer == nullptr)
            TICPPTHROW("Can not create a " << typeid(T).name());
        m_tiXmlPointer = tiXmlPointer;
        BindRecord(tiXmlPointer);
    }

    T* Pointer() const
    {
        ValidatePointer();
        return m_tiXmlPointer;
    }

    T* m_tiXmlPointer = nullptr;
};

class Attribute : public Base
{
public:
    Attribute();
    Attribute(const std::string& name, const std::string& value);
    explicit Attribute(TiXmlAttribute* attribute);
    Attribute(const Attribute& copy);
    Attribute& operator=(const Attribute& copy);
    ~Attribute() override;

    template <class T>
    void GetValue(T* value) const
    {
        ValidatePointer();
        FromString(m_tiXmlPointer->ValueStr(), value);
    }
    std::string Value() const;
    template <class T>
    void SetValue(const T& value)
    {
        ValidatePointer();
        m_tiXmlPointer->SetValue(ToString(value));
    }

    template <class T>
    void GetName(T* name) const
    {
        ValidatePointer();
        FromString(m_tiXmlPointer->Name(), name);
    }
    std::string Name() const;

    Attribute* Next(bool throwIfNoAttribute = true) const;
    Attribute* Previous(bool throwIfNoAttribute = true) const;
    void IterateNext(const std::string& value, Attribute** next) const;
    void IteratePrevious(const std::string& value, Attribute** previous) const;

    virtual void Print(FILE* file, int depth) const;

    TiXmlBase* GetBasePointer() const override;

private:
    friend class Element;
    static Attribute* Spawned(TiXmlAttribute* attribute);
    Attribute* SpawnFor(const TiXmlAttribute* attribute, bool throwIfNone) const;

    TiXmlAttribute* m_tiXmlPointer = nullptr;
};

class Document : public NodeImp<TiXmlDocument>
{
public:
    Document();
    explicit Document(TiXmlDocument* document);
    explicit Document(const char* documentName);
    explicit Document(const std::string& documentName);

    // Every load first destroys the present tree.
    void LoadFile(TiXmlEncoding encoding = TIXML_DEFAULT_ENCODING);
    void LoadFile(const std::string& filename, TiXmlEncoding encoding = TIXML_DEFAULT_ENCODING);
    void LoadFile(const char* filename, TiXmlEncoding encoding = TIXML_DEFAULT_ENCODING);
    void SaveFile() const;
    void SaveFile(const std::string& filename) const;

    void Parse(const std::string& xml, bool throwIfParseError = true, TiXmlEncoding encoding = TIXML_DEFAULT_ENCODING);

private:
    void LoadNamedFile(const std::string& filename, TiXmlEncoding encoding);
};

class Element : public NodeImp<TiXmlElement>
{
public:
    Element();
    explicit Element(const std::string& value);
    explicit Element(const char* value);
    explicit Element(TiXmlElement* element);

    Attribute* FirstAttribute(bool throwIfNoAttributes = true) const;
    Attribute* LastAttribute(bool throwIfNoAttributes = true) const;

    template <class T>
    void SetAttribute(const std::string& name, const T& value)
    {
        ValidatePointer();
        m_tiXmlPointer->SetAttribute(name, ToString(value));
    }

    template <class T>
    void GetAttribute(const std::string& name, T* value, bool throwIfNotFound = true) const
    {
        ValidatePointer();
        std::string temp;
        if (!GetAttributeImp(name, &temp))
        {
            if (throwIfNotFound)
                TICPPTHROW("Attribute does not exist");
            return;
        }
        FromString(temp, value);
    }
    // The attribute's text, or an empty text when it is missing.
    std::string GetAttribute(const std::string& name) const;

    template <class T, class D>
    void GetAttributeOrDefault(const std::string& name, T* value, const D& defaultValue) const
    {
        ValidatePointer();
        std::string temp;
        if (!GetAttributeImp(name, &temp))
        {
            *value = static_cast<T>(defaultValue);
            return;
        }
        FromString(temp, value);
    }
    std::string GetAttributeOrDefault(const std::string& name, const std::string& defaultValue) const;

    void RemoveAttribute(const std::string& name);

    std::string GetText(bool throwIfNotFound = true) const;
    template <class T>
    void GetText(T* value, bool throwIfNotFound = true) const
    {
        ValidatePointer();
        std::string temp;
        if (!GetTextImp(&temp))
        {
            if (throwIfNotFound)
                TICPPTHROW("Text does not exists in the current element");
            return;
        }
        FromString(temp, value);
    }

    bool GetAttributeImp(const std::string& name, std::string* value) const;
    bool GetTextImp(std::string* value) const;

    void IterateFirst(const std::string& value, Attribute** first) const override;
    using Node::IterateFirst;
};

class Text : public NodeImp<TiXmlText>
{
public:
    Text();
    explicit Text(const std::string& value);
    explicit Text(TiXmlText* text);
};

class Comment : public NodeImp<TiXmlComment>
{
public:
    Comment();
    explicit Comment(const std::string& comment);
    explicit Comment(TiXmlComment* comment);
};

class Declaration : public NodeImp<TiXmlDeclaration>
{
public:
    Declaration();
    Declaration(const std::string& version, const std::string& encoding, const std::string& standalone);
    explicit Declaration(TiXmlDeclaration* declaration);

    std::string Version() const;
    std::string Encoding() const;
    std::string Standalone() const;
};

class StylesheetReference : public NodeImp<TiXmlStylesheetReference>
{
public:
    StylesheetReference();
    StylesheetReference(const std::string& type, const std::string& href);
    explicit StylesheetReference(TiXmlStylesheetReference* stylesheetReference);

    std::string Type() const;
    std::string Href() const;
};

// Walks child elements (or attributes) filtered by value:
//   Iterator<Element> child("parameter");
//   for (child = child.begin(parent); child != child.end(); child++) ...
// The wrappers it visits belong to their nodes; the iterator owns nothing.
template <class T = Element>
class Iterator
{
public:
    explicit Iterator(const std::string& value = std::string()) : m_p(nullptr), m_value(value) {}
    Iterator(T* node, const std::string& value = std::string()) : m_p(node), m_value(value) {}
    Iterator(const Iterator& it) = default;
    Iterator& operator=(const Iterator& it) = default;
    Iterator& operator=(T* p)
    {
        m_p = p;
        return *this;
    }

    T* begin(const Node* parent) const
    {
        T* pointer = nullptr;
        parent->IterateFirst(m_value, &pointer);
        return pointer;
    }
    T* end() const { return nullptr; }

    Iterator& operator++()
    {
        m_p->IterateNext(m_value, &m_p);
        return *this;
    }
    Iterator operator++(int)
    {
        Iterator tmp(*this);
        ++(*this);
        return tmp;
    }
    Iterator& operator--()
    {
        m_p->IteratePrevious(m_value, &m_p);
        return *this;
    }
    Iterator operator--(int)
    {
        Iterator tmp(*this);
        --(*this);
        return tmp;
    }

    bool operator!=(const T* p) const
    {
        if (m_p == p)
            return false;
        if (m_p == nullptr || p == nullptr)
            return true;
        return *m_p != *p;
    }
    bool operator==(const T* p) const { return !(*this != p); }
    bool operator!=(const Iterator& it) const { return *this != it.m_p; }
    bool operator==(const Iterator& it) const { return !(*this != it.m_p); }

    T* operator->() const { return m_p; }
    T& operator*() const { return *m_p; }
    T* Get() const { return m_p; }

private:
    T* m_p;
    std::string m_value;
};
}

#include "Visitor.h"
