// The banner manager on a real X display: where the panel goes, what it does to the keyboard
// focus and to clicks, its buttons, its timers (virtual time) and its one panel.
#include "UI/Banner/TermSuggestionView.h"
#include "BannerTestBed.h"
#include "support/FocusedTextField.h"

#include <QApplication>
#include <QGuiApplication>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QScreen>
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
// one panel, a hidden live banner's shown again, other content replacing it (that the live
// banner's panel is reused is AppDelegateTest's).
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
        {"suggestion, mouse on the right screen", {3199, 1079}, ContentType::suggestion, {2055, 0, 370, 50}},
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
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        cursor = c.cursor;
        if (&c == &cases.last()) banner.hide(0);
        showKind(c.kind);
        ASSERT_TRUE(banner.panel());
        EXPECT_EQ(std::tuple(banner.currentContentType(), banner.panel()->geometry(), banner.panel()->isVisible(), livePanels()),
                  std::tuple(c.kind, c.frame, true, 1));
    }

    // No screen at all: nothing is shown.
    banner.close();
    screens = QList<ScreenGeometry>{};
    for (ContentType kind : {ContentType::banner, ContentType::notification, ContentType::suggestion}) showKind(kind);
    EXPECT_FALSE(banner.panel());
}

// On the real display the focused text field of another window keeps the keyboard focus while
// every kind of content appears, the live banner growing for its text too.
TEST_F(BannerManagerTest, TheFocusedFieldOfAnotherWindowKeepsTheFocus) {
    test::FocusedTextField field(test::FocusedTextField::Kind::singleLine);
    const auto focusIsOnTheField = [&](const char* step) {
        SCOPED_TRACE(step);
        ASSERT_TRUE(viewable(banner.panel()));
        EXPECT_EQ(xdotool(QStringLiteral("getwindowfocus")).value(0).toULongLong(), field.windowId());
        ASSERT_TRUE(QGuiApplication::focusWindow());
        EXPECT_EQ(QGuiApplication::focusWindow()->winId(), field.windowId());
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

// Clicks on the live banner (a notice's panel takes them the same way) reach the window below;
// the suggestion's buttons take them (that the panel is closed before their callback runs is
// AppDelegateTest's: the notice or the next term they put up stays).
TEST_F(BannerManagerTest, ClicksPassThroughButNotTheSuggestionsButtons) {
    const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
    ClickTarget below(QRect(area.x() + area.width() / 2 - 250, area.y(), 500, 120));
    ASSERT_TRUE(viewable(&below));
    // The suggestion's button clicked, by the name its callback notes; none: the live banner.
    const QStringList buttons{QString(), QStringLiteral("add"), QStringLiteral("dismiss")};
    for (const QString& clicked : buttons) {
        SCOPED_TRACE(clicked.toStdString());
        below.presses = 0;
        QStringList called;
        const auto note = [&called](const char* which) { return [&called, which] { called << QString::fromLatin1(which); }; };
        QWidget* target = nullptr;
        if (clicked.isNull()) {
            showKind(ContentType::banner);
            target = banner.panel();
        } else {
            banner.showSuggestionBanner(QStringLiteral("明志"), QStringLiteral("疑似人名"), note("add"), note("dismiss"));
            settle();
            ASSERT_TRUE(banner.suggestionView());
            if (clicked == QStringLiteral("add")) target = banner.suggestionView()->addButton();
            else target = banner.suggestionView()->dismissButton();
        }
        ASSERT_TRUE(viewable(banner.panel()));
        clickAt(target->mapToGlobal(target->rect().center()));
        // The press goes to one window, which then has the release as well.
        ASSERT_TRUE(test::waitUntil([&] { return below.presses + called.size() > 0; }, 3000));
        EXPECT_EQ(below.presses, clicked.isNull() ? 1 : 0);
        EXPECT_EQ(called, clicked.isNull() ? QStringList() : QStringList{clicked});
    }
}

// An unanswered suggestion goes after 8 s, in virtual time, without an answer (that a notice
// goes after its own duration and that a new recording's banner cancels a pending hide are
// AppDelegateTest's).
TEST_F(BannerManagerTest, AnUnansweredSuggestionGoesAfterEightSeconds) {
    using Shown = QList<std::optional<ContentType>>;
    int answers = 0;
    const auto answered = [&] { ++answers; };
    banner.showSuggestionBanner(QStringLiteral("明志"), std::nullopt, answered, answered);
    EXPECT_EQ((Shown{shownAfter(7.9), shownAfter(0.1)}), (Shown{ContentType::suggestion, std::nullopt}))
        << "unanswered suggestion";
    EXPECT_EQ(answers, 0);
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
