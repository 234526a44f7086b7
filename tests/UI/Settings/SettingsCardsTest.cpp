// The settings window's own cards on real widgets under Xvfb, driven with QTest clicks: what
// each choice stores, what the card shows, the theme applied, start at login on real files.
#include "Infrastructure/LLM/AISettingsStore.h"
#include "Infrastructure/Platform/LoginItem.h"
#include "UI/Appearance/AppearanceController.h"
#include "UI/Settings/AIFeaturesCard.h"
#include "UI/Settings/GeneralSettingsCard.h"
#include "UI/Settings/ModeOption.h"
#include "UI/Settings/ThemeOptionRow.h"
#include "UI/Settings/ToggleSettingRow.h"
#include "UI/Settings/ToggleSwitch.h"
#include "UI/Settings/WorkModeCard.h"
#include "support/TestFiles.h"
#include "support/WidgetTest.h"

#include <QTest>

using namespace vocena;
using namespace vocena::test;

namespace {

class SettingsCardsTest : public WidgetTest {
protected:
    std::optional<qint64> intPref(const char* key) const { return prefs.intValue(QString::fromLatin1(key)); }
    std::optional<bool> boolPref(const char* key) const { return prefs.boolValue(QString::fromLatin1(key)); }
    static void click(QWidget* widget) { QTest::mouseClick(widget, Qt::LeftButton, {}, widget->rect().center()); }
};

}  // namespace

// The switch stores both keys and swaps the four features for the notice (how the menu and a
// dictation read the same keys: AppDelegateTest.TheModelSwitchReadsTheSameInTheCardTheMenuAndADictation).
TEST_F(SettingsCardsTest, TheAISwitchStoresTheModeAndShowsWhatHappens) {
    AIFeaturesCard card(prefs);
    ASSERT_TRUE(showActive(&card));
    for (const bool on : {true, false, true}) {
        SCOPED_TRACE(on);
        if (on != card.switchRow()->isOn()) click(card.switchRow()->toggleSwitch());
        EXPECT_EQ(std::tuple(card.switchRow()->isOn(), intPref(AISettingsStore::kModeKey).value_or(0),
                             boolPref(AISettingsStore::kEnabledKey).value_or(true), card.features()->isVisible(),
                             card.offNotice()->isVisible()),
                  std::tuple(on, on ? 0 : 1, on, on, !on));
    }
    QStringList texts;
    for (const QLabel* label : card.offNotice()->findChildren<QLabel*>()) texts << label->text();
    EXPECT_TRUE(texts.contains(QStringLiteral("AI 处理已关闭")) && texts.contains(QStringLiteral("将直接输出原始识别结果"))) << texts.join(u'|').toStdString();
}

// Clicking a mode (or pressing Space on it) stores it, selects it and names its shortcut; a mode
// switched elsewhere (Alt+Ctrl, the menu) selects its row.
TEST_F(SettingsCardsTest, AWorkModeRowStoresItsMode) {
    WorkModeCard card(prefs);
    ASSERT_TRUE(showActive(&card));
    // Whether the first and the second row are selected, and the shortcut named.
    const auto shows = [&] {
        return std::tuple(card.option(0)->isSelected(), card.option(1)->isSelected(), card.currentShortcut()->text());
    };
    const auto inputMethod = std::tuple(true, false, QStringLiteral("双击 Alt"));
    const auto assistant = std::tuple(false, true, QStringLiteral("Alt+Ctrl"));
    EXPECT_EQ(shows(), inputMethod);
    using Choose = std::function<void(QWidget*)>;
    const Choose space = [](QWidget* row) { QTest::keyClick(row, Qt::Key_Space); };
    for (const auto& [mode, choose] : {std::pair{1, Choose(click)}, std::pair{0, Choose(click)}, std::pair{1, space}}) {
        SCOPED_TRACE(mode);
        choose(card.option(mode));
        EXPECT_EQ(intPref(AISettingsStore::kWorkModeKey), mode);
        EXPECT_EQ(shows(), mode == 0 ? inputMethod : assistant);
    }
    prefs.setValue(QString::fromLatin1(AISettingsStore::kWorkModeKey), 0);
    EXPECT_TRUE(waitUntil([&] { return shows() == inputMethod; }));
}

// Start at login writes and removes the autostart entry; when it cannot (the autostart folder
// is a file), the card says why and the switch and the stored choice stay as the user set them.
TEST_F(SettingsCardsTest, StartAtLoginWritesTheAutostartEntryOrSaysWhyNot) {
    ASSERT_TRUE(writeFile(path(QStringLiteral("blocked")), "a file"));
    for (const QString& folder : {QStringLiteral("autostart"), QStringLiteral("blocked")}) {
        SCOPED_TRACE(folder.toStdString());
        const QString entry = path(folder + QStringLiteral("/vocena.desktop"));
        prefs.remove(QString::fromLatin1(GeneralSettingsCard::kAutoLaunchKey));
        LoginItem item(entry, QStringLiteral("/usr/bin/vocena"));
        GeneralSettingsCard card(prefs, {{}, [&item](bool on) { return item.update(on); }});
        ASSERT_TRUE(showActive(&card));
        EXPECT_FALSE(card.autoLaunchRow()->isOn());
        const auto stored = [&] {
            return std::pair(card.autoLaunchRow()->isOn(), boolPref(GeneralSettingsCard::kAutoLaunchKey));
        };
        click(card.autoLaunchRow()->toggleSwitch());
        EXPECT_EQ(stored(), std::pair(true, std::optional(true)));
        const QString error = shownText(card.loginItemError());
        if (folder == QStringLiteral("blocked")) {
            EXPECT_TRUE(error.startsWith(QStringLiteral("设置失败：无法创建文件夹"))) << error.toStdString();
            continue;
        }
        EXPECT_TRUE(!shown(card.loginItemError()) && QFile::exists(entry));  // its lines: LoginItemTest
        click(card.autoLaunchRow()->toggleSwitch());
        EXPECT_EQ(stored(), std::pair(false, std::optional(false)));
        EXPECT_FALSE(QFile::exists(entry));
    }
}

// A theme choice is stored and applied to the whole app at once. The silent launch (for
// the next start) and the live text in the field through fcitx5 are only stored, and start at
// login is left alone; the switches show the stored values, also a change made elsewhere
// (`vocena config set`).
TEST_F(SettingsCardsTest, AThemeChoiceIsAppliedAndTheSilentLaunchAndLivePreeditSwitchesAreStored) {
    const QString silentKey = QString::fromLatin1(GeneralSettingsCard::kSilentLaunchKey);
    prefs.setValue(silentKey, true);
    prefs.setValue(QString::fromLatin1(GeneralSettingsCard::kAutoLaunchKey), true);
    int loginItemCalls = 0;
    AppearanceController appearance(prefs);
    GeneralSettingsCard card(prefs, {[&] { appearance.apply(); }, [&](bool) { return ++loginItemCalls, QString(); }});
    ASSERT_TRUE(showActive(&card));
    // window: none: the platform's palette
    const struct { int value; std::optional<QColor> window; } cases[] = {
        {1, ThemePalette::dark().color(QPalette::Window)},
        {2, std::nullopt},
        {0, ThemePalette::light().color(QPalette::Window)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.value);
        click(card.themeOption(c.value));
        EXPECT_EQ(intPref(GeneralSettingsCard::kThemeKey), c.value);
        for (int i = 0; i < 3; ++i) EXPECT_EQ(card.themeOption(i)->isSelected(), i == c.value) << i;
        if (c.window) EXPECT_EQ(QApplication::palette().color(QPalette::Window), *c.window);
        else EXPECT_EQ(QApplication::palette().resolveMask(), 0u);
    }
    EXPECT_TRUE(card.autoLaunchRow()->isOn());
    for (const auto& [row, key] : {std::pair{card.silentLaunchRow(), silentKey}, std::pair{card.livePreeditRow(), QStringLiteral("com.vocena.fcitx5.preedit")}}) {
        SCOPED_TRACE(key.toStdString());
        EXPECT_TRUE(row->isOn());
        click(row->toggleSwitch());
        EXPECT_EQ(prefs.boolValue(key), false);
        prefs.setValue(key, true);
        EXPECT_TRUE(waitUntil([row] { return row->isOn(); }));
    }
    EXPECT_EQ(loginItemCalls, 0);
}
