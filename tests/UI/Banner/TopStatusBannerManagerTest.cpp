// The banner manager on a real X display: where the panel goes, what it does to the keyboard
// focus and to clicks, its buttons, its timers (virtual time) and the reuse of the one panel.
#include "UI/Banner/TermSuggestionView.h"
#include "UI/Banner/X11CompositorProbe.h"
#include "BannerTestBed.h"
#include "support/FocusedTextField.h"
#include "support/LogCapture.h"

#include <QApplication>
#include <QLabel>
#include <QMouseEvent>
#include <QProcess>
#include <QPushButton>
#include <QWindow>

using namespace vocena;
using ContentType = TopStatusBannerManager::ContentType;

namespace {

// Two screens side by side, each with a panel taking some of its edge.
const ScreenGeometry kLeft{QRect(0, 0, 1280, 800), QRect(0, 24, 1280, 776)};
const ScreenGeometry kRight{QRect(1280, 0, 1920, 1080), QRect(1280, 0, 1920, 1040)};

using test::xdotool;

// A real click of the left button at a point of the display.
void clickAt(const QPoint& point) { xdotool(QStringLiteral("mousemove %1 %2 click 1").arg(point.x()).arg(point.y())); }

// A plain window that counts the presses it receives.
struct ClickTarget : QWidget {
    explicit ClickTarget(const QRect& frame) : QWidget(nullptr, Qt::FramelessWindowHint | Qt::X11BypassWindowManagerHint) {
        setGeometry(frame);
        show();
    }
    void mousePressEvent(QMouseEvent*) override { ++presses; }
    int presses = 0;
};

class BannerManagerTest : public test::BannerTestBed {
protected:
    // Shows one kind of content.
    void showKind(ContentType kind) {
        switch (kind) {
        case ContentType::banner: banner.show(service); break;
        case ContentType::notification: banner.showNotification(QStringLiteral("已切换到助手模式"), 3); break;
        case ContentType::suggestion: banner.showSuggestionBanner(QStringLiteral("明志"), QStringLiteral("疑似人名"), {}, {}); break;
        }
        settle();
    }
    // What the panel shows once `seconds` of virtual time have passed; none: it is hidden.
    std::optional<ContentType> shownAfter(double seconds) {
        clock.advance(seconds);
        settle();
        if (!banner.panel() || !banner.panel()->isVisible()) return std::nullopt;
        return banner.currentContentType();
    }
};

}  // namespace

// The screen under the mouse is chosen among injected screens (Xvfb gives Qt one screen),
// and its free area's top centre gets the panel of each kind, at that kind's size. There is
// one panel: the live banner's is reused while hidden or shown, other content replaces it.
TEST_F(BannerManagerTest, EveryKindGoesToTheTopCentreOfTheScreenUnderTheMouseInOnePanel) {
    struct Case {
        const char* name;
        QPoint cursor;
        ContentType kind;
        QRect frame;
    };
    const QList<Case> cases{
        {"banner, mouse on the left screen", {100, 500}, ContentType::banner, {480, 24, 320, 36}},
        {"banner, mouse on the right screen", {2500, 900}, ContentType::banner, {2080, 0, 320, 36}},
        {"notification, mouse on the right screen", {1280, 0}, ContentType::notification, {2080, 0, 320, 36}},
        {"suggestion, mouse on the right screen", {3199, 1079}, ContentType::suggestion, {2055, 0, 370, 50}},
        {"suggestion, mouse on the left screen", {1279, 799}, ContentType::suggestion, {455, 24, 370, 50}},
        {"mouse on no screen: the primary one", {-50, 2000}, ContentType::banner, {480, 24, 320, 36}},
        {"hidden banner shown again", {2000, 10}, ContentType::banner, {2080, 0, 320, 36}},
    };
    const auto livePanels = [] {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        int count = 0;
        for (QWidget* widget : QApplication::topLevelWidgets()) count += qobject_cast<BannerPanel*>(widget) ? 1 : 0;
        return count;
    };
    screens = QList<ScreenGeometry>{kLeft, kRight};
    BannerPanel* previous = nullptr;
    ContentType previousKind = ContentType::notification;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        cursor = c.cursor;
        if (&c == &cases.last()) banner.hide(0);
        showKind(c.kind);
        ASSERT_TRUE(banner.panel());
        EXPECT_EQ(std::tuple(banner.currentContentType(), banner.panel()->geometry(), banner.panel()->isVisible(), livePanels()),
                  std::tuple(c.kind, c.frame, true, 1));
        if (c.kind == ContentType::banner && previousKind == ContentType::banner) {
            EXPECT_EQ(banner.panel(), previous);
        }
        previous = banner.panel();
        previousKind = c.kind;
    }

    // No screen at all: nothing is shown, and the live banner says why.
    banner.close();
    screens = QList<ScreenGeometry>{};
    test::LogCapture log;
    for (ContentType kind : {ContentType::banner, ContentType::notification, ContentType::suggestion}) showKind(kind);
    EXPECT_FALSE(banner.panel());
    EXPECT_EQ(log.lines().filter(QStringLiteral("[TopStatusBanner] 无法获取屏幕")).size(), 1);
}

// On the real display the X server puts the window over the top centre of the free area,
// keeping its top centre when the live text makes it taller, and the focused text field of
// another window keeps the keyboard focus while every kind of content appears.
TEST_F(BannerManagerTest, ThePanelSitsAtTheTopCentreAndTheFocusedFieldOfAnotherWindowKeepsTheFocus) {
    test::FocusedTextField field(test::FocusedTextField::Kind::singleLine);
    const QRect area = availableScreen();
    const auto focusIsOnTheField = [&](const char* step, int height = 0) {
        SCOPED_TRACE(step);
        ASSERT_TRUE(viewable(banner.panel()));
        if (height) {
            const QString position = QStringLiteral("Position: %1,%2").arg(area.x() + area.width() / 2 - 160).arg(area.y());
            const QString geometry = QStringLiteral("Geometry: 320x%1").arg(height);
            QStringList lines;
            EXPECT_TRUE(test::waitUntil([&] {
                lines = xdotool(QStringLiteral("getwindowgeometry %1").arg(banner.panel()->winId()));
                return lines.filter(position).size() == 1 && lines.filter(geometry).size() == 1;
            }, 5000)) << qPrintable(lines.join(QLatin1Char('\n')));
        }
        EXPECT_EQ(xdotool(QStringLiteral("getwindowfocus")).value(0).toULongLong(), field.windowId());
        ASSERT_TRUE(QGuiApplication::focusWindow());
        EXPECT_EQ(QGuiApplication::focusWindow()->winId(), field.windowId());
        EXPECT_FALSE(banner.panel()->isActiveWindow());
    };
    toggle();
    banner.show(service);
    focusIsOnTheField("listening", 36);
    engine.emitResult(QStringLiteral("你好"), false);
    settle();
    focusIsOnTheField("recognizing, with the live text", 56);
    banner.showNotification(QStringLiteral("已切换到助手模式"), 3);
    focusIsOnTheField("notification");
    banner.showSuggestionBanner(QStringLiteral("明志"), std::nullopt, {}, {});
    focusIsOnTheField("suggestion");
    clickAt(banner.panel()->mapToGlobal(QPoint(40, 25)));  // on its text
    focusIsOnTheField("suggestion clicked");
}

// Clicks on the live banner and on a notification reach the window below; the suggestion's
// buttons take them, close the panel and only then call their callback.
TEST_F(BannerManagerTest, ClicksPassThroughButNotTheSuggestionsButtons) {
    const QRect area = availableScreen();
    ClickTarget below(QRect(area.x() + area.width() / 2 - 250, area.y(), 500, 120));
    ASSERT_TRUE(viewable(&below));
    struct Case {
        const char* name;
        ContentType kind;
        QStringList called;  // none: the window below has the click
    };
    const QList<Case> cases{
        {"live banner", ContentType::banner, {}},
        {"notification", ContentType::notification, {}},
        {"suggestion, 添加", ContentType::suggestion, {"add: panel closed"}},
        {"suggestion, 忽略", ContentType::suggestion, {"dismiss: panel closed"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        below.presses = 0;
        QStringList called;
        QPointer<BannerPanel> shown;
        const auto note = [&](const char* which) {
            return [&, which] {
                const bool closed = !banner.panel() && shown && !shown->isVisible();
                called << QStringLiteral("%1: %2").arg(QLatin1String(which), closed ? QStringLiteral("panel closed") : QStringLiteral("panel open"));
            };
        };
        QPoint target;
        if (c.kind == ContentType::suggestion) {
            banner.showSuggestionBanner(QStringLiteral("明志"), QStringLiteral("疑似人名"), note("add"), note("dismiss"));
            settle();
            ASSERT_TRUE(banner.suggestionView());
            QPushButton* button = c.called.first().startsWith(QStringLiteral("add")) ? banner.suggestionView()->addButton()
                                                                                       : banner.suggestionView()->dismissButton();
            target = button->mapToGlobal(button->rect().center());
        } else {
            showKind(c.kind);
            target = banner.panel()->mapToGlobal(banner.panel()->rect().center());
        }
        shown = banner.panel();
        ASSERT_TRUE(viewable(shown));
        clickAt(target);
        // The press goes to one window, which then has the release as well.
        ASSERT_TRUE(test::waitUntil([&] { return below.presses + called.size() > 0; }, 3000));
        EXPECT_EQ(below.presses, c.called.isEmpty() ? 1 : 0);
        EXPECT_EQ(called, c.called);
    }
}

// Timed hiding in virtual time: an unanswered suggestion goes after 8 s without an answer, and a
// later hide replaces an earlier one (that a notice goes after its own duration and that a new
// recording's banner cancels a pending hide are AppDelegateTest's).
TEST_F(BannerManagerTest, PendingHidesRunOnTheirTimers) {
    using Shown = QList<std::optional<ContentType>>;
    int answers = 0;
    const auto answered = [&] { ++answers; };
    banner.showSuggestionBanner(QStringLiteral("明志"), std::nullopt, answered, answered);
    EXPECT_EQ((Shown{shownAfter(7.9), shownAfter(0.1)}), (Shown{ContentType::suggestion, std::nullopt}))
        << "unanswered suggestion";
    EXPECT_EQ(answers, 0);
    banner.show(service);
    banner.hide(5);
    EXPECT_EQ(shownAfter(1), ContentType::banner);
    banner.hide(2);
    EXPECT_EQ((Shown{shownAfter(1.9), shownAfter(0.1)}), (Shown{ContentType::banner, std::nullopt}))
        << "hide(2) replaces hide(5)";
}

// A long notice (the words of a run that nothing could keep) that a new recording replaces comes
// back once the recording's banner goes (that a notice during a recording waits is
// AppDelegateTest's).
TEST_F(BannerManagerTest, ALongNoticeThatARecordingReplacedComesBackAfterIt) {
    banner.showNotification(QStringLiteral("未能自动输入，也无法写入剪贴板：\n今天开会"), 20);
    clock.advance(5);
    toggle();  // a new recording
    banner.show(service);
    EXPECT_EQ(shownAfter(2), ContentType::banner) << "the notice came back during the recording";
    toggle();  // stopped
    banner.hide(3);
    EXPECT_EQ(shownAfter(3.1), ContentType::notification);
    const auto* words = qobject_cast<QLabel*>(banner.panel()->content());
    ASSERT_TRUE(words);
    EXPECT_TRUE(words->text().endsWith(QStringLiteral("今天开会")));
    EXPECT_EQ(shownAfter(20.1), std::nullopt);
}

// Over a compositor the panel is translucent with rounded corners; without one it is opaque
// and shaped by a mask. The check is made for each new panel.
TEST_F(BannerManagerTest, TheBackgroundFollowsTheCompositor) {
    QProcess compositor;
    for (bool running : {false, true}) {
        SCOPED_TRACE(running);
        if (running) {
            compositor.start(QStringLiteral("xcompmgr"), QStringList{});
            ASSERT_TRUE(compositor.waitForStarted(5000));
        }
        ASSERT_TRUE(test::waitUntil([&] { return X11CompositorProbe::compositorRunning() == running; }, 5000));
        banner.close();
        banner.show(service);
        BannerPanel* panel = banner.panel();
        const QRegion mask = panel->mask();
        // The mask, where there is one, leaves out the corner and keeps the middle and the top edge.
        EXPECT_EQ(std::tuple(panel->isTranslucent(), panel->testAttribute(Qt::WA_TranslucentBackground), mask.isEmpty(),
                             mask.contains(QPoint(0, 0)), mask.contains(QPoint(160, 18)),
                             mask.contains(QPoint(160, 0))),
                  std::tuple(running, running, running, false, !running, !running));
    }
    compositor.kill();
    compositor.waitForFinished(5000);
}
