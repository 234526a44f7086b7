// Text injection against real Qt text fields on the Xvfb display of scripts/with-xvfb: XTest
// key events through the active keyboard layout, and pastes through the X11 clipboard.
#include "Infrastructure/TextInjection/QtClipboardBackend.h"
#include "Infrastructure/TextInjection/TextInjectionService.h"
#include "Infrastructure/TextInjection/X11KeyEventSink.h"
#include "Infrastructure/X11/X11QtConnection.h"
#include "support/AsyncTest.h"
#include "support/CliRunner.h"
#include "support/FocusedTextField.h"
#include "support/TestFiles.h"
#include "support/X11Selections.h"

#include <gtest/gtest.h>

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTimer>

#include <xcb/xcb.h>

using namespace vocena;
using namespace vocena::test;

namespace {

const QString chinese = QStringLiteral("今天天气很好");

class X11TextInjectionTest : public ::testing::Test {
protected:
    std::unique_ptr<TextInjectionService> service =
        std::make_unique<TextInjectionService>(std::make_unique<X11KeyEventSink>(), std::make_unique<QtClipboardBackend>());
    FocusedTextField field;

    // Injects `text`, after which the field holds `expected`.
    void expectInjected(const QString& text, TextInjectionMode mode, const QString& expected) {
        const auto outcome = await(service->injectText(text, mode));
        EXPECT_TRUE(outcome.ok()) << outcome.error.toStdString();
        EXPECT_EQ(field.waitForText(expected), expected);
    }
};

// On a German layout y and z swap places, @ { [ ] } \ | ~ need AltGr, ^ and ` are dead keys.
TEST_F(X11TextInjectionTest, TypesEveryKeyCharacterOnTheLayoutInUseAndControlHeldDoesNotMakeShortcuts) {
    const auto restoreLayout = qScopeGuard([] { runProcess(QStringLiteral("setxkbmap"), {QStringLiteral("us")}); });
    const QString layouts[][2] = {
        {QStringLiteral("us"), QStringLiteral("a-b_c!?@#$%^&*()[]{}\\|;:'\",.<>/`~+= 0123456789\tXY\nz")},
        {QStringLiteral("de"), QStringLiteral("yzYZ@{[]}\\|~<>-_!?#'/")},
    };
    for (const auto& [layout, text] : layouts) {
        SCOPED_TRACE(layout.toStdString());
        ASSERT_EQ(runProcess(QStringLiteral("setxkbmap"), {layout}).exitCode, 0);
        field.setText(QString());
        xdotool(QStringLiteral("keydown ctrl"));
        expectInjected(text, TextInjectionMode::keystroke, text);
        EXPECT_TRUE(field.shortcuts.isEmpty()) << field.shortcuts.join(' ').toStdString();
    }
    // A character without a key: skipped when typing, a reason to paste in the automatic mode.
    expectInjected(QStringLiteral("a^b"), TextInjectionMode::keystroke, field.text() + QStringLiteral("ab"));
    expectInjected(QStringLiteral("a^b"), TextInjectionMode::automatic, field.text() + QStringLiteral("a^b"));
    EXPECT_EQ(field.shortcuts, QStringList{QStringLiteral("Ctrl+V")});
}

TEST_F(X11TextInjectionTest, KeepsEveryFormatOfTheClipboardThenDeletesAndUndoes) {
    QClipboard* clipboard = QGuiApplication::clipboard();
    auto* rich = new QMimeData;
    rich->setHtml(QStringLiteral("<b>加粗</b>"));
    rich->setText(QStringLiteral("加粗"));
    clipboard->setMimeData(rich);
    expectInjected(QStringLiteral("hello"), TextInjectionMode::keystroke, QStringLiteral("hello"));
    expectInjected(chinese, TextInjectionMode::pasteboard, QStringLiteral("hello") + chinese);
    EXPECT_EQ(clipboard->mimeData()->html(), QStringLiteral("<b>加粗</b>"));
    EXPECT_EQ(clipboard->text(), QStringLiteral("加粗"));
    ASSERT_TRUE(await(service->undo()).ok());
    EXPECT_EQ(field.waitForText(QStringLiteral("hello")), QStringLiteral("hello"));
    ASSERT_TRUE(await(service->deleteLastCharacters(2)).ok());
    EXPECT_EQ(field.waitForText(QStringLiteral("hel")), QStringLiteral("hel"));
}

// A clipboard manager of sorts reads the clipboard over and over while the paste waits: only a
// read by the focused client (or, with PointerRoot focus, the one under the pointer) counts.
TEST_F(X11TextInjectionTest, ReadsByOtherApplicationsAreNotThePaste) {
    QTemporaryDir dir;
    const QString readings = dir.filePath(QStringLiteral("readings"));
    QProcess reader;
    reader.start(QStringLiteral("sh"), {QStringLiteral("-c"),
                                        QStringLiteral("while :; do xclip -selection clipboard -o >> '%1'; echo >> '%1'; sleep 0.02; done")
                                            .arg(readings)});
    ASSERT_TRUE(reader.waitForStarted());
    const auto stopReader = qScopeGuard([&reader] {
        reader.kill();
        reader.waitForFinished();
    });
    xcb_connection_t* x = X11QtConnection::connection();
    ASSERT_TRUE(x);
    const auto focusField = qScopeGuard([&] {
        xcb_set_input_focus(x, XCB_INPUT_FOCUS_POINTER_ROOT, xcb_window_t(field.windowId()), XCB_CURRENT_TIME);
        xcb_flush(x);
    });
    const struct {
        const char* name;
        bool targetFetches, focusFollowsPointer;  // the latter: PointerRoot focus, the pointer over the field
    } cases[] = {
        {"the focused field pastes", true, false},
        {"the focused field ignores the key", false, false},
        {"the field under the pointer ignores the key", false, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.focusFollowsPointer) {
            xcb_warp_pointer(x, XCB_NONE, xcb_window_t(field.windowId()), 0, 0, 0, 0, 5, 5);
            xcb_set_input_focus(x, XCB_INPUT_FOCUS_POINTER_ROOT, XCB_INPUT_FOCUS_POINTER_ROOT, XCB_CURRENT_TIME);
            xcb_flush(x);
        }
        field.setText(QString());
        field.shortcuts.clear();
        field.ignorePaste = !c.targetFetches;
        setSelectionInAnotherApplication(QStringLiteral("before"));
        QFile::remove(readings);
        const auto outcome = await(service->injectText(chinese, TextInjectionMode::pasteboard));
        EXPECT_TRUE(readFile(readings).contains(chinese.toUtf8()));
        EXPECT_EQ(field.waitForText(c.targetFetches ? chinese : QString()), c.targetFetches ? chinese : QString());
        EXPECT_EQ(outcome.error, c.targetFetches ? QString() : QStringLiteral("未能自动输入，文字已复制到剪贴板，按 Ctrl+V 粘贴"));
        EXPECT_EQ(selectionSeenByOthers(), c.targetFetches ? QStringLiteral("before") : chinese);
    }
}

// The application quits while a paste waits for a target that has not fetched the text yet:
// the old clipboard must not come back under a paste key still on its way.
TEST_F(X11TextInjectionTest, AnAbandonedPasteLeavesTheUnfetchedTextOnTheClipboard) {
    setSelectionInAnotherApplication(QStringLiteral("before"));
    field.ignorePaste = true;  // the target never fetches
    QTimer::singleShot(200, [this] { service.reset(); });  // the app quits in the middle of it
    await(service->injectText(chinese, TextInjectionMode::pasteboard));  // ends with the service
    EXPECT_FALSE(service);
    EXPECT_EQ(selectionSeenByOthers(), chinese);
    EXPECT_EQ(field.text(), QString());
}

}  // namespace
