#include "Source/ticpp/ticpp.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <fstream>
#include <string>
#include <unistd.h>

namespace
{
const char* kPatchXml = "<?xml version=\"1.0\" ?>"
                        "<zentrova version=\"2.0\">"
                        "<!-- made by hand -->"
                        "<patch name=\"Init\">"
                        "<parameter key=\"a\" value=\"1\"/>"
                        "<parameter key=\"b\" value=\"2\"/>"
                        "</patch>"
                        "<status selected_bank=\"Inst/\"/>"
                        "</zentrova>";

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

// The message without its location tag and detail.
std::string textOf(const std::string& message)
{
    return message.substr(0, message.rfind(" <"));
}

std::string printed(const ticpp::Node& node)
{
    TiXmlPrinter printer;
    node.Accept(&printer);
    return printer.CStr();
}
}

TEST(Smoke, XmlParsesAndPrints)
{
    ticpp::Document doc;
    doc.Parse("<a><b c=\"1\"/></a>");
    EXPECT_EQ(doc.FirstChildElement("a")->FirstChildElement("b")->GetAttribute("c"), "1");
}

TEST(XmlNavigation, FirstChildElementFindsByNameOrAnyAndCanReturnNull)
{
    ticpp::Document doc;
    doc.Parse(kPatchXml);
    ticpp::Element* root = doc.FirstChildElement("zentrova");
    EXPECT_EQ(root->FirstChildElement()->Value(), "patch");
    EXPECT_EQ(root->FirstChildElement("status")->GetAttribute("selected_bank"), "Inst/");
    EXPECT_EQ(root->FirstChildElement("missing", false), nullptr);
    EXPECT_THROW(root->FirstChildElement("missing"), ticpp::Exception);
}

TEST(XmlNavigation, FirstChildMatchesAnyKindButFirstChildElementOnlyElements)
{
    ticpp::Document doc;
    doc.Parse("<r><!--x-->text<x/></r>");
    ticpp::Element* root = doc.FirstChildElement();
    EXPECT_EQ(root->FirstChild("x")->Type(), TiXmlNode::TINYXML_COMMENT);
    EXPECT_EQ(root->FirstChild("text")->Type(), TiXmlNode::TINYXML_TEXT);
    EXPECT_EQ(root->FirstChildElement("x")->Type(), TiXmlNode::TINYXML_ELEMENT);
    EXPECT_EQ(root->LastChild()->Value(), "x");
    EXPECT_EQ(root->FirstChild()->NextSibling()->NextSibling()->PreviousSibling("text")->Value(), "text");
    EXPECT_EQ(root->FirstChild()->PreviousSibling(false), nullptr);
    EXPECT_EQ(root->LastChild()->Parent()->Value(), "r");
    EXPECT_EQ(doc.Parent(false), nullptr);
}

TEST(XmlNavigation, IterateChildrenWalksInOrderWithAValueFilter)
{
    ticpp::Document doc;
    doc.Parse("<r><a/><b/><a/></r>");
    ticpp::Element* root = doc.FirstChildElement();
    std::string seen;
    for (ticpp::Node* child = root->IterateChildren(nullptr); child; child = root->IterateChildren(child))
        seen += child->Value();
    EXPECT_EQ(seen, "aba");
    int as = 0;
    for (ticpp::Node* child = root->IterateChildren("a", nullptr); child; child = root->IterateChildren("a", child))
        ++as;
    EXPECT_EQ(as, 2);
}

TEST(XmlNavigation, WrappersOfOneNodeCompareEqual)
{
    ticpp::Document doc;
    doc.Parse(kPatchXml);
    ticpp::Element* first = doc.FirstChildElement();
    ticpp::Element* second = doc.FirstChildElement();
    EXPECT_NE(first, second);
    EXPECT_TRUE(*first == *second);
    EXPECT_TRUE(*first != *first->FirstChildElement());
    EXPECT_TRUE(*first->GetDocument() == doc);
}

TEST(XmlNavigation, OtherMarkupIsUnsupportedButSkippedByElementSearches)
{
    ticpp::Document doc;
    doc.Parse("<!DOCTYPE zentrova><zentrova><a/></zentrova>");
    EXPECT_EQ(textOf(messageOf([&] { doc.FirstChild(false); })), "Type is unsupported");
    EXPECT_EQ(doc.FirstChildElement()->Value(), "zentrova");

    ticpp::Document doc2;
    doc2.Parse("<r><a/><!DOCTYPE x><b/></r>");
    ticpp::Element* a = doc2.FirstChildElement()->FirstChildElement();
    EXPECT_EQ(textOf(messageOf([&] { a->NextSibling(false); })), "Type is unsupported");
    EXPECT_EQ(a->NextSiblingElement()->Value(), "b");
    // Element iteration passes every node on the way, and so meets it too.
    ticpp::Iterator<ticpp::Element> it;
    it = it.begin(doc2.FirstChildElement());
    EXPECT_THROW(it++, ticpp::Exception);
}

TEST(XmlEditing, InsertEndChildInsertsACopyAndLinkEndChildTheNodeItself)
{
    ticpp::Document doc;
    doc.Parse("<r/>");
    ticpp::Element* root = doc.FirstChildElement();

    ticpp::Element copied("copied");
    ticpp::Node* copy = root->InsertEndChild(copied);
    copied.SetAttribute("late", 1);
    EXPECT_EQ(copy->ToElement()->GetAttribute("late"), "");
    EXPECT_FALSE(*copy == copied);

    ticpp::Element linked("linked");
    EXPECT_EQ(root->LinkEndChild(&linked), &linked);
    linked.SetAttribute("late", 1);
    EXPECT_EQ(root->FirstChildElement("linked")->GetAttribute("late"), "1");
    EXPECT_EQ(printed(doc), "<r>\n    <copied />\n    <linked late=\"1\" />\n</r>\n");
}

TEST(XmlEditing, LinkedElementOutlivesItsWrapperAndUnlinkedOneDoesNot)
{
    ticpp::Document doc;
    doc.Parse("<r/>");
    {
        ticpp::Element child("kept");
        child.SetAttribute("n", 3);
        doc.FirstChildElement()->LinkEndChild(&child);
        ticpp::Element grandchild("deep");
        child.LinkEndChild(&grandchild);
    }
    {
        // Not linked: destroyed with its wrapper (a leak would show under LeakSanitizer).
        ticpp::Element lonely("lonely");
        ticpp::Element inner("inner");
        lonely.LinkEndChild(&inner);
    }
    int n = 0;
    doc.FirstChildElement()->FirstChildElement("kept")->GetAttribute("n", &n);
    EXPECT_EQ(n, 3);
    EXPECT_EQ(doc.FirstChildElement()->FirstChildElement()->FirstChildElement()->Value(), "deep");
}

TEST(XmlEditing, NewElementsCarryTheirValueOrTheDefaultName)
{
    EXPECT_EQ(ticpp::Element().Value(), "DefaultValueCausedByCreatingAnElementWithNoParameters");
    EXPECT_EQ(ticpp::Element("patch").Value(), "patch");
    EXPECT_EQ(ticpp::Text("words").Value(), "words");
    EXPECT_EQ(ticpp::Comment("note").Value(), "note");
    ticpp::Declaration declaration("1.0", "UTF-8", "yes");
    EXPECT_EQ(declaration.Version(), "1.0");
    EXPECT_EQ(declaration.Encoding(), "UTF-8");
    EXPECT_EQ(declaration.Standalone(), "yes");
    ticpp::StylesheetReference stylesheet("text/xsl", "style.xsl");
    EXPECT_EQ(stylesheet.Type(), "text/xsl");
    EXPECT_EQ(stylesheet.Href(), "style.xsl");
    ticpp::Element renamed("old");
    renamed.SetValue(std::string("new"));
    std::string value;
    renamed.GetValue(&value);
    EXPECT_EQ(value, "new");
}

TEST(XmlEditing, DocumentsAreRefusedBeforeAnythingChanges)
{
    ticpp::Document doc;
    doc.Parse("<r><a/></r>");
    ticpp::Element* root = doc.FirstChildElement();
    ticpp::Document other;
    other.Parse("<x/>");
    const std::string before = printed(doc);

    EXPECT_EQ(textOf(messageOf([&] { root->InsertEndChild(other); })), "Node is a Document and can't be inserted");
    EXPECT_EQ(textOf(messageOf([&] { root->LinkEndChild(&other); })), "Node is a Document and can't be linked");
    EXPECT_EQ(textOf(messageOf([&] { root->InsertBeforeChild(root->FirstChild(), other); })),
              "Node is a Document and can't be inserted");
    EXPECT_EQ(textOf(messageOf([&] { root->InsertAfterChild(root->FirstChild(), other); })),
              "Node is a Document and can't be inserted");
    EXPECT_EQ(textOf(messageOf([&] { root->ReplaceChild(root->FirstChild(), other); })),
              "Node is a Document and can't be inserted");
    EXPECT_EQ(printed(doc), before);
    EXPECT_EQ(other.FirstChildElement()->Value(), "x");
}

TEST(XmlEditing, InsertBeforeAndAfterNeedAChildOfThisNode)
{
    ticpp::Document doc;
    doc.Parse("<r><b/></r><s/>");
    ticpp::Element* root = doc.FirstChildElement("r");
    ticpp::Element a("a"), c("c");
    root->InsertBeforeChild(root->FirstChild(), a);
    root->InsertAfterChild(root->LastChild(), c);
    EXPECT_EQ(printed(*root), "<r>\n    <a />\n    <b />\n    <c />\n</r>\n");
    ticpp::Element* stranger = doc.FirstChildElement("s");
    EXPECT_EQ(textOf(messageOf([&] { root->InsertBeforeChild(stranger, a); })), "Node can't be inserted");
    EXPECT_EQ(textOf(messageOf([&] { root->InsertAfterChild(stranger, a); })), "Node can't be inserted");
    EXPECT_EQ(textOf(messageOf([&] { root->ReplaceChild(stranger, a); })), "Node can't be inserted");
}

TEST(XmlEditing, LinkingANodeThatHasAParentOrIsAnAncestorIsRefused)
{
    ticpp::Document doc;
    doc.Parse("<r><a><b/></a></r>");
    ticpp::Element* r = doc.FirstChildElement();
    ticpp::Element* a = r->FirstChildElement();
    ticpp::Element* b = a->FirstChildElement();
    EXPECT_EQ(textOf(messageOf([&] { r->LinkEndChild(b); })), "Node can't be linked");
    ticpp::Element loose("loose");
    EXPECT_EQ(textOf(messageOf([&] { loose.LinkEndChild(&loose); })), "Node can't be linked");
    EXPECT_EQ(printed(*r), "<r>\n    <a>\n        <b />\n    </a>\n</r>\n");
}

TEST(XmlEditing, RemoveChildOfAnotherParentNamesBothValues)
{
    ticpp::Document doc;
    doc.Parse("<r><a><b/></a></r>");
    ticpp::Element* r = doc.FirstChildElement();
    ticpp::Element* b = r->FirstChildElement()->FirstChildElement();
    EXPECT_EQ(textOf(messageOf([&] { r->RemoveChild(b); })), "Node to remove (b) is not a child of this Node (r)");
    r->FirstChildElement()->RemoveChild(b); // b's spawned wrapper dies here
    EXPECT_TRUE(r->FirstChildElement()->NoChildren());
}

TEST(XmlEditing, ReplaceChildPutsACopyInPlace)
{
    ticpp::Document doc;
    doc.Parse("<r><a/><b/><c/></r>");
    ticpp::Element* r = doc.FirstChildElement();
    ticpp::Element fresh("fresh");
    ticpp::Node* copy = r->ReplaceChild(r->FirstChildElement("b"), fresh);
    EXPECT_EQ(copy->Value(), "fresh");
    EXPECT_EQ(printed(*r), "<r>\n    <a />\n    <fresh />\n    <c />\n</r>\n");
    // Replacing a node with its own child copies the child before it goes.
    doc.Parse("<r><a><inner k=\"1\"/></a></r>");
    r = doc.FirstChildElement();
    ticpp::Element* a = r->FirstChildElement();
    r->ReplaceChild(a, *a->FirstChildElement());
    EXPECT_EQ(printed(*r), "<r>\n    <inner k=\"1\" />\n</r>\n");
}

TEST(XmlEditing, CloneIsADetachedDeepCopyOwnedByItsHolder)
{
    ticpp::Document doc;
    doc.Parse(kPatchXml);
    std::unique_ptr<ticpp::Node> clone = doc.FirstChildElement()->FirstChildElement("patch")->Clone();
    EXPECT_EQ(clone->Parent(false), nullptr);
    ticpp::Element* firstParameter = clone->FirstChildElement("parameter");
    firstParameter->SetAttribute("value", 9);
    EXPECT_EQ(doc.FirstChildElement()->FirstChildElement("patch")->FirstChildElement()->GetAttribute("value"), "1");
    // A clone can then be linked into another tree, which takes it over.
    ticpp::Document target;
    target.Parse("<bank/>");
    target.FirstChildElement()->LinkEndChild(clone.get());
    clone.reset();
    EXPECT_EQ(target.FirstChildElement()->FirstChildElement()->FirstChildElement()->GetAttribute("value"), "9");
}

TEST(XmlEditing, ClearRemovesEveryChild)
{
    ticpp::Document doc;
    doc.Parse(kPatchXml);
    ticpp::Element* root = doc.FirstChildElement();
    root->Clear();
    EXPECT_TRUE(root->NoChildren());
    EXPECT_EQ(root->GetAttribute("version"), "2.0");
}

TEST(XmlCasts, ToCastsCheckTheKind)
{
    ticpp::Document doc;
    doc.Parse("<?xml version=\"1.0\" ?><r>words<!--c--></r>");
    ticpp::Node* declaration = doc.FirstChild();
    EXPECT_EQ(declaration->ToDeclaration()->Version(), "1.0");
    ticpp::Node* text = doc.FirstChildElement()->FirstChild();
    EXPECT_EQ(text->ToText()->Value(), "words");
    EXPECT_EQ(textOf(messageOf([&] { text->ToElement(); })), "This node (words) is not a Element");
    EXPECT_EQ(textOf(messageOf([&] { text->ToDocument(); })), "This node (words) is not a Document");
    EXPECT_EQ(textOf(messageOf([&] { text->ToComment(); })), "This node (words) is not a Comment");
    EXPECT_EQ(textOf(messageOf([&] { doc.ToText(); })), "This node () is not a Text");
    EXPECT_EQ(textOf(messageOf([&] { text->ToDeclaration(); })), "This node (words) is not a Declaration");
    EXPECT_EQ(textOf(messageOf([&] { text->ToStylesheetReference(); })),
              "This node (words) is not a StylesheetReference");
    EXPECT_EQ(text->NextSibling()->ToComment()->Value(), "c");
}

TEST(XmlCasts, StylesheetReferencesCanBeBuiltAndFound)
{
    ticpp::Document doc;
    ticpp::StylesheetReference reference("text/xsl", "s.xsl");
    doc.LinkEndChild(&reference);
    ticpp::Element root("r");
    doc.LinkEndChild(&root);
    ticpp::StylesheetReference* found = doc.FirstChild()->ToStylesheetReference();
    EXPECT_EQ(found->Href(), "s.xsl");
    ticpp::Document copy;
    copy.InsertEndChild(*doc.FirstChild());
    EXPECT_EQ(copy.FirstChild()->ToStylesheetReference()->Type(), "text/xsl");
}

TEST(XmlDocument, ParseErrorsThrowOrLeaveTheErrorState)
{
    ticpp::Document doc;
    const std::string message = messageOf([&] { doc.Parse("<r><unclosed></r>"); });
    EXPECT_EQ(message.substr(0, 19), "Error parsing xml. ");
    EXPECT_NE(message.find("\nDescription: "), std::string::npos);
    EXPECT_NE(message.find("\nLine: 1\nColumn: "), std::string::npos);

    ticpp::Document quiet;
    EXPECT_NO_THROW(quiet.Parse("<a></b>", false));
    EXPECT_TRUE(quiet.GetTiXmlPointer()->ToDocument()->Error());
}

TEST(XmlDocument, ParsingAgainReplacesTheTree)
{
    ticpp::Document doc;
    doc.Parse("<first/>");
    doc.Parse("<second/>");
    EXPECT_EQ(doc.FirstChildElement()->Value(), "second");
    EXPECT_EQ(doc.FirstChildElement()->NextSiblingElement(false), nullptr);
}

TEST(XmlDocument, DeepNestingIsAParseErrorNotACrash)
{
    std::string deep;
    for (int i = 0; i < 200000; ++i)
        deep += "<a>";
    ticpp::Document doc;
    EXPECT_EQ(messageOf([&] { doc.Parse(deep); }).rfind("Error parsing xml.", 0), 0u);
    doc.Parse(deep, false);
    EXPECT_TRUE(doc.GetTiXmlPointer()->ToDocument()->Error());

    // Reasonable depth, comments and self-closed elements do not count against it.
    std::string fine;
    for (int i = 0; i < 200; ++i)
        fine += "<a><!-- <b><b><b> --><c/><![CDATA[<d><d>]]>";
    for (int i = 0; i < 200; ++i)
        fine += "</a>";
    doc.Parse(fine);
    EXPECT_EQ(doc.FirstChildElement()->Value(), "a");

    char path[] = "/tmp/zentrova-deep-XXXXXX";
    const int fd = mkstemp(path);
    ASSERT_GE(fd, 0);
    close(fd);
    std::ofstream(path) << deep;
    EXPECT_EQ(textOf(messageOf([&] { doc.LoadFile(std::string(path)); })), std::string("Couldn't load ") + path);
    std::remove(path);
}

TEST(XmlDocument, SavesAndLoadsFiles)
{
    char folder[] = "/tmp/zentrova-xml-XXXXXX";
    ASSERT_NE(mkdtemp(folder), nullptr);
    const std::string path = std::string(folder) + "/patch.xml";

    ticpp::Document doc;
    doc.Parse(kPatchXml);
    doc.SaveFile(path);
    ticpp::Document loaded;
    loaded.LoadFile(path);
    EXPECT_EQ(printed(loaded), printed(doc));

    ticpp::Document named(path);
    named.LoadFile();
    EXPECT_EQ(named.FirstChildElement()->GetAttribute("version"), "2.0");

    const std::string missing = std::string(folder) + "/missing.xml";
    EXPECT_EQ(textOf(messageOf([&] { loaded.LoadFile(missing); })), "Couldn't load " + missing);
    EXPECT_EQ(textOf(messageOf([&] { doc.SaveFile(std::string(folder) + "/no/such/dir.xml"); })),
              "Couldn't save " + std::string(folder) + "/no/such/dir.xml");
    ticpp::Document unnamedToSave;
    EXPECT_EQ(textOf(messageOf([&] { unnamedToSave.SaveFile(); })), "Couldn't save ");
    std::remove(path.c_str());
    rmdir(folder);
}

TEST(XmlDocument, PrinterIndentsByFourSpaces)
{
    ticpp::Document doc;
    doc.Parse("<a><b><c x=\"1\"/></b></a>");
    EXPECT_EQ(printed(doc), "<a>\n    <b>\n        <c x=\"1\" />\n    </b>\n</a>\n");
}

namespace
{
struct CountingVisitor : ticpp::Visitor
{
    std::string log;
    bool VisitEnter(const ticpp::Document&) override { return log += "D(", true; }
    bool VisitExit(const ticpp::Document&) override { return log += ")", true; }
    bool VisitEnter(const ticpp::Element& element, const ticpp::Attribute* first) override
    {
        log += "<" + element.Value();
        if (first != nullptr)
            log += " " + first->Name() + "=" + first->Value();
        return log += ">", true;
    }
    bool VisitExit(const ticpp::Element& element) override { return log += "</" + element.Value() + ">", true; }
    bool Visit(const ticpp::Text& text) override { return log += "T:" + text.Value(), true; }
    bool Visit(const ticpp::Comment& comment) override { return log += "C:" + comment.Value(), true; }
    bool Visit(const ticpp::Declaration&) override { return log += "?", true; }
};
}

TEST(XmlVisitor, WrapsEveryNodeKindForTheWrappedCallbacks)
{
    ticpp::Document doc;
    doc.Parse("<?xml version=\"1.0\" ?><r k=\"v\"><!--c-->t<e/></r>");
    CountingVisitor visitor;
    doc.Accept(&visitor);
    EXPECT_EQ(visitor.log, "D(?<r k=v>C:cT:t<e></e></r>)");
}

// The lifecycle rules: whatever destroys parser objects first destroys the
// wrappers they own and cuts off wrappers held elsewhere. AddressSanitizer
// turns any dangling wrapper or leaked record into a failure.
TEST(XmlLifecycle, WrappersHeldByValueOutliveTheirDocumentSafely)
{
    ticpp::Element held;
    ticpp::Attribute heldAttribute;
    {
        ticpp::Document doc;
        doc.Parse(kPatchXml);
        held = *doc.FirstChildElement()->FirstChildElement("patch");
        heldAttribute = *held.FirstAttribute();
        EXPECT_EQ(heldAttribute.Value(), "Init");
    }
    const std::string message = messageOf([&] { held.Value(); });
    EXPECT_EQ(textOf(message), "Internal TiXml Pointer is NULL");
    EXPECT_EQ(message.back(), '>'); // no detail
    EXPECT_EQ(textOf(messageOf([&] { heldAttribute.Name(); })), "Internal TiXml Pointer is NULL");
}

TEST(XmlLifecycle, ReleasingWrappersBeneathKeepsTheTreeAndWrappersHeldByValue)
{
    ticpp::Document doc;
    doc.Parse(kPatchXml);
    ticpp::Element patch = *doc.FirstChildElement()->FirstChildElement("patch");
    doc.ReleaseWrappersBeneath();
    EXPECT_EQ(patch.FirstChildElement("parameter")->GetAttribute("key"), "a");
    EXPECT_TRUE(*doc.FirstChildElement()->FirstChildElement("patch") == patch);
}

TEST(XmlLifecycle, ClearRemoveReplaceAndReloadCutOffHeldWrappers)
{
    ticpp::Document doc;
    doc.Parse(kPatchXml);
    ticpp::Element root = *doc.FirstChildElement();
    ticpp::Element patch = *root.FirstChildElement("patch");
    ticpp::Element parameter = *patch.FirstChildElement("parameter");
    ticpp::Attribute key = *parameter.FirstAttribute();
    ticpp::Element status = *root.FirstChildElement("status");

    patch.RemoveChild(patch.FirstChildElement("parameter"));
    EXPECT_THROW(parameter.Value(), ticpp::Exception);
    EXPECT_THROW(key.Value(), ticpp::Exception);
    EXPECT_EQ(patch.FirstChildElement()->GetAttribute("key"), "b");

    ticpp::Element replacement("replacement");
    root.ReplaceChild(&status, replacement);
    EXPECT_THROW(status.Value(), ticpp::Exception);
    EXPECT_EQ(root.LastChild()->Value(), "replacement");

    ticpp::Element b = *patch.FirstChildElement();
    patch.Clear();
    EXPECT_THROW(b.Value(), ticpp::Exception);
    EXPECT_EQ(patch.Value(), "patch");

    doc.Parse("<other/>");
    EXPECT_THROW(root.Value(), ticpp::Exception);
    EXPECT_THROW(patch.Value(), ticpp::Exception);
    EXPECT_EQ(doc.FirstChildElement()->Value(), "other");
}

TEST(XmlLifecycle, LoadingAFileCutsOffTheOldTree)
{
    char path[] = "/tmp/zentrova-xml-load-XXXXXX";
    const int fd = mkstemp(path);
    ASSERT_GE(fd, 0);
    close(fd);
    std::ofstream(path) << "<loaded/>";
    ticpp::Document doc;
    doc.Parse(kPatchXml);
    ticpp::Element old = *doc.FirstChildElement();
    doc.LoadFile(std::string(path));
    EXPECT_THROW(old.Value(), ticpp::Exception);
    EXPECT_EQ(doc.FirstChildElement()->Value(), "loaded");
    std::remove(path);
}

TEST(XmlLifecycle, AttributesRemovedOrReplacedInPlace)
{
    ticpp::Document doc;
    doc.Parse("<r a=\"1\" b=\"2\"/>");
    ticpp::Element* r = doc.FirstChildElement();
    ticpp::Attribute a = *r->FirstAttribute();
    ticpp::Attribute* b = r->LastAttribute();
    r->SetAttribute("a", 5); // set in place: the held wrapper sees the new text
    EXPECT_EQ(a.Value(), "5");
    r->RemoveAttribute("a");
    EXPECT_THROW(a.Value(), ticpp::Exception);
    EXPECT_EQ(b->Name(), "b");
    r->RemoveAttribute("never");
    EXPECT_EQ(r->FirstAttribute()->Name(), "b");
    r->RemoveAttribute("b");
    EXPECT_EQ(r->FirstAttribute(false), nullptr);
}

TEST(XmlLifecycle, NewObjectsDieWithTheirLastOwnerEvenAfterNavigation)
{
    // A new element reached again through navigation (its spawned wrappers
    // belong to it) is still destroyed with the wrapper that created it.
    ticpp::Element parent("parent");
    ticpp::Element child("child");
    parent.LinkEndChild(&child);
    EXPECT_TRUE(*child.Parent() == parent);
    EXPECT_EQ(child.GetDocument(false), nullptr);
    EXPECT_EQ(textOf(messageOf([&] { child.GetDocument(); })), "This node (child) is not linked under a document");

    ticpp::Attribute loose("name", "value");
    ticpp::Attribute copy = loose;
    EXPECT_EQ(copy.Name(), "name");
    ticpp::Document doc;
    ticpp::Document shared = doc;
    shared.Parse("<x/>");
    EXPECT_EQ(doc.FirstChildElement()->Value(), "x");
}
