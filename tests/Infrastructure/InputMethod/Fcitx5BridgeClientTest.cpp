// The fcitx5 bridge's client against a fake fcitx5 on a private bus: finding the bridge, text
// committed or handed to the X11 path, the keys of the commands, and the key signals as a
// source of modifier events. The same client against the real addon is in Fcitx5BridgeTest.
#include "Infrastructure/InputMethod/Fcitx5Bridge.h"
#include "Infrastructure/InputMethod/Fcitx5ModifierFlagSource.h"
#include "Infrastructure/InputMethod/Fcitx5TextInjector.h"
#include "support/AsyncTest.h"
#include "support/FakeFcitx5Bridge.h"
#include "support/LogCapture.h"
#include "support/ManualClock.h"
#include "support/PrivateBus.h"
#include "support/RecordingTextInjector.h"
#include "support/WaitUntil.h"

#include <gtest/gtest.h>

#include <QFile>

using namespace vocena;
using namespace vocena::test;

namespace {

constexpr uint altL = 0xffe9, altR = 0xffea, controlR = 0xffe4, levelThree = 0xfe03;

class Fcitx5BridgeClientTest : public ::testing::Test {
protected:
    Fcitx5BridgeClientTest() {
        for (auto signal : {&Fcitx5Bridge::otherKey, &Fcitx5Bridge::focusChanged}) QObject::connect(bridge, signal, [this] { ++arrived; });
        QObject::connect(bridge, &Fcitx5Bridge::modifierKey, [this] { ++arrived; });
    }
    ~Fcitx5BridgeClientTest() override {
        delete bridge;
        QDBusConnection::disconnectFromBus(QStringLiteral("client"));
    }

    // Whether the bus was ever asked to start fcitx5 (its activation runs `touch`).
    bool fcitx5Activated() const { return QFile::exists(marker()); }
    QString marker() const { return markerDir.filePath(QStringLiteral("activated")); }
    // "+detail" where the bridge is available, "-detail" where not.
    QString availability() {
        const Fcitx5Bridge::Availability result = *await(bridge->checkAvailability()).value;
        return (result.available ? QStringLiteral("+") : QStringLiteral("-")) + result.detail;
    }
    // Sends one signal of the bridge and waits until the client has it.
    void deliver(const QString& signal, const QVariantList& arguments = {}) {
        const int before = arrived;
        fake.send(signal, arguments);
        ASSERT_TRUE(waitUntil([&] { return arrived > before; }));
    }
    void key(uint keysym, bool pressed) { deliver(QStringLiteral("ModifierKey"), {keysym, pressed}); }

    QTemporaryDir markerDir;
    PrivateBus bus{{{QStringLiteral("org.fcitx.Fcitx5"), QStringLiteral("/usr/bin/touch ") + marker()}}};
    FakeFcitx5Bridge fake{bus.address()};
    Fcitx5Bridge* bridge = new Fcitx5Bridge(QDBusConnection::connectToBus(QString::fromUtf8(bus.address()), QStringLiteral("client")));
    int arrived = 0;
    LogCapture log;
};

}  // namespace

TEST_F(Fcitx5BridgeClientTest, AvailableOnlyWhenFcitx5RunsWithTheBridgeOfThisVersionAndNeverStartedByTheCheck) {
    // (fcitx5 without the bridge: PermissionManagerTest; with the bridge of this version, the
    // real one: Fcitx5BridgeTest.)
    EXPECT_EQ(availability(), QStringLiteral("-fcitx5 没有运行"));
    ASSERT_TRUE(fake.start());
    fake.version = 2;
    EXPECT_EQ(availability(), QStringLiteral("-桥接插件的版本 2 与本程序（版本 1）不符"));
    EXPECT_FALSE(fcitx5Activated());
}

// With a focused field text is committed and logged with the program that took it; without
// one, or once fcitx5 has quit, the X11 path types and presses the keys. (The commits and keys
// in a real field are in Fcitx5EndToEndTest, the X11 path taking the text in TypeCommandTest.)
TEST_F(Fcitx5BridgeClientTest, TextAndKeysGoToTheFocusedFieldOrWithoutOneToTheX11PathAndAreLogged) {
    ASSERT_TRUE(fake.start());
    RecordingTextInjector x11;
    Fcitx5TextInjector injector(*bridge, &x11);
    const auto inject = [](TextInjector& injector, const QString& text) { return await(injector.injectText(text, TextInjectionMode::automatic)); };
    ASSERT_TRUE(inject(injector, QStringLiteral("今天天气很好，我们去公园吧！")).ok());
    EXPECT_TRUE(log.contains(QStringLiteral("输入法提交完成: 14 个字符 → fake-editor"))) << log.lines().join('\n').toStdString();

    fake.focused = false;
    EXPECT_TRUE(await(injector.deleteLastCharacters(3)).ok());
    EXPECT_TRUE(await(injector.undo()).ok());
    EXPECT_EQ(x11.events, (QStringList{"backspace×3", "undo"}));

    // fcitx5 quits: the call fails (and does not start another fcitx5), the X11 path types.
    fake.stop();
    ASSERT_TRUE(inject(injector, QStringLiteral("第三句")).ok());
    EXPECT_EQ(x11.typed, QStringList{QStringLiteral("第三句")});
    EXPECT_FALSE(fcitx5Activated());
}

// Repeats are not followed, nor keys that are no modifiers of the monitor; a key held longer
// than a press lasts is forgotten, and one held across a change of focus (its release went
// where the bridge could not see it) pressed again is a new press.
TEST_F(Fcitx5BridgeClientTest, KeySignalsBecomeModifierEventsWithRepeatsUnfollowedAndStaleKeysLeftOut) {
    ManualClock clock;
    Fcitx5ModifierFlagSource source(*bridge, clock);
    QList<ModifierEvent> events;
    ASSERT_TRUE(source.start([&](const ModifierEvent& event) { events << event; }));
    ASSERT_TRUE(fake.start());

    using Kind = ModifierEvent::Kind;
    key(altL, true);
    key(altL, true);        // auto-repeat
    key(levelThree, true);  // AltGr is not followed (other keys: Fcitx5EndToEndTest)
    key(controlR, true);
    key(altL, false);
    key(altR, false);  // never went down
    key(controlR, false);
    key(controlR, true);
    clock.advance(10.1);
    key(altL, true);
    deliver(QStringLiteral("FocusChanged"));
    key(altL, true);
    const QList<ModifierEvent> expected{
        {Kind::modifiersChanged, ModifierFlag::option},
        {Kind::modifiersChanged, ModifierFlag::option | ModifierFlag::control},
        {Kind::modifiersChanged, ModifierFlag::control},
        {Kind::modifiersChanged, {}},
        {Kind::modifiersChanged, ModifierFlag::control},
        {Kind::modifiersChanged, ModifierFlag::option},  // Control went stale
        {Kind::modifiersChanged, {}},                    // Alt after the change of focus
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
