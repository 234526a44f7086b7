// A notice reaches the desktop's notification server on a private session bus, in the call
// form the servers accept.
#include "Infrastructure/Platform/DesktopNotice.h"
#include "support/PrivateBus.h"
#include "support/WaitUntil.h"

#include <gtest/gtest.h>

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusVirtualObject>

using namespace vocena;

namespace {

// Plays the notification server: notes each Notify call and answers it with an id.
class FakeNotificationServer final : public QDBusVirtualObject {
public:
    QList<QDBusMessage> calls;

    bool handleMessage(const QDBusMessage& message, const QDBusConnection& connection) override {
        if (message.member() != QLatin1String("Notify")) return false;
        calls.append(message);
        connection.send(message.createReply(QVariantList{uint(calls.size())}));
        return true;
    }
    QString introspect(const QString&) const override { return {}; }
};

}  // namespace

TEST(DesktopNoticeTest, TheServerGetsTheMessageUnderTheAppsNameWithItsOwnTimeout) {
    test::PrivateBus bus;
    ASSERT_FALSE(bus.address().isEmpty());
    QDBusConnection server = QDBusConnection::connectToBus(QString::fromUtf8(bus.address()), QStringLiteral("notification-server"));
    FakeNotificationServer fake;
    ASSERT_TRUE(server.registerVirtualObject(QStringLiteral("/org/freedesktop/Notifications"), &fake));
    ASSERT_TRUE(server.registerService(QStringLiteral("org.freedesktop.Notifications")));
    QDBusConnection app = QDBusConnection::connectToBus(QString::fromUtf8(bus.address()), QStringLiteral("app"));

    const QString message = QStringLiteral("未能自动输入，也无法写入剪贴板：\n今天天气很好");
    DesktopNotice::show(message, app);
    ASSERT_TRUE(test::waitUntil([&] { return fake.calls.size() == 1; }));

    const QDBusMessage call = fake.calls.first();
    EXPECT_EQ(call.interface(), QStringLiteral("org.freedesktop.Notifications"));
    // app_name, replaces_id, app_icon, summary, body, actions, hints, expire_timeout
    ASSERT_EQ(call.signature(), QStringLiteral("susssasa{sv}i"));
    const QVariantList args = call.arguments();
    EXPECT_EQ((QVariantList{args[0], args[3], args[4], args[7]}),
              (QVariantList{QStringLiteral("澄言"), QStringLiteral("澄言"), message, -1}));
    QDBusConnection::disconnectFromBus(QStringLiteral("app"));
    QDBusConnection::disconnectFromBus(QStringLiteral("notification-server"));
}
