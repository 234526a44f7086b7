// The banner on a wlroots compositor with the app on Qt's wayland platform (a headless sway of
// the test's own): it goes to the overlay layer instead of a window of its own, so the field the
// user dictates into keeps the keyboard focus and goes on receiving typed text; a suggestion's
// buttons take the compositor's clicks.
#include "Infrastructure/TextInjection/WaylandKeyEventSink.h"
#include "Infrastructure/Wayland/WaylandConnection.h"
#include "UI/Banner/BannerPanel.h"
#include "UI/Banner/LayerShellBannerSurface.h"
#include "UI/Banner/TopStatusBannerView.h"
#include "BannerTestBed.h"
#include "support/HeadlessSway.h"
#include "support/WidgetTest.h"

using namespace vocena;

namespace {

// The compositor's output as the user sees it (grim, through wlr-screencopy).
QImage screenshot() {
    QProcess grim;
    grim.start(QStringLiteral("grim"), {QStringLiteral("-t"), QStringLiteral("ppm"), QStringLiteral("-")});
    if (!grim.waitForFinished(10000) || grim.exitCode() != 0) {
        ADD_FAILURE() << "grim: " << grim.readAllStandardError().toStdString();
        return {};
    }
    return QImage::fromData(grim.readAllStandardOutput(), "PPM");
}

// The smallest rectangle holding every pixel that differs between the two images.
QRect changedArea(const QImage& before, const QImage& after) {
    QRect changed;
    if (before.size() != after.size()) return QRect(QPoint(), after.size());
    for (int y = 0; y < after.height(); ++y)
        for (int x = 0; x < after.width(); ++x)
            if (before.pixel(x, y) != after.pixel(x, y)) changed |= QRect(x, y, 1, 1);
    return changed;
}

class LayerShellBannerTest : public test::BannerTestBed {
protected:
    void SetUp() override {
        VOCENA_REQUIRE_HEADLESS_SWAY();
        // The seat has a keyboard, as on every desktop (the headless backend has no devices).
        static WaylandKeyEventSink keyboard(WaylandConnection::shared());
        ASSERT_TRUE(keyboard.isAvailable());
    }
    LayerShellBannerSurface* surface() const { return banner.panel() ? LayerShellBannerSurface::of(*banner.panel()) : nullptr; }
    bool surfaceShown() const { return surface() && surface()->isShown(); }
};

}  // namespace

// On screen the banner's pixels are at the top centre of the output (sway's is 1280 wide), the
// only place that changes when it goes away, and a banner shown again maps again (that it is
// never a window of sway's, and the field keeps the keyboard, is WaylandTrayAppTest's).
TEST_F(LayerShellBannerTest, TheBannerIsDrawnAtTheTopCentreOfTheScreenAndMapsAgain) {
    banner.showNotification(QStringLiteral("已复制到剪贴板"), 3);
    ASSERT_TRUE(test::waitUntil([&] { return surfaceShown(); }));
    QImage shown;
    // The compositor draws the surface on its next frame.
    ASSERT_TRUE(test::waitUntil([&] {
        shown = screenshot();
        return !shown.isNull() && shown.pixel(640, 18) != shown.pixel(640, 300);
    }));
    banner.hide(0);
    QRect changed;
    ASSERT_TRUE(test::waitUntil([&] {
        changed = changedArea(shown, screenshot());
        return changed.width() > 200;
    })) << "the banner stayed on screen";
    const QRect expected(480, 0, TopStatusBannerView::kWidth, TopStatusBannerView::kHeight);
    EXPECT_TRUE(expected.contains(changed)) << changed.x() << "," << changed.y() << " " << changed.width() << "x" << changed.height();
    EXPECT_FALSE(surfaceShown());
    EXPECT_TRUE(banner.isIdle());
    banner.show(service);
    EXPECT_TRUE(test::waitUntil([&] { return surfaceShown(); }));
}

// A click of the compositor's pointer (press and release on the button) reaches the widget
// under it; a press on one button released over the other clicks neither.
TEST_F(LayerShellBannerTest, SuggestionButtonsTakeTheCompositorsClicks) {
    struct Case {
        const char* name;
        QString pressOn;
        QString releaseOn;
        int added;
        int dismissed;
    };
    const QList<Case> cases{
        {"click on 添加", QStringLiteral("添加"), QStringLiteral("添加"), 1, 0},
        {"click on 忽略", QStringLiteral("忽略"), QStringLiteral("忽略"), 0, 1},
        {"pressed on 添加, released on 忽略", QStringLiteral("添加"), QStringLiteral("忽略"), 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        int added = 0, dismissed = 0;
        banner.showSuggestionBanner(QStringLiteral("明志"), QStringLiteral("疑似人名"), [&] { ++added; }, [&] { ++dismissed; });
        ASSERT_TRUE(test::waitUntil([&] { return surfaceShown(); }));
        BannerPanel* panel = banner.panel();
        const auto centreOf = [&](const QString& text) {
            const QAbstractButton* button = test::buttonTitled(panel, text);
            return button ? QPointF(button->mapTo(panel, button->rect().center())) : QPointF();
        };
        surface()->pointerButton(centreOf(c.pressOn), true);
        surface()->pointerButton(centreOf(c.releaseOn), false);
        settle();
        EXPECT_EQ(added, c.added);
        EXPECT_EQ(dismissed, c.dismissed);
        EXPECT_EQ(banner.isIdle(), c.added + c.dismissed > 0);
        banner.close();
    }
}
