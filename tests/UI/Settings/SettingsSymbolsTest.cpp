// Every symbol of the settings window draws something, in the colour asked and nothing else.
#include "UI/Settings/SettingsSymbols.h"

#include <gtest/gtest.h>

#include <QImage>

using namespace vocena;
using Symbol = SettingsSymbols::Symbol;

TEST(SettingsSymbolsTest, EverySymbolIsDrawnInItsColour) {
    const QColor colour(0xEB, 0x40, 0x59);
    for (int i = int(Symbol::appMark); i <= int(Symbol::waveform); ++i) {
        SCOPED_TRACE(i);
        const QImage image = SettingsSymbols::pixmap(Symbol(i), colour, 24, 2.0).toImage();
        ASSERT_EQ(image.size(), QSize(48, 48));
        int drawn = 0;
        int foreign = 0;
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x) {
                const QColor pixel = image.pixelColor(x, y);
                if (pixel.alpha() < 250) continue;  // edges blend with the transparent ground
                ++drawn;
                if (std::abs(pixel.red() - colour.red()) > 2 || std::abs(pixel.green() - colour.green()) > 2 ||
                    std::abs(pixel.blue() - colour.blue()) > 2)
                    ++foreign;
            }
        }
        EXPECT_GT(drawn, 48) << "hardly anything drawn";
        EXPECT_EQ(foreign, 0);
    }
}
