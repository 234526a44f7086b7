// `vocena doctor` as a process on a private bus, with and without a fake fcitx5: which way of
// typing it reports, and why.
#include "support/CliRunner.h"
#include "support/FakeFcitx5Bridge.h"
#include "support/PrivateBus.h"
#include "support/ScopedEnv.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

using namespace vocena::test;

namespace {

struct DoctorCase {
    const char* preference;  // null: not set
    bool fcitx5;
    const char* line;
};

}  // namespace

TEST(DoctorCommandTest, TellsWhichWayTextIsTypedAndWhy) {
    const ScopedEnv noDisplay("DISPLAY", QByteArray());
    const PrivateBus bus;
    ASSERT_FALSE(bus.address().isEmpty());
    FakeFcitx5Bridge fake(bus.address());
    const QString address = QString::fromUtf8(bus.address());
    const DoctorCase cases[] = {
        {nullptr, true, "文字输入方式: fcitx5 输入法桥接（自动选择 fcitx5（fcitx5 正在运行，桥接插件版本 1））"},
        {"x11", true, "文字输入方式: fcitx5 输入法桥接（设置为 x11，但没有可用的 X11 显示；自动选择 fcitx5（"},
        {"fcitx5", false,
         "文字输入方式: 无（设置为 fcitx5，但桥接不可用；fcitx5 桥接不可用：fcitx5 没有运行；也没有可用的 X11 显示）"},
    };
    for (const DoctorCase& c : cases) {
        SCOPED_TRACE(c.line);
        QTemporaryDir home;
        if (c.preference) {
            const ProcessResult set = runVocena(QStringLiteral(VOCENA_BINARY), home.path(),
                                                {QStringLiteral("config"), QStringLiteral("set"),
                                                 QStringLiteral("com.vocena.injection.backend"), QString::fromLatin1(c.preference)});
            ASSERT_EQ(set.exitCode, 0) << set.err.toStdString();
        }
        if (c.fcitx5) {
            ASSERT_TRUE(fake.start());
        }
        const ProcessResult doctor = runVocena(QStringLiteral(VOCENA_BINARY), home.path(), {QStringLiteral("doctor")}, {}, address);
        fake.stop();
        EXPECT_EQ(doctor.exitCode, 1);  // no display, no model here
        EXPECT_TRUE(doctor.out.contains(QString::fromUtf8(c.line))) << doctor.out.toStdString();
    }
}
