#include "Source/ticpp/ticpp.h"

#include <gtest/gtest.h>

#include <functional>
#include <regex>
#include <string>

namespace
{
struct Unprintable
{
};
std::ostream& operator<<(std::ostream& out, const Unprintable&)
{
    out.setstate(std::ios::failbit);
    return out;
}

std::string messageOf(const std::function<void()>& action)
{
    try
    {
        action();
    }
    catch (const ticpp::Exception& e)
    {
        return e.what();
    }
    return "(no exception)";
}

// text, the location tag with a bare file name, and the detail.
void expectLayout(const std::string& message, const std::string& text, const std::string& detail = std::string())
{
    static const std::regex tag(" <[A-Za-z0-9_.]+\\.(cpp|h)@[0-9]+>");
    ASSERT_EQ(message.compare(0, text.size(), text), 0) << message;
    const std::string rest = message.substr(text.size());
    std::smatch match;
    ASSERT_TRUE(std::regex_search(rest, match, tag)) << message;
    EXPECT_EQ(match.position(0), 0) << message;
    EXPECT_EQ(rest.substr(match.length(0)), detail) << message;
}
}

TEST(XmlErrors, MessagesWithoutParseErrorEndAtTheLocationTag)
{
    ticpp::Document doc;
    doc.Parse("<root><a/></root>");
    ticpp::Element* root = doc.FirstChildElement();
    expectLayout(messageOf([&] { root->FirstChildElement("x"); }),
                 "Element (root) does NOT contain a child with the value of 'x'");
    expectLayout(messageOf([&] { root->FirstChild("x"); }), "Child with the value of \"x\" not found");
    expectLayout(messageOf([&] { root->LastChild("x"); }), "Child with the value of \"x\" not found");
    expectLayout(messageOf([&] { root->NextSibling("y"); }), "No Siblings found with value, 'y', After this Node (root)");
    expectLayout(messageOf([&] { root->PreviousSibling(); }), "No Siblings found with value, '', Prior to this Node (root)");
    expectLayout(messageOf([&] { root->NextSiblingElement("z"); }),
                 "No Element Siblings found with value, 'z', After this Node (root)");
    expectLayout(messageOf([&] { doc.Parent(); }), "No parent exists");
}

TEST(XmlErrors, AFailedParseAddsItsDetailToLaterFailures)
{
    ticpp::Document doc;
    doc.Parse("<root>\n  <a>\n</root>", false);
    const std::string message = messageOf([&] { doc.FirstChildElement("x"); });
    const std::string detail = message.substr(message.find('>') + 1);
    EXPECT_TRUE(std::regex_match(detail, std::regex("\nDescription: .+\nFile: <unnamed-file>\nLine: [0-9]+\nColumn: [0-9]+")))
        << detail;

    ticpp::Document named("patch.xml");
    named.Parse("<a><b></a>", false);
    const std::string namedMessage = messageOf([&] { named.FirstChildElement("x"); });
    EXPECT_TRUE(std::regex_search(namedMessage, std::regex("\nFile: patch.xml\nLine: 1\nColumn: [0-9]+$")))
        << namedMessage;

    // A later successful parse clears the detail.
    named.Parse("<ok/>");
    expectLayout(messageOf([&] { named.FirstChildElement("x"); }),
                 "Element (patch.xml) does NOT contain a child with the value of 'x'");
}

TEST(XmlErrors, ParseFailureCarriesDescriptionLineAndColumn)
{
    ticpp::Document doc;
    const std::string message = messageOf([&] { doc.Parse("<a>\n<b>\n</a>"); });
    EXPECT_EQ(message.rfind("Error parsing xml. <", 0), 0u);
    EXPECT_TRUE(std::regex_search(message, std::regex("\nDescription: [^\n]+\nFile: <unnamed-file>\nLine: [0-9]+\nColumn: [0-9]+$")))
        << message;
}

TEST(XmlErrors, WhatReturnsTheBuiltMessage)
{
    const ticpp::Exception e("some text <ticpp.cpp@1>");
    EXPECT_STREQ(e.what(), "some text <ticpp.cpp@1>");
    EXPECT_EQ(e.m_details, "some text <ticpp.cpp@1>");
    EXPECT_EQ(ticpp::Base::FormatMessage("t", "/build/dir/Source/ticpp/ticpp.cpp", 12, ""), "t <ticpp.cpp@12>");
    EXPECT_EQ(ticpp::Base::FormatMessage("t", "C:\\build\\ticpp.cpp", 3, "\nD"), "t <ticpp.cpp@3>\nD");
}

TEST(XmlErrors, ConversionAndWrappingFailures)
{
    ticpp::Element e("e");
    e.SetAttribute("n", "x1");
    int n = 0;
    expectLayout(messageOf([&] { e.GetAttribute("n", &n); }), "Could not convert \"x1\" to target type");
    expectLayout(messageOf([&] { ticpp::Element wrapped(static_cast<TiXmlElement*>(nullptr)); }),
                 std::string("Can not create a ") + typeid(TiXmlElement).name());
    expectLayout(messageOf([&] { ticpp::Document wrapped(static_cast<TiXmlDocument*>(nullptr)); }),
                 std::string("Can not create a ") + typeid(TiXmlDocument).name());
    expectLayout(messageOf([&] { ticpp::Attribute wrapped(static_cast<TiXmlAttribute*>(nullptr)); }),
                 std::string("Can not create a ") + typeid(TiXmlAttribute).name());

    expectLayout(messageOf([&] { e.SetAttribute("broken", Unprintable()); }), "Could not convert value to text");
}

namespace
{
// Reaches the factory, which only navigation normally calls.
struct FactoryProbe : ticpp::Element
{
    FactoryProbe() : ticpp::Element("probe") {}
    ticpp::Node* make(TiXmlNode* node, bool throwIfNull) const { return NodeFactory(node, throwIfNull); }
};
}

TEST(XmlErrors, NodeFactoryRefusesNullAndUnsupportedNodes)
{
    FactoryProbe probe;
    expectLayout(messageOf([&] { probe.make(nullptr, true); }), "tiXmlNode is NULL");
    EXPECT_EQ(probe.make(nullptr, false), nullptr);
    TiXmlUnknown unknown;
    expectLayout(messageOf([&] { probe.make(&unknown, false); }), "Type is unsupported");
}

TEST(XmlErrors, UseAfterDestructionFailsWithEmptyDetail)
{
    ticpp::Element held;
    {
        ticpp::Document doc;
        doc.Parse("<r><x></r>", false); // the document had a parse error
        doc.Parse("<r/>");
        held = *doc.FirstChildElement();
    }
    expectLayout(messageOf([&] { held.FirstChildElement(); }), "Internal TiXml Pointer is NULL");
    expectLayout(messageOf([&] { held.SetAttribute("a", 1); }), "Internal TiXml Pointer is NULL");
    expectLayout(messageOf([&] { held.GetAttribute("a"); }), "Internal TiXml Pointer is NULL");
}

TEST(XmlErrors, FailedOperationsLeaveTheTreeAsItWas)
{
    ticpp::Document doc;
    doc.Parse("<r><a/></r>");
    ticpp::Element* r = doc.FirstChildElement();
    ticpp::Element loose("loose");
    EXPECT_THROW(r->RemoveChild(&loose), ticpp::Exception);
    EXPECT_THROW(r->ToText(), ticpp::Exception);
    EXPECT_THROW(r->FirstChildElement("b"), ticpp::Exception);
    TiXmlPrinter printer;
    doc.Accept(&printer);
    EXPECT_STREQ(printer.CStr(), "<r>\n    <a />\n</r>\n");
    EXPECT_EQ(loose.Value(), "loose");
}

// A text that ends inside a UTF-8 sequence (in a name, an attribute, a
// comment or plain text) is a parse error, never a read past its end.
TEST(XmlErrors, TextCutInsideAUtf8SequenceIsAnError)
{
    const std::string declaration = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
    for (const char* lead : {"\xC3", "\xE3", "\xF3", "\xF3\x80", "\xE3\x80"})
        for (const std::string& start : {std::string("<a>text"), std::string("<a"), std::string("<a b=\"v"),
                                         std::string("<a><!-- c"), std::string("<")})
        {
            ticpp::Document document;
            EXPECT_THROW(document.Parse(declaration + start + lead), ticpp::Exception) << start;
        }
}
