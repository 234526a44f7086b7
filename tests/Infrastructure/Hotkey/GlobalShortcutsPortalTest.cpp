// The start/stop shortcut through a fake GlobalShortcuts portal on a private bus: the session
// and the binding by the Request/Response pattern, Activated of our shortcut only, and one log
// line when the portal is missing or the user refuses.
#include "Infrastructure/Hotkey/GlobalShortcutsPortal.h"
#include "support/AsyncTest.h"
#include "support/FakeGlobalShortcutsPortal.h"
#include "support/LogCapture.h"
#include "support/PrivateBus.h"
#include "support/WaitUntil.h"

#include <gtest/gtest.h>

#include <QScopeGuard>

using namespace vocena;
using namespace vocena::test;

// Nothing is bound without the portal or the user's consent; one log line says how it went. (A
// missing bus, or a portal without the interface, gets the same advice as a missing portal.)
// Once bound, only our shortcut of our session counts.
TEST(GlobalShortcutsPortalTest, BindsToggleRecordingWhereItCanAndReportsOnlyItsActivations) {
    PrivateBus bus;
    const QDBusConnection client = QDBusConnection::connectToBus(QString::fromUtf8(bus.address()), QStringLiteral("portal-client"));
    const auto disconnect = qScopeGuard([] { QDBusConnection::disconnectFromBus(QStringLiteral("portal-client")); });
    const struct {
        const char* name;
        bool portal;
        uint bindResponse;
        QString log;
    } cases[] = {
        {"bound", true, 0, QStringLiteral("已通过 GlobalShortcuts 门户注册快捷键 toggle-recording")},
        {"no portal", false, 0, QStringLiteral("没有 GlobalShortcuts 门户")},
        {"the user cancels", true, 1, QStringLiteral("GlobalShortcuts 门户注册快捷键失败: 回应 1")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        FakeGlobalShortcutsPortal fake(bus.address());
        fake.bindResponse = c.bindResponse;
        ASSERT_TRUE(!c.portal || fake.start());
        GlobalShortcutsPortal portal(client);
        LogCapture log;
        const bool bound = c.portal && c.bindResponse == 0;
        EXPECT_EQ(await(portal.start()).value.value_or(!bound), bound);
        EXPECT_EQ(log.lines().size(), 1) << log.lines().join(u'\n').toStdString();
        EXPECT_TRUE(log.contains(c.log)) << log.lines().join(u'\n').toStdString();
        if (!bound) continue;

        // The session given is the one bound. (The shortcut's id, in the log line and the
        // activations, is TrayAppTest's.)
        EXPECT_EQ(fake.boundSession, fake.session);
        ASSERT_EQ(fake.bound.size(), 1);
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
}
