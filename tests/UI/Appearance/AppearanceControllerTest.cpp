// The appearance preference applied to a running QApplication under Xvfb (a choice of it in the
// open settings: SettingsCardsTest's theme choice).
#include "UI/Appearance/AppearanceController.h"

#include "support/WidgetTest.h"

#include <QJsonValue>

using namespace vocena;
using AppearanceControllerTest = vocena::test::WidgetTest;

TEST_F(AppearanceControllerTest, EachStoredValueGivesItsPalette) {
    const QString themeKey = QString::fromLatin1(AppearanceController::kThemeKey);
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
        if (!c.expected) {
            EXPECT_EQ(QApplication::palette().resolveMask(), 0u);
            continue;
        }
        for (const QPalette::ColorRole role : {QPalette::Window, QPalette::WindowText, QPalette::Base, QPalette::Text,
                                               QPalette::Button, QPalette::ButtonText, QPalette::Highlight})
            EXPECT_EQ(QApplication::palette().color(role), c.expected->color(role)) << role;
    }
}
