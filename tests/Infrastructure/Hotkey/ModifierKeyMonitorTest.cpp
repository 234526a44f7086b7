// The tap and combination rules of the modifier-key monitor, in virtual time; of several
// sources of the same keys, the one that started is the one stopped.
#include "Infrastructure/Hotkey/FirstAvailableModifierFlagSource.h"
#include "Infrastructure/Hotkey/ModifierKeyMonitor.h"
#include "support/FakeModifierFlagSource.h"
#include "support/LogCapture.h"
#include "support/ManualScheduler.h"
#include "support/RecordingModifierKeyDelegate.h"

#include <gtest/gtest.h>

using namespace vocena;

namespace {

constexpr ModifierFlags option = ModifierFlag::option;
constexpr ModifierFlags none;
using FakeSource = test::FakeModifierFlagSource;

class ModifierKeyMonitorTest : public ::testing::Test {
protected:
    ModifierKeyMonitorTest() {
        auto fake = std::make_unique<FakeSource>();
        source = fake.get();
        monitor.setFlagSource(std::move(fake));
        monitor.delegate = &delegate;
        monitor.startMonitoring();
    }

    // Plays a script of space-separated steps, then lets a second pass:
    //   "-", "alt", "ctrl+alt+shift", "super+alt"  the modifiers now held
    //   "key"                                        another key goes down (Tab, a letter)
    //   "click"                                      a pointer button goes down
    //   "restart"                                    the monitor is stopped and started again
    //   a number                                     that many milliseconds pass
    void play(const char* script) {
        for (const QString& step : QString::fromLatin1(script).split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
            bool isNumber = false;
            const int milliseconds = step.toInt(&isNumber);
            if (isNumber) clock.advance(milliseconds / 1000.0);
            else if (step == QLatin1String("key")) source->pressOtherKey();
            else if (step == QLatin1String("click")) source->pressButton();
            else if (step == QLatin1String("restart")) {
                monitor.stopMonitoring();
                monitor.startMonitoring();
            }
            else source->hold(flagsNamed(step));
        }
        clock.advance(1);
    }
    static ModifierFlags flagsNamed(const QString& names) {
        static const QHash<QString, ModifierFlags> flags{{"-", none}, {"alt", option}, {"ctrl", ModifierFlag::control},
                                                         {"super", ModifierFlag::command}, {"shift", ModifierFlag::shift}};
        ModifierFlags held;
        for (const QString& name : names.split(QLatin1Char('+'))) {
            EXPECT_TRUE(flags.contains(name)) << "unknown step " << name.toStdString();
            held |= flags.value(name);
        }
        return held;
    }

    test::LogCapture log;
    test::ManualClock clock;
    test::ManualScheduler scheduler{clock};
    test::RecordingModifierKeyDelegate delegate{clock, clock.now()};
    ModifierKeyMonitor monitor{clock, scheduler};
    FakeSource* source = nullptr;
};

TEST_F(ModifierKeyMonitorTest, ScriptsOfKeysGiveTheirGesturesAndTypingIsNeverLogged) {
    // Typing after a tap is never logged.
    play("alt 50 -");
    const int lines = log.lines().size();
    play("key key click key");
    EXPECT_EQ(log.lines().mid(lines), QStringList{});

    const struct {
        const char* name;
        const char* script;
        QStringList gestures;  // with the milliseconds since the script began
    } cases[] = {
        // The double tap: presses 0.3 s apart, confirmed 0.12 s after the second; the release
        // in between is not timed.
        {"double tap", "alt 50 - 250 alt 50 - 60", {"doubleTap@420"}},
        {"second press held past the wait: the release confirms", "alt 50 - 50 alt 300 -", {"doubleTap@400"}},
        {"a third quick press starts over, the fourth completes it", "alt 50 - 50 alt 50 - 50 alt 50 - 50 alt 50 -",
         {"doubleTap@250", "doubleTap@420"}},
        {"0.5 s or more between presses is too slow", "alt 50 - 550 alt 50 - 550 alt 50 - 450 alt 50 - 250 alt 50 -",
         {"doubleTap@2120"}},

        // Alt belongs to something else. (Alt+Tab twice: Fcitx5EndToEndTest.)
        {"a key between the taps", "alt 50 - 50 key 50 alt 50 -", {}},
        {"a key while the second press is held past the wait", "alt 50 - 50 alt 200 key 50 -", {}},
        {"a click with the first press held", "alt 20 click 30 - 50 alt 50 -", {}},
        {"a click with the second press held", "alt 50 - 50 alt 50 click 50 -", {}},
        {"a click with Alt up in between is not Alt's", "alt 50 - 20 click 30 alt 50 -", {"doubleTap@220"}},
        {"Alt+Shift twice (a layout switch)", "alt 30 alt+shift 50 - 100 alt 30 alt+shift 50 -", {}},
        {"Super added to the second press", "alt 50 - 50 alt 50 alt+super 50 -", {}},
        {"Shift+Alt twice (the layout switch, Shift first)", "shift 30 shift+alt 50 - 100 shift 30 shift+alt 50 -", {}},
        {"Super held at the second press, and the first tap is forgotten", "alt 50 - 50 super 50 super+alt 50 - 50 alt 50 -", {}},
        {"Control within the wait", "alt 50 - 50 alt 100 alt+ctrl 100 -", {}},

        // The mode switch: Alt+Control held 0.3 s, once until released, also without
        // another event; Shift on top neither fires it again nor restarts the hold.
        {"Alt+Control held", "alt 100 alt+ctrl 500 alt+ctrl+shift 500 alt+ctrl 1000 alt 100 alt+ctrl 200 alt+ctrl+shift 200 -",
         {"combo(option,control)@400", "combo(option,control)@2500"}},
        {"Alt+Control released early, or with Super", "alt+ctrl 250 alt 250 alt+ctrl+super 1000 -", {}},
        {"Control+Alt+T, and the pair again afterwards", "ctrl 50 ctrl+alt 100 key 500 ctrl+alt+shift 500 - 50 ctrl+alt 400 -",
         {"combo(option,control)@1500"}},
        {"Control let go first after Control+Alt: the Alt still held is no first tap", "ctrl+alt 100 alt 50 - 100 alt 50 -", {}},

        // A stop forgets the first tap and a pending confirmation.
        {"stopped after the first tap", "alt - restart alt -", {}},
        {"stopped while confirming", "alt - alt 50 restart -", {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        test::RecordingModifierKeyDelegate recorder{clock, clock.now()};
        monitor.delegate = &recorder;
        play(c.script);
        EXPECT_EQ(recorder.gestures, c.gestures);
        EXPECT_EQ(scheduler.pendingCount(), 0);
    }
}

// (A second start of a running monitor starting its source again: AppDelegateTest.)
TEST_F(ModifierKeyMonitorTest, RetriesASourceThatCouldNotStart) {
    // A source that cannot start is tried again at the next start.
    monitor.stopMonitoring();
    EXPECT_FALSE(source->isRunning());
    source->available = false;
    monitor.startMonitoring();
    EXPECT_FALSE(monitor.isMonitoring());
    source->available = true;
    monitor.startMonitoring();
    EXPECT_TRUE(monitor.isMonitoring());
}

// Of two sources the one that started is the one a stop stops, and with neither there is no
// start. (Only the first that can start running, its keys arriving once: Fcitx5EndToEndTest.)
TEST(FirstAvailableModifierFlagSourceTest, TheSourceThatStartedIsTheOneStopped) {
    std::vector<std::unique_ptr<ModifierFlagSource>> sources;
    FakeSource* fakes[2];
    for (FakeSource*& fake : fakes) fake = static_cast<FakeSource*>(sources.emplace_back(std::make_unique<FakeSource>()).get());
    fakes[0]->available = false;
    FirstAvailableModifierFlagSource combined(std::move(sources));
    ASSERT_TRUE(combined.start([](const ModifierEvent&) {}));
    EXPECT_TRUE(fakes[1]->isRunning());
    combined.stop();
    EXPECT_FALSE(fakes[1]->isRunning());
    fakes[1]->available = false;
    EXPECT_FALSE(combined.start([](const ModifierEvent&) {}));
}

}  // namespace
