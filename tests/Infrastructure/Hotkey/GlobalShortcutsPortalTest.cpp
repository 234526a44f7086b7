// The start/stop shortcut through a fake GlobalShortcuts portal on a private bus: the session
// and the binding by the Request/Response pattern, Activated of our shortcut only, and one log
// line when the portal, or its interface, is missing or the user refuses.
#include "Infrastructure/Hotkey/GlobalShortcutsPortal.h"
#include "support/AsyncTest.h"
#include "support/FakeGlobalShortcutsPortal.h"
#include "support/LogCapture.h"
#include "support/PrivateBus.h"
#include "support/WaitUntil.h"

#include <gtest/gtest.h>

using namespace vocena;
using namespace vocena::test;

namespace {

class GlobalShortcutsPortalTest : public ::testing::Test {
protected:
    PrivateBus bus;
    FakeGlobalShortcutsPortal fake{bus.address()};
    QDBusConnection client = QDBusConnection::connectToBus(QString::fromUtf8(bus.address()), QStringLiteral("portal-client"));

    void TearDown() override { QDBusConnection::disconnectFromBus(QStringLiteral("portal-client")); }
};

}  // namespace

TEST_F(GlobalShortcutsPortalTest, BindsToggleRecordingAndReportsOnlyItsActivations) {
    ASSERT_TRUE(fake.start());
    GlobalShortcutsPortal portal(client);
    LogCapture log;
    ASSERT_TRUE(await(portal.start()).value.value_or(false)) << log.lines().join(u'\n').toStdString();
    EXPECT_TRUE(portal.isBound());
    EXPECT_TRUE(log.contains(QStringLiteral("已通过 GlobalShortcuts 门户注册快捷键 toggle-recording")));

    // The session given is the one bound.
    EXPECT_EQ(fake.boundSession, fake.session);
    ASSERT_EQ(fake.bound.size(), 1);
    EXPECT_EQ(fake.bound.first().id, QStringLiteral("toggle-recording"));
    EXPECT_EQ(fake.bound.first().properties.value(QStringLiteral("description")).toString(), QStringLiteral("开始/停止录音"));

    int activated = 0;
    QObject::connect(&portal, &GlobalShortcutsPortal::activated, [&activated] { ++activated; });
    fake.activate(QStringLiteral("another-shortcut"), fake.session);
    fake.activate(QStringLiteral("toggle-recording"), QStringLiteral("/org/freedesktop/portal/desktop/session/1_99/other"));
    fake.activate(QStringLiteral("toggle-recording"), fake.session);
    ASSERT_TRUE(waitUntil([&] { return activated >= 1; }));
    // (The signals arrive in order: the two others came first and were ignored.)
    EXPECT_EQ(activated, 1);
}

TEST_F(GlobalShortcutsPortalTest, NothingIsBoundWithoutThePortalItsInterfaceOrTheUsersConsent) {
    const struct {
        const char* name;
        bool portal;
        bool interface;
        uint bindResponse;
        QString log;
    } cases[] = {
        {"no portal", false, false, 0, QStringLiteral("没有 GlobalShortcuts 门户")},
        {"a portal without GlobalShortcuts", true, false, 0, QStringLiteral("没有 GlobalShortcuts 门户")},
        {"the user cancels", true, true, 1, QStringLiteral("GlobalShortcuts 门户注册快捷键失败: 回应 1")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        FakeGlobalShortcutsPortal portalService(bus.address());
        portalService.bindResponse = c.bindResponse;
        ASSERT_TRUE(!c.portal || portalService.start(c.interface));
        GlobalShortcutsPortal portal(client);
        LogCapture log;
        EXPECT_FALSE(await(portal.start()).value.value_or(true));
        EXPECT_FALSE(portal.isBound());
        EXPECT_EQ(log.lines().size(), 1) << log.lines().join(u'\n').toStdString();
        EXPECT_TRUE(log.contains(c.log)) << log.lines().join(u'\n').toStdString();
    }
    GlobalShortcutsPortal offline(QDBusConnection(QStringLiteral("not-connected")));
    LogCapture log;
    EXPECT_FALSE(await(offline.start()).value.value_or(true));
    EXPECT_TRUE(log.contains(QStringLiteral("没有 D-Bus 会话总线")));
}
