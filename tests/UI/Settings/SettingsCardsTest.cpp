// The settings window's own cards on real widgets under Xvfb, driven with QTest clicks: what
// each choice stores, what the card shows, the theme applied, start at login on real files.
#include "Infrastructure/Platform/LoginItem.h"
#include "Infrastructure/Platform/Preferences.h"
#include "UI/Appearance/AppearanceController.h"
#include "UI/Settings/AIFeaturesCard.h"
#include "UI/Settings/GeneralSettingsCard.h"
#include "UI/Settings/ModeOption.h"
#include "UI/Settings/SettingsWindowFactory.h"
#include "UI/Settings/ThemeOptionRow.h"
#include "UI/Settings/ToggleSettingRow.h"
#include "UI/Settings/ToggleSwitch.h"
#include "UI/Settings/WorkModeCard.h"
#include "Infrastructure/LLM/AISettingsStore.h"
#include "support/LogCapture.h"
#include "support/WaitUntil.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QTemporaryDir>
#include <QTest>

using namespace vocena;
using namespace vocena::test;

namespace {

class SettingsCardsTest : public ::testing::Test {
protected:
    ~SettingsCardsTest() override { QApplication::setPalette(QPalette()); }

    QTemporaryDir dir;
    Preferences prefs{dir.filePath(QStringLiteral("preferences.json"))};

    std::optional<qint64> intPref(const char* key) const { return prefs.intValue(QString::fromLatin1(key)); }
    std::optional<bool> boolPref(const char* key) const { return prefs.boolValue(QString::fromLatin1(key)); }
    static void click(QWidget* widget) { QTest::mouseClick(widget, Qt::LeftButton, {}, widget->rect().center()); }
    template <typename Card>
    static void showCard(Card& card) {
        card.setFixedWidth(Card::kWidth);
        card.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&card));
    }
};

}  // namespace

// The switch stores both keys and swaps the four features for the notice; a mode changed
// elsewhere (the menu) moves the switch.
TEST_F(SettingsCardsTest, TheAISwitchStoresTheModeAndShowsWhatHappens) {
    AIFeaturesCard card(prefs);
    ASSERT_NO_FATAL_FAILURE(showCard(card));
    EXPECT_TRUE(card.switchRow()->isOn());
    EXPECT_TRUE(card.features()->isVisible());
    EXPECT_FALSE(card.offNotice()->isVisible());

    const struct {
        bool on;
        qint64 mode;
    } steps[] = {{false, 1}, {true, 0}, {false, 1}};
    for (const auto& step : steps) {
        SCOPED_TRACE(step.on);
        click(card.switchRow()->toggleSwitch());
        EXPECT_EQ(card.switchRow()->isOn(), step.on);
        EXPECT_EQ(intPref(AISettingsStore::kModeKey), step.mode);
        EXPECT_EQ(boolPref(AISettingsStore::kEnabledKey), step.on);
        EXPECT_EQ(card.features()->isVisible(), step.on);
        EXPECT_EQ(card.offNotice()->isVisible(), !step.on);
    }
    const auto texts = card.offNotice()->findChildren<QLabel*>();
    QStringList shown;
    for (const QLabel* label : texts) shown << label->text();
    EXPECT_TRUE(shown.contains(QStringLiteral("AI 处理已关闭")));
    EXPECT_TRUE(shown.contains(QStringLiteral("将直接输出原始识别结果")));

    // The card follows a change made elsewhere (the menu writes both keys as the card does), and
    // any mode but 0 is off, as the dictation reads it.
    Preferences elsewhere(prefs.filePath());
    AISettingsStore::storeProcessingOn(elsewhere, true);
    EXPECT_TRUE(waitUntil([&] { return card.switchRow()->isOn() && card.features()->isVisible(); }));
    prefs.setValue(QString::fromLatin1(AISettingsStore::kModeKey), 7);
    EXPECT_TRUE(waitUntil([&] { return !card.switchRow()->isOn() && card.offNotice()->isVisible(); }));
}

// Clicking a mode (or pressing Space on it) stores it, selects it and names its shortcut.
TEST_F(SettingsCardsTest, AWorkModeRowStoresItsMode) {
    WorkModeCard card(prefs);
    ASSERT_NO_FATAL_FAILURE(showCard(card));
    EXPECT_TRUE(card.option(0)->isSelected());
    EXPECT_EQ(card.currentShortcut()->text(), QStringLiteral("双击 Alt"));

    const struct {
        const char* how;
        int mode;
        std::function<void(QWidget*)> choose;
    } steps[] = {
        {"click the assistant", 1, click},
        {"click the input method", 0, click},
        {"Space on the assistant", 1, [](QWidget* row) { QTest::keyClick(row, Qt::Key_Space); }},
    };
    for (const auto& step : steps) {
        SCOPED_TRACE(step.how);
        step.choose(card.option(step.mode));
        EXPECT_EQ(intPref(AISettingsStore::kWorkModeKey), step.mode);
        EXPECT_EQ(card.option(step.mode)->isSelected(), true);
        EXPECT_EQ(card.option(1 - step.mode)->isSelected(), false);
        EXPECT_EQ(card.currentShortcut()->text(), step.mode == 0 ? QStringLiteral("双击 Alt") : QStringLiteral("Alt+Ctrl"));
    }
    // Alt+Ctrl or the menu switched it back meanwhile.
    prefs.setValue(QString::fromLatin1(AISettingsStore::kWorkModeKey), 0);
    EXPECT_TRUE(waitUntil([&] { return card.option(0)->isSelected() && card.currentShortcut()->text() == QStringLiteral("双击 Alt"); }));
}

// A theme choice is stored, applied to the whole app at once and logged.
TEST_F(SettingsCardsTest, AThemeChoiceIsStoredAndApplied) {
    AppearanceController appearance(prefs);
    GeneralSettingsCard card(prefs, {[&] { appearance.apply(); }, {}});
    ASSERT_NO_FATAL_FAILURE(showCard(card));
    const struct {
        int value;
        const char* log;
        std::optional<QColor> window;  // none: the platform's palette
    } cases[] = {
        {1, "主题已切换: 深色", ThemePalette::dark().color(QPalette::Window)},
        {2, "主题已切换: 跟随系统", std::nullopt},
        {0, "主题已切换: 浅色", ThemePalette::light().color(QPalette::Window)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.log);
        LogCapture log;
        click(card.themeOption(c.value));
        EXPECT_EQ(intPref(GeneralSettingsCard::kThemeKey), c.value);
        for (int i = 0; i < 3; ++i) EXPECT_EQ(card.themeOption(i)->isSelected(), i == c.value) << i;
        if (c.window) {
            EXPECT_EQ(QApplication::palette().color(QPalette::Window), *c.window);
        } else {
            EXPECT_EQ(QApplication::palette().resolveMask(), 0u);
        }
        EXPECT_TRUE(log.contains(QString::fromUtf8(c.log))) << log.lines().join(QLatin1Char('\n')).toStdString();
    }
}

// Start at login writes and removes the autostart entry; when it cannot (the autostart folder
// is a file), the card says why and the switch and the stored choice stay as the user set them.
TEST_F(SettingsCardsTest, StartAtLoginWritesTheAutostartEntryOrSaysWhyNot) {
    const QString executable = QStringLiteral("/usr/bin/vocena");
    struct Case {
        const char* name;
        QString entry;
        bool blockFolder;
    };
    const QList<Case> cases{
        {"writable", dir.filePath(QStringLiteral("autostart/vocena.desktop")), false},
        {"the folder is a file", dir.filePath(QStringLiteral("blocked/vocena.desktop")), true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.blockFolder) {
            QFile blocker(dir.filePath(QStringLiteral("blocked")));
            ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
        }
        prefs.remove(QString::fromLatin1(GeneralSettingsCard::kAutoLaunchKey));
        LoginItem item(c.entry, executable);
        GeneralSettingsCard card(prefs, {{}, [&item](bool on) { return item.update(on); }});
        ASSERT_NO_FATAL_FAILURE(showCard(card));
        ToggleSwitch* toggle = card.autoLaunchRow()->toggleSwitch();
        EXPECT_FALSE(card.autoLaunchRow()->isOn());

        LogCapture log;
        click(toggle);
        EXPECT_TRUE(card.autoLaunchRow()->isOn());
        EXPECT_EQ(boolPref(GeneralSettingsCard::kAutoLaunchKey), true);
        if (c.blockFolder) {
            EXPECT_TRUE(card.loginItemError()->isVisible());
            EXPECT_TRUE(card.loginItemError()->text().startsWith(QStringLiteral("设置失败：无法创建文件夹"))) << card.loginItemError()->text().toStdString();
            EXPECT_TRUE(log.contains(QStringLiteral("登录项设置失败: ")));
            continue;
        }
        EXPECT_FALSE(card.loginItemError()->isVisible());
        QFile entry(c.entry);
        ASSERT_TRUE(entry.open(QIODevice::ReadOnly));
        EXPECT_TRUE(entry.readAll().contains("Exec=/usr/bin/vocena\n"));
        click(toggle);
        EXPECT_FALSE(card.autoLaunchRow()->isOn());
        EXPECT_EQ(boolPref(GeneralSettingsCard::kAutoLaunchKey), false);
        EXPECT_FALSE(QFile::exists(c.entry));
    }
}

// The silent launch is only stored (it takes effect at the next start); the switches show the
// stored values when the card is built.
TEST_F(SettingsCardsTest, SilentLaunchIsStoredForTheNextStart) {
    prefs.setValue(QString::fromLatin1(GeneralSettingsCard::kSilentLaunchKey), true);
    prefs.setValue(QString::fromLatin1(GeneralSettingsCard::kAutoLaunchKey), true);
    int loginItemCalls = 0;
    GeneralSettingsCard card(prefs, {{}, [&](bool) {
                                         ++loginItemCalls;
                                         return QString();
                                     }});
    ASSERT_NO_FATAL_FAILURE(showCard(card));
    EXPECT_TRUE(card.silentLaunchRow()->isOn());
    EXPECT_TRUE(card.autoLaunchRow()->isOn());
    click(card.silentLaunchRow()->toggleSwitch());
    EXPECT_EQ(boolPref(GeneralSettingsCard::kSilentLaunchKey), false);
    EXPECT_EQ(loginItemCalls, 0);
}

// The live text in the field through fcitx5 is on until switched off; a change made elsewhere
// (`vocena config set`) moves the switch.
TEST_F(SettingsCardsTest, TheLivePreeditSwitchStoresItsPreference) {
    const QString key = QStringLiteral("com.vocena.fcitx5.preedit");
    GeneralSettingsCard card(prefs, {});
    ASSERT_NO_FATAL_FAILURE(showCard(card));
    EXPECT_TRUE(card.livePreeditRow()->isOn());
    click(card.livePreeditRow()->toggleSwitch());
    EXPECT_EQ(prefs.boolValue(key), false);
    click(card.livePreeditRow()->toggleSwitch());
    EXPECT_EQ(prefs.boolValue(key), true);
    prefs.setValue(key, false);
    EXPECT_TRUE(waitUntil([&] { return !card.livePreeditRow()->isOn(); }));
}
