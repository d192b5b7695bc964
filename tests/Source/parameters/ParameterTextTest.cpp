#include "ParameterTestHelpers.h"
#include "Source/parameters/FloatParameter.h"
#include "Source/parameters/ParameterText.h"

#include <gtest/gtest.h>

#include <climits>
#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <unistd.h>

namespace
{
// Switches the process to a locale whose decimal point is a comma, building
// one into a temporary folder when the system has none; restores "C" after.
class CommaLocale
{
public:
    CommaLocale()
    {
        for (const char* name : {"de_DE.UTF-8", "de_DE.utf8", "fr_FR.UTF-8"})
            if (std::setlocale(LC_ALL, name) && usesComma())
                return;
        char folder[] = "/tmp/zentrova-locale-XXXXXX";
        if (!mkdtemp(folder))
            return;
        m_folder = folder;
        std::string command = "localedef -i de_DE -f UTF-8 " + m_folder + "/de_DE.UTF-8 >/dev/null 2>&1";
        if (std::system(command.c_str()) == -1)
            return;
        setenv("LOCPATH", m_folder.c_str(), 1);
        if (!std::setlocale(LC_ALL, "de_DE.UTF-8") || !usesComma())
            std::setlocale(LC_ALL, "C");
    }

    ~CommaLocale()
    {
        std::setlocale(LC_ALL, "C");
        unsetenv("LOCPATH");
        if (!m_folder.empty())
            std::system(("rm -rf " + m_folder).c_str());
    }

    static bool usesComma()
    {
        char text[16];
        std::snprintf(text, sizeof text, "%.1f", 1.5);
        return std::string(text) == "1,5";
    }

private:
    std::string m_folder;
};

std::string printfFixed(double value, int decimals)
{
    char text[400];
    std::snprintf(text, sizeof text, "%.*f", decimals, value);
    return text;
}
}

TEST(ParameterText, ParsesTheNumbersPatchesHold)
{
    EXPECT_FLOAT_EQ(parseNumberText("1.5"), 1.5f);
    EXPECT_FLOAT_EQ(parseNumberText("-0.25"), -0.25f);
    EXPECT_FLOAT_EQ(parseNumberText("12.0200"), 12.02f);
    EXPECT_FLOAT_EQ(parseNumberText("1593.00"), 1593.0f);
    EXPECT_FLOAT_EQ(parseNumberText("007"), 7.0f);
    EXPECT_FLOAT_EQ(parseNumberText(".5"), 0.5f);
    EXPECT_EQ(parseNumberText(""), 0.0f);
    EXPECT_EQ(parseNumberText("-"), 0.0f);
}

TEST(ParameterText, NumberParserSkipsStrayCharactersAndStaysFinite)
{
    // Only a leading minus counts; letters and later signs are skipped.
    EXPECT_FLOAT_EQ(parseNumberText("1e5"), 15.0f);
    EXPECT_FLOAT_EQ(parseNumberText("3-4"), 34.0f);
    EXPECT_FLOAT_EQ(parseNumberText("1.2.5"), 1.25f);
    EXPECT_EQ(parseNumberText(std::string(400, '9')), 0.0f);
    EXPECT_EQ(parseNumberText("1." + std::string(400, '0')), 0.0f);
}

TEST(ParameterText, IntegerParserFollowsAtoi)
{
    EXPECT_EQ(parseIntegerText("42"), 42);
    EXPECT_EQ(parseIntegerText("  42abc"), 42);
    EXPECT_EQ(parseIntegerText("-7"), -7);
    EXPECT_EQ(parseIntegerText("+5"), 5);
    EXPECT_EQ(parseIntegerText("12.9"), 12);
    EXPECT_EQ(parseIntegerText(""), 0);
    EXPECT_EQ(parseIntegerText("abc"), 0);
    EXPECT_EQ(parseIntegerText("99999999999999999999"), INT_MAX);
    EXPECT_EQ(parseIntegerText("-99999999999999999999"), -INT_MAX - 1);
}

TEST(ParameterText, FixedFormatMatchesPrintfInTheCLocale)
{
    std::mt19937 generator(7);
    std::uniform_real_distribution<float> distribution(-20000.0f, 20000.0f);
    for (int i = 0; i < 2000; ++i)
    {
        float value = distribution(generator) / static_cast<float>(1 << (i % 12));
        int decimals = i % 7;
        ASSERT_EQ(formatFixed(value, decimals), printfFixed(value, decimals)) << value;
    }
    EXPECT_EQ(formatFixed(0.125, 2), printfFixed(0.125, 2));
    EXPECT_EQ(formatFixed(-0.0, 1), "-0.0");
    EXPECT_EQ(formatFixed(1593.0, 2), "1593.00");
}

TEST(ParameterText, FixedFormatIntoABufferIsCutAndTerminated)
{
    char text[6];
    formatFixed(text, sizeof text, 123456.75, 2);
    EXPECT_STREQ(text, "12345");
    formatFixed(text, sizeof text, 1.5, 1);
    EXPECT_STREQ(text, "1.5");
}

TEST(ParameterText, IntegerTextsHoldAtMostEightCharacters)
{
    EXPECT_EQ(formatInteger(0), "0");
    EXPECT_EQ(formatInteger(-7), "-7");
    EXPECT_EQ(formatInteger(99999999), "99999999");
    EXPECT_EQ(formatInteger(100000000), "Huge!");
    EXPECT_EQ(formatInteger(-9999999), "-9999999");
    EXPECT_EQ(formatInteger(-10000000), "Huge!");
}

TEST(ParameterText, CopyCutsAndTerminates)
{
    char text[4] = {'x', 'x', 'x', 'x'};
    copyText(text, "abcdef", sizeof text);
    EXPECT_STREQ(text, "abc");
    copyText(text, nullptr, sizeof text);
    EXPECT_STREQ(text, "");
}

TEST(ParameterText, IgnoresTheProcessLocale)
{
    CommaLocale locale;
    if (!CommaLocale::usesComma())
        GTEST_SKIP() << "no locale with a decimal comma can be set up here";

    EXPECT_EQ(formatFixed(1.5, 2), "1.50");
    EXPECT_FLOAT_EQ(parseNumberText("1.5"), 1.5f);

    FloatParameter depth(testNames(), false, "", "d2", false, 0.1f, 3.0f);
    depth.setValue(depth.valueFromText("2.0000"));
    EXPECT_EQ(displayOf(depth), "2.00");
    EXPECT_EQ(depth.getValueText(), "2.0000");
    EXPECT_EQ(altLabelOf(depth), "3.00");
}
