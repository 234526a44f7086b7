// The XInput2 modifier source on the Xvfb display of scripts/with-xvfb, driven by xdotool: the
// keys it reports, and the gestures through the monitor with the real clock and timers.
#include "Infrastructure/Hotkey/ModifierKeyMonitor.h"
#include "Infrastructure/Hotkey/X11ModifierFlagSource.h"
#include "Infrastructure/Platform/Clock.h"
#include "support/LogCapture.h"
#include "support/RecordingModifierKeyDelegate.h"

#include <gtest/gtest.h>

#include <QEventLoop>
#include <QProcess>
#include <QTimer>

// Xlib after Qt (its macros clash with Qt's names): another client's keyboard grab.
#include "Infrastructure/X11/X11Connection.h"

using namespace vocena;

namespace {

void runEventLoop(int milliseconds) {
    QEventLoop loop;
    QTimer::singleShot(milliseconds, &loop, &QEventLoop::quit);
    loop.exec();
}

// Runs a program while the event loop goes on (the keys are read as they arrive), then lets
// `settle` milliseconds pass for what is still scheduled.
void run(const QString& program, const QString& arguments, int settle = 600) {
    QProcess process;
    QEventLoop loop;
    QObject::connect(&process, &QProcess::finished, &loop, &QEventLoop::quit);
    process.start(program, arguments.split(QLatin1Char(' ')));
    ASSERT_TRUE(process.waitForStarted()) << program.toStdString();
    QTimer::singleShot(20000, &loop, &QEventLoop::quit);
    if (process.state() != QProcess::NotRunning) loop.exec();
    ASSERT_EQ(process.exitStatus(), QProcess::NormalExit);
    ASSERT_EQ(process.exitCode(), 0) << process.readAllStandardError().toStdString();
    runEventLoop(settle);
}

void xdotool(const QString& arguments, int settle = 600) { run(QStringLiteral("xdotool"), arguments, settle); }

QString describe(ModifierFlags flags) {
    QStringList keys;
    if (flags & ModifierFlag::option) keys << QStringLiteral("option");
    if (flags & ModifierFlag::control) keys << QStringLiteral("control");
    if (flags & ModifierFlag::command) keys << QStringLiteral("command");
    if (flags & ModifierFlag::shift) keys << QStringLiteral("shift");
    return keys.isEmpty() ? QStringLiteral("-") : keys.join(QLatin1Char('+'));
}

class X11ModifierFlagSourceTest : public ::testing::Test {
protected:
    X11ModifierFlagSource source;
    QStringList seen;

    void SetUp() override { ASSERT_TRUE(source.start([this](ModifierFlags flags) { seen << describe(flags); })); }
};

TEST_F(X11ModifierFlagSourceTest, ReportsEachModifierKeyChangeOnce) {
    // xdotool sends two releases per modifier key, and presses a right-hand modifier together
    // with the left one: each key counts once. Other keys are not reported.
    xdotool(QStringLiteral("keydown Alt_L keydown Super_L keyup Super_L keydown a keyup a keyup Alt_L "
                           "keydown Control_R keydown Shift_L keydown Alt_R keyup Shift_L keyup Alt_R keyup Control_R"),
            100);
    EXPECT_EQ(seen, QStringList({"option", "option+command", "option", "-",          //
                                 "control", "control", "control+shift",              // Control_L, _R, Shift_L
                                 "option+control+shift", "option+control+shift",     // Alt_L, _R
                                 "option+control", "option+control", "control",      // Shift_L, Alt_L, _R up
                                 "control", "-"}));

    // Stopped, it reports nothing; started again, it starts from no keys held.
    source.stop();
    seen.clear();
    xdotool(QStringLiteral("keydown Shift_R"), 100);
    ASSERT_TRUE(source.start([this](ModifierFlags flags) { seen << describe(flags); }));
    xdotool(QStringLiteral("keyup Shift_R keydown Super_R keyup Super_R"), 100);
    EXPECT_EQ(seen, QStringList({"command", "command", "command", "-"}));

    // The handler may stop the source.
    source.stop();
    seen.clear();
    ASSERT_TRUE(source.start([this](ModifierFlags flags) {
        seen << describe(flags);
        source.stop();
    }));
    xdotool(QStringLiteral("keydown Alt_L keyup Alt_L keydown Super_L keyup Super_L"), 100);
    EXPECT_EQ(seen, QStringList{"option"});
}

TEST_F(X11ModifierFlagSourceTest, FollowsTheKeyboardMapping) {
    // Left Alt and left Control swap places: xdotool presses the key now labelled Alt_L.
    run(QStringLiteral("setxkbmap"), QStringLiteral("-option ctrl:swap_lalt_lctl"), 200);
    xdotool(QStringLiteral("keydown Alt_L keyup Alt_L keydown Control_L keyup Control_L"), 100);
    run(QStringLiteral("setxkbmap"), QStringLiteral("-option"), 200);
    EXPECT_EQ(seen, QStringList({"option", "-", "control", "-"}));
}

class X11ModifierKeyMonitorTest : public ::testing::Test {
protected:
    X11ModifierKeyMonitorTest() {
        monitor.setFlagSource(std::make_unique<X11ModifierFlagSource>());
        monitor.delegate = &delegate;
        monitor.startMonitoring();
    }

    // The gesture names without their times.
    QStringList gestures() const {
        QStringList names;
        for (const QString& gesture : delegate.gestures) names << gesture.section(QLatin1Char('@'), 0, 0);
        return names;
    }

    test::LogCapture log;
    test::RecordingModifierKeyDelegate delegate{Clock::system(), Clock::system().now()};
    ModifierKeyMonitor monitor{Clock::system(), Scheduler::main()};
};

TEST_F(X11ModifierKeyMonitorTest, DoubleTapOfAltAnywhere) {
    ASSERT_TRUE(monitor.isMonitoring());
    xdotool(QStringLiteral("keydown Alt_L keyup Alt_L keydown Alt_L keyup Alt_L"));
    EXPECT_EQ(gestures(), QStringList{QStringLiteral("doubleTap")});

    // Too slow, and Alt pressed with Super held: no tap.
    xdotool(QStringLiteral("keydown Alt_L keyup Alt_L sleep 0.9 keydown Alt_L keyup Alt_L"));
    xdotool(QStringLiteral("keydown Super_L keydown Alt_L keyup Alt_L keyup Super_L"));
    EXPECT_EQ(gestures(), QStringList{QStringLiteral("doubleTap")});
    EXPECT_TRUE(log.contains(QStringLiteral("⊘ Option+Command 同时按下")));

    // Another client grabs the keyboard (an open menu, a full-screen game): the keys still arrive.
    X11Connection other;
    ASSERT_EQ(XGrabKeyboard(other.display(), DefaultRootWindow(other.display()), False, GrabModeAsync, GrabModeAsync,
                            CurrentTime),
              GrabSuccess);
    xdotool(QStringLiteral("keydown Alt_R keyup Alt_R keydown Alt_R keyup Alt_R"));
    EXPECT_EQ(gestures(), QStringList({"doubleTap", "doubleTap"}));
}

TEST_F(X11ModifierKeyMonitorTest, AltControlHeldSwitchesTheModeWithoutAnotherEvent) {
    xdotool(QStringLiteral("keydown Alt_L keydown Control_L sleep 1 keyup Control_L keyup Alt_L"), 100);
    EXPECT_EQ(gestures(), QStringList{QStringLiteral("combo(option,control)")});
    // Fired while both keys were held: between the event that showed them together and the
    // release of Control, nothing but the trigger.
    const QStringList lines = log.lines();
    const int together = lines.indexOf(QStringLiteral("[ModifierKeyMonitor] handleFlagsChanged: option=true, control=true, command=false"));
    ASSERT_GE(together, 0);
    EXPECT_EQ(lines.value(together + 2), QStringLiteral("[ModifierKeyMonitor] 组合键触发: Option+Control"));
    EXPECT_EQ(lines.value(together + 3), QStringLiteral("[ModifierKeyMonitor] handleFlagsChanged: option=true, control=false, command=false"));
}

}  // namespace
