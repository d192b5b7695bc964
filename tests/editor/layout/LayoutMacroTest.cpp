#include "editor/layout/GuiLayout.h"
#include "tests/editor/layout/LayoutTestSupport.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>

namespace
{
// The children of xml's root after expansion, printed.
std::string expanded(const std::string& xml, const GuiLayout::Variables& variables = {{"configuration", "1024"}})
{
    ticpp::Document document;
    document.Parse(xml);
    ticpp::Element* root = document.FirstChildElement();
    ticpp::Element templates("templates");
    GuiLayout::expandElement(root, templates, variables);
    return printed(*root);
}

// One attribute value after substitution.
std::string substituted(const std::string& value, const GuiLayout::Variables& variables = {})
{
    ticpp::Element element("widget");
    element.SetAttribute("v", value);
    GuiLayout::substitute(&element, variables);
    return element.GetAttribute("v");
}
}

TEST(LayoutMacroValues, PostfixExpressionsEvaluateLeftToRight)
{
    const std::pair<const char*, const char*> cases[] = {
        {"#438 14 +", "452"}, {"#1 2", "0"}, {"#", "0"}, {"#5 !", "0"}, {"#0 !", "1"}, {"#3 4 - ", "-1"},
        {"#1 +", "1"}, {"#12abc", "12"}, {"#abc", "0"}, {"#0x10", "0"}, {"#%x%", "0"}, {"#-5", "-5"},
        {"# 2  3 4 + *", "14"}, {"#4 4 =", "1"}, {"#4 5 =", "0"}, {"#4 5 !=", "1"},
        {"#2147483647 1 +", "-2147483648"}, {"#99999999999999999999999 0 +", "-1"}};
    for (const auto& [text, result] : cases)
        EXPECT_EQ(GuiLayout::evaluate(text), result) << text;
}

TEST(LayoutMacroValues, QuotesKeepSpacesAndPlainValuesAreTrimmedOfSpacesOnly)
{
    EXPECT_EQ(GuiLayout::evaluate("'  text  '"), "  text  ");
    EXPECT_EQ(GuiLayout::evaluate("'abc"), "abc");
    EXPECT_EQ(GuiLayout::evaluate("  'a b'  "), "a b");
    EXPECT_EQ(GuiLayout::evaluate("  x  "), "x");
    EXPECT_EQ(GuiLayout::evaluate("\tx "), "\tx");
    EXPECT_EQ(GuiLayout::evaluate("   "), "");
}

TEST(LayoutMacroSubstitution, ReferencesPercentSignsAndInsertedText)
{
    const GuiLayout::Variables variables{{"a", "1"}, {"b", "2"}, {"col_eff_1", "21"}, {"chorus_level_x", "#438 15 +"}};
    EXPECT_EQ(substituted("100%%"), "100%");
    EXPECT_EQ(substituted(" %missing% ", variables), "%missing%");
    EXPECT_EQ(substituted("%a%%b%", variables), "1%b%");
    EXPECT_EQ(substituted("# %col_eff_1% 7 +", variables), "28");
    EXPECT_EQ(substituted("%chorus_level_x% 1 -", variables), "452");
}

TEST(LayoutMacroSubstitution, InlineConditionalsTestForTheExactTextZero)
{
    EXPECT_EQ(substituted("?if #1 1 = ?then 10 ?else 20"), "10");
    EXPECT_EQ(substituted("?if 0 ?then 10"), "");
    EXPECT_EQ(substituted("?if 00 ?then a ?else b"), "a");
    EXPECT_EQ(substituted("?if -1 ?then a ?else b"), "a");
    EXPECT_EQ(substituted("?if %c% ?then ' x ' ?else y", {{"c", "0"}}), "y");
    // Without "?then", and for "?switch", the value stays as it was written.
    EXPECT_EQ(substituted("?if %c% 10", {{"c", "1"}}), "?if %c% 10");
    EXPECT_EQ(substituted("?switch %c%", {{"c", "1"}}), "?switch %c%");
}

TEST(LayoutMacroConditionals, IfKeepsItsContentOnlyForAPositiveIntegerCondition)
{
    const std::string xml = "<r><if condition=\"#%configuration% 840 !=\"><a/><b/></if><c/></r>";
    EXPECT_EQ(expanded(xml, {{"configuration", "1024"}}), "<r><a /><b /><c /></r>");
    EXPECT_EQ(expanded(xml, {{"configuration", "840"}}), "<r><c /></r>");
    EXPECT_EQ(expanded("<r><if condition=\"-1\"><a/></if></r>"), "<r />");
    // Faulty ones go with their content; their siblings are expanded.
    EXPECT_EQ(expanded("<r><if><a/></if><if condition=\"x\"><b/></if><if condition=\"2\"><c/></if></r>"), "<r><c /></r>");
}

TEST(LayoutMacroConditionals, SwitchTakesEveryMatchingCaseInOrder)
{
    const std::string xml = "<r><switch case=\"%configuration%\">"
                            "<case value=\"840:1024\"><a/></case><case value=\"1600\"><b/></case>"
                            "<case value=\":1024:\"><c/></case></switch></r>";
    EXPECT_EQ(expanded(xml, {{"configuration", "840"}}), "<r><a /></r>");
    EXPECT_EQ(expanded(xml, {{"configuration", "1024"}}), "<r><a /><c /></r>");
    EXPECT_EQ(expanded(xml, {{"configuration", "1600"}}), "<r><b /></r>");
    EXPECT_EQ(expanded(xml, {{"configuration", "160"}}), "<r />");
}

TEST(LayoutMacroConditionals, CaseWithoutValueStopsItsSwitchAndSwitchWithoutCaseGoes)
{
    EXPECT_EQ(expanded("<r><switch case=\"x\"><case value=\"x\"><a/></case><case><b/></case>"
                       "<case value=\"x\"><c/></case></switch><d/></r>"),
        "<r><a /><d /></r>");
    EXPECT_EQ(expanded("<r><switch><case value=\"\"><a/></case></switch><d/></r>"), "<r><d /></r>");
}

TEST(LayoutMacroLoops, ForRepeatsItsBodyWithTheVariableAsAConstant)
{
    EXPECT_EQ(expanded("<r><for v=\"a::b:\"><w x=\"%v%\"/></for></r>"),
        "<r><constant name=\"v\" value=\"a\" /><w x=\"a\" /><constant name=\"v\" value=\"b\" /><w x=\"b\" /></r>");
    EXPECT_EQ(expanded("<r><for v=\"\"><w/></for><for><w/></for><z/></r>"), "<r><z /></r>");
}

TEST(LayoutMacroLoops, MacroElementsBroughtUpByALoopAreExpandedToo)
{
    // The `if` directly in the loop body sees the variables of its parent
    // only, not the loop variable; elements of the body do see it.
    EXPECT_EQ(expanded("<r><for v=\"1:2\"><if condition=\"%v%\"><w x=\"%v%\"/></if></for></r>",
                  {{"configuration", "1024"}, {"v", "1"}}),
        "<r><constant name=\"v\" value=\"1\" /><w x=\"1\" /><constant name=\"v\" value=\"2\" /><w x=\"2\" /></r>");
    EXPECT_EQ(expanded("<r><for v=\"1:2\"><if condition=\"%v%\"><w/></if></for></r>"),
        "<r><constant name=\"v\" value=\"1\" /><constant name=\"v\" value=\"2\" /></r>");
    EXPECT_EQ(expanded("<r><switch case=\"a\"><case value=\"a\"><for v=\"1\"><if condition=\"1\">"
                       "<switch case=\"b\"><case value=\"b\"><w x=\"%v%\"/></case></switch></if></for></case>"
                       "</switch></r>"),
        "<r><constant name=\"v\" value=\"1\" /><w x=\"1\" /></r>");
}

TEST(LayoutMacroScoping, ConstantsReachLaterSiblingsAndTheirDescendantsOnly)
{
    EXPECT_EQ(expanded("<r><w x=\"%k%\"/><constant name=\"k\" value=\"#1 1 +\"/><w x=\"%k%\"><v y=\"%k%\"/></w>"
                       "<box><constant name=\"inner\" value=\"5\"/><w x=\"%inner%\"/></box><w x=\"%inner%\"/></r>"),
        "<r><w x=\"%k%\" /><constant name=\"k\" value=\"#1 1 +\" /><w x=\"2\"><v y=\"2\" /></w>"
        "<box><constant name=\"inner\" value=\"5\" /><w x=\"5\" /></box><w x=\"%inner%\" /></r>");
    // A constant without name or value is ignored.
    EXPECT_EQ(expanded("<r><constant value=\"1\"/><constant name=\"k\"/><w x=\"%k%\"/></r>"),
        "<r><constant value=\"1\" /><constant name=\"k\" /><w x=\"%k%\" /></r>");
}

TEST(LayoutMacroTemplates, TemplateValuesWinAndChainsResolveAtDefinition)
{
    // Definitions stay in the tree unsubstituted; the first of a name counts.
    EXPECT_EQ(expanded("<r><constant name=\"p\" value=\"1024\"/>"
                       "<template name=\"Base\" midi=\"1\" frames=\"2\"/>"
                       "<template name=\"Knob\" template=\"Base\" frames=\"64\" bitmap=\"%p%_Knob\"/>"
                       "<template name=\"Knob\" frames=\"9\"/>"
                       "<w template=\"Knob\" frames=\"5\" x=\"3\"/></r>"),
        "<r><constant name=\"p\" value=\"1024\" /><template name=\"Base\" midi=\"1\" frames=\"2\" />"
        "<template name=\"Knob\" frames=\"2\" bitmap=\"%p%_Knob\" midi=\"1\" /><template name=\"Knob\" frames=\"9\" />"
        "<w frames=\"2\" x=\"3\" bitmap=\"1024_Knob\" midi=\"1\" /></r>");
}

TEST(LayoutMacroTemplates, UnknownOrLaterTemplatesOnlyLoseTheAttribute)
{
    EXPECT_EQ(expanded("<r><w template=\"T\" x=\"1\"/><template name=\"T\" x=\"2\"/><w template=\"T\"/>"
                       "<w template=\"None\" x=\"3\"/><w template=\"\" y=\"4\"/></r>"),
        "<r><w x=\"1\" /><template name=\"T\" x=\"2\" /><w x=\"2\" /><w x=\"3\" /><w y=\"4\" /></r>");
}
