// The built `vocena` in a wlroots session without fcitx5 and without an X display: a headless
// sway of the test's own and a Qt field of this process on it. Short ASCII text arrives through
// the virtual keyboard with the clipboard untouched, Chinese is pasted through data-control
// and the clipboard gets its content back (kept after the command has ended), and the delete
// and undo commands press their keys.
#include "Infrastructure/TextInjection/WaylandKeyEventSink.h"
#include "Infrastructure/Wayland/WaylandConnection.h"
#include "support/AppDriver.h"
#include "support/FocusedTextField.h"
#include "support/HeadlessSway.h"

#include <QGuiApplication>

using namespace vocena;
using test::clipboardSeenByOthers;
using test::copyInAnotherApplication;
using test::FocusedTextField;

namespace {

class WlrootsEndToEndTest : public test::AppDriver {
protected:
    void SetUp() override {
        VOCENA_REQUIRE_HEADLESS_SWAY();
        // The seat has a keyboard, as on every desktop (the headless backend has no devices).
        static WaylandKeyEventSink seatKeyboard(WaylandConnection::shared());
        ASSERT_TRUE(seatKeyboard.isAvailable());
    }
};

TEST_F(WlrootsEndToEndTest, TypesAsciiByKeysFromItsFirstCharacterAndPastesChineseRestoringTheClipboard) {
    const QString copied = QStringLiteral("剪贴板里原来的内容");
    copyInAnotherApplication(copied);
    FocusedTextField field;

    const QString typed = QStringLiteral("Hi there (A+b=3) ~`|\"{}?\tX\nY"), chinese = QStringLiteral("今天天气很好，我们去散步。");
    const QStringList type{QStringLiteral("type")}, inject{QStringLiteral("process"), QStringLiteral("--inject")};
    const struct {
        QStringList args;
        QString input;
        QString expected;     // the field's whole text afterwards
        QStringList shortcuts;
    } steps[] = {
        // Each command is a process of its own with a new virtual keyboard: none loses its first key.
        {type, typed.left(8), typed.left(8), {}},
        {type + QStringList{QStringLiteral("--mode"), QStringLiteral("keystroke")}, typed.mid(8), typed, {}},
        {type, chinese, typed + chinese, {QStringLiteral("Ctrl+V")}},
        {inject, QStringLiteral("删除最后三个字"), typed + chinese.chopped(3), {}},
        {inject, QStringLiteral("撤销"), typed + chinese, {QStringLiteral("Ctrl+Z")}},
    };
    for (const auto& step : steps) {
        SCOPED_TRACE((step.args.join(QLatin1Char(' ')) + QLatin1Char(' ') + step.input).toStdString());
        field.shortcuts.clear();
        EXPECT_TRUE(test::exits(run(step.args, step.input.toUtf8()), 0));
        EXPECT_EQ(field.waitForText(step.expected), step.expected);
        EXPECT_EQ(field.shortcuts, step.shortcuts);
        // Typed or pasted, the clipboard holds what the other application copied, after the
        // command has ended too.
        EXPECT_EQ(clipboardSeenByOthers(), copied);
    }

    EXPECT_TRUE(test::prints(run({QStringLiteral("doctor")}), 1, {"文字输入方式: Wayland 虚拟键盘和剪贴板（自动选择", "提供虚拟键盘和剪贴板控制"}));
}

// A terminal (known by its window's app id, which the compositor tells its taskbars) gets the
// terminal's paste key; where nothing fetches the text, it is left on the clipboard and the
// command says so.
TEST_F(WlrootsEndToEndTest, PastesIntoATerminalWithItsKeyAndLeavesAnUnfetchedTextOnTheClipboard) {
    const QString appId = QGuiApplication::desktopFileName();
    QGuiApplication::setDesktopFileName(QStringLiteral("foot"));  // the app id of windows made from now on
    FocusedTextField terminal;
    QGuiApplication::setDesktopFileName(appId);
    copyInAnotherApplication(QStringLiteral("之前复制的"));

    const QString text = QStringLiteral("终端里的一句话");
    EXPECT_TRUE(test::exits(run({QStringLiteral("type")}, text.toUtf8()), 1, {"文字已复制到剪贴板"}));
    EXPECT_EQ(terminal.shortcuts, QStringList{QStringLiteral("Ctrl+Shift+V")});
    EXPECT_EQ(terminal.text(), QString());  // a Qt field does not paste on that key
    EXPECT_EQ(clipboardSeenByOthers(), text);
}

}  // namespace
