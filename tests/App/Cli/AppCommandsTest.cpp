// `vocena toggle`, `vocena quit` and `vocena listen` as processes against an app owned by this
// test process on a private session bus, against no app, without a bus, and on a bus that
// would start a service for the app's name if anyone called it.
#include "Infrastructure/Platform/AppInstance.h"
#include "support/CliRunner.h"
#include "support/PrivateBus.h"
#include "support/RecordedAppActions.h"
#include "support/WaitUntil.h"

#include <gtest/gtest.h>

#include <QDBusMessage>
#include <QDBusPendingCall>
#include <QFile>
#include <QTemporaryDir>

using namespace vocena;

namespace {

class AppCommandsTest : public ::testing::Test {
protected:
    QTemporaryDir home;

    test::ProcessResult vocena(const QStringList& args, const QString& busAddress) const {
        return test::runVocena(QStringLiteral(VOCENA_BINARY), home.path(), args, {}, busAddress);
    }
    static QString sessionBus() { return qEnvironmentVariable("DBUS_SESSION_BUS_ADDRESS"); }
};

const QString kNotRunning = QStringLiteral("澄言未运行\n");
const QString kListenRefused = QStringLiteral("vocena listen: 澄言正在运行");

}  // namespace

TEST_F(AppCommandsTest, CommandsReachTheRunningAppAndListenStandsBack) {
    ASSERT_FALSE(sessionBus().isEmpty()) << "run under dbus-run-session";
    test::RecordedAppActions recorded;
    auto app = std::make_unique<AppInstance>(recorded.actions());
    ASSERT_EQ(app->claim(), AppInstance::Claim::primary);
    recorded.onQuit = [&app] { app->release(); };  // as the app does when it quits

    // The call the README gives for shortcuts without the binary, typed from the introspection.
    QProcess gdbus;
    gdbus.start(QStringLiteral("gdbus"), {QStringLiteral("call"), QStringLiteral("--session"), QStringLiteral("--dest"), AppBus::serviceName,
                                          QStringLiteral("--object-path"), AppBus::objectPath, QStringLiteral("--method"),
                                          QStringLiteral("org.freedesktop.Application.ActivateAction"), AppBus::toggleRecording,
                                          QStringLiteral("[]"), QStringLiteral("{}")});
    EXPECT_TRUE(test::waitUntil([&] { return gdbus.state() == QProcess::NotRunning; }));
    EXPECT_EQ(gdbus.exitCode(), 0) << gdbus.readAllStandardError().toStdString();
    EXPECT_TRUE(test::waitUntil([&] { return recorded.calls == QStringList{AppBus::toggleRecording}; }));

    const struct {
        QStringList args;
        int code;
        QString err;  // contained in standard error
        QStringList ran;
    } cases[] = {
        {{QStringLiteral("listen")}, 1, kListenRefused, {}},
        {{QStringLiteral("toggle")}, 0, {}, {AppBus::toggleRecording}},
        {{QStringLiteral("settings")}, 0, {}, {AppBus::settings}},
        {{QStringLiteral("quit")}, 0, {}, {AppBus::quit}},
        // The app is gone now.
        {{QStringLiteral("toggle")}, 1, kNotRunning, {}},
        {{QStringLiteral("settings")}, 1, kNotRunning, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(qPrintable(c.args.join(QLatin1Char(' '))));
        recorded.calls.clear();
        const test::ProcessResult result = vocena(c.args, sessionBus());
        EXPECT_EQ(result.exitCode, c.code) << result.err.toStdString();
        EXPECT_TRUE(result.err.contains(c.err)) << result.err.toStdString();
        if (!c.ran.isEmpty()) {
            EXPECT_TRUE(test::waitUntil([&] { return !recorded.calls.isEmpty(); }));
        }
        EXPECT_EQ(recorded.calls, c.ran);
    }
}

TEST_F(AppCommandsTest, WithoutABusTheLockFileStandsForTheApp) {
    const QString disabled = QStringLiteral("disabled:");
    EXPECT_EQ(vocena({QStringLiteral("toggle")}, disabled).err, kNotRunning);

    // The children share this process's runtime folder, so the lock is theirs to see.
    AppInstance app(AppActions{}, QDBusConnection(QStringLiteral("no bus")));
    ASSERT_EQ(app.claim(), AppInstance::Claim::primary);
    const test::ProcessResult toggle = vocena({QStringLiteral("toggle")}, disabled);
    EXPECT_EQ(toggle.exitCode, 1);
    EXPECT_TRUE(toggle.err.contains(QStringLiteral("没有 D-Bus 会话总线"))) << toggle.err.toStdString();
    const test::ProcessResult listen = vocena({QStringLiteral("listen")}, disabled);
    EXPECT_EQ(listen.exitCode, 1);
    EXPECT_TRUE(listen.err.contains(kListenRefused)) << listen.err.toStdString();
}

TEST_F(AppCommandsTest, AskingWhetherTheAppRunsStartsNothing) {
    // The bus would run `touch MARKER` for the app's name.
    const QString marker = home.filePath(QStringLiteral("activated"));
    const test::PrivateBus bus({{AppBus::serviceName, QStringLiteral("/usr/bin/touch ") + marker}});
    const QString address = QString::fromUtf8(bus.address());
    ASSERT_FALSE(address.isEmpty());
    for (const char* command : {"toggle", "settings", "quit", "listen"}) {
        SCOPED_TRACE(command);
        const test::ProcessResult result = vocena({QString::fromLatin1(command)}, address);
        EXPECT_FALSE(result.err.contains(kListenRefused)) << result.err.toStdString();
        if (QLatin1String(command) != QLatin1String("listen")) {
            EXPECT_EQ(result.err, kNotRunning);
        }
    }
    QCoreApplication::processEvents();
    EXPECT_FALSE(QFile::exists(marker));

    // The bus does start the service for a plain call: the check above could have seen it.
    QDBusConnection caller = QDBusConnection::connectToBus(address, QStringLiteral("activating"));
    QDBusPendingCall pending = caller.asyncCall(
        QDBusMessage::createMethodCall(AppBus::serviceName, AppBus::objectPath, AppBus::interfaceName, QStringLiteral("Activate")), 3000);
    EXPECT_TRUE(test::waitUntil([&] { return QFile::exists(marker); }));
    QDBusConnection::disconnectFromBus(QStringLiteral("activating"));
}
