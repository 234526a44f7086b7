// The one running app on a private session bus (the test runs under dbus-run-session): the lock
// file without a bus, and a second start as a process (the calls themselves: AppCommandsTest).
#include "App/Cli/CliCommand.h"
#include "App/Tray/InstanceHandOver.h"
#include "Infrastructure/Platform/AppInstance.h"
#include "support/ChildProcess.h"
#include "support/CliRunner.h"
#include "support/RecordedAppActions.h"
#include "support/ScopedEnv.h"

#include <QCoro/QCoroTask>
#include <QFile>
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

// Runs this binary in `role` with the lock at `lockPath` (a child has a home of its own).
test::ProcessResult runChild(const QString& role, const QString& lockPath, bool withBus) {
    std::optional<test::ScopedEnv> noBus;
    if (!withBus) noBus.emplace("DBUS_SESSION_BUS_ADDRESS", "disabled:");
    const auto child = test::startChild(role, {lockPath});
    noBus.reset();
    // The events of this process run meanwhile: the child may be calling it.
    if (!test::waitUntil([&] { return child->state() == QProcess::NotRunning; }, 30000)) child->kill();
    child->waitForFinished();
    return {child->exitStatus() == QProcess::NormalExit ? child->exitCode() : -1, {}, QString::fromUtf8(child->readAllStandardError())};
}

QDBusConnection noBus() { return QDBusConnection(QStringLiteral("no bus")); }

}  // namespace

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
        {"no owner, no bus", false, false, false, false, kClaimedByThisProcess, {}, {}},
        {"lock of a dead process, no bus", false, false, true, false, kClaimedByThisProcess, {}, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        test::RecordedAppActions recorded;
        std::unique_ptr<AppInstance> owner;
        if (c.ownerOnBus || c.ownerWithLock) {
            owner = std::make_unique<AppInstance>(recorded.actions(), c.ownerOnBus ? QDBusConnection::sessionBus() : noBus(), lockPath);
            ASSERT_EQ(owner->claim(), AppInstance::Claim::primary);
        }
        if (c.crashedOwner) {
            ASSERT_EQ(runChild(QStringLiteral("crashHoldingLock"), lockPath, false).exitCode, 0);
            ASSERT_TRUE(QFile::exists(lockPath));
            EXPECT_FALSE(InstanceLock::isHeldByOther(lockPath));  // what `vocena listen` sees
        }
        const test::ProcessResult child = runChild(QStringLiteral("start"), lockPath, c.childOnBus);
        EXPECT_EQ(child.exitCode, c.code) << child.err.toStdString();
        EXPECT_TRUE(child.err.contains(c.line)) << child.err.toStdString();
        EXPECT_TRUE(test::waitUntil([&] { return recorded.calls.size() >= c.ran.size(); }));
        EXPECT_EQ(recorded.calls, c.ran);
        // Whoever held the lock gave it back or died; a stale file is taken over by the next.
        owner.reset();
        EXPECT_FALSE(InstanceLock::isHeldByOther(lockPath));
    }
}
