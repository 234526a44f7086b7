// `vocena listen` as a process in a session without an X display, on a private bus with and
// without a fake fcitx5: typing through the bridge counts as a way to deliver the words, and
// without any way the command still refuses to dictate and says what to install.
#include "support/CliRunner.h"
#include "support/FakeFcitx5Bridge.h"
#include "support/PrivateBus.h"
#include "support/ScopedEnv.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

using namespace vocena::test;

TEST(ListenBackendTest, AWaylandSessionWithTheBridgeCanTypeAndOneWithoutIsToldWhatToInstall) {
    const ScopedEnv noDisplay("DISPLAY", QByteArray());
    const ScopedEnv wayland("WAYLAND_DISPLAY", QByteArray("wayland-0"));
    const PrivateBus bus;
    ASSERT_FALSE(bus.address().isEmpty());
    FakeFcitx5Bridge fake(bus.address());
    const QString refused = QStringLiteral("辅助功能权限: 未授权");
    for (const bool bridge : {true, false}) {
        SCOPED_TRACE(bridge ? "with the bridge" : "without fcitx5");
        QTemporaryDir home;
        if (bridge) {
            ASSERT_TRUE(fake.start());
        }
        const ProcessResult listen =
            runVocena(QStringLiteral(VOCENA_BINARY), home.path(), {QStringLiteral("listen"), QStringLiteral("--once")}, {},
                      QString::fromUtf8(bus.address()));
        fake.stop();
        // No speech model is installed here: the command refuses in either case, listing what is missing.
        EXPECT_EQ(listen.exitCode, 1);
        EXPECT_TRUE(listen.err.contains(QStringLiteral("vocena listen: 听写需要的条件不满足"))) << listen.err.toStdString();
        EXPECT_EQ(listen.err.contains(refused), !bridge) << listen.err.toStdString();
        EXPECT_EQ(listen.err.contains(QStringLiteral("sudo apt install fcitx5 fcitx5-chinese-addons")), !bridge) << listen.err.toStdString();
    }
}
