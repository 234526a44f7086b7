// The tap and combination rules of the modifier-key monitor, in virtual time.
#include "Infrastructure/Hotkey/ModifierKeyMonitor.h"
#include "support/FakeModifierFlagSource.h"
#include "support/LogCapture.h"
#include "support/ManualScheduler.h"
#include "support/RecordingModifierKeyDelegate.h"

#include <gtest/gtest.h>

using namespace vocena;

namespace {

constexpr ModifierFlags none;
constexpr ModifierFlags option = ModifierFlag::option;
constexpr ModifierFlags control = ModifierFlag::control;
constexpr ModifierFlags command = ModifierFlag::command;
constexpr ModifierFlags shift = ModifierFlag::shift;

class ModifierKeyMonitorTest : public ::testing::Test {
protected:
    ModifierKeyMonitorTest() {
        auto fake = std::make_unique<test::FakeModifierFlagSource>();
        source = fake.get();
        monitor.setFlagSource(std::move(fake));
        monitor.delegate = &delegate;
        monitor.startMonitoring();
    }

    // The keys now held, then `seconds` pass.
    void hold(ModifierFlags flags, double seconds = 0.05) {
        source->hold(flags);
        clock.advance(seconds);
    }
    void tap(double seconds = 0.1) {
        hold(option);
        hold(none, seconds);
    }
    int logged(const char* line) const { return log.lines().count(QStringLiteral("[ModifierKeyMonitor] ") + QString::fromUtf8(line)); }

    test::LogCapture log;
    test::ManualClock clock;
    test::ManualScheduler scheduler{clock};
    test::RecordingModifierKeyDelegate delegate{clock, clock.now()};
    ModifierKeyMonitor monitor{clock, scheduler};
    test::FakeModifierFlagSource* source = nullptr;
};

TEST_F(ModifierKeyMonitorTest, DoubleTapIsConfirmedAfterTheWaitAndCountsPressesOnly) {
    tap(0.25);           // presses at 0 and 300 ms
    hold(option, 0.05);
    hold(none, 0.06);    // released while the confirmation waits
    EXPECT_TRUE(delegate.gestures.isEmpty());
    clock.advance(0.5);
    EXPECT_EQ(delegate.gestures, QStringList{"doubleTap@420"});
    for (const char* line : {"handleFlagsChanged: option=true, control=false, command=false", "option=true, control=false",
                             "Option 第一次按下，等待 500ms 内第二次按下", "双击 Option 延迟确认中（等待 120ms 排除组合键）",
                             "双击 Option 检测到，触发录音"})
        EXPECT_GE(logged(line), 1) << line;

    // A third quick press starts a new first tap; the fourth completes it.
    tap(0.1);
    tap(0.2);
    EXPECT_EQ(delegate.gestures, QStringList({"doubleTap@420", "doubleTap@1180"}));
}

TEST_F(ModifierKeyMonitorTest, ASecondPressHalfASecondLaterStartsOver) {
    tap(0.55);  // presses at 0, 600 and 1200 ms
    tap(0.55);
    tap(0.45);
    tap(0.25);     // at 1700, exactly 0.5 s later: too late as well, so a first tap
    hold(option);  // at 2000
    clock.advance(1);
    EXPECT_EQ(delegate.gestures, QStringList{"doubleTap@2120"});
}

TEST_F(ModifierKeyMonitorTest, OptionWithCommandOrControlIsNeverATap) {
    // Command held while Option goes down: rejected at once, and the first tap is forgotten.
    tap(0.05);
    hold(command);
    hold(command | option);
    EXPECT_EQ(logged("⊘ Option+Command 同时按下，跳过录音触发，让系统快捷键处理"), 1);
    hold(none);
    tap(1);  // 0.25 s after the first tap, but that one is gone

    // Control within the wait after the second press cancels the confirmation.
    tap(0.05);
    hold(option, 0.1);
    hold(option | control, 0.1);
    hold(none, 1);

    // Option held and Control added: the first tap is discarded.
    hold(option);
    hold(option | control);
    hold(option);
    hold(none);
    tap(1);
    EXPECT_TRUE(delegate.gestures.isEmpty());
}

TEST_F(ModifierKeyMonitorTest, OptionControlHeldSwitchesOnceWithoutFurtherEvents) {
    hold(option, 0.1);
    hold(option | control, 0.299);
    EXPECT_TRUE(delegate.gestures.isEmpty());
    clock.advance(0.001);
    EXPECT_EQ(delegate.gestures, QStringList{"combo(option,control)@400"});
    EXPECT_EQ(logged("组合键触发: Option+Control"), 1);

    // Shift on top and a long hold fire nothing more; releasing Control ends the combination.
    hold(option | control | shift, 0.5);
    hold(option | control, 1);
    EXPECT_EQ(logged("组合键释放"), 0);
    hold(option, 0.1);
    EXPECT_EQ(logged("组合键释放"), 1);

    // Control again re-arms it; Shift pressed in between does not restart the hold.
    hold(option | control, 0.2);
    hold(option | control | shift, 0.1);
    EXPECT_EQ(delegate.gestures, QStringList({"combo(option,control)@400", "combo(option,control)@2300"}));

    // Released early, or with Command: nothing.
    hold(none, 1);
    hold(option | control, 0.25);
    hold(option, 0.25);
    hold(option | control | command, 1);
    hold(none, 1);
    EXPECT_EQ(delegate.gestures.size(), 2);
    EXPECT_EQ(scheduler.pendingCount(), 0);
}

TEST_F(ModifierKeyMonitorTest, StartsOnceAndStoppingForgetsTheTapState) {
    monitor.startMonitoring();
    EXPECT_EQ(source->starts, 1);
    for (const char* line : {"正在启动全局监听...", "globalMonitor = 已创建", "localMonitor = 已创建", "修饰键监听已启动"})
        EXPECT_EQ(logged(line), 1) << line;

    // Neither a pending confirmation nor a first tap survives a stop.
    tap(0.1);
    hold(option);
    monitor.stopMonitoring();
    EXPECT_FALSE(source->isRunning());
    EXPECT_EQ(logged("修饰键监听已停止"), 1);
    monitor.startMonitoring();
    EXPECT_EQ(source->starts, 2);
    hold(none);
    tap(0.1);
    monitor.stopMonitoring();
    monitor.startMonitoring();
    tap(1);

    // A source that cannot start is tried again at the next start.
    monitor.stopMonitoring();
    source->available = false;
    monitor.startMonitoring();
    EXPECT_FALSE(monitor.isMonitoring());
    EXPECT_EQ(logged("globalMonitor = nil"), 1);
    source->available = true;
    monitor.startMonitoring();
    EXPECT_TRUE(monitor.isMonitoring());

    // A monitor that goes away takes its pending confirmation with it.
    {
        ModifierKeyMonitor shortLived{clock, scheduler};
        auto fake = std::make_unique<test::FakeModifierFlagSource>();
        test::FakeModifierFlagSource* keys = fake.get();
        shortLived.setFlagSource(std::move(fake));
        shortLived.delegate = &delegate;
        shortLived.startMonitoring();
        for (ModifierFlags flags : {option, none, option}) keys->hold(flags);
    }
    clock.advance(1);
    EXPECT_TRUE(delegate.gestures.isEmpty());
}

}  // namespace
