// The appearance preference applied to a running QApplication under Xvfb (a change of it while
// windows are open: SettingsWindowTest's theme switch).
#include "UI/Appearance/AppearanceController.h"

#include "support/WidgetTest.h"

#include <QJsonValue>
#include <QStyle>

using namespace vocena;
using AppearanceControllerTest = vocena::test::WidgetTest;

namespace {

const QString themeKey = QString::fromLatin1(AppearanceController::kThemeKey);

}  // namespace

TEST_F(AppearanceControllerTest, EachStoredValueGivesItsPalette) {
    const QPalette light = ThemePalette::light();
    const QPalette dark = ThemePalette::dark();
    ASSERT_NE(light.color(QPalette::Window), dark.color(QPalette::Window));

    // Following the system sets no role: every colour is the platform's (which under Xvfb
    // looks like the light palette), and follows the desktop when its theme changes.
    // expected: none: the platform's
    const struct { const char* name; QJsonValue stored; std::optional<QPalette> expected; } cases[] = {
        {"absent", QJsonValue(), light}, {"0", 0, light}, {"1", 1, dark}, {"2", 2, std::nullopt}, {"7", 7, light}, {"-1", -1, light},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        c.stored.isUndefined() ? prefs.remove(themeKey) : prefs.setValue(themeKey, c.stored);
        QApplication::setPalette(c.expected ? QPalette(Qt::green) : dark);  // the opposite of what comes
        AppearanceController controller(prefs);
        EXPECT_EQ(QApplication::style()->name().toLower(), QStringLiteral("fusion"));
        if (!c.expected) {
            EXPECT_EQ(QApplication::palette().resolveMask(), 0u);
            continue;
        }
        for (const QPalette::ColorRole role : {QPalette::Window, QPalette::WindowText, QPalette::Base, QPalette::Text,
                                               QPalette::Button, QPalette::ButtonText, QPalette::Highlight})
            EXPECT_EQ(QApplication::palette().color(role), c.expected->color(role)) << role;
    }
    // The dark palette reads as dark: light text on a dark window.
    EXPECT_LT(dark.color(QPalette::Window).lightness(), 80);
    EXPECT_GT(dark.color(QPalette::WindowText).lightness(), 180);
    EXPECT_GT(dark.color(QPalette::Text).lightness() - dark.color(QPalette::Base).lightness(), 150);
    EXPECT_LT(dark.color(QPalette::Disabled, QPalette::Text).lightness(), dark.color(QPalette::Text).lightness());
}
