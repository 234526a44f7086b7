// `vocena toggle`, `vocena quit` and `vocena listen` as processes against an app owned by this
// test process on a private session bus, against no app, without a bus, and on a bus that
// would start a service for the app's name if anyone called it.
#include "Infrastructure/Platform/AppInstance.h"
#include "support/CliRunner.h"
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

// A session bus of its own whose service folder starts `touch MARKER` for the app's name.
class ActivatingBus {
public:
    ActivatingBus() {
        write(QStringLiteral("services/com.vocena.Vocena.service"),
              "[D-BUS Service]\nName=com.vocena.Vocena\nExec=/usr/bin/touch " + marker().toUtf8() + "\n");
        write(QStringLiteral("bus.conf"),
              "<!DOCTYPE busconfig PUBLIC \"-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN\"\n"
              " \"http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd\">\n<busconfig><type>session</type>"
              "<listen>unix:path=" + m_dir.filePath(QStringLiteral("socket")).toUtf8() + "</listen>"
              "<servicedir>" + m_dir.filePath(QStringLiteral("services")).toUtf8() + "</servicedir>"
              "<policy context=\"default\"><allow send_destination=\"*\" eavesdrop=\"true\"/><allow eavesdrop=\"true\"/>"
              "<allow own=\"*\"/></policy></busconfig>\n");
        m_daemon.start(QStringLiteral("dbus-daemon"),
                       {QStringLiteral("--nofork"), QStringLiteral("--print-address"),
                        QStringLiteral("--config-file=") + m_dir.filePath(QStringLiteral("bus.conf"))});
        test::waitUntil([this] { return m_daemon.canReadLine() || m_daemon.state() == QProcess::NotRunning; });
        m_address = QString::fromUtf8(m_daemon.readLine()).trimmed();
    }
    ~ActivatingBus() {
        m_daemon.terminate();
        m_daemon.waitForFinished();
    }
    const QString& address() const { return m_address; }
    QString marker() const { return m_dir.filePath(QStringLiteral("activated")); }

private:
    void write(const QString& name, const QByteArray& content) {
        QDir(m_dir.path()).mkpath(QFileInfo(m_dir.filePath(name)).path());
        QFile file(m_dir.filePath(name));
        if (file.open(QIODevice::WriteOnly)) file.write(content);
    }

    QTemporaryDir m_dir;
    QProcess m_daemon;
    QString m_address;
};

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
        {{QStringLiteral("toggle")}, 0, {}, {AppBus::toggleRecording}},
        {{QStringLiteral("settings")}, 0, {}, {AppBus::settings}},
        {{QStringLiteral("quit")}, 0, {}, {AppBus::quit}},
        // The app is gone now.
        {{QStringLiteral("toggle")}, 1, kNotRunning, {}},
        {{QStringLiteral("quit")}, 1, kNotRunning, {}},
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
    ActivatingBus bus;
    ASSERT_FALSE(bus.address().isEmpty());
    for (const char* command : {"toggle", "settings", "quit", "listen"}) {
        SCOPED_TRACE(command);
        const test::ProcessResult result = vocena({QString::fromLatin1(command)}, bus.address());
        EXPECT_FALSE(result.err.contains(kListenRefused)) << result.err.toStdString();
        if (QLatin1String(command) != QLatin1String("listen")) {
            EXPECT_EQ(result.err, kNotRunning);
        }
    }
    QCoreApplication::processEvents();
    EXPECT_FALSE(QFile::exists(bus.marker()));

    // The bus does start the service for a plain call: the check above could have seen it.
    QDBusConnection caller = QDBusConnection::connectToBus(bus.address(), QStringLiteral("activating"));
    QDBusPendingCall pending = caller.asyncCall(
        QDBusMessage::createMethodCall(AppBus::serviceName, AppBus::objectPath, AppBus::interfaceName, QStringLiteral("Activate")), 3000);
    EXPECT_TRUE(test::waitUntil([&] { return QFile::exists(bus.marker()); }));
    QDBusConnection::disconnectFromBus(QStringLiteral("activating"));
}
