// The welcome card on a private Xvfb display: its reveal in virtual time, its window
// (floating, without a frame, moved by dragging its background through real X pointer events)
// and its colours in both themes, with pictures of it on request.
#include "UI/Appearance/AppearanceController.h"
#include "UI/Onboarding/GuideCard.h"
#include "UI/Onboarding/OnboardingView.h"
#include "UI/Onboarding/RevealSlot.h"
#include "UI/Onboarding/WelcomeWindow.h"
#include "support/CliRunner.h"
#include "support/WidgetTest.h"

#include <QSignalSpy>

using namespace vocena;
using namespace vocena::test;

namespace {

class OnboardingViewTest : public WidgetTest {
protected:
    QPointer<WelcomeWindow> window = new WelcomeWindow(scheduler, {}, {});

    ~OnboardingViewTest() override { delete window.data(); }

    OnboardingView& view() { return window->view(); }
    // Shows the window and waits until the X server has mapped it.
    void present() {
        window->present();
        ASSERT_TRUE(waitUntil([&] { return window->isVisible() && window->windowHandle()->isExposed(); }));
    }
    void presentSettled() {
        present();
        clock.advance(1.0);
        ASSERT_TRUE(waitUntil([&] { return settled(); }, 3000));
    }
    // Every piece has come in and its animation has ended (real time).
    bool settled() {
        for (int i = 0; i < OnboardingView::kCardCount; ++i) {
            QWidget* card = view().guideCard(i);
            if (card->graphicsEffect() || card->y() != 0) return false;
        }
        return true;
    }
};

}  // namespace

// The header is there at once; the cards come one after another at 0.2, 0.28, 0.36 and
// 0.44 s after the card is shown, not counted from its creation.
TEST_F(OnboardingViewTest, TheCardsComeInOneAfterAnother) {
    using Appears = std::array<bool, OnboardingView::kCardCount>;
    clock.advance(1.0);  // built, not yet shown: nothing comes in
    EXPECT_FALSE(view().appear());
    EXPECT_EQ(view().cardAppears(), (Appears{false, false, false, false}));

    present();
    EXPECT_TRUE(view().appear());
    // at: seconds after showing
    struct Step { double at; Appears appears; };
    const QList<Step> steps{
        {0.0, {false, false, false, false}}, {0.199, {false, false, false, false}}, {0.2, {true, false, false, false}},
        {0.279, {true, false, false, false}}, {0.28, {true, true, false, false}},  {0.36, {true, true, true, false}},
        {0.439, {true, true, true, false}},   {0.44, {true, true, true, true}},
    };
    const QDateTime shown = clock.now();
    for (const Step& step : steps) {
        SCOPED_TRACE(step.at);
        clock.advance(step.at - shown.msecsTo(clock.now()) / 1000.0);
        EXPECT_EQ(view().cardAppears(), step.appears);
    }
    // Each card then settles in its place, fully opaque and drawn directly.
    EXPECT_TRUE(waitUntil([&] { return settled(); }, 3000));

    // Shown again later, nothing starts over.
    window->hide();
    present();
    EXPECT_EQ(scheduler.pendingCount(), 0);
}

// Without a title bar the window is moved by dragging its background (text included); a drag
// that starts on a button does not move it. It floats above other windows and opens centred.
TEST_F(OnboardingViewTest, TheFramelessWindowFloatsFollowsADragOfItsBackgroundAndTheTheme) {
    EXPECT_TRUE(window->windowFlags().testFlags(Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint));
    ASSERT_NO_FATAL_FAILURE(presentSettled());
    const QPoint offCentre = window->geometry().center() - QGuiApplication::primaryScreen()->availableGeometry().center();
    EXPECT_LE(std::max(std::abs(offCentre.x()), std::abs(offCentre.y())), 1);

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
        xdotool(QStringLiteral("mousemove %1 %2 mousedown 1 mousemove %3 %4 mouseup 1").arg(from.x()).arg(from.y()).arg(to.x()).arg(to.y()));
        if (c.moves) {
            EXPECT_TRUE(waitUntil([&] { return window->pos() == before + delta; }, 3000)) << window->pos().x() << "," << window->pos().y();
        } else {
            EXPECT_TRUE(waitUntil([&] { return released.count() == 1; }, 3000));  // the button had the drag, to its end
            EXPECT_EQ(window->pos(), before);
        }
    }

    // The open card follows a theme change: its texts and cards take the new colours. With
    // VOCENA_SCREENSHOTS=<folder> it is saved as welcome-light.png and welcome-dark.png.
    AppearanceController appearance(prefs);
    auto* cardTitle = view().guideCard(2)->findChild<QLabel*>(QStringLiteral("guideTitle"));
    for (const auto& [theme, name] : {std::pair{1, "dark"}, std::pair{0, "light"}}) {
        SCOPED_TRACE(name);
        prefs.setValue(QString::fromLatin1(AppearanceController::kThemeKey), theme);
        appearance.apply();
        const bool dark = theme == 1;
        EXPECT_TRUE(waitUntil([&] { return (cardTitle->palette().color(QPalette::WindowText).lightness() > 128) == dark; }, 2000));
        saveScreenshot(window, QStringLiteral("welcome-") + QLatin1String(name));
    }
}
