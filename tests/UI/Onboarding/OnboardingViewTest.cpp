// The welcome card on a private Xvfb display: its pieces coming in and its window (floating,
// without a frame, moved by dragging its background through real X pointer events). Then the
// shell's flow around it, in virtual time: when the card opens, what each way out of it stores
// and starts, and the one reminder to enter an API key (the key in a secret store in memory that
// answers after a moment).
#include "Infrastructure/LLM/AISettingsStore.h"
#include "UI/Onboarding/GuideCard.h"
#include "UI/Onboarding/OnboardingView.h"
#include "UI/Onboarding/WelcomeFlow.h"
#include "UI/Onboarding/WelcomeWindow.h"
#include "UI/Shell/BannerNotifier.h"
#include "support/CliRunner.h"
#include "support/MemorySecretStore.h"
#include "support/WidgetTest.h"

#include <QPointer>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QToolButton>

using namespace vocena;
using namespace vocena::test;

namespace {

class OnboardingViewTest : public WidgetTest {
protected:
    QPointer<WelcomeWindow> window = new WelcomeWindow(scheduler, {}, {});

    ~OnboardingViewTest() override { delete window.data(); }

    OnboardingView& view() { return window->view(); }
    // Shows the window, waits until the X server has mapped it and every piece has come in.
    void presentSettled() {
        window->present();
        ASSERT_TRUE(waitUntil([&] { return window->isVisible() && window->windowHandle()->isExposed(); }));
        clock.advance(1.0);
        ASSERT_TRUE(waitUntil([&] { return settled(); }, 3000));
    }
    // Every piece has come in and its animation has ended (real time).
    bool settled() {
        for (int i = 0; i < OnboardingView::kCardCount; ++i) {
            QWidget* card = view().guideCard(i);
            if (card->graphicsEffect() || card->y() != 0) return false;
        }
        return view().appear();
    }
};

}  // namespace

// Shown, every piece of the card comes in and settles in its place, drawn directly. Without a
// title bar the window is moved by dragging its background (text included); a drag that starts
// on a button does not move it. It floats above other windows.
TEST_F(OnboardingViewTest, TheFramelessWindowFloatsAndFollowsADragOfItsBackground) {
    EXPECT_TRUE(window->windowFlags().testFlags(Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint));
    ASSERT_NO_FATAL_FAILURE(presentSettled());

    // grabPoint: in global coordinates
    struct Case { const char* name; std::function<QPoint()> grabPoint; bool moves; };
    const auto centreOf = [](QWidget* widget) { return widget->mapToGlobal(widget->rect().center()); };
    const QList<Case> cases{
        {"the background", [&] { return window->mapToGlobal(QPoint(12, window->height() / 2)); }, true},
        {"a description", [&] { return centreOf(view().guideCard(3)->findChild<QLabel*>(QStringLiteral("guideDescription"))); }, true},
        {"a button", [&] { return centreOf(view().startButton()); }, false},
    };
    QSignalSpy released(view().startButton(), &QAbstractButton::released);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const QPoint before = window->pos();
        const QPoint from = c.grabPoint();
        const QPoint delta(-60, 40);
        const QPoint to = from + delta;
        xdotool(QStringLiteral("mousemove %1 %2 mousedown 1 mousemove %3 %4 mouseup 1")
                    .arg(from.x()).arg(from.y()).arg(to.x()).arg(to.y()));
        if (c.moves) {
            EXPECT_TRUE(waitUntil([&] { return window->pos() == before + delta; }, 3000)) << window->pos().x() << "," << window->pos().y();
        } else {
            EXPECT_TRUE(waitUntil([&] { return released.count() == 1; }, 3000));  // the button had the drag, to its end
            EXPECT_EQ(window->pos(), before);
        }
    }
}

namespace {

const QString kNudge = QStringLiteral("nudge: %1 (%2 s)").arg(WelcomeFlow::nudgeText()).arg(WelcomeFlow::kNudgeDuration);

// A way out of an open card: the button it clicks.
using Way = QAbstractButton* (*)(WelcomeWindow&);

class WelcomeFlowTest : public WidgetTest, public BannerNotifier {
protected:
    // In memory, its reads taking a moment as the keyring's do (off the main thread): the flow
    // goes on only when the answer is back.
    std::shared_ptr<ScriptedSecretStore> secrets{new ScriptedSecretStore(std::make_shared<MemorySecretStore>(), 20)};
    AISettingsStore aiSettings{prefs, secrets};
    QStringList events;  // what the flow asked of the shell, in order

    void showNotification(const QString& text, double duration) override {
        events.append(QStringLiteral("nudge: %1 (%2 s)").arg(text).arg(duration));
    }

    // A flow as one launch of the app makes it.
    std::unique_ptr<WelcomeFlow> makeFlow() {
        return std::make_unique<WelcomeFlow>(WelcomeFlow::Environment{
            prefs, scheduler, *this, &aiSettings, [this] { events.append(QStringLiteral("settings")); },
            [this] { events.append(QStringLiteral("closed")); }});
    }

    std::optional<bool> storedFlag(const char* key) const { return prefs.boolValue(QString::fromLatin1(key)); }
};


// A launch opens the card 3 s later (not before). With no API key stored, each way out: the
// buttons store the flag and remind of the key; "去设置" opens the settings 0.3 s later and
// reminds after that; the close button stores nothing and reminds of nothing, so the card
// returns at the next launch. Every way closes the window through the shell.
TEST_F(WelcomeFlowTest, EachWayOutStoresTheFlagAndHandsOver) {
    // flag unset: the card comes again at the next launch; at0: the events right after the click
    // (once the key was read); at03: the events 0.3 s later.
    struct Case { const char* name; Way way; std::optional<bool> flag; QStringList at0; QStringList at03; };
    const QList<Case> cases{
        {"开始使用", [](WelcomeWindow& w) -> QAbstractButton* { return w.view().startButton(); }, true, {"closed", kNudge}, {"closed", kNudge}},
        {"不再提示", [](WelcomeWindow& w) -> QAbstractButton* { return w.view().dismissButton(); }, true, {"closed", kNudge}, {"closed", kNudge}},
        {"去设置", [](WelcomeWindow& w) -> QAbstractButton* { return w.view().settingsButton(); }, true, {"closed"}, {"closed", "settings", kNudge}},
        {"window's close button", [](WelcomeWindow& w) -> QAbstractButton* { return w.closeButton(); }, std::nullopt, {"closed"}, {"closed"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        prefs.remove(QString::fromLatin1(WelcomeFlow::kWelcomeShownKey));
        prefs.remove(QString::fromLatin1(WelcomeFlow::kAPINudgeShownKey));
        events.clear();
        {
            auto flow = makeFlow();
            flow->scheduleAfterLaunch();
            clock.advance(2.9);
            EXPECT_FALSE(flow->window());
            clock.advance(0.1);
            ASSERT_TRUE(shown(flow->window()));
            QPointer<WelcomeWindow> window = flow->window();
            flow->showWelcomeCard();  // one card at a time
            EXPECT_EQ(flow->window(), window.data());

            QTest::mouseClick(c.way(*window), Qt::LeftButton);
            EXPECT_TRUE(waitUntil([&] { return !window; }, 2000));  // closed and gone
            EXPECT_EQ(storedFlag(WelcomeFlow::kWelcomeShownKey), c.flag);
            EXPECT_TRUE(waitUntil([&] { return events == c.at0; }, 1000)) << events.join(u'|').toStdString();
            clock.advance(0.29);
            EXPECT_EQ(events, c.at0);
            clock.advance(0.01);
            EXPECT_TRUE(waitUntil([&] { return events == c.at03; }, 1000)) << events.join(u'|').toStdString();
        }
        auto nextLaunch = makeFlow();
        nextLaunch->scheduleAfterLaunch();
        clock.advance(3.0);
        EXPECT_EQ(nextLaunch->window() != nullptr, !c.flag);
    }
}

// The reminder comes only while no key is stored, only once over launches, and two checks at
// the same time show it once.
TEST_F(WelcomeFlowTest, TheKeyReminderComesOnceAndOnlyWithoutAKey) {
    auto flow = makeFlow();
    QCoro::waitFor(aiSettings.saveAPIKey(QStringLiteral("sk-test")));
    QCoro::waitFor(flow->showAPINudgeIfNeeded());
    EXPECT_TRUE(events.isEmpty());
    EXPECT_EQ(storedFlag(WelcomeFlow::kAPINudgeShownKey), std::nullopt);

    QCoro::waitFor(aiSettings.clearAPIKey());
    QCoro::Task<> first = flow->showAPINudgeIfNeeded();
    QCoro::Task<> second = flow->showAPINudgeIfNeeded();
    QCoro::waitFor(std::move(first));
    QCoro::waitFor(std::move(second));
    EXPECT_EQ(events, QStringList{kNudge});
    EXPECT_EQ(storedFlag(WelcomeFlow::kAPINudgeShownKey), true);

    auto nextLaunch = makeFlow();
    QCoro::waitFor(nextLaunch->showAPINudgeIfNeeded());
    EXPECT_EQ(events, QStringList{kNudge});
}

}  // namespace
