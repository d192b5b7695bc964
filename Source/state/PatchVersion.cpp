#include "Source/state/PatchVersion.h"

#include "Source/parameters/ParameterText.h"

#include <algorithm>
#include <cmath>

namespace
{
constexpr int kControllerPercentVersion = 392;
constexpr int kGlideSpreadChoiceVersion = 374;
constexpr int kLfoMixPercentVersion = 290;
constexpr int kUnisonVoiceCountVersion = 609;

// The former glide spreads were 0, 1.8 and 6.5; a stored spread goes to the
// choice of the nearest one.
std::string glideSpreadChoice(float spread)
{
    if (spread < 0.9f)
        return "Off";
    if (spread < 4.15f)
        return "Mild";
    return "Wild";
}

std::string unisonModeText(const std::string& text)
{
    if (text == "Poly A")
        return "Poly 4Vc";
    // "Poly B <n>Vc" lost its B.
    if (text.find("Poly B") != std::string::npos)
        return "Poly" + text.substr(std::min<std::size_t>(6, text.size()));
    return text;
}
}

int patchVersionNumber(const std::string& versionText)
{
    std::size_t point = versionText.rfind('.');
    std::string number = point == std::string::npos ? versionText : versionText.substr(point + 1);
    if (!number.empty() && number.back() == 'M')
        number.pop_back();
    return parseIntegerText(number);
}

std::string convertLegacyValueText(const std::string& key, const std::string& text, int version)
{
    if (version < kControllerPercentVersion && (key == "Controller1Amount" || key == "Controller2Amount"))
        return formatFixed(parseNumberText(text) / 100.0f, 6);
    if (version < kGlideSpreadChoiceVersion && key == "GlideSpread")
        return glideSpreadChoice(parseNumberText(text));
    if (version < kLfoMixPercentVersion && (key == "LFOtoPitchSource" || key == "LFOtoFilterSource"))
    {
        if (text == "1")
            return "0";
        if (text == "1+2")
            return "50";
        return "100";
    }
    if (version < kUnisonVoiceCountVersion && key == "UnisonMode")
        return unisonModeText(text);
    return text;
}

float legacyAuxAmountValue(float storedAmount)
{
    float value = storedAmount / 14.0f + 0.5f;
    if (std::isnan(value))
        return 0.5f;
    return std::clamp(value, 0.0f, 1.0f);
}
