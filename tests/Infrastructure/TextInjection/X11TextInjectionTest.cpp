// Text injection against real Qt text fields on the Xvfb display of scripts/with-xvfb: XTest
// key events through the active keyboard layout, and pastes through the X11 clipboard.
#include "Infrastructure/TextInjection/QtClipboardBackend.h"
#include "Infrastructure/TextInjection/TextInjectionService.h"
#include "Infrastructure/TextInjection/X11KeyEventSink.h"
#include "Infrastructure/X11/X11QtConnection.h"
#include "support/AsyncTest.h"
#include "support/CliRunner.h"
#include "support/FocusedTextField.h"
#include "support/X11Selections.h"

#include <gtest/gtest.h>

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>
#include <QFile>
#include <QProcess>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTimer>

#include <xcb/xcb.h>

using namespace vocena;
using vocena::test::await;
using vocena::test::FocusedTextField;
using vocena::test::runProcess;
using vocena::test::selectionSeenByOthers;
using vocena::test::setSelectionInAnotherApplication;

namespace {

const QString chinese = QStringLiteral("今天天气很好");


class X11TextInjectionTest : public ::testing::Test {
protected:
    std::unique_ptr<TextInjectionService> service =
        std::make_unique<TextInjectionService>(std::make_unique<X11KeyEventSink>(), std::make_unique<QtClipboardBackend>());
    FocusedTextField field;

    bool inject(const QString& text, TextInjectionMode mode) {
        const auto outcome = await(service->injectText(text, mode));
        EXPECT_TRUE(outcome.ok()) << outcome.error.toStdString();
        return outcome.ok();
    }
};

TEST_F(X11TextInjectionTest, TypesEveryKeyCharacterWithItsShiftLevelAndControlHeldDoesNotMakeShortcuts) {
    ASSERT_TRUE(service->isTrusted());
    test::xdotool(QStringLiteral("keydown ctrl"));
    const QString all = QStringLiteral("a-b_c!?@#$%^&*()[]{}\\|;:'\",.<>/`~+= 0123456789\tXY\nz");
    ASSERT_TRUE(inject(all, TextInjectionMode::keystroke));
    EXPECT_EQ(field.waitForText(all), all);
    EXPECT_TRUE(field.shortcuts.isEmpty()) << field.shortcuts.join(' ').toStdString();
}

TEST_F(X11TextInjectionTest, KeepsEveryFormatOfTheClipboardAndTheTextOfAnEmptyOne) {
    QClipboard* clipboard = QGuiApplication::clipboard();
    auto* rich = new QMimeData;
    rich->setHtml(QStringLiteral("<b>加粗</b>"));
    rich->setText(QStringLiteral("加粗"));
    clipboard->setMimeData(rich);
    ASSERT_TRUE(inject(chinese, TextInjectionMode::pasteboard));
    EXPECT_EQ(field.waitForText(chinese), chinese);
    EXPECT_EQ(clipboard->mimeData()->html(), QStringLiteral("<b>加粗</b>"));
    EXPECT_EQ(clipboard->text(), QStringLiteral("加粗"));

    // Nothing to give back: the dictated text stays, for pasting again.
    clipboard->clear();
    ASSERT_TRUE(inject(QStringLiteral("好"), TextInjectionMode::pasteboard));
    EXPECT_EQ(field.waitForText(chinese + QStringLiteral("好")), chinese + QStringLiteral("好"));
    EXPECT_EQ(selectionSeenByOthers(), QStringLiteral("好"));
}

TEST_F(X11TextInjectionTest, BackspacesAndUndo) {
    ASSERT_TRUE(inject(QStringLiteral("hello"), TextInjectionMode::keystroke));
    ASSERT_EQ(field.waitForText(QStringLiteral("hello")), QStringLiteral("hello"));
    ASSERT_TRUE(await(service->deleteLastCharacters(2)).ok());
    EXPECT_EQ(field.waitForText(QStringLiteral("hel")), QStringLiteral("hel"));
    ASSERT_TRUE(inject(chinese, TextInjectionMode::pasteboard));
    ASSERT_EQ(field.waitForText(QStringLiteral("hel") + chinese), QStringLiteral("hel") + chinese);
    ASSERT_TRUE(await(service->undo()).ok());
    EXPECT_EQ(field.waitForText(QStringLiteral("hel")), QStringLiteral("hel"));
}

TEST_F(X11TextInjectionTest, TypesTheSameCharactersOnAGermanLayout) {
    // y and z swap places, @ { [ ] } \ | ~ need AltGr, ^ and ` are dead keys.
    ASSERT_EQ(runProcess(QStringLiteral("setxkbmap"), {QStringLiteral("de")}).exitCode, 0);
    const auto restoreLayout = qScopeGuard([] { runProcess(QStringLiteral("setxkbmap"), {QStringLiteral("us")}); });
    const QString typed = QStringLiteral("yzYZ@{[]}\\|~<>-_!?#'/");
    ASSERT_TRUE(inject(typed, TextInjectionMode::keystroke));
    EXPECT_EQ(field.waitForText(typed), typed);

    // A character without a key: skipped when typing, a reason to paste in the automatic mode.
    field.setText(QString());
    ASSERT_TRUE(inject(QStringLiteral("a^b"), TextInjectionMode::keystroke));
    EXPECT_EQ(field.waitForText(QStringLiteral("ab")), QStringLiteral("ab"));
    field.setText(QString());
    ASSERT_TRUE(inject(QStringLiteral("a^b"), TextInjectionMode::automatic));
    EXPECT_EQ(field.waitForText(QStringLiteral("a^b")), QStringLiteral("a^b"));
    EXPECT_EQ(field.shortcuts, QStringList{QStringLiteral("Ctrl+V")});
}

TEST_F(X11TextInjectionTest, ReadsByOtherApplicationsAreNotThePaste) {
    // A clipboard manager of sorts: reads the clipboard over and over while the paste waits.
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
    const auto readerSaw = [&readings](const QString& text) {
        QFile file(readings);
        return file.open(QIODevice::ReadOnly) && QString::fromUtf8(file.readAll()).contains(text);
    };

    struct Case {
        const char* name;
        bool targetFetches;
        bool focusFollowsPointer;  // PointerRoot focus, the pointer over the field
    };
    const Case cases[] = {
        {"the focused field pastes", true, false},
        {"the focused field ignores the key", false, false},
        {"the field under the pointer ignores the key", false, true},
    };
    xcb_connection_t* x = X11QtConnection::connection();
    ASSERT_TRUE(x);
    const auto focusField = qScopeGuard([&] {
        xcb_set_input_focus(x, XCB_INPUT_FOCUS_POINTER_ROOT, xcb_window_t(field.windowId()), XCB_CURRENT_TIME);
        xcb_flush(x);
    });
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const bool targetFetches = c.targetFetches;
        if (c.focusFollowsPointer) {
            xcb_warp_pointer(x, XCB_NONE, xcb_window_t(field.windowId()), 0, 0, 0, 0, 5, 5);
            xcb_set_input_focus(x, XCB_INPUT_FOCUS_POINTER_ROOT, XCB_INPUT_FOCUS_POINTER_ROOT, XCB_CURRENT_TIME);
            xcb_flush(x);
        }
        field.setText(QString());
        field.shortcuts.clear();
        field.ignorePaste = !targetFetches;
        setSelectionInAnotherApplication(QStringLiteral("before"));
        QFile::remove(readings);
        const auto outcome = await(service->injectText(chinese, TextInjectionMode::pasteboard));
        EXPECT_TRUE(readerSaw(chinese));
        if (targetFetches) {
            EXPECT_TRUE(outcome.ok()) << outcome.error.toStdString();
            EXPECT_EQ(field.waitForText(chinese), chinese);
            EXPECT_EQ(field.shortcuts, QStringList{QStringLiteral("Ctrl+V")});
            EXPECT_EQ(selectionSeenByOthers(), QStringLiteral("before"));
        } else {
            EXPECT_EQ(outcome.error, QStringLiteral("未能自动输入，文字已复制到剪贴板，按 Ctrl+V 粘贴"));
            EXPECT_EQ(field.text(), QString());
            EXPECT_EQ(selectionSeenByOthers(), chinese);
        }
    }
}

// The application quits while a paste waits for a target that has not fetched the text yet:
// the old clipboard must not come back under a paste key still on its way.
TEST_F(X11TextInjectionTest, AnAbandonedPasteLeavesTheUnfetchedTextOnTheClipboard) {
    setSelectionInAnotherApplication(QStringLiteral("before"));
    field.ignorePaste = true;  // the target never fetches
    bool finished = false;
    auto pasting = [](TextInjectionService* service, bool& finished) -> QCoro::Task<> {
        try {
            co_await service->injectText(chinese, TextInjectionMode::pasteboard);
        } catch (...) {
        }
        finished = true;
    };
    pasting(service.get(), finished);
    QTimer::singleShot(200, [this] { service.reset(); });  // the app quits in the middle of it
    ASSERT_TRUE(test::waitUntil([&] { return !service; }));
    EXPECT_EQ(selectionSeenByOthers(), chinese);
    EXPECT_TRUE(test::waitUntil([&] { return finished; }));
    EXPECT_EQ(field.text(), QString());
}

}  // namespace
