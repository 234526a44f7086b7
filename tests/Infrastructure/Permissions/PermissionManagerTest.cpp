// The permission manager: its rules over probes that answer as told, where and how long its
// probes run, then the real X11 probe against a private Xvfb display and an absent one beside
// typing through a fake fcitx5 with the bridge on a private bus.
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

using Status = PermissionStatus;

// A display that trusts us but cannot be read is denied; a way of typing that appeared after
// the start (the app chose its way then) is not granted until a restart, and says so.
TEST(PermissionManagerTest, StatusesFollowTheProbesAndTheWayOfTypingInUse) {
    const PermissionCheck granted{Status::authorized, QStringLiteral("ok")};
    const AccessibilityCheck usable{true, true, QStringLiteral(":0")};
    const struct {
        const char* name;
        PermissionCheck microphone;
        AccessibilityCheck accessibility;
        PermissionCheck speech;
        bool typingInUse;
        Status accessibilityStatus;
        bool missing;
    } cases[] = {
        {"everything there", granted, usable, granted, true, Status::authorized, false},
        {"microphone denied", {Status::denied, QStringLiteral("没有声音服务器")}, usable, granted, true, Status::authorized, true},
        {"no model yet", granted, usable, {Status::notDetermined, {}}, true, Status::authorized, true},
        // (A display that does not trust us: DictationEndToEndTest, through `vocena doctor`.)
        {"focus read fails", granted, {true, false, QStringLiteral("无法读取")}, granted, true, Status::denied, true},
        {"typing found after the start", granted, usable, granted, false, Status::denied, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        PermissionProbes probes;
        probes.microphone = [&c] { return c.microphone; };
        probes.accessibility = [&c] { return c.accessibility; };
        probes.speechRecognition = [&c] { return c.speech; };
        probes.typingInUse = [&c] { return c.typingInUse; };
        PermissionManager manager(std::move(probes));
        EXPECT_FALSE(manager.isMissingRequiredPermissions());  // nothing known yet
        QCoro::waitFor(manager.checkAllPermissions());

        const QHash<PermissionType, Status> statuses{{PermissionType::microphone, c.microphone.status},
                                                     {PermissionType::accessibility, c.accessibilityStatus},
                                                     {PermissionType::speechRecognition, c.speech.status}};
        EXPECT_EQ(manager.permissionStatuses(), statuses);
        EXPECT_EQ(manager.detail(PermissionType::accessibility),
                  c.typingInUse ? c.accessibility.detail : QString::fromUtf8(PermissionManager::kRestartToType));
        EXPECT_EQ(manager.isMissingRequiredPermissions(), c.missing);
    }
}

// The microphone and display probes block: each runs on a thread of its own beside the other,
// and one that does not answer within the time-out counts as denied. The speech probe belongs
// to the main thread, as the speech engine does.
TEST(PermissionManagerTest, BlockingProbesRunSideBySideOffTheMainThreadAndTimeOut) {
    QThread* const mainThread = QCoreApplication::instance()->thread();
    std::atomic<QThread*> microphoneThread{nullptr}, accessibilityThread{nullptr}, speechThread{nullptr};
    // One pair per row, so that a late probe of the first never takes the second's permit;
    // static, as a late probe may still be leaving them when the test ends.
    static QSemaphore startedIn[2], releaseIn[2];
    for (const bool microphoneBlocks : {false, true}) {
        SCOPED_TRACE(microphoneBlocks);
        QSemaphore &started = startedIn[microphoneBlocks], &release = releaseIn[microphoneBlocks];
        // One probe never answers in time, the other answers only once both run.
        const auto probe = [&](bool blocks, std::atomic<QThread*>& thread) {
            thread = QThread::currentThread();
            started.release();
            if (blocks) release.acquire();
            return blocks || started.tryAcquire(2, 5000);
        };
        PermissionProbes probes;
        probes.microphone = [&] { return PermissionCheck{probe(microphoneBlocks, microphoneThread) ? Status::authorized : Status::denied}; };
        probes.accessibility = [&] { return AccessibilityCheck{probe(!microphoneBlocks, accessibilityThread), true}; };
        probes.speechRecognition = [&] {
            speechThread = QThread::currentThread();
            return PermissionCheck{Status::authorized};
        };
        PermissionManager manager(std::move(probes), nullptr, std::chrono::milliseconds(1000));
        QCoro::waitFor(manager.checkAllPermissions());
        const PermissionType blocked = microphoneBlocks ? PermissionType::microphone : PermissionType::accessibility;
        const PermissionType answered = microphoneBlocks ? PermissionType::accessibility : PermissionType::microphone;
        EXPECT_EQ(manager.permissionStatuses().value(answered), Status::authorized);
        EXPECT_EQ(manager.permissionStatuses().value(blocked), Status::denied);
        EXPECT_EQ(manager.detail(blocked), QStringLiteral("检查在 1 秒内没有完成"));
        release.release();  // the late probe ends on its own thread
        EXPECT_NE(microphoneThread.load(), mainThread);
        EXPECT_NE(accessibilityThread.load(), mainThread);
        EXPECT_EQ(speechThread.load(), mainThread);
    }
}

// The real X11 probe against a display with XTEST and an absent one, and the bridge's probe against a
// fake fcitx5: either way of typing is enough, and the help fits the session.
TEST(PermissionManagerTest, TypingIsAllowedThroughTheBridgeOrAnX11DisplayWithXTestAndTheHelpFitsTheSession) {
    const test::PrivateDisplay withXTest(QStringLiteral(VOCENA_SOURCE_DIR), QString());
    const test::PrivateBus bus;
    ASSERT_FALSE(withXTest.name().isEmpty() || bus.address().isEmpty());
    test::FakeFcitx5Bridge fake(bus.address());
    const QDBusConnection client = QDBusConnection::connectToBus(QString::fromUtf8(bus.address()), QStringLiteral("permissions-client"));
    enum class Fcitx5 { absent, withoutBridge, withBridge };
    const QString bridgeAnswers = QStringLiteral("fcitx5 正在运行，桥接插件版本 1");
    const QString noFcitx5 = QStringLiteral("fcitx5 没有运行；");
    const QString waylandHelp = QStringLiteral("sudo apt install fcitx5 fcitx5-chinese-addons");
    const QString x11Help = QStringLiteral("xdpyinfo | grep XTEST");
    const struct {
        const char* name;
        Fcitx5 fcitx5;
        QString display;
        bool wayland;
        Status status;
        QString detail;  // its beginning
        QString help;    // a line the help text holds
    } cases[] = {
        {"Wayland with the bridge", Fcitx5::withBridge, QString(), true, Status::authorized, bridgeAnswers, waylandHelp},
        {"Wayland without fcitx5", Fcitx5::absent, QString(), true, Status::denied,
         noFcitx5 + QStringLiteral("没有设置 DISPLAY（不在 X11 图形会话中）"), waylandHelp},
        {"Wayland, fcitx5 without the bridge", Fcitx5::withoutBridge, QString(), true, Status::denied,
         QStringLiteral("fcitx5 正在运行，但没有加载澄言的桥接插件"), QStringLiteral("随澄言一起安装（make install）")},
        {"X11 alone", Fcitx5::absent, withXTest.name(), false, Status::authorized, withXTest.name(), x11Help},
        // (A display without XTEST: DictationEndToEndTest, through `vocena doctor`.)
        {"no X server", Fcitx5::absent, QStringLiteral(":4711"), false, Status::denied,
         noFcitx5 + QStringLiteral("无法连接 X 显示服务器 :4711"), x11Help},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const test::ScopedEnv display("DISPLAY", c.display.toUtf8());
        const test::ScopedEnv wayland("WAYLAND_DISPLAY", c.wayland ? QByteArray("wayland-0") : QByteArray());
        const test::ScopedEnv session("XDG_SESSION_TYPE", c.wayland ? QByteArray("wayland") : QByteArray("x11"));
        if (c.fcitx5 != Fcitx5::absent) {
            ASSERT_TRUE(fake.start(c.fcitx5 == Fcitx5::withBridge));
        }
        PermissionProbes probes;
        probes.accessibility = &X11AccessibilityProbe::check;
        probes.inputMethod = [&client] { return Fcitx5AccessibilityProbe::check(client); };
        PermissionManager manager(std::move(probes));
        EXPECT_EQ(QCoro::waitFor(manager.checkAccessibilityPermission()), c.status);
        QCoro::waitFor(manager.checkAllPermissions());
        fake.stop();
        EXPECT_EQ(manager.permissionStatuses().value(PermissionType::accessibility), c.status);
        EXPECT_TRUE(manager.detail(PermissionType::accessibility).startsWith(c.detail))
            << manager.detail(PermissionType::accessibility).toStdString();
        EXPECT_TRUE(PermissionHelp::howTo(PermissionType::accessibility).contains(c.help));
    }
    QDBusConnection::disconnectFromBus(QStringLiteral("permissions-client"));
}
