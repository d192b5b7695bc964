#include "toolkit/CAlertPanel.h"

#include "toolkit/CDrawContext.h"
#include "toolkit/CFontDesc.h"

#include "support/TestCanvas.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

namespace
{
std::string withoutBlanks(std::string text)
{
    text.erase(std::remove_if(text.begin(), text.end(), [](char c) { return c == ' ' || c == '\n'; }), text.end());
    return text;
}
} // namespace

TEST(CAlertPanel, ALongPathWrapsAtItsSeparatorsWithinThePanelAndKeepsEveryCharacter)
{
    // Over 300 characters of nested folders, one name longer than a line,
    // then the file and the reason.
    std::string path;
    for (int i = 0; path.size() < 300; ++i)
        path += "/folder" + std::to_string(i);
    path += "/" + std::string(90, 'x') + "/Pad.fxp";
    const std::string informative = "Could not write " + path + ": No space left on device\n";
    const CAlertPanel::Layout layout = CAlertPanel::layout("Patch Save Error " + path, informative, {"OK"});

    TestCanvas canvas(10, 10);
    const CCoord textWidth = CAlertPanel::kWidth - 2 * CAlertPanel::kMargin;
    std::string shown;
    const std::pair<const std::vector<std::string>*, std::int32_t> texts[] = {{&layout.messageLines, kBoldFace},
                                                                              {&layout.informativeLines, kNormalFace}};
    for (const auto& [lines, style] : texts)
    {
        canvas.context()->setFont(kFontSystem, 0, style);
        for (const std::string& line : *lines)
        {
            const CCoord width = canvas.context()->getStringWidth(line.c_str());
            EXPECT_TRUE(line.empty() || width > 0) << "measured in a font";
            EXPECT_LE(width, textWidth) << line;
            shown += line;
        }
    }
    EXPECT_GT(layout.informativeLines.size(), 4u);
    EXPECT_EQ(layout.informativeLines[0], "Could not write") << "the path starts a line of its own";
    EXPECT_EQ(layout.informativeLines[1].back(), '/') << "cut after a separator";
    EXPECT_EQ(withoutBlanks(shown), withoutBlanks("Patch Save Error " + path + informative));
    EXPECT_EQ(layout.size.width(), CAlertPanel::kWidth);
}
