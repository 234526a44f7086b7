// `vocena` without arguments as a process in a wlroots session without an X display: the tray
// app on Qt's wayland platform, on a headless sway of the test's own, a private session bus and
// PulseAudio, with the generated speech model. A dictation started and stopped by
// `vocena toggle` ends up in a focused Qt Wayland field of this process (the model's Chinese is
// pasted through data-control), the banner on the overlay layer never takes the focus, and
// the clipboard holds what another application had copied afterwards.
#include "Infrastructure/TextInjection/WaylandKeyEventSink.h"
#include "Infrastructure/Wayland/WaylandConnection.h"
#include "support/AppDriver.h"
#include "support/FocusedTextField.h"
#include "support/HeadlessSway.h"
#include "support/SpeechTestAssets.h"

#include <QGuiApplication>
#include <QWindow>

using namespace vocena;
using namespace vocena::test;

namespace {

class WaylandTrayAppTest : public AppDriver {
protected:
    void SetUp() override {
        VOCENA_REQUIRE_HEADLESS_SWAY();
        // The seat has a keyboard, as on every desktop (the headless backend has no devices).
        static WaylandKeyEventSink seatKeyboard(WaylandConnection::shared());
        ASSERT_TRUE(seatKeyboard.isAvailable());
    }
};

// The field's window is the only one sway manages, and it has the focus.
::testing::AssertionResult fieldAloneAndFocused() {
    const QList<SwayWindow> windows = swayWindows();
    if (windows.size() == 1 && windows.first().focused) return ::testing::AssertionSuccess();
    ::testing::AssertionResult failure = ::testing::AssertionFailure();
    failure << "sway's windows:";
    for (const SwayWindow& window : windows) failure << " \"" << window.name.toStdString() << "\"" << (window.focused ? " (focused)" : "");
    return failure;
}

}  // namespace

TEST_F(WaylandTrayAppTest, ToggleFromTheCommandLinePastesTheSpeechIntoTheFocusedFieldAndKeepsTheClipboard) {
    const QString copied = QStringLiteral("剪贴板里原来的内容");
    copyInAnotherApplication(copied);
    FocusedTextField field(FocusedTextField::Kind::singleLine);
    ASSERT_TRUE(waitUntil([&] { return QGuiApplication::focusWindow() != nullptr; })) << "the field's window never got the focus";
    // Every change of the focus from now on, seen by the field's own client.
    QList<QWindow*> focusChanges;
    QObject::connect(qApp, &QGuiApplication::focusWindowChanged, &field, [&](QWindow* window) { focusChanges << window; });

    ASSERT_NO_FATAL_FAILURE(install(SpeechTestAssets::shared().model(QStringLiteral("good"))));
    ASSERT_NO_FATAL_FAILURE(startApp());  // without DISPLAY: on the test's sway
    ASSERT_TRUE(logShows({"语音模型占用", "文字输入方式: Wayland 虚拟键盘和剪贴板"}));
    EXPECT_TRUE(fieldAloneAndFocused());

    const auto toggle = [this] { ASSERT_TRUE(exits(run({QStringLiteral("toggle")}), 0)); };
    // The banner is up on the overlay layer while it recognizes: still no window of the app.
    const auto stillAlone = [] { EXPECT_TRUE(fieldAloneAndFocused()); };
    const QString done = QStringLiteral("状态: 完成 → 延迟隐藏通知栏");
    ASSERT_NO_FATAL_FAILURE(dictate(SpeechTestAssets::shared().speechWav(), toggle, toggle, done, stillAlone));

    EXPECT_TRUE(waitUntil([&] { return !field.text().isEmpty(); }, 5000)) << log.toStdString();
    EXPECT_EQ(field.shortcuts, QStringList{QStringLiteral("Ctrl+V")});
    EXPECT_TRUE(fieldAloneAndFocused());
    EXPECT_TRUE(focusChanges.isEmpty()) << focusChanges.size() << " focus changes";
    // The paste borrowed the clipboard and gave it back.
    EXPECT_TRUE(waitUntil([&] { return clipboardSeenByOthers() == copied; })) << clipboardSeenByOthers().toStdString();

    EXPECT_TRUE(exits(run({QStringLiteral("quit")}), 0));
    ASSERT_TRUE(ends());
    EXPECT_EQ(clipboardSeenByOthers(), copied);
}
