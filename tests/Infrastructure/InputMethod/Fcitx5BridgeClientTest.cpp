// The fcitx5 bridge's client against a fake fcitx5 on a private bus: finding the bridge, text
// committed or handed to the X11 path, the keys of the commands, and the key signals as the
// source of the modifier-key monitor.
#include "Infrastructure/Hotkey/ModifierKeyMonitor.h"
#include "Infrastructure/InputMethod/Fcitx5Bridge.h"
#include "Infrastructure/InputMethod/Fcitx5ModifierFlagSource.h"
#include "Infrastructure/InputMethod/Fcitx5TextInjector.h"
#include "support/AsyncTest.h"
#include "support/FakeFcitx5Bridge.h"
#include "support/LogCapture.h"
#include "support/ManualScheduler.h"
#include "support/PrivateBus.h"
#include "support/RecordingModifierKeyDelegate.h"
#include "support/RecordingTextInjector.h"
#include "support/WaitUntil.h"

#include <gtest/gtest.h>

#include <QFile>

using namespace vocena;
using namespace vocena::test;

namespace {

constexpr uint altL = 0xffe9, altR = 0xffea, controlR = 0xffe4, levelThree = 0xfe03;

class Fcitx5BridgeTest : public ::testing::Test {
protected:
    Fcitx5BridgeTest() { EXPECT_FALSE(bus.address().isEmpty()); }
    ~Fcitx5BridgeTest() override {
        delete bridge;
        QDBusConnection::disconnectFromBus(QStringLiteral("client"));
    }

    // Whether the bus was ever asked to start fcitx5 (its activation runs `touch`).
    bool fcitx5Activated() const { return QFile::exists(marker()); }
    QString marker() const { return markerDir.filePath(QStringLiteral("activated")); }

    Fcitx5Bridge::Availability availability() { return *await(bridge->checkAvailability()).value; }

    // Sends one modifier key and waits until the client has it (each kind of key is counted
    // apart: a wait for one must not end on the arrival of the other).
    void key(uint keysym, bool pressed) {
        const int before = received;
        fake.sendModifierKey(keysym, pressed);
        ASSERT_TRUE(waitUntil([&] { return received > before; }));
    }
    void otherKey() {
        const int before = others;
        fake.sendOtherKey();
        ASSERT_TRUE(waitUntil([&] { return others > before; }));
    }
    void focusChange() {
        const int before = focusChanges;
        fake.sendFocusChanged();
        ASSERT_TRUE(waitUntil([&] { return focusChanges > before; }));
    }

    QTemporaryDir markerDir;
    PrivateBus bus{{{QStringLiteral("org.fcitx.Fcitx5"), QStringLiteral("/usr/bin/touch ") + marker()}}};
    FakeFcitx5Bridge fake{bus.address()};
    Fcitx5Bridge* bridge = new Fcitx5Bridge(QDBusConnection::connectToBus(QString::fromUtf8(bus.address()), QStringLiteral("client")));
    int others = 0;
    int focusChanges = 0;
    int received = counting();
    LogCapture log;

private:
    int counting() {
        QObject::connect(bridge, &Fcitx5Bridge::modifierKey, [this] { ++received; });
        QObject::connect(bridge, &Fcitx5Bridge::otherKey, [this] { ++others; });
        QObject::connect(bridge, &Fcitx5Bridge::focusChanged, [this] { ++focusChanges; });
        return 0;
    }
};

}  // namespace

TEST_F(Fcitx5BridgeTest, AvailableOnlyWhenFcitx5RunsWithTheBridgeOfThisVersionAndNeverStartedByTheCheck) {
    Fcitx5Bridge::Availability result = availability();
    EXPECT_FALSE(result.available);
    EXPECT_EQ(result.detail, QStringLiteral("fcitx5 没有运行"));

    ASSERT_TRUE(fake.start(false));
    result = availability();
    EXPECT_FALSE(result.available);
    EXPECT_TRUE(result.detail.startsWith(QStringLiteral("fcitx5 正在运行，但没有加载澄言的桥接插件"))) << result.detail.toStdString();
    fake.stop();

    ASSERT_TRUE(fake.start());
    fake.version = 2;
    result = availability();
    EXPECT_FALSE(result.available);
    EXPECT_EQ(result.detail, QStringLiteral("桥接插件的版本 2 与本程序（版本 1）不符"));
    fake.version = 1;
    result = availability();
    EXPECT_TRUE(result.available);
    EXPECT_EQ(result.detail, QStringLiteral("fcitx5 正在运行，桥接插件版本 1"));
    EXPECT_FALSE(fcitx5Activated());

    Fcitx5Bridge busless(QDBusConnection(QStringLiteral("no such connection")));
    EXPECT_EQ(await(busless.checkAvailability()).value->detail, QStringLiteral("没有 D-Bus 会话总线"));
}

TEST_F(Fcitx5BridgeTest, TextIsCommittedOrWithoutAFocusedFieldHandedToTheX11PathAndLogged) {
    ASSERT_TRUE(fake.start());
    RecordingTextInjector x11;
    Fcitx5TextInjector injector(*bridge, &x11);

    ASSERT_TRUE(await(injector.injectText(QStringLiteral("今天天气很好，我们去公园吧！"), TextInjectionMode::automatic)).ok());
    EXPECT_EQ(fake.committed, QStringList{QStringLiteral("今天天气很好，我们去公园吧！")});
    EXPECT_TRUE(x11.typed.isEmpty());
    EXPECT_TRUE(log.contains(QStringLiteral("输入法提交完成: 14 个字符 → fake-editor"))) << log.lines().join('\n').toStdString();

    fake.focused = false;
    ASSERT_TRUE(await(injector.injectText(QStringLiteral("第二句"), TextInjectionMode::automatic)).ok());
    EXPECT_EQ(x11.typed, QStringList{QStringLiteral("第二句")});
    EXPECT_TRUE(log.contains(QStringLiteral("输入法提交失败（没有获得焦点的输入框），改用其他输入方式")));

    // fcitx5 quits: the call fails (and does not start another fcitx5), the X11 path types.
    fake.stop();
    ASSERT_TRUE(await(injector.injectText(QStringLiteral("第三句"), TextInjectionMode::automatic)).ok());
    EXPECT_EQ(x11.typed.size(), 2);
    EXPECT_FALSE(fcitx5Activated());

    // Without an X11 path the failure is reported, not passed over.
    Fcitx5TextInjector alone(*bridge, nullptr);
    EXPECT_EQ(await(alone.injectText(QStringLiteral("第四句"), TextInjectionMode::automatic)).error, QStringLiteral("按键模拟失败"));
    EXPECT_EQ(await(alone.injectText(QString(), TextInjectionMode::automatic)).error, QStringLiteral("文本为空"));
}

TEST_F(Fcitx5BridgeTest, BackspacesAndUndoAreForwardedOrWithoutAFocusedFieldSentByTheX11Path) {
    ASSERT_TRUE(fake.start());
    struct Case {
        bool focused;
        std::function<QCoro::Task<void>(TextInjector&)> command;
        QStringList forwarded;
        QStringList x11Events;
    };
    const Case cases[] = {
        {true, [](TextInjector& i) { return i.deleteLastCharacters(3); }, {"ff08/0", "ff08/0", "ff08/0"}, {}},
        {true, [](TextInjector& i) { return i.undo(); }, {"7a/4"}, {}},
        {false, [](TextInjector& i) { return i.deleteLastCharacters(2); }, {}, {"backspace×2"}},
        {false, [](TextInjector& i) { return i.undo(); }, {}, {"undo"}},
    };
    for (const Case& c : cases) {
        fake.forwarded.clear();
        fake.focused = c.focused;
        RecordingTextInjector x11;
        Fcitx5TextInjector injector(*bridge, &x11);
        ASSERT_TRUE(await(c.command(injector)).ok());
        EXPECT_EQ(fake.forwarded, c.forwarded);
        EXPECT_EQ(x11.events, c.x11Events);
    }
}

TEST_F(Fcitx5BridgeTest, KeySignalsBecomeModifierEventsWithRepeatsUnfollowedAndStaleKeysLeftOut) {
    ManualClock clock;
    Fcitx5ModifierFlagSource source(*bridge, clock);
    QList<ModifierEvent> events;
    ASSERT_TRUE(source.start([&](const ModifierEvent& event) { events << event; }));
    ASSERT_TRUE(fake.start());

    using Kind = ModifierEvent::Kind;
    key(altL, true);
    key(altL, true);        // auto-repeat
    key(levelThree, true);  // AltGr is not followed
    otherKey();
    key(controlR, true);
    key(altL, false);
    key(altR, false);  // never went down
    key(controlR, false);
    // Control released where the bridge could not see it: a later Alt is Alt alone.
    key(controlR, true);
    clock.advance(10.1);
    key(altL, true);
    const QList<ModifierEvent> expected{
        {Kind::modifiersChanged, ModifierFlag::option},
        {Kind::otherKeyPressed, ModifierFlag::option},
        {Kind::modifiersChanged, ModifierFlag::option | ModifierFlag::control},
        {Kind::modifiersChanged, ModifierFlag::control},
        {Kind::modifiersChanged, {}},
        {Kind::modifiersChanged, ModifierFlag::control},
        {Kind::modifiersChanged, ModifierFlag::option},
    };
    EXPECT_EQ(events, expected);

    source.stop();
    key(altL, false);
    EXPECT_EQ(events.size(), expected.size());
    delete bridge;
    bridge = nullptr;
    EXPECT_FALSE(source.start([](const ModifierEvent&) {}));
}

TEST_F(Fcitx5BridgeTest, TheMonitorFindsADoubleTapOfAltInTheBridgesKeysButNotInAltTab) {
    ASSERT_TRUE(fake.start());
    ManualClock clock;
    ManualScheduler scheduler{clock};
    RecordingModifierKeyDelegate delegate{clock, clock.now()};
    ModifierKeyMonitor monitor{clock, scheduler};
    monitor.setFlagSource(std::make_unique<Fcitx5ModifierFlagSource>(*bridge));
    monitor.delegate = &delegate;
    monitor.startMonitoring();

    const auto tap = [&](bool withTab) {
        key(altL, true);
        if (withTab) otherKey();
        clock.advance(0.05);
        key(altL, false);
        clock.advance(0.2);
    };
    tap(true);
    tap(true);
    clock.advance(1);
    EXPECT_TRUE(delegate.gestures.isEmpty());
    tap(false);
    tap(false);
    clock.advance(1);
    EXPECT_EQ(delegate.gestures, QStringList{QStringLiteral("doubleTap@1870")});

    // Alt+Tab to a window without an input context: the release of Alt is never seen. The
    // focus change makes the next press a new one, so the double tap right after counts.
    key(altL, true);
    otherKey();
    focusChange();
    clock.advance(1);
    tap(false);
    tap(false);
    clock.advance(1);
    EXPECT_EQ(delegate.gestures.size(), 2) << delegate.gestures.join(' ').toStdString();
    monitor.stopMonitoring();
}
