#include "Source/ticpp/ticpp.h"

#include <gtest/gtest.h>

#include <climits>
#include <functional>
#include <locale>
#include <string>

namespace
{
std::string textOf(const std::function<void()>& action)
{
    try
    {
        action();
    }
    catch (const ticpp::Exception& e)
    {
        const std::string message = e.what();
        return message.substr(0, message.rfind(" <"));
    }
    return "(no exception)";
}

ticpp::Element elementWith(const std::string& name, const std::string& text)
{
    ticpp::Element element("e");
    element.SetAttribute(name, text);
    return element;
}
}

TEST(XmlTypedValues, BoolsAreWrittenAsDigitsAndOnlyDigitsRead)
{
    ticpp::Element e("e");
    e.SetAttribute("on", true);
    e.SetAttribute("off", false);
    EXPECT_EQ(e.GetAttribute("on"), "1");
    EXPECT_EQ(e.GetAttribute("off"), "0");
    bool value = false;
    e.GetAttribute("on", &value);
    EXPECT_TRUE(value);
    e.SetAttribute("word", "true");
    EXPECT_EQ(textOf([&] { e.GetAttribute("word", &value); }), "Could not convert \"true\" to target type");
    e.SetAttribute("two", 2);
    EXPECT_THROW(e.GetAttribute("two", &value), ticpp::Exception);
}

TEST(XmlTypedValues, NumbersReadTheirLeadingDigitsOnly)
{
    int value = 0;
    elementWith("n", " 7").GetAttribute("n", &value);
    EXPECT_EQ(value, 7);
    elementWith("n", "12abc").GetAttribute("n", &value);
    EXPECT_EQ(value, 12);
    EXPECT_EQ(textOf([&] { elementWith("n", "").GetAttribute("n", &value); }), "Could not convert \"\" to target type");
    EXPECT_EQ(textOf([&] { elementWith("n", "abc").GetAttribute("n", &value); }),
              "Could not convert \"abc\" to target type");
    float f = 0;
    elementWith("f", "2.5e-3").GetAttribute("f", &f);
    EXPECT_FLOAT_EQ(f, 0.0025f);
    elementWith("f", "-0.75").GetAttribute("f", &f);
    EXPECT_FLOAT_EQ(f, -0.75f);
}

TEST(XmlTypedValues, SixtyFourBitValuesRoundTrip)
{
    ticpp::Element e("e");
    e.SetAttribute("big", 18446744073709551615ul);
    e.SetAttribute("negative", -9223372036854775807l);
    e.SetAttribute("u32", 4294967295u);
    unsigned long big = 0;
    long negative = 0;
    unsigned int u32 = 0;
    e.GetAttribute("big", &big);
    e.GetAttribute("negative", &negative);
    e.GetAttribute("u32", &u32);
    EXPECT_EQ(big, ULONG_MAX);
    EXPECT_EQ(negative, -9223372036854775807l);
    EXPECT_EQ(u32, 4294967295u);
    EXPECT_EQ(e.GetAttribute("big"), "18446744073709551615");
}

TEST(XmlTypedValues, MissingAttributesThrowOnlyWhenAsked)
{
    ticpp::Element e("e");
    int value = 42;
    EXPECT_EQ(textOf([&] { e.GetAttribute("absent", &value); }), "Attribute does not exist");
    e.GetAttribute("absent", &value, false);
    EXPECT_EQ(value, 42);
    EXPECT_EQ(e.GetAttribute("absent"), "");
    std::string text = "unchanged";
    e.GetAttribute("absent", &text, false);
    EXPECT_EQ(text, "unchanged");
}

TEST(XmlTypedValues, DefaultsConvertToTheTarget)
{
    ticpp::Element e("e");
    long asLong = 0;
    e.GetAttributeOrDefault("absent", &asLong, -1);
    EXPECT_EQ(asLong, -1);
    unsigned long asUnsigned = 0;
    e.GetAttributeOrDefault("absent", &asUnsigned, -1);
    EXPECT_EQ(asUnsigned, ULONG_MAX);
    bool flag = false;
    e.GetAttributeOrDefault("absent", &flag, true);
    EXPECT_TRUE(flag);
    std::string text;
    e.GetAttributeOrDefault("absent", &text, "fallback");
    EXPECT_EQ(text, "fallback");
    EXPECT_EQ(e.GetAttributeOrDefault("absent", std::string("plain")), "plain");

    e.SetAttribute("present", "17");
    int asInt = 0;
    e.GetAttributeOrDefault("present", &asInt, 3);
    EXPECT_EQ(asInt, 17);
    e.SetAttribute("bad", "x");
    EXPECT_THROW(e.GetAttributeOrDefault("bad", &asInt, 3), ticpp::Exception);
}

TEST(XmlTypedValues, SettingAnAttributeAgainKeepsItsPosition)
{
    ticpp::Element e("e");
    e.SetAttribute("first", 1);
    e.SetAttribute("second", 2);
    e.SetAttribute("first", std::string("again"));
    EXPECT_EQ(e.FirstAttribute()->Name(), "first");
    EXPECT_EQ(e.FirstAttribute()->Value(), "again");
    EXPECT_EQ(e.LastAttribute()->Name(), "second");
    EXPECT_EQ(e.FirstAttribute()->Next()->Name(), "second");
    EXPECT_EQ(textOf([&] { e.LastAttribute()->Next(); }), "No more attributes found");
    EXPECT_EQ(e.LastAttribute()->Previous()->Name(), "first");
    EXPECT_EQ(e.FirstAttribute()->Previous(false), nullptr);
}

TEST(XmlTypedValues, TextIsTheFirstChildOnlyWhenItIsText)
{
    ticpp::Document doc;
    doc.Parse("<r><a>hello</a><b><x/>after</b></r>");
    ticpp::Element* a = doc.FirstChildElement()->FirstChildElement("a");
    ticpp::Element* b = doc.FirstChildElement()->FirstChildElement("b");
    EXPECT_EQ(a->GetText(), "hello");
    EXPECT_EQ(b->GetText(false), "");
    EXPECT_EQ(textOf([&] { b->GetText(); }), "Text does not exists in the current element");
    std::string text;
    a->GetText(&text);
    EXPECT_EQ(text, "hello");
    doc.Parse("<r><n>  41 </n></r>");
    int n = 0;
    doc.FirstChildElement()->FirstChildElement()->GetText(&n);
    EXPECT_EQ(n, 41);
}

TEST(XmlTypedValues, WhiteSpaceRunsInTextAreCondensed)
{
    ticpp::Document doc;
    doc.Parse("<string>base64  data\n\t  more   data</string>");
    EXPECT_EQ(doc.FirstChildElement()->GetText(), "base64 data more data");
}

TEST(XmlTypedValues, NumberTextsIgnoreTheProcessLocale)
{
    struct Grouping : std::numpunct<char>
    {
        char do_decimal_point() const override { return ','; }
        char do_thousands_sep() const override { return '.'; }
        std::string do_grouping() const override { return "\3"; }
    };
    const std::locale previous = std::locale::global(std::locale(std::locale::classic(), new Grouping));
    ticpp::Element e("e");
    e.SetAttribute("n", 1234567);
    float f = 0;
    e.SetAttribute("f", "1.5");
    e.GetAttribute("f", &f);
    std::locale::global(previous);
    EXPECT_EQ(e.GetAttribute("n"), "1234567");
    EXPECT_FLOAT_EQ(f, 1.5f);
}

TEST(XmlIterator, VisitsOnlyMatchingElementsInOrder)
{
    ticpp::Document doc;
    doc.Parse("<patch><!--parameter--><parameter n=\"1\"/><other/><parameter n=\"2\"/>text</patch>");
    ticpp::Element* patch = doc.FirstChildElement();
    std::string seen;
    ticpp::Iterator<ticpp::Element> child("parameter");
    for (child = child.begin(patch); child != child.end(); child++)
        seen += child->GetAttribute("n");
    EXPECT_EQ(seen, "12");

    std::string all;
    ticpp::Iterator<ticpp::Element> any;
    for (any = any.begin(patch); any != any.end(); ++any)
        all += any->Value() + ",";
    EXPECT_EQ(all, "parameter,other,parameter,");

    ticpp::Iterator<ticpp::Element> none("missing");
    EXPECT_TRUE(none.begin(patch) == none.end());
}

TEST(XmlIterator, StepsBackwardsAndComparesByNode)
{
    ticpp::Document doc;
    doc.Parse("<r><a/><b/><c/></r>");
    ticpp::Iterator<ticpp::Element> it;
    it = it.begin(doc.FirstChildElement());
    ++it;
    ++it;
    EXPECT_EQ(it->Value(), "c");
    it--;
    EXPECT_EQ(it->Value(), "b");
    EXPECT_TRUE(it == doc.FirstChildElement()->FirstChildElement("b"));
    EXPECT_TRUE(it != doc.FirstChildElement()->FirstChildElement("c"));
    EXPECT_TRUE(it != nullptr);
    --it;
    --it;
    EXPECT_TRUE(it == it.end());
}

TEST(XmlIterator, AttributesIterateAndCanBeRewrittenOnTheWay)
{
    ticpp::Document doc;
    doc.Parse("<p a=\"1\" b=\"2\" c=\"3\"/><!--x-->");
    ticpp::Element* p = doc.FirstChildElement();
    std::string names;
    ticpp::Iterator<ticpp::Attribute> attribute;
    for (attribute = attribute.begin(p); attribute != attribute.end(); attribute++)
    {
        std::string name;
        attribute->GetName(&name);
        names += name;
        attribute->SetValue(std::string("x") + name);
    }
    EXPECT_EQ(names, "abc");
    EXPECT_EQ(p->GetAttribute("b"), "xb");
    int value = 0;
    p->SetAttribute("n", 5);
    p->LastAttribute()->GetValue(&value);
    EXPECT_EQ(value, 5);

    ticpp::Node* comment = doc.LastChild();
    EXPECT_EQ(textOf([&] { attribute.begin(comment); }), "Attributes can only be iterated with Elements.");
    ticpp::Element bare("bare");
    EXPECT_TRUE(attribute.begin(&bare) == attribute.end());
    EXPECT_EQ(textOf([&] { bare.FirstAttribute(); }), "This Element (bare) has no attributes");
    EXPECT_EQ(textOf([&] { bare.LastAttribute(); }), "This Element (bare) has no attributes");
}
