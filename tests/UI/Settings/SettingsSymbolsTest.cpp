// Every symbol of the settings window draws something, in the colour asked and nothing else.
#include "UI/Settings/SettingsSymbols.h"
#include "support/WidgetTest.h"

using namespace vocena;
using Symbol = SettingsSymbols::Symbol;

TEST(SettingsSymbolsTest, EverySymbolIsDrawnInItsColour) {
    const QColor colour(0xEB, 0x40, 0x59);
    for (int i = int(Symbol::appMark); i <= int(Symbol::waveform); ++i) {
        SCOPED_TRACE(i);
        const QImage image = SettingsSymbols::pixmap(Symbol(i), colour, 24, 2.0).toImage();
        ASSERT_EQ(image.size(), QSize(48, 48));
        const int opaque = test::countNear(image, colour, 255);  // edges blend with the transparent ground
        EXPECT_GT(opaque, 48) << "hardly anything drawn";
        EXPECT_EQ(test::countNear(image, colour, 2), opaque);
    }
}
