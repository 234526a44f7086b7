// `vocena toggle`, `vocena settings`, `vocena quit` and `vocena listen`, and the D-Bus calls of
// the desktop's shortcuts (gdbus), as processes against an app owned by this test process on a
// private session bus, against no app, and without a bus.
#include "Infrastructure/Platform/AppInstance.h"
#include "support/AppDriver.h"
#include "support/RecordedAppActions.h"

using namespace vocena;

namespace {

const QString kNotRunning = QStringLiteral("澄言未运行\n");
const QString kListenRefused = QStringLiteral("vocena listen: 澄言正在运行");

// An action call of the app's org.freedesktop.Application interface as a shortcut makes it,
// without the binary (gdbus types the arguments from the introspection).
QStringList action(const QString& name) {
    return {QStringLiteral("call"), QStringLiteral("--session"), QStringLiteral("--dest"), AppBus::serviceName,
            QStringLiteral("--object-path"), AppBus::objectPath, QStringLiteral("--method"),
            QStringLiteral("org.freedesktop.Application.ActivateAction"), name, QStringLiteral("[]"), QStringLiteral("{}")};
}

using AppCommandsTest = test::AppDriver;

}  // namespace

TEST_F(AppCommandsTest, CallsAndCommandsReachTheRunningAppAndListenStandsBack) {
    ASSERT_FALSE(sessionBus().isEmpty()) << "run under dbus-run-session";
    bus = sessionBus();
    test::RecordedAppActions recorded;
    auto app = std::make_unique<AppInstance>(recorded.actions());
    ASSERT_EQ(app->claim(), AppInstance::Claim::primary);
    recorded.onQuit = [&app] { app->release(); };  // as the app does when it quits

    const QString gdbus = QStringLiteral("gdbus"), vocena = QStringLiteral(VOCENA_BINARY);
    const struct {
        QString program;
        QStringList args;
        int code;
        QString err;  // contained in standard error
        QStringList ran;
    } cases[] = {
        {gdbus, action(AppBus::toggleRecording), 0, {}, {AppBus::toggleRecording}},
        {gdbus, action(QStringLiteral("record")), 1, QStringLiteral("org.freedesktop.DBus.Error.InvalidArgs"), {}},
        {vocena, {QStringLiteral("listen")}, 1, kListenRefused, {}},
        {vocena, {QStringLiteral("toggle")}, 0, {}, {AppBus::toggleRecording}},
        {vocena, {QStringLiteral("settings")}, 0, {}, {AppBus::settings}},
        {vocena, {QStringLiteral("quit")}, 0, {}, {AppBus::quit}},
        // The app is gone now.
        {vocena, {QStringLiteral("toggle")}, 1, kNotRunning, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(qPrintable(c.args.join(QLatin1Char(' '))));
        recorded.calls.clear();
        EXPECT_TRUE(test::exits(test::runProcess(c.program, c.args, {}, environment().toStringList()), c.code, {c.err}));
        EXPECT_TRUE(test::waitUntil([&] { return recorded.calls.size() >= c.ran.size(); }));
        QCoreApplication::processEvents();
        EXPECT_EQ(recorded.calls, c.ran);
    }
}

TEST_F(AppCommandsTest, WithoutABusTheLockFileStandsForTheApp) {
    EXPECT_EQ(run({QStringLiteral("toggle")}).err, kNotRunning);
    // The commands share this process's runtime folder, so the lock is theirs to see.
    AppInstance app(AppActions{}, QDBusConnection(QStringLiteral("no bus")));
    ASSERT_EQ(app.claim(), AppInstance::Claim::primary);
    for (const auto& [command, line] : {std::pair{"toggle", QStringLiteral("没有 D-Bus 会话总线")}, std::pair{"listen", kListenRefused}})
        EXPECT_TRUE(test::exits(run({QString::fromLatin1(command)}), 1, {line}));
}
