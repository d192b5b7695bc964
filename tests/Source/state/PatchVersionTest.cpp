#include "Source/state/PatchVersion.h"

#include <gtest/gtest.h>

#include <limits>

TEST(PatchVersion, NumberIsTheLastDottedPartWithoutItsM)
{
    EXPECT_EQ(patchVersionNumber("609"), 609);
    EXPECT_EQ(patchVersionNumber("2.0.0.823"), 823);
    EXPECT_EQ(patchVersionNumber("2.0.0.823M"), 823);
    EXPECT_EQ(patchVersionNumber("2.0.0.823MM"), 823) << "leading digits, as atoi reads them";
    EXPECT_EQ(patchVersionNumber(""), 0);
    EXPECT_EQ(patchVersionNumber("beta"), 0);
    EXPECT_EQ(patchVersionNumber("2.0."), 0);
    EXPECT_EQ(patchVersionNumber("1.2.99999999999"), 2147483647) << "saturates instead of overflowing";
}

TEST(PatchVersion, ControllerAmountBecomesAFractionBefore392)
{
    EXPECT_EQ(convertLegacyValueText("Controller1Amount", "50", 391), "0.500000");
    EXPECT_EQ(convertLegacyValueText("Controller1Amount", "-100", 0), "-1.000000");
    EXPECT_EQ(convertLegacyValueText("Controller1Amount", "50", 392), "50");
    EXPECT_EQ(convertLegacyValueText("Controller2Amount", "50", 391), "0.500000") << "both controllers changed";
}

TEST(PatchVersion, GlideSpreadGoesToTheNearestFormerSpreadBefore374)
{
    EXPECT_EQ(convertLegacyValueText("GlideSpread", "0.0", 373), "Off");
    EXPECT_EQ(convertLegacyValueText("GlideSpread", "0.89", 373), "Off");
    EXPECT_EQ(convertLegacyValueText("GlideSpread", "0.9", 373), "Mild");
    EXPECT_EQ(convertLegacyValueText("GlideSpread", "2.0", 373), "Mild");
    EXPECT_EQ(convertLegacyValueText("GlideSpread", "4.14", 373), "Mild");
    EXPECT_EQ(convertLegacyValueText("GlideSpread", "4.15", 373), "Wild");
    EXPECT_EQ(convertLegacyValueText("GlideSpread", "6.5", 373), "Wild");
    EXPECT_EQ(convertLegacyValueText("GlideSpread", "2.0", 374), "2.0");
}

TEST(PatchVersion, LfoSourcesBecomePercentagesBefore290)
{
    for (const char* key : {"LFOtoPitchSource", "LFOtoFilterSource"})
    {
        EXPECT_EQ(convertLegacyValueText(key, "1", 289), "0") << key;
        EXPECT_EQ(convertLegacyValueText(key, "1+2", 289), "50") << key;
        EXPECT_EQ(convertLegacyValueText(key, "2", 289), "100") << key;
        EXPECT_EQ(convertLegacyValueText(key, "", 289), "100") << key;
        EXPECT_EQ(convertLegacyValueText(key, "1", 290), "1") << key;
    }
    EXPECT_EQ(convertLegacyValueText("AuxModLfoMix", "1", 289), "1");
}

TEST(PatchVersion, UnisonModesNameTheirVoiceCountsBefore609)
{
    EXPECT_EQ(convertLegacyValueText("UnisonMode", "Poly A", 608), "Poly 4Vc");
    EXPECT_EQ(convertLegacyValueText("UnisonMode", "Poly B 3Vc", 608), "Poly 3Vc");
    EXPECT_EQ(convertLegacyValueText("UnisonMode", "Poly B", 608), "Poly");
    EXPECT_EQ(convertLegacyValueText("UnisonMode", "xxPoly B 5Vc", 608), "Poly B 5Vc")
        << "the text from its seventh character on, wherever Poly B stands";
    EXPECT_EQ(convertLegacyValueText("UnisonMode", "Mono", 608), "Mono");
    EXPECT_EQ(convertLegacyValueText("UnisonMode", "Poly A", 609), "Poly A");
}

TEST(PatchVersion, OtherKeysAreNeverConverted)
{
    EXPECT_EQ(convertLegacyValueText("FilterFreq", "1593.00", 0), "1593.00");
    EXPECT_EQ(convertLegacyValueText("W1Fund", "1", 0), "1");
}

TEST(PatchVersion, FormerAuxAmountsSpanSevenUnitsEitherWay)
{
    EXPECT_FLOAT_EQ(legacyAuxAmountValue(-7.0f), 0.0f);
    EXPECT_FLOAT_EQ(legacyAuxAmountValue(0.0f), 0.5f);
    EXPECT_FLOAT_EQ(legacyAuxAmountValue(7.0f), 1.0f);
    EXPECT_FLOAT_EQ(legacyAuxAmountValue(3.5f), 0.75f);
    EXPECT_FLOAT_EQ(legacyAuxAmountValue(100.0f), 1.0f);
    EXPECT_FLOAT_EQ(legacyAuxAmountValue(-100.0f), 0.0f);
    EXPECT_FLOAT_EQ(legacyAuxAmountValue(std::numeric_limits<float>::quiet_NaN()), 0.5f);
}
