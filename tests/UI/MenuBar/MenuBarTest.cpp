// The tray menu's items per dictation state and mode and the request each sends; the tray icon
// on the Xvfb display of scripts/with-xvfb, with trayer as the tray host: the icon waiting for a
// host, its colours on screen, and its menu opened by a click.
#include "UI/MenuBar/MenuBar.h"
#include "UI/MenuBar/MenuBarIcon.h"
#include "UI/MenuBar/StatusMenu.h"
#include "support/CliRunner.h"
#include "support/LogCapture.h"
#include "support/TrayHost.h"
#include "support/WidgetTest.h"

#include <QAction>
#include <QMenu>
#include <QSignalSpy>
#include <QSystemTrayIcon>

using namespace vocena;
using namespace vocena::test;

namespace {

// States handed to one menu in turn, and what its changing items show after each; then each
// item's request.
TEST(StatusMenuTest, ItemsFollowRecordingModesAndConversationAndEachSendsItsOwnRequest) {
    struct Row { const char* what; StatusMenuState state; const char* recordingTitle; const char* workModeTitle; const char* aiTitle;
                 bool clearEnabled; };
    const Row rows[] = {
        {"idle input method", {false, 0, 0, false}, "开始录音 (双击 Alt)", "澄言（语音输入法）", "AI: 开启 ✓", false},
        {"recording, input method with a history", {true, 0, 0, true}, "停止录音 (双击 Alt)", "澄言（语音输入法）", "AI: 开启 ✓", false},
        {"assistant with a history", {false, 1, 0, true}, "开始录音 (双击 Alt)", "澄言慢（语音助手）", "AI: 开启 ✓", true},
        {"work mode stored as 2, AI off", {false, 2, 1, true}, "开始录音 (双击 Alt)", "澄言慢（语音助手）", "AI: 关闭", false},
        {"AI back on after a change", {false, 1, 0, true}, "开始录音 (双击 Alt)", "澄言慢（语音助手）", "AI: 智能处理 ✓", true},
        {"history cleared", {false, 1, 0, false}, "开始录音 (双击 Alt)", "澄言慢（语音助手）", "AI: 智能处理 ✓", false},
    };
    StatusMenu menu;
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        menu.apply(row.state);
        const auto text = [&menu](int tag) { return menu.action(tag)->text(); };
        const auto enabled = [&menu](int tag) { return menu.action(tag)->isEnabled(); };
        EXPECT_EQ((QStringList{text(StatusMenu::recordingTag), text(StatusMenu::workModeTag),
                               text(StatusMenu::aiModeTag)}),
                  (QStringList{row.recordingTitle, row.workModeTitle, row.aiTitle}));
        EXPECT_EQ(std::pair(enabled(StatusMenu::recordingTag), enabled(StatusMenu::clearContextTag)),
                  std::pair(!row.state.awaitingFinalResult, row.clearEnabled));
    }

    // The items in order, each with its title and shortcut, sending its own request and no other.
    const struct { const char* title; const char* shortcut; void (StatusMenu::*request)(); } items[] = {
        {"开始录音 (双击 Alt)", "", &StatusMenu::toggleRecordingRequested},
        {"澄言慢（语音助手）", "", &StatusMenu::cycleWorkModeRequested},
        {"AI: 智能处理 ✓", "", &StatusMenu::cycleAIModeRequested},  // after a change (above)
        {"清空对话上下文", "", &StatusMenu::clearContextRequested},
        {"设置...", "Ctrl+,", &StatusMenu::settingsRequested},
        {"权限设置...", "", &StatusMenu::permissionGuideRequested},
        {"关于澄言", "", &StatusMenu::aboutRequested},
        {"退出澄言", "Ctrl+Q", &StatusMenu::quitRequested},
    };
    menu.apply({false, 1, 0, true});  // the clear item enabled
    std::vector<std::unique_ptr<QSignalSpy>> spies;
    for (const auto& item : items) spies.push_back(std::make_unique<QSignalSpy>(&menu, item.request));
    QList<QAction*> actions = menu.menu()->actions();
    actions.removeIf([](const QAction* action) { return action->isSeparator(); });
    ASSERT_EQ(actions.size(), qsizetype(std::size(items)));
    for (qsizetype i = 0; i < actions.size(); ++i) {
        SCOPED_TRACE(items[i].title);
        EXPECT_EQ(std::pair(actions[i]->text(), actions[i]->shortcut().toString()),
                  std::pair(QString::fromUtf8(items[i].title), QString::fromUtf8(items[i].shortcut)));
        for (const auto& spy : spies) spy->clear();
        actions[i]->trigger();
        for (std::size_t j = 0; j < spies.size(); ++j) EXPECT_EQ(spies[j]->count(), qsizetype(i) == qsizetype(j) ? 1 : 0) << j;
    }
}


class StatusTrayIconTest : public WidgetTest {
protected:
    QRect iconArea() { return m_bar.trayIcon().trayIcon()->geometry(); }
    // Whether the icon sits in trayer's panel at the bottom edge of the screen.
    bool inTray() {
        const QRect screen = QGuiApplication::primaryScreen()->geometry();
        return !iconArea().isEmpty() && screen.contains(iconArea()) && iconArea().bottom() > screen.bottom() - 40;
    }
    // Pixels of the icon on the display near `colour`.
    int shownNear(const QColor& colour) {
        const QRect area = iconArea();
        const QImage shown = QGuiApplication::primaryScreen()->grabWindow(0, area.x(), area.y(), area.width(), area.height()).toImage();
        return countNear(shown, colour, 60);
    }

    LogCapture m_logs;
    std::optional<TrayHost> m_host;
    MenuBar m_bar{scheduler};
};

TEST_F(StatusTrayIconTest, WithoutAHostTheMenuWorksAndTheIconAppearsWithTheHost) {
    ASSERT_FALSE(QSystemTrayIcon::isSystemTrayAvailable()) << "a tray host is already running";
    QSignalSpy appeared(&m_bar.trayIcon(), &StatusTrayIcon::trayHostAppeared);
    m_bar.start();
    EXPECT_TRUE(m_logs.contains(QStringLiteral("[StatusTrayIcon] 系统托盘不可用：等待托盘出现后显示托盘图标（录音仍可用双击 Alt 或 vocena toggle）")));
    EXPECT_FALSE(inTray());

    // Recording meanwhile (the menu follows all the same:
    // AppDelegateTest.TheTrayAndTheBannerBelongToTheRunInProgress).
    m_bar.setState({true, 1, 0, true});

    clock.advance(StatusTrayIcon::hostPollSeconds);  // still no host: it keeps looking
    EXPECT_EQ(appeared.count(), 0);
    ASSERT_TRUE(m_host.emplace().waitUntilReady());
    clock.advance(StatusTrayIcon::hostPollSeconds);
    EXPECT_EQ(appeared.count(), 1);
    EXPECT_TRUE(waitUntil([&] { return inTray() && shownNear(MenuBarIcon::recordingRed()) > 10; }))
        << "the recording icon shows once in the tray";
}

// The idle glyph takes the theme's text colour, the recording glyph is red on either theme; the
// display shows each change.
TEST_F(StatusTrayIconTest, ColoursFollowRecordingAndThemeAndAClickOpensTheMenu) {
    ASSERT_TRUE(m_host.emplace().waitUntilReady());
    m_bar.start();
    ASSERT_TRUE(waitUntil([&] { return inTray() && shownNear(QApplication::palette().color(QPalette::WindowText)) > 10; }));
    const QColor red = MenuBarIcon::recordingRed();
    struct Row { const char* what; QPalette palette; bool recording; };
    for (const Row& row : {Row{"light idle", ThemePalette::light(), false}, Row{"light recording", ThemePalette::light(), true},
                           Row{"dark recording", ThemePalette::dark(), true}, Row{"dark idle", ThemePalette::dark(), false}}) {
        SCOPED_TRACE(row.what);
        QApplication::setPalette(row.palette);
        m_bar.setState({row.recording, 0, 0, false});
        const QColor text = row.palette.color(QPalette::WindowText);
        EXPECT_TRUE(waitUntil([&] { return shownNear(row.recording ? red : text) > 10 && (row.recording || shownNear(red) == 0); }));
    }

    // A click on the icon (either button) opens the menu on the screen; its items answer a click
    // and the quit shortcut while it is open.
    QMenu* menu = m_bar.menu().menu();
    QSignalSpy toggle(&m_bar.menu(), &StatusMenu::toggleRecordingRequested);
    QSignalSpy quit(&m_bar.menu(), &StatusMenu::quitRequested);
    // key: null: a click on the recording item
    struct Click { const char* name; int button; const char* key; QSignalSpy* answer; };
    const Click clicks[] = {
        {"left button, the recording item", 1, nullptr, &toggle},
        {"right button, the quit shortcut", 3, "ctrl+q", &quit},
    };
    for (const Click& row : clicks) {
        SCOPED_TRACE(row.name);
        for (QSignalSpy* spy : {&toggle, &quit}) spy->clear();
        const QPoint icon = iconArea().center();
        xdotool(QStringLiteral("mousemove %1 %2 click %3").arg(icon.x()).arg(icon.y()).arg(row.button));
        ASSERT_TRUE(waitUntil([&] { return menu->isVisible() && !menu->geometry().isEmpty(); }));
        EXPECT_TRUE(QGuiApplication::primaryScreen()->geometry().contains(menu->geometry()));
        if (row.key) {
            xdotool(QStringLiteral("key ") + QString::fromLatin1(row.key));
        } else {
            const QPoint item = menu->mapToGlobal(menu->actionGeometry(m_bar.menu().action(StatusMenu::recordingTag)).center());
            xdotool(QStringLiteral("mousemove %1 %2 click 1").arg(item.x()).arg(item.y()));
        }
        EXPECT_TRUE(waitUntil([&] { return !menu->isVisible() && row.answer->count() == 1; }));
        EXPECT_EQ(toggle.count() + quit.count(), 1);
    }
}

}  // namespace
