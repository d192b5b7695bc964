#include "editor/controls/CMinSpecialDigit.h"

#include "support/RecordingListener.h"
#include "support/TestCanvas.h"

#include <gtest/gtest.h>

TEST(CMinSpecialDigit, LeavesLeadingZerosBlankDownToTheMinimumDigits)
{
    CBitmap* digits = makeStrip(4, 6, 10);
    const CColor blank{0, 0, 255, 255};
    CMinSpecialDigit display(CRect(0, 0, 12, 6), nullptr, 0, 0, 3, 1, nullptr, nullptr, 4, 6, digits, blank);
    digits->forget();
    display.setMax(999);
    TestCanvas canvas(12, 6);
    const auto shown = [&](float value) {
        display.setValue(value);
        display.draw(canvas.context());
        std::string text;
        for (int place = 0; place < 3; ++place)
        {
            const std::uint32_t pixel = canvas.pixel(place * 4 + 2, 3);
            text += pixel == argb(blank) ? '_' : static_cast<char>('0' + stripImage(pixel));
        }
        return text;
    };
    EXPECT_EQ(shown(5), "__5");
    EXPECT_EQ(shown(0), "__0");
    EXPECT_EQ(shown(40), "_40");
    EXPECT_EQ(shown(305), "305");
}
