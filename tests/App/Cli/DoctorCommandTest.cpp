// `vocena doctor` and `vocena listen` as processes in a session without an X display, on a
// private bus with and without a fake fcitx5: which way of typing doctor reports, and why; that
// listen counts typing through the bridge as a way to deliver the words, and without any says
// what to install. No speech model is installed here: both commands end with 1.
#include "support/AppDriver.h"
#include "support/FakeFcitx5Bridge.h"
#include "support/PrivateBus.h"

using namespace vocena::test;

using DoctorCommandTest = AppDriver;

TEST_F(DoctorCommandTest, TellsWhichWayTextIsTypedAndListenStartsOnlyWithOne) {
    const PrivateBus privateBus;
    bus = QString::fromUtf8(privateBus.address());
    ASSERT_FALSE(bus.isEmpty());
    env = QStringList{QStringLiteral("DISPLAY"), QStringLiteral("WAYLAND_DISPLAY=wayland-0")};
    FakeFcitx5Bridge fake(privateBus.address());
    const QString install = QStringLiteral("sudo apt install fcitx5 fcitx5-chinese-addons");
    const struct {
        const char* preference;  // null: not set
        bool fcitx5;
        const char* doctor;
    } cases[] = {
        {nullptr, true, "文字输入方式: fcitx5 输入法桥接（自动选择 fcitx5（fcitx5 正在运行，桥接插件版本 1））"},
        {"fcitx5", false, "文字输入方式: 无（设置为 fcitx5，但桥接不可用；fcitx5 桥接不可用：fcitx5 没有运行；也没有可用的 X11 显示）"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.doctor);
        const QString key = QStringLiteral("com.vocena.injection.backend");
        ASSERT_EQ(run(c.preference ? QStringList{"config", "set", key, c.preference} : QStringList{"config", "unset", key}).exitCode, 0);
        if (c.fcitx5) {
            ASSERT_TRUE(fake.start());
        }
        EXPECT_TRUE(prints(run({QStringLiteral("doctor")}), 1, {QString::fromUtf8(c.doctor)}));
        const ProcessResult listen = run({QStringLiteral("listen"), QStringLiteral("--once")});
        EXPECT_TRUE(exits(listen, 1, {"vocena listen: 听写需要的条件不满足"}));
        for (const QString& line : {QStringLiteral("辅助功能权限: 未授权"), install})
            EXPECT_EQ(listen.err.contains(line), !c.fcitx5) << line.toStdString();
        fake.stop();
    }
}
