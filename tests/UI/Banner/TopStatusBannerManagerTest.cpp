// The banner manager on a real X display: where the panel goes, what it does to the keyboard
// focus and to clicks, its buttons, its timers (virtual time) and the reuse of the one panel.
#include "UI/Banner/BannerPanel.h"
#include "UI/Banner/TermSuggestionView.h"
#include "UI/Banner/TopStatusBannerView.h"
#include "UI/Banner/X11CompositorProbe.h"
#include "BannerTestBed.h"
#include "support/CliRunner.h"
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
class ClickTarget : public QWidget {
public:
    explicit ClickTarget(const QRect& frame) : QWidget(nullptr, Qt::FramelessWindowHint | Qt::X11BypassWindowManagerHint) {
        setGeometry(frame);
        show();
    }
    int presses = 0;

protected:
    void mousePressEvent(QMouseEvent*) override { ++presses; }
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
};

}  // namespace

// The screen under the mouse is chosen among injected screens (Xvfb gives Qt one screen),
// and its free area's top centre gets the panel of each kind, at that kind's size.
TEST_F(BannerManagerTest, EveryKindGoesToTheTopCentreOfTheScreenUnderTheMouse) {
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
    };
    screens = QList<ScreenGeometry>{kLeft, kRight};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        cursor = c.cursor;
        showKind(c.kind);
        ASSERT_TRUE(banner.panel());
        EXPECT_EQ(banner.currentContentType(), c.kind);
        EXPECT_EQ(banner.panel()->geometry(), c.frame);
    }

    // No screen at all: nothing is shown, and the live banner says why.
    banner.close();
    screens = QList<ScreenGeometry>{};
    test::LogCapture log;
    for (ContentType kind : {ContentType::banner, ContentType::notification, ContentType::suggestion}) showKind(kind);
    EXPECT_FALSE(banner.panel());
    EXPECT_EQ(log.lines().filter(QStringLiteral("[TopStatusBanner] 无法获取屏幕")).size(), 1);
}

// On the real display the X server puts the window where the banner asked, over the top
// centre of the free area; it keeps its top centre when the live text makes it taller.
TEST_F(BannerManagerTest, TheDisplayShowsThePanelAtTheTopCentre) {
    prefs.setValue(QString::fromLatin1(TopStatusBannerView::kLiveTextKey), true);
    toggle();
    banner.show(service);
    const QRect area = availableScreen();
    const auto placedAt = [&](int height) {
        roundTrip();
        const QStringList lines = xdotool(QStringLiteral("getwindowgeometry %1").arg(banner.panel()->winId()));
        const QString expected = QStringLiteral("Position: %1,%2").arg(area.x() + area.width() / 2 - 160).arg(area.y());
        EXPECT_TRUE(lines.filter(expected).size() == 1) << qPrintable(lines.join(QLatin1Char('\n')));
        EXPECT_TRUE(lines.filter(QStringLiteral("Geometry: 320x%1").arg(height)).size() == 1) << qPrintable(lines.join(QLatin1Char('\n')));
    };
    placedAt(36);
    engine.emitResult(QStringLiteral("今天天气很好"), false);
    settle();
    placedAt(56);
}

// The focused text field of another window keeps the keyboard focus while every kind of
// content appears and the live banner changes.
TEST_F(BannerManagerTest, TheFocusedFieldOfAnotherWindowKeepsTheFocus) {
    test::FocusedTextField field(test::FocusedTextField::Kind::singleLine);
    const auto focusIsOnTheField = [&](const char* step) {
        SCOPED_TRACE(step);
        roundTrip();
        EXPECT_EQ(xdotool(QStringLiteral("getwindowfocus")).value(0).toULongLong(), field.windowId());
        ASSERT_TRUE(QGuiApplication::focusWindow());
        EXPECT_EQ(QGuiApplication::focusWindow()->winId(), field.windowId());
        ASSERT_TRUE(banner.panel());
        EXPECT_TRUE(banner.panel()->isVisible());
        EXPECT_FALSE(banner.panel()->isActiveWindow());
    };
    toggle();
    banner.show(service);
    focusIsOnTheField("listening");
    engine.emitResult(QStringLiteral("你好"), false);
    settle();
    focusIsOnTheField("recognizing, with the live text");
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
    roundTrip();
    struct Case {
        const char* name;
        ContentType kind;
        const char* button;  // of the suggestion
        int pressesBelow;
        QStringList called;
    };
    const QList<Case> cases{
        {"live banner", ContentType::banner, nullptr, 1, {}},
        {"notification", ContentType::notification, nullptr, 1, {}},
        {"suggestion, 添加", ContentType::suggestion, "添加", 0, {"add: panel closed"}},
        {"suggestion, 忽略", ContentType::suggestion, "忽略", 0, {"dismiss: panel closed"}},
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
            const QLabel* label = banner.suggestionView()->label();
            EXPECT_EQ(label->text(), QStringLiteral("将「明志」（疑似人名）加入词汇库？"));
            EXPECT_LE(label->fontMetrics().horizontalAdvance(label->text()), label->width()) << "cut off at the right";
            QPushButton* button = QString::fromUtf8(c.button) == QStringLiteral("添加") ? banner.suggestionView()->addButton()
                                                                                          : banner.suggestionView()->dismissButton();
            target = button->mapToGlobal(button->rect().center());
        } else {
            showKind(c.kind);
            target = banner.panel()->mapToGlobal(banner.panel()->rect().center());
        }
        shown = banner.panel();
        roundTrip();
        clickAt(target);
        ASSERT_TRUE(test::waitUntil([&] { return below.presses + called.size() > 0; }, 3000));
        roundTrip();
        EXPECT_EQ(below.presses, c.pressesBelow);
        EXPECT_EQ(called, c.called);
    }
}

// Timed hiding in virtual time: an unanswered suggestion goes after 8 s without an answer, a
// later hide replaces an earlier one, and a new recording's banner cancels a pending hide.
TEST_F(BannerManagerTest, PendingHidesRunOnTheirTimers) {
    struct Step {
        std::function<void()> action;
        double advance;
        bool visibleAfter;
    };
    struct Case {
        const char* name;
        QList<Step> steps;
    };
    int answers = 0;
    const auto answered = [&] { ++answers; };
    const QList<Case> cases{
        {"unanswered suggestion",
         {{[&] { banner.showSuggestionBanner(QStringLiteral("明志"), std::nullopt, answered, answered); }, 7.9, true},
          {[] {}, 0.1, false}}},
        {"notification for its duration", {{[&] { banner.showNotification(QStringLiteral("AI 处理失败"), 1.5); }, 1.4, true}, {[] {}, 0.1, false}}},
        {"hide(0) at once", {{[&] { banner.show(service); }, 0, true}, {[&] { banner.hide(0); }, 0, false}}},
        {"hide(2) replaces hide(5)",
         {{[&] { banner.show(service); }, 0, true}, {[&] { banner.hide(5); }, 1, true}, {[&] { banner.hide(2); }, 1.9, true}, {[] {}, 0.1, false}}},
        {"show cancels the pending hide",
         {{[&] { banner.show(service); }, 0, true}, {[&] { banner.hide(3); }, 2, true}, {[&] { banner.show(service); }, 10, true}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        banner.close();
        int index = 0;
        for (const Step& step : c.steps) {
            SCOPED_TRACE(index++);
            step.action();
            clock.advance(step.advance);
            settle();
            ASSERT_TRUE(banner.panel());
            EXPECT_EQ(banner.panel()->isVisible(), step.visibleAfter);
        }
    }
    EXPECT_EQ(answers, 0);
}

// Around a recording: a notice that comes during it waits for its banner to go, and a long
// notice (the words of a run that nothing could keep) that a new recording replaces comes back.
TEST_F(BannerManagerTest, NoticesWaitForARecordingAndALongOneComesBackAfterIt) {
    const auto shows = [&](TopStatusBannerManager::ContentType type) {
        return banner.panel() && banner.panel()->isVisible() && banner.currentContentType() == type;
    };
    using Type = TopStatusBannerManager::ContentType;
    banner.showNotification(QStringLiteral("未能自动输入，也无法写入剪贴板：\n今天开会"), 20);
    clock.advance(5);
    toggle();  // a new recording
    banner.show(service);
    ASSERT_TRUE(shows(Type::banner));
    banner.showNotification(QStringLiteral("已切换到 澄言慢 · 语音助手"), 1.5);
    clock.advance(2);
    EXPECT_TRUE(shows(Type::banner)) << "a notice replaced the live banner";
    toggle();  // stopped
    banner.hide(3);
    clock.advance(3.1);
    ASSERT_TRUE(shows(Type::notification));
    clock.advance(1.5);
    ASSERT_TRUE(shows(Type::notification));
    const auto* words = qobject_cast<QLabel*>(banner.panel()->content());
    ASSERT_TRUE(words);
    EXPECT_TRUE(words->text().endsWith(QStringLiteral("今天开会")));
    clock.advance(20.1);
    EXPECT_FALSE(banner.panel()->isVisible());
}

// There is one panel: the live banner's is reused while hidden or shown (and follows the
// mouse), other content replaces it, and the live banner replaces them in turn.
TEST_F(BannerManagerTest, TwoShowsBuildOneWindow) {
    const auto livePanels = [] {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        int count = 0;
        for (QWidget* widget : QApplication::topLevelWidgets()) count += qobject_cast<BannerPanel*>(widget) ? 1 : 0;
        return count;
    };
    screens = QList<ScreenGeometry>{kLeft, kRight};
    cursor = QPoint(10, 10);
    banner.show(service);
    BannerPanel* first = banner.panel();
    banner.hide(0);
    cursor = QPoint(2000, 10);
    banner.show(service);
    EXPECT_EQ(banner.panel(), first);
    EXPECT_TRUE(banner.panel()->isVisible());
    EXPECT_EQ(banner.panel()->geometry().topLeft(), QPoint(2080, 0));
    EXPECT_EQ(livePanels(), 1);

    banner.showNotification(QStringLiteral("已切换到输入法模式"), 2);
    EXPECT_EQ(livePanels(), 1);
    EXPECT_EQ(banner.currentContentType(), ContentType::notification);
    banner.show(service);
    EXPECT_EQ(livePanels(), 1);
    EXPECT_EQ(banner.currentContentType(), ContentType::banner);
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
        EXPECT_EQ(panel->isTranslucent(), running);
        EXPECT_EQ(panel->testAttribute(Qt::WA_TranslucentBackground), running);
        const QRegion mask = panel->mask();
        EXPECT_EQ(mask.isEmpty(), running);
        if (!running) {
            EXPECT_FALSE(mask.contains(QPoint(0, 0))) << "square corner";
            EXPECT_TRUE(mask.contains(QPoint(160, 18)));
            EXPECT_TRUE(mask.contains(QPoint(160, 0)));
        }
    }
    compositor.kill();
    compositor.waitForFinished(5000);
}
