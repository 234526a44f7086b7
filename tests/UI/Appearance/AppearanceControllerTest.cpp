// The appearance preference applied to a running QApplication under Xvfb.
#include "UI/Appearance/AppearanceController.h"

#include "Infrastructure/Platform/Preferences.h"
#include "support/WaitUntil.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QJsonValue>
#include <QLineEdit>
#include <QStyle>
#include <QTemporaryDir>

using namespace vocena;

namespace {

const char* themeKey = AppearanceController::kThemeKey;

class AppearanceControllerTest : public ::testing::Test {
protected:
    AppearanceControllerTest() {
        // What the platform offers when the app starts; "follow the system" gives it back.
        QApplication::setPalette(QPalette(QColor(20, 90, 40)));
    }
    ~AppearanceControllerTest() override { QApplication::setPalette(QPalette()); }

    QTemporaryDir dir;
    QString path = dir.filePath(QStringLiteral("preferences.json"));
    Preferences prefs{path};
};

QColor windowColor(const QWidget& widget) { return widget.palette().color(QPalette::Window); }

}  // namespace

TEST_F(AppearanceControllerTest, EachStoredValueGivesItsPalette) {
    const QPalette light = ThemePalette::light();
    const QPalette dark = ThemePalette::dark();
    const QPalette platform = QApplication::palette();
    ASSERT_NE(light.color(QPalette::Window), dark.color(QPalette::Window));
    ASSERT_NE(platform.color(QPalette::Window), light.color(QPalette::Window));

    const struct {
        const char* name;
        QJsonValue stored;
        const QPalette& expected;
    } cases[] = {
        {"absent", QJsonValue(), light}, {"0", 0, light},  {"1", 1, dark},           {"2", 2, platform},
        {"7", 7, light},                 {"-1", -1, light}, {"text", QStringLiteral("1"), light}, {"1.5", 1.5, light},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.stored.isUndefined()) prefs.remove(QString::fromLatin1(themeKey));
        else prefs.setValue(QString::fromLatin1(themeKey), c.stored);
        QApplication::setPalette(platform);
        AppearanceController controller(prefs);
        EXPECT_EQ(QApplication::style()->name().toLower(), QStringLiteral("fusion"));
        for (const QPalette::ColorRole role : {QPalette::Window, QPalette::WindowText, QPalette::Base, QPalette::Text,
                                               QPalette::Button, QPalette::ButtonText, QPalette::Highlight})
            EXPECT_EQ(QApplication::palette().color(role), c.expected.color(role)) << role;
    }
    // The dark palette reads as dark: light text on a dark window.
    EXPECT_LT(dark.color(QPalette::Window).lightness(), 80);
    EXPECT_GT(dark.color(QPalette::WindowText).lightness(), 180);
    EXPECT_GT(dark.color(QPalette::Text).lightness() - dark.color(QPalette::Base).lightness(), 150);
    EXPECT_LT(dark.color(QPalette::Disabled, QPalette::Text).lightness(), dark.color(QPalette::Text).lightness());
}

TEST_F(AppearanceControllerTest, ShownWindowsFollowAChangedPreference) {
    const QColor light = ThemePalette::light().color(QPalette::Window);
    const QColor dark = ThemePalette::dark().color(QPalette::Window);
    const QColor platform = QApplication::palette().color(QPalette::Window);
    AppearanceController controller(prefs);
    QLineEdit field;
    field.show();
    ASSERT_EQ(windowColor(field), light);

    // Written in this process (the settings window) ...
    prefs.setValue(QString::fromLatin1(themeKey), 1);
    EXPECT_TRUE(test::waitUntil([&] { return windowColor(field) == dark; }));
    // ... or by another writer (`vocena config set`).
    Preferences cli(path);
    cli.setValue(QString::fromLatin1(themeKey), 2);
    EXPECT_TRUE(test::waitUntil([&] { return windowColor(field) == platform; }));
    cli.setValue(QString::fromLatin1(themeKey), 0);
    EXPECT_TRUE(test::waitUntil([&] { return windowColor(field) == light; }));
    EXPECT_EQ(controller.appliedTheme(), Theme::light);
}
