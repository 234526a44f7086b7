// The XInput2 modifier source on the Xvfb display of scripts/with-xvfb, driven by xdotool: the
// events it reports, whatever the layout and whoever grabs the keyboard.
#include "Infrastructure/Hotkey/X11ModifierFlagSource.h"
#include "support/CliRunner.h"

#include <gtest/gtest.h>

// Xlib after Qt (its macros clash with Qt's names): another client's keyboard grab and
// layout switch.
#include "Infrastructure/X11/X11Connection.h"

#include <X11/XKBlib.h>
#include <X11/extensions/XTest.h>

using namespace vocena;
using namespace vocena::test;

namespace {

// Presses and releases each key code with the keyboard's layout `group` (1 = the first) in
// use, as a layout switch key would leave it (xdotool would put its own group back).
void tapKeyCodes(std::initializer_list<unsigned> keyCodes, unsigned group) {
    X11Connection connection;
    Display* display = connection.display();
    ASSERT_TRUE(XkbLockGroup(display, XkbUseCoreKbd, group - 1));
    for (unsigned keyCode : keyCodes) {
        XTestFakeKeyEvent(display, keyCode, True, CurrentTime);
        XTestFakeKeyEvent(display, keyCode, False, CurrentTime);
    }
    XSync(display, False);
}

// "option+control", "-" for no modifier; "key(option)" for another key, "click(-)" for a button.
QString describe(const ModifierEvent& event) {
    QStringList keys;
    for (const auto& [flag, name] : {std::pair{ModifierFlag::option, "option"}, {ModifierFlag::control, "control"},
                                     {ModifierFlag::command, "command"}, {ModifierFlag::shift, "shift"}})
        if (event.modifiers & flag) keys << QString::fromLatin1(name);
    const QString held = keys.isEmpty() ? QStringLiteral("-") : keys.join(QLatin1Char('+'));
    if (event.kind == ModifierEvent::Kind::otherKeyPressed) return QStringLiteral("key(%1)").arg(held);
    return event.kind == ModifierEvent::Kind::buttonPressed ? QStringLiteral("click(%1)").arg(held) : held;
}

TEST(X11ModifierFlagSourceTest, ReportsModifierChangesOnceAndOtherPressesInAnyLayoutAndUnderAnotherClientsGrab) {
    X11ModifierFlagSource source;
    QStringList seen;
    const auto record = [&](const ModifierEvent& event) { seen << describe(event); };
    ASSERT_TRUE(source.start(record));
    // What was seen once `expected` had time to arrive in full, from the last check on; what is
    // left out comes between reported events, so a wrong extra event shows as a difference.
    const auto expectSeen = [&](const QStringList& expected) {
        waitUntil([&] { return seen.size() >= expected.size(); });
        EXPECT_EQ(seen, expected);
        seen.clear();
    };

    // xdotool sends two releases per modifier key, and presses a right-hand modifier together
    // with the left one: each key counts once. Other keys and buttons count when they go
    // down; AltGr (ISO_Level3_Shift) and other modifiers that are not followed not at all.
    xdotool(QStringLiteral("keydown Alt_L keydown Super_L keyup Super_L keydown a keyup a keyup Alt_L "
                           "keydown Control_R keydown Shift_L keydown Alt_R keyup Shift_L keyup Alt_R keyup Control_R "
                           "key ISO_Level3_Shift key Num_Lock key Num_Lock click 1 keydown Alt_L click 4 keyup Alt_L"));
    expectSeen({"option", "option+command", "option", "key(option)", "-",  //
                "control", "control", "control+shift",                     // Control_L, _R, Shift_L
                "option+control+shift", "option+control+shift",            // Alt_L, _R
                "option+control", "option+control", "control",             // Shift_L, Alt_L, _R up
                "control", "-",                                            //
                "click(-)", "option", "click(option)", "-"});

    // Two layouts, the second (German) making the right Alt key (108) AltGr: it is Alt in the
    // first only; the left Alt, defined for the first only, is Alt in both.
    ASSERT_EQ(runProcess(QStringLiteral("setxkbmap"), {QStringLiteral("-layout"), QStringLiteral("us,de")}).exitCode, 0);
    tapKeyCodes({108}, 1);
    tapKeyCodes({108, 64}, 2);  // 64: the left Alt key
    tapKeyCodes({108}, 1);
    ASSERT_EQ(runProcess(QStringLiteral("setxkbmap"), {QStringLiteral("-layout"), QStringLiteral("us")}).exitCode, 0);
    expectSeen({"option", "-", "option", "-", "option", "-"});

    // Another client grabs the keyboard (an open menu, a full-screen game): the keys still
    // arrive. (The gestures of these keys in real time are in DictationEndToEndTest.)
    {
        X11Connection other;
        ASSERT_EQ(XGrabKeyboard(other.display(), DefaultRootWindow(other.display()), False, GrabModeAsync, GrabModeAsync, CurrentTime),
                  GrabSuccess);
        xdotool(QStringLiteral("keydown Alt_R keyup Alt_R key Tab"));
        expectSeen({"option", "option", "option", "-", "key(-)"});  // xdotool presses the left Alt with the right
    }

    // Stopped, it reports nothing; started again, it starts from no keys held.
    source.stop();
    xdotool(QStringLiteral("keydown Shift_R"));
    ASSERT_TRUE(source.start(record));
    xdotool(QStringLiteral("keyup Shift_R keydown Super_R keyup Super_R"));
    expectSeen({"command", "command", "command", "-"});

    // The handler may stop the source. A second source shows when the rest has arrived.
    source.stop();
    ASSERT_TRUE(source.start([&](const ModifierEvent& event) {
        record(event);
        source.stop();
    }));
    X11ModifierFlagSource probe;
    int probed = 0;
    ASSERT_TRUE(probe.start([&](const ModifierEvent&) { ++probed; }));
    xdotool(QStringLiteral("keydown Alt_L keyup Alt_L keydown Super_L keyup Super_L"));
    EXPECT_TRUE(waitUntil([&] { return probed == 4; }));
    EXPECT_EQ(seen, QStringList{"option"});
}

}  // namespace
