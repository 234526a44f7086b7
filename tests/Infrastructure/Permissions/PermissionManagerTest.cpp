// The permission manager: its rules over probes that answer as told, where and how long its
// probes run, then the real X11 probe against private Xvfb displays with and without XTEST,
// and typing through a fake fcitx5 with the bridge on a private bus instead of X11.
#include "Infrastructure/Permissions/Fcitx5AccessibilityProbe.h"
#include "Infrastructure/Permissions/PermissionHelp.h"
#include "Infrastructure/Permissions/PermissionManager.h"
#include "Infrastructure/Permissions/X11AccessibilityProbe.h"
#include "support/FakeFcitx5Bridge.h"
#include "support/PrivateBus.h"
#include "support/PrivateDisplay.h"
#include "support/ScopedEnv.h"

#include <gtest/gtest.h>

#include <QCoro/QCoroTask>
#include <QCoreApplication>
#include <QSemaphore>
#include <QThread>
#include <atomic>

using namespace vocena;

namespace {

using Status = PermissionStatus;

PermissionProbes answering(PermissionCheck microphone, AccessibilityCheck accessibility, PermissionCheck speech) {
    PermissionProbes probes;
    probes.microphone = [microphone] { return microphone; };
    probes.accessibility = [accessibility] { return accessibility; };
    probes.speechRecognition = [speech] { return speech; };
    return probes;
}

}  // namespace

TEST(PermissionManagerTest, StatusesFollowTheProbesAndATrustedDisplayThatCannotBeReadIsDenied) {
    struct Case {
        const char* name;
        PermissionCheck microphone;
        AccessibilityCheck accessibility;
        PermissionCheck speech;
        Status accessibilityStatus;
        bool missing;
    };
    const PermissionCheck granted{Status::authorized, QStringLiteral("ok")};
    const AccessibilityCheck usable{true, true, QStringLiteral(":0")};
    const QList<Case> cases = {
        {"everything there", granted, usable, granted, Status::authorized, false},
        {"microphone denied", {Status::denied, QStringLiteral("没有声音服务器")}, usable, granted, Status::authorized, true},
        {"no model yet", granted, usable, {Status::notDetermined, {}}, Status::authorized, true},
        {"no XTest", granted, {false, false, QStringLiteral("没有 XTEST")}, granted, Status::denied, true},
        {"focus read fails", granted, {true, false, QStringLiteral("无法读取")}, granted, Status::denied, true},
    };
    for (const Case& c : cases) {
        PermissionManager manager(answering(c.microphone, c.accessibility, c.speech));
        EXPECT_FALSE(manager.isMissingRequiredPermissions()) << c.name;  // nothing known yet
        int changes = 0;
        QObject::connect(&manager, &PermissionManager::permissionStatusesChanged, [&changes] { ++changes; });
        QCoro::waitFor(manager.checkAllPermissions());

        EXPECT_EQ(changes, 3) << c.name;
        EXPECT_EQ(manager.permissionStatuses().value(PermissionType::microphone), c.microphone.status) << c.name;
        EXPECT_EQ(manager.permissionStatuses().value(PermissionType::accessibility), c.accessibilityStatus) << c.name;
        EXPECT_EQ(manager.permissionStatuses().value(PermissionType::speechRecognition), c.speech.status) << c.name;
        EXPECT_EQ(manager.detail(PermissionType::microphone), c.microphone.detail) << c.name;
        EXPECT_EQ(manager.detail(PermissionType::accessibility), c.accessibility.detail) << c.name;
        EXPECT_EQ(manager.isMissingRequiredPermissions(), c.missing) << c.name;
    }
}

// The app chose its way of typing at start: one that appears later is not granted until a
// restart, and says so.
TEST(PermissionManagerTest, TypingThatAppearedAfterTheStartAsksForARestart) {
    PermissionProbes probes = answering({Status::authorized, {}}, {true, true, QStringLiteral(":0")}, {Status::authorized, {}});
    bool inUse = false;
    probes.typingInUse = [&inUse] { return inUse; };
    PermissionManager manager(probes);
    QCoro::waitFor(manager.checkAllPermissions());
    EXPECT_EQ(manager.permissionStatuses().value(PermissionType::accessibility), Status::denied);
    EXPECT_EQ(manager.detail(PermissionType::accessibility), QString::fromUtf8(PermissionManager::kRestartToType));
    inUse = true;
    QCoro::waitFor(manager.checkAllPermissions());
    EXPECT_EQ(manager.permissionStatuses().value(PermissionType::accessibility), Status::authorized);
}

TEST(PermissionManagerTest, BlockingProbesRunSideBySideOffTheMainThread) {
    QThread* const mainThread = QCoreApplication::instance()->thread();
    std::atomic<QThread*> microphoneThread{nullptr}, accessibilityThread{nullptr}, speechThread{nullptr};
    QSemaphore accessibilityStarted;
    PermissionProbes probes;
    probes.microphone = [&] {
        microphoneThread = QThread::currentThread();
        // Answers only once the accessibility probe runs too.
        const bool together = accessibilityStarted.tryAcquire(1, 5000);
        return PermissionCheck{together ? Status::authorized : Status::denied, {}};
    };
    probes.accessibility = [&] {
        accessibilityThread = QThread::currentThread();
        accessibilityStarted.release();
        return AccessibilityCheck{true, true, {}};
    };
    probes.speechRecognition = [&] {
        speechThread = QThread::currentThread();
        return PermissionCheck{Status::authorized, {}};
    };
    PermissionManager manager(std::move(probes));
    QCoro::waitFor(manager.checkAllPermissions());
    EXPECT_FALSE(manager.isMissingRequiredPermissions());
    EXPECT_NE(microphoneThread.load(), mainThread);
    EXPECT_NE(accessibilityThread.load(), mainThread);
    EXPECT_EQ(speechThread.load(), mainThread);  // the speech engine belongs to the main thread
}

TEST(PermissionManagerTest, AProbeThatDoesNotAnswerCountsAsDeniedAfterTheTimeOut) {
    QSemaphore release;
    PermissionProbes probes;
    probes.microphone = [&release] {
        release.acquire();
        return PermissionCheck{Status::authorized, {}};
    };
    probes.accessibility = [&release] {
        release.acquire();
        return AccessibilityCheck{true, true, {}};
    };
    probes.speechRecognition = [] { return PermissionCheck{Status::authorized, {}}; };
    PermissionManager manager(std::move(probes), nullptr, std::chrono::milliseconds(50));
    QCoro::waitFor(manager.checkAllPermissions());
    for (PermissionType type : {PermissionType::microphone, PermissionType::accessibility}) {
        EXPECT_EQ(manager.permissionStatuses().value(type), Status::denied);
        EXPECT_EQ(manager.detail(type), QStringLiteral("检查在 0.05 秒内没有完成"));
    }
    release.release(2);  // the late probes end on their own threads
}

TEST(PermissionManagerTest, TheX11ProbeNeedsADisplayWithXTest) {
    const test::PrivateDisplay withXTest(QStringLiteral(VOCENA_SOURCE_DIR), QString());
    const test::PrivateDisplay withoutXTest(QStringLiteral(VOCENA_SOURCE_DIR), QStringLiteral("-extension XTEST"));
    ASSERT_FALSE(withXTest.name().isEmpty());
    ASSERT_FALSE(withoutXTest.name().isEmpty());
    struct Case {
        QString display;
        Status status;
        QString detail;
    };
    const QList<Case> cases = {
        {withXTest.name(), Status::authorized, withXTest.name()},
        {withoutXTest.name(), Status::denied, QStringLiteral("X 显示服务器没有 XTEST 扩展")},
        {QStringLiteral(":4711"), Status::denied, QStringLiteral("无法连接 X 显示服务器 :4711")},
        {QString(), Status::denied, QStringLiteral("没有设置 DISPLAY（不在 X11 图形会话中）")},
    };
    for (const Case& c : cases) {
        const test::ScopedEnv display("DISPLAY", c.display.toUtf8());
        PermissionProbes probes;
        probes.accessibility = &X11AccessibilityProbe::check;
        PermissionManager manager(std::move(probes));
        QCoro::waitFor(manager.checkAllPermissions());
        EXPECT_EQ(manager.permissionStatuses().value(PermissionType::accessibility), c.status) << c.display.toStdString();
        EXPECT_EQ(manager.detail(PermissionType::accessibility), c.detail) << c.display.toStdString();
    }
}

TEST(PermissionManagerTest, TypingIsAllowedThroughTheBridgeOrX11AndTheHelpFitsTheSession) {
    const test::PrivateDisplay withXTest(QStringLiteral(VOCENA_SOURCE_DIR), QString());
    ASSERT_FALSE(withXTest.name().isEmpty());
    const test::PrivateBus bus;
    ASSERT_FALSE(bus.address().isEmpty());
    test::FakeFcitx5Bridge fake(bus.address());
    const QString client = QStringLiteral("permissions-client");
    QDBusConnection::connectToBus(QString::fromUtf8(bus.address()), client);
    enum class Fcitx5 { absent, withoutBridge, withBridge };
    struct Case {
        const char* name;
        Fcitx5 fcitx5;
        QString display;
        bool wayland;
        Status status;
        QString detail;  // its beginning
        QString help;    // a line the help text holds
    };
    const QString bridgeAnswers = QStringLiteral("fcitx5 正在运行，桥接插件版本 1");
    const QString waylandHelp = QStringLiteral("sudo apt install fcitx5 fcitx5-chinese-addons");
    const QList<Case> cases = {
        {"Wayland with the bridge", Fcitx5::withBridge, QString(), true, Status::authorized, bridgeAnswers, waylandHelp},
        {"Wayland without fcitx5", Fcitx5::absent, QString(), true, Status::denied,
         QStringLiteral("fcitx5 没有运行；没有设置 DISPLAY（不在 X11 图形会话中）"), waylandHelp},
        {"Wayland, fcitx5 without the bridge", Fcitx5::withoutBridge, QString(), true, Status::denied,
         QStringLiteral("fcitx5 正在运行，但没有加载澄言的桥接插件"), QStringLiteral("随澄言一起安装（make install）")},
        {"X11 alone", Fcitx5::absent, withXTest.name(), false, Status::authorized, withXTest.name(), QStringLiteral("xdpyinfo | grep XTEST")},
        {"X11 and the bridge", Fcitx5::withBridge, withXTest.name(), false, Status::authorized, bridgeAnswers, QStringLiteral("XTEST")},
    };
    for (const Case& c : cases) {
        const test::ScopedEnv display("DISPLAY", c.display.toUtf8());
        const test::ScopedEnv wayland("WAYLAND_DISPLAY", c.wayland ? QByteArray("wayland-0") : QByteArray());
        const test::ScopedEnv session("XDG_SESSION_TYPE", c.wayland ? QByteArray("wayland") : QByteArray("x11"));
        if (c.fcitx5 != Fcitx5::absent) {
            ASSERT_TRUE(fake.start(c.fcitx5 == Fcitx5::withBridge)) << c.name;
        }
        PermissionProbes probes;
        probes.accessibility = &X11AccessibilityProbe::check;
        probes.inputMethod = [] { return Fcitx5AccessibilityProbe::check(QDBusConnection(QStringLiteral("permissions-client"))); };
        PermissionManager manager(std::move(probes));
        EXPECT_EQ(QCoro::waitFor(manager.checkAccessibilityPermission()), c.status) << c.name;
        QCoro::waitFor(manager.checkAllPermissions());
        fake.stop();
        EXPECT_EQ(manager.permissionStatuses().value(PermissionType::accessibility), c.status) << c.name;
        EXPECT_TRUE(manager.detail(PermissionType::accessibility).startsWith(c.detail))
            << c.name << ": " << manager.detail(PermissionType::accessibility).toStdString();
        EXPECT_TRUE(PermissionHelp::howTo(PermissionType::accessibility).contains(c.help)) << c.name;
    }
    QDBusConnection::disconnectFromBus(client);
}
