// The tray icon on the Xvfb display of scripts/with-xvfb, with trayer as the tray host: the
// icon waiting for a host, its colour on screen while recording, and its menu opened by a
// click. VOCENA_SCREENSHOT_DIR set saves the open menu as menu-light.png and menu-dark.png.
#include "UI/MenuBar/MenuBar.h"
#include "UI/MenuBar/MenuBarIcon.h"
#include "UI/MenuBar/MenuBarTestSupport.h"
#include "support/FocusedTextField.h"
#include "support/LogCapture.h"
#include "support/ManualScheduler.h"
#include "support/TrayHost.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QMenu>
#include <QPainter>
#include <QScreen>
#include <QSignalSpy>
#include <QSystemTrayIcon>

using namespace vocena;
using test::waitUntil;

namespace {

class StatusTrayIconTest : public testing::Test {
protected:
    void TearDown() override { QApplication::setPalette(m_original); }

    // The tray icon as the display shows it.
    static QImage onScreen(const MenuBar& bar) {
        const QRect area = const_cast<MenuBar&>(bar).trayIcon().trayIcon()->geometry();
        return QGuiApplication::primaryScreen()->grabWindow(0, area.x(), area.y(), area.width(), area.height()).toImage();
    }
    // Whether the icon sits in trayer's panel at the bottom edge of the screen.
    static bool inTray(const MenuBar& bar) {
        const QRect area = const_cast<MenuBar&>(bar).trayIcon().trayIcon()->geometry();
        const QRect screen = QGuiApplication::primaryScreen()->geometry();
        return !area.isEmpty() && screen.contains(area) && area.bottom() > screen.bottom() - 40;
    }
    static int redPixels(const QImage& image) { return test::countNear(image, MenuBarIcon::recordingRed(), 60); }
    // Whether the display shows the icon's glyph in `colour`.
    static bool showsGlyph(const MenuBar& bar, const QColor& colour) {
        return waitUntil([&] { return test::countNear(onScreen(bar), colour, 60) > 10; });
    }

    static void xdotool(const QStringList& arguments) {
        const test::ProcessResult result = test::runProcess(QStringLiteral("xdotool"), arguments);
        ASSERT_EQ(result.exitCode, 0) << result.err.toStdString();
    }
    static void clickAt(const QPoint& point, int button) {
        xdotool({QStringLiteral("mousemove"), QString::number(point.x()), QString::number(point.y()), QStringLiteral("click"),
                 QString::number(button)});
    }

    test::ManualClock m_clock;
    test::ManualScheduler m_scheduler{m_clock};
    test::LogCapture m_logs;
    QPalette m_original = QApplication::palette();
};

TEST_F(StatusTrayIconTest, WithoutAHostTheMenuWorksAndTheIconAppearsWithTheHost) {
    ASSERT_FALSE(QSystemTrayIcon::isSystemTrayAvailable()) << "a tray host is already running";
    MenuBar bar(m_scheduler);
    QSignalSpy appeared(&bar.trayIcon(), &StatusTrayIcon::trayHostAppeared);
    QSignalSpy quit(&bar.menu(), &StatusMenu::quitRequested);
    bar.start();
    EXPECT_TRUE(m_logs.contains(QStringLiteral("[StatusTrayIcon] 系统托盘不可用：等待托盘出现后显示菜单栏图标（双击 Alt 录音照常可用）")));
    EXPECT_FALSE(inTray(bar));

    bar.setState({true, 1, 0, true});
    EXPECT_EQ(bar.menu().action(StatusMenu::recordingTag)->text(), QStringLiteral("停止录音 (双击 Alt)"));
    EXPECT_TRUE(bar.menu().action(StatusMenu::clearContextTag)->isEnabled());
    bar.menu().menu()->actions().last()->trigger();
    EXPECT_EQ(quit.count(), 1);

    m_clock.advance(StatusTrayIcon::hostPollSeconds);  // still no host: it keeps looking
    EXPECT_EQ(appeared.count(), 0);
    test::TrayHost host;
    ASSERT_TRUE(host.waitUntilReady());
    m_clock.advance(StatusTrayIcon::hostPollSeconds);
    EXPECT_EQ(appeared.count(), 1);
    EXPECT_TRUE(m_logs.contains(QStringLiteral("[StatusTrayIcon] 系统托盘已出现，显示菜单栏图标")));
    EXPECT_TRUE(waitUntil([&] { return inTray(bar); }));
    EXPECT_TRUE(showsGlyph(bar, MenuBarIcon::recordingRed())) << "the recording icon shows once in the tray";

    m_clock.advance(10 * StatusTrayIcon::hostPollSeconds);  // found: no more looking
    EXPECT_EQ(appeared.count(), 1);
    EXPECT_EQ(m_scheduler.pendingCount(), 0);
}

// The idle glyph takes the theme's text colour with a halo of the opposite brightness; the
// recording glyph is red on either; the screen shows the change while the icon sits in the tray.
// The menu's symbols take the theme's text colour too.
TEST_F(StatusTrayIconTest, ColoursFollowRecordingAndTheme) {
    test::TrayHost host;
    ASSERT_TRUE(host.waitUntilReady());
    MenuBar bar(m_scheduler);
    bar.start();
    ASSERT_TRUE(waitUntil([&] { return inTray(bar); }));
    EXPECT_TRUE(m_logs.lines().filter(QStringLiteral("系统托盘不可用")).isEmpty());

    struct Row {
        const char* what;
        QPalette palette;
        bool recording;
    };
    const Row rows[] = {
        {"light idle", test::lightPalette(), false},
        {"light recording", test::lightPalette(), true},
        {"dark recording", test::darkPalette(), true},
        {"dark idle", test::darkPalette(), false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        QApplication::setPalette(row.palette);
        bar.setState({row.recording, 0, 0, false});
        const QColor text = row.palette.color(QPalette::WindowText);
        const QColor glyph = row.recording ? MenuBarIcon::recordingRed() : text;
        const QColor halo = text.lightnessF() < 0.5 ? QColor(Qt::white) : QColor(Qt::black);
        const QImage icon = bar.trayIcon().trayIcon()->icon().pixmap(22).toImage();
        EXPECT_GT(test::countNear(icon, glyph), 40);
        EXPECT_EQ(test::countNear(icon, row.recording ? text : MenuBarIcon::recordingRed()), 0);
        // The halo is three-quarters opaque: blended over the opposite of the glyph.
        QImage overGlyph(icon.size(), QImage::Format_ARGB32);
        overGlyph.fill(text);
        QPainter(&overGlyph).drawImage(0, 0, icon);
        EXPECT_GT(test::countNear(overGlyph, halo, 80), 10);
        EXPECT_TRUE(showsGlyph(bar, glyph));
        if (!row.recording) {
            EXPECT_TRUE(waitUntil([&] { return redPixels(onScreen(bar)) == 0; }));
        }

        for (int tag : {StatusMenu::workModeTag, StatusMenu::aiModeTag, StatusMenu::clearContextTag}) {
            SCOPED_TRACE(testing::Message() << "symbol of " << tag);
            const QImage symbol = bar.menu().action(tag)->icon().pixmap(32).toImage();
            EXPECT_GT(test::countNear(symbol, row.palette.color(QPalette::Text)), 20);
            EXPECT_EQ(test::countNear(symbol, row.palette.color(QPalette::Window)), 0);
        }
    }
    EXPECT_TRUE(m_logs.contains(QStringLiteral("[StatusTrayIcon] 菜单栏图标已更新: 录音中")));
    EXPECT_TRUE(m_logs.contains(QStringLiteral("[StatusTrayIcon] 菜单栏图标已更新: 空闲")));
}

// A click on the icon (either button) opens the menu; its items answer a click and the quit
// shortcut while it is open.
TEST_F(StatusTrayIconTest, ClickOnTheIconOpensTheMenu) {
    test::TrayHost host;
    ASSERT_TRUE(host.waitUntilReady());
    MenuBar bar(m_scheduler);
    bar.start();
    ASSERT_TRUE(waitUntil([&] { return inTray(bar); }));
    ASSERT_TRUE(showsGlyph(bar, QApplication::palette().color(QPalette::WindowText)));
    QMenu* menu = bar.menu().menu();
    QSignalSpy toggle(&bar.menu(), &StatusMenu::toggleRecordingRequested);
    QSignalSpy quit(&bar.menu(), &StatusMenu::quitRequested);

    struct Row {
        const char* name;
        QPalette palette;
        int button;
        bool quitByShortcut;  // else a click on the recording item
    };
    const Row rows[] = {
        {"light", test::lightPalette(), 1, false},
        {"dark", test::darkPalette(), 3, true},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        QApplication::setPalette(row.palette);
        bar.setState({false, 1, 0, true});
        toggle.clear();
        quit.clear();
        clickAt(bar.trayIcon().trayIcon()->geometry().center(), row.button);
        ASSERT_TRUE(waitUntil([&] { return menu->isVisible() && !menu->geometry().isEmpty(); }));
        // From the bottom edge it opens upwards, on the screen, and leaves the icon in sight.
        EXPECT_TRUE(QGuiApplication::primaryScreen()->geometry().contains(menu->geometry()));
        EXPECT_LT(menu->geometry().bottom(), bar.trayIcon().trayIcon()->geometry().top());
        const QString folder = qEnvironmentVariable("VOCENA_SCREENSHOT_DIR");
        if (!folder.isEmpty()) {
            waitUntil([] { return false; }, 300);  // the menu's first paint
            QGuiApplication::primaryScreen()->grabWindow(0).save(
                QDir(folder).filePath(QStringLiteral("menu-%1.png").arg(QString::fromUtf8(row.name))));
        }
        if (row.quitByShortcut) {
            xdotool({QStringLiteral("key"), QStringLiteral("ctrl+q")});
            EXPECT_TRUE(waitUntil([&] { return quit.count() == 1; }));
        } else {
            const QAction* recording = bar.menu().action(StatusMenu::recordingTag);
            clickAt(menu->mapToGlobal(menu->actionGeometry(const_cast<QAction*>(recording)).center()), 1);
            EXPECT_TRUE(waitUntil([&] { return toggle.count() == 1; }));
        }
        EXPECT_TRUE(waitUntil([&] { return !menu->isVisible(); }));
        EXPECT_EQ(toggle.count() + quit.count(), 1);
    }
}

}  // namespace
