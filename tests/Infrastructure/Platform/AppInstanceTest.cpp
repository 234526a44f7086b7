// The one running app: the bus name and org.freedesktop.Application on a private session bus
// (the test runs under dbus-run-session), the lock file without a bus, and a second start as a
// process.
#include "App/Cli/CliCommand.h"
#include "App/Tray/InstanceHandOver.h"
#include "Infrastructure/Platform/AppInstance.h"
#include "support/ChildProcess.h"
#include "support/LogCapture.h"
#include "support/RecordedAppActions.h"
#include "support/WaitUntil.h"

#include <gtest/gtest.h>

#include <QCoro/QCoroTask>
#include <QDBusError>
#include <QDBusMessage>
#include <QDBusPendingCall>
#include <QFile>
#include <QProcessEnvironment>
#include <QTimer>
#include <cstdlib>

using namespace vocena;

namespace {

constexpr int kClaimedByThisProcess = 10;

// A second start of the app: its exit code, or kClaimedByThisProcess when it became the app.
QCoro::Task<> secondStart(QString lockPath, int* code) {
    AppInstance instance(AppActions{}, QDBusConnection::sessionBus(), lockPath);
    Console console;
    QCoro::Task<std::optional<int>> starting = claimOrHandOver(instance, console);
    const std::optional<int> exit = co_await std::move(starting);
    *code = exit.value_or(kClaimedByThisProcess);
}

VOCENA_CHILD_ROLE(start) {
    int code = -1;
    QTimer::singleShot(0, [&code, &args] { secondStart(args.value(0), &code); });
    test::waitUntil([&code] { return code >= 0; }, 20000);
    return code;
}

// Takes the lock without a bus and dies without giving it back.
VOCENA_CHILD_ROLE(crashHoldingLock) {
    AppInstance instance(AppActions{}, QDBusConnection(QStringLiteral("no bus")), args.value(0));
    if (instance.claim() != AppInstance::Claim::primary) return 1;
    std::_Exit(0);
}

struct ChildResult {
    int code = -1;
    QString err;
};

// Runs this binary in `role` with the lock at `lockPath` (a child has a home of its own).
ChildResult runChild(const QString& role, const QString& lockPath, bool withBus) {
    auto child = std::make_unique<QProcess>();
    child->setProgram(QCoreApplication::applicationFilePath());
    child->setArguments({QStringLiteral("--child-role"), role, lockPath});
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    if (!withBus) env.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), QStringLiteral("disabled:"));
    child->setProcessEnvironment(env);
    child->start();
    // The events of this process run meanwhile: the child may be calling it.
    if (!test::waitUntil([&] { return child->state() == QProcess::NotRunning; }, 30000)) child->kill();
    child->waitForFinished();
    return {child->exitStatus() == QProcess::NormalExit ? child->exitCode() : -1,
            QString::fromUtf8(child->readAllStandardError())};
}

// The reply of a call made from another connection, with this process's events running.
QDBusMessage callFrom(const QDBusConnection& caller, const QString& method, const QVariantList& arguments) {
    QDBusMessage message = QDBusMessage::createMethodCall(AppBus::serviceName, AppBus::objectPath, AppBus::interfaceName, method);
    message.setArguments(arguments);
    QDBusPendingCall pending = caller.asyncCall(message, 5000);
    test::waitUntil([&pending] { return pending.isFinished(); });
    return pending.reply();
}

QDBusConnection secondConnection() {
    return QDBusConnection::connectToBus(QDBusConnection::SessionBus, QStringLiteral("second"));
}

QDBusConnection noBus() { return QDBusConnection(QStringLiteral("no bus")); }

}  // namespace

TEST(AppInstanceTest, BusCallsRunTheirActionAfterTheReply) {
    ASSERT_TRUE(QDBusConnection::sessionBus().isConnected()) << "run under dbus-run-session";
    test::RecordedAppActions recorded;
    AppInstance app(recorded.actions());
    ASSERT_EQ(app.claim(), AppInstance::Claim::primary);
    const QDBusConnection caller = secondConnection();

    const struct {
        QString method;
        QVariantList arguments;
        QString ran;    // the action noted, none for a refused call
        QString error;  // the D-Bus error name of a refused call
    } cases[] = {
        {QStringLiteral("Activate"), {QVariantMap()}, QStringLiteral("activate"), {}},
        {QStringLiteral("ActivateAction"), {AppBus::toggleRecording, QVariantList(), QVariantMap()}, AppBus::toggleRecording, {}},
        {QStringLiteral("ActivateAction"), {AppBus::cycleWorkMode, QVariantList(), QVariantMap()}, AppBus::cycleWorkMode, {}},
        {QStringLiteral("ActivateAction"), {AppBus::permissions, QVariantList(), QVariantMap()}, AppBus::permissions, {}},
        {QStringLiteral("ActivateAction"), {AppBus::settings, QVariantList(), QVariantMap()}, AppBus::settings, {}},
        {QStringLiteral("ActivateAction"), {AppBus::quit, QVariantList(), QVariantMap()}, AppBus::quit, {}},
        {QStringLiteral("ActivateAction"), {QStringLiteral("record"), QVariantList(), QVariantMap()}, {},
         QDBusError::errorString(QDBusError::InvalidArgs)},
        {QStringLiteral("Open"), {QStringList{QStringLiteral("file:///tmp/a.txt")}, QVariantMap()}, {},
         QDBusError::errorString(QDBusError::NotSupported)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(qPrintable(c.method + QLatin1Char(' ') + c.arguments.value(0).toString()));
        recorded.calls.clear();
        const QDBusMessage reply = callFrom(caller, c.method, c.arguments);
        EXPECT_EQ(reply.type() == QDBusMessage::ErrorMessage ? reply.errorName() : QString(), c.error);
        if (c.ran.isEmpty()) {
            QCoreApplication::processEvents();
            EXPECT_TRUE(recorded.calls.isEmpty());
        } else {
            EXPECT_TRUE(test::waitUntil([&] { return !recorded.calls.isEmpty(); }));
            EXPECT_EQ(recorded.calls, QStringList{c.ran});
        }
    }
}

TEST(AppInstanceTest, AnActionTheAppDoesNotOfferIsRefused) {
    AppActions offered;
    offered.activate = [] {};
    AppInstance app(offered);
    ASSERT_EQ(app.claim(), AppInstance::Claim::primary);
    const QDBusMessage reply =
        callFrom(secondConnection(), QStringLiteral("ActivateAction"), {AppBus::permissions, QVariantList(), QVariantMap()});
    EXPECT_EQ(reply.errorName(), QDBusError::errorString(QDBusError::NotSupported));
}

TEST(AppInstanceTest, OneOwnerOfTheNameAtATime) {
    test::RecordedAppActions recorded;
    auto first = std::make_unique<AppInstance>(recorded.actions());
    ASSERT_EQ(first->claim(), AppInstance::Claim::primary);
    EXPECT_EQ(first->claim(), AppInstance::Claim::primary);  // asking again changes nothing

    AppInstance second(AppActions{}, secondConnection());
    EXPECT_EQ(second.claim(), AppInstance::Claim::alreadyRunning);
    EXPECT_EQ(second.client().presence(), AppInstanceClient::Presence::running);

    first.reset();  // the app quits: the name is free again
    EXPECT_EQ(second.client().presence(), AppInstanceClient::Presence::notRunning);
    EXPECT_EQ(second.claim(), AppInstance::Claim::primary);
}

TEST(AppInstanceTest, ASecondStartHandsOverOrTakesOver) {
    const QString lockPath = InstanceLock::defaultPath();
    const struct {
        const char* name;
        bool ownerOnBus;
        bool ownerWithLock;
        bool crashedOwner;  // a process took the lock and died
        bool childOnBus;
        int code;
        QString line;
        QStringList ran;
    } cases[] = {
        {"owner on the bus", true, false, false, true, 0, QStringLiteral("澄言已在运行，已切换到正在运行的澄言"), {QStringLiteral("activate")}},
        {"owner with the lock, no bus", false, true, false, false, 0, QStringLiteral("澄言已在运行（没有 D-Bus 会话总线，无法切换到它）"), {}},
        {"no owner, bus", false, false, false, true, kClaimedByThisProcess, {}, {}},
        {"no owner, no bus", false, false, false, false, kClaimedByThisProcess, {}, {}},
        {"lock of a dead process, no bus", false, false, true, false, kClaimedByThisProcess, {}, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        test::RecordedAppActions recorded;
        std::unique_ptr<AppInstance> owner;
        if (c.ownerOnBus || c.ownerWithLock) {
            test::LogCapture log;
            owner = std::make_unique<AppInstance>(recorded.actions(), c.ownerOnBus ? QDBusConnection::sessionBus() : noBus(), lockPath);
            ASSERT_EQ(owner->claim(), AppInstance::Claim::primary);
            EXPECT_EQ(owner->onBus(), c.ownerOnBus);
            EXPECT_EQ(log.contains(QStringLiteral("vocena toggle、vocena quit 和快捷键命令需要 D-Bus")), c.ownerWithLock);
        }
        if (c.crashedOwner) {
            ASSERT_EQ(runChild(QStringLiteral("crashHoldingLock"), lockPath, false).code, 0);
            ASSERT_TRUE(QFile::exists(lockPath));
            EXPECT_FALSE(InstanceLock::isHeldByOther(lockPath));  // what `vocena listen` sees
        }
        const ChildResult child = runChild(QStringLiteral("start"), lockPath, c.childOnBus);
        EXPECT_EQ(child.code, c.code) << child.err.toStdString();
        if (!c.line.isEmpty()) {
            EXPECT_TRUE(child.err.contains(c.line)) << child.err.toStdString();
        }
        if (!c.ran.isEmpty()) {
            EXPECT_TRUE(test::waitUntil([&] { return !recorded.calls.isEmpty(); }));
        }
        EXPECT_EQ(recorded.calls, c.ran);
        // Whoever held the lock gave it back or died; a stale file is taken over by the next.
        owner.reset();
        EXPECT_FALSE(InstanceLock::isHeldByOther(lockPath));
    }
}
