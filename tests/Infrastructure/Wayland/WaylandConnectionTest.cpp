// The app's own Wayland connection on real compositors: the permission check asks the
// compositor named by WAYLAND_DISPLAY, and a compositor that goes away leaves typing and the
// clipboard unavailable, without a crash.
#include "Infrastructure/Permissions/WlrootsAccessibilityProbe.h"
#include "Infrastructure/TextInjection/WaylandKeyEventSink.h"
#include "Infrastructure/TextInjection/WlrDataControlClipboard.h"
#include "Infrastructure/Wayland/WaylandConnection.h"
#include "Infrastructure/Wayland/WlrSelections.h"
#include "support/HeadlessSway.h"
#include "support/ScopedEnv.h"

#include <gtest/gtest.h>

using namespace vocena;
using test::waitUntil;

namespace {

TEST(WlrootsAccessibilityProbeTest, TypingIsAllowedWhereTheCompositorOffersBothProtocols) {
    VOCENA_REQUIRE_HEADLESS_SWAY();
    const AccessibilityCheck x11Types{true, true, QStringLiteral(":0")};
    const AccessibilityCheck noX11{false, false, QStringLiteral("没有设置 DISPLAY（不在 X11 图形会话中）")};
    const struct {
        const char* name;
        QByteArray waylandDisplay;
        AccessibilityCheck x11;
        bool allowed;
        QString detail;  // its start
    } cases[] = {
        {"sway", test::headlessSway->socket().toUtf8(), noX11, true, QStringLiteral("Wayland 混成器 ")},
        {"X11 types, the compositor is not asked", QByteArray("/nonexistent/wayland-9"), x11Types, true, QStringLiteral(":0")},
        {"no compositor", QByteArray("/nonexistent/wayland-9"), noX11, false,
         QStringLiteral("无法连接 Wayland 混成器 /nonexistent/wayland-9；没有设置 DISPLAY")},
    };
    for (const auto& c : cases) {
        const test::ScopedEnv display("WAYLAND_DISPLAY", c.waylandDisplay);
        const AccessibilityCheck check = WlrootsAccessibilityProbe::check(c.x11);
        EXPECT_EQ(check.trusted && check.realOperationWorks, c.allowed) << c.name;
        EXPECT_TRUE(check.detail.startsWith(c.detail)) << c.name << ": " << check.detail.toStdString();
    }
}

TEST(WaylandConnectionTest, ACompositorThatGoesAwayLeavesTypingAndTheClipboardUnavailable) {
    VOCENA_REQUIRE_HEADLESS_SWAY();
    test::HeadlessSway compositor;
    ASSERT_FALSE(compositor.socket().isEmpty()) << compositor.problem().toStdString();
    const test::ScopedEnv display("WAYLAND_DISPLAY", compositor.socket().toUtf8());
    WaylandConnection connection;
    connection.watch();
    WaylandKeyEventSink keys(connection);
    WlrSelections selections(connection);
    WlrDataControlClipboard clipboard(selections);
    ASSERT_TRUE(keys.isAvailable());
    ASSERT_TRUE(clipboard.offer(QStringLiteral("一段文字"), PasteSelection::clipboard));

    compositor.stop();
    EXPECT_TRUE(waitUntil([&] { return !connection.isConnected(); }, 5000));
    EXPECT_FALSE(keys.isAvailable());
    EXPECT_FALSE(keys.typeCharacter(U'a'));
    keys.pressPaste(PasteKey::controlV);
    clipboard.restore();
    EXPECT_FALSE(selections.isAvailable());
    EXPECT_FALSE(clipboard.offer(QStringLiteral("再来"), PasteSelection::clipboard));
    EXPECT_TRUE(selections.served().isEmpty());
}

}  // namespace
