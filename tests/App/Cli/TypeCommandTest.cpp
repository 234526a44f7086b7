// `vocena type` as a process of its own, typing into a focused field of this test process on
// the Xvfb display of scripts/with-xvfb.
#include "Infrastructure/TextInjection/TextInjectionService.h"
#include "support/AppDriver.h"
#include "support/FakeFcitx5Bridge.h"
#include "support/FocusedTextField.h"
#include "support/PrivateBus.h"

#include <QClipboard>
#include <QGuiApplication>
#include <csignal>

using vocena::test::FocusedTextField;

namespace {

const QString kChinese = QStringLiteral("今天天气很好");

class TypeCommandTest : public vocena::test::AppDriver {
protected:
    // The keeper a finished command left serving the clipboard goes once someone copies.
    static void endKeeper() {
        QGuiApplication::clipboard()->setText(QStringLiteral("after"));
        QGuiApplication::clipboard()->setText(QStringLiteral("after"), QClipboard::Selection);
        EXPECT_TRUE(vocena::test::waitUntil([] { return !keeperRunning(); }, 5000));
    }

    // A keeper on this test's display (another suite may run beside it, keepers and all).
    static bool keeperRunning() {
        const QString pids =
            vocena::test::runProcess(QStringLiteral("pgrep"), {QStringLiteral("-f"), QStringLiteral("vocena type --keep-clipboard")}).out;
        const QByteArray ours = "DISPLAY=" + qgetenv("DISPLAY");
        for (const QString& pid : pids.split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
            QFile environ(QStringLiteral("/proc/%1/environ").arg(pid.trimmed()));
            if (environ.open(QIODevice::ReadOnly) && environ.readAll().split('\0').contains(ours)) return true;
        }
        return false;
    }
};

TEST_F(TypeCommandTest, TypesIntoTheFocusedFieldOfAnotherProcessAndTheSelectionsComeBack) {
    struct Case {
        const char* name;
        QStringList command;
        QString text;
        const char* windowClass;  // null: a plain Qt window
        bool learns;              // what was typed is counted for term learning
    };
    const Case cases[] = {
        {"typed on keys", {QStringLiteral("type")}, QStringLiteral("VureVIZ"), nullptr, false},
        {"pasted", {QStringLiteral("type")}, kChinese, nullptr, false},
        // Taken for xterm, the field gets Shift+Insert (on which a Qt field pastes the clipboard).
        {"pasted into a terminal from the primary selection", {QStringLiteral("type")}, kChinese, "XTerm", false},
        {"through the pipeline", {QStringLiteral("process"), QStringLiteral("--inject")}, kChinese, nullptr, true},  // no key: as heard
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FocusedTextField field(FocusedTextField::Kind::singleLine);
        if (c.windowClass) vocena::test::xdotool(QStringLiteral("set_window --class %1 %2").arg(QLatin1String(c.windowClass)).arg(field.windowId()));
        QGuiApplication::clipboard()->setText(QStringLiteral("before"));
        QGuiApplication::clipboard()->setText(QStringLiteral("selected"), QClipboard::Selection);
        // The line end of echo is dropped.
        EXPECT_TRUE(vocena::test::exits(run(c.command, c.text.toUtf8() + '\n'), 0, {}, QString()));
        EXPECT_EQ(field.waitForText(c.text), c.text);
        // The command has exited; what it put back is served by its keeper until someone copies.
        EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("before"));
        EXPECT_EQ(QGuiApplication::clipboard()->text(QClipboard::Selection), QStringLiteral("selected"));
        EXPECT_EQ(QFile::exists(home.filePath(QStringLiteral("data/澄言/term_frequency.json"))), c.learns);
        endKeeper();
    }
}

// The focused application does not react to the paste key: the text stays on the clipboard
// after the command, for the user to paste. A signal during the wait for the fetch ends the
// command at once; the text is not lost, and a late fetch could not paste the old clipboard.
TEST_F(TypeCommandTest, APasteNobodyFetchedStaysOnTheClipboardAfterTheCommandOrASignal) {
    FocusedTextField field(FocusedTextField::Kind::singleLine);
    field.ignorePaste = true;
    const QStringList commands[] = {{QStringLiteral("type")}, {QStringLiteral("process"), QStringLiteral("--inject")}};
    for (const QStringList& command : commands) {
        SCOPED_TRACE(command.join(' ').toStdString());
        QGuiApplication::clipboard()->setText(QStringLiteral("before"));
        EXPECT_TRUE(vocena::test::exits(run(command, kChinese.toUtf8()), 1, {"未能自动输入，文字已复制到剪贴板，按 Ctrl+V 粘贴"}));
        EXPECT_EQ(QGuiApplication::clipboard()->text(), kChinese);
        endKeeper();
    }
    for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
        SCOPED_TRACE(signal);
        field.shortcuts.clear();
        QGuiApplication::clipboard()->setText(QStringLiteral("before"));
        // The wait for the fetch outlasts any delay of this test: the signal finds it open.
        start({QStringLiteral("type")}, {QString::fromLatin1(vocena::TextInjectionService::kFetchLimitVariable) + QStringLiteral("=600000")});
        app.write(kChinese.toUtf8());
        app.closeWriteChannel();
        ASSERT_TRUE(vocena::test::waitUntil([&field] { return !field.shortcuts.isEmpty(); }));
        // The user gives up during the wait.
        ASSERT_EQ(::kill(pid_t(app.processId()), signal), 0);
        EXPECT_TRUE(ends(128 + signal));
        EXPECT_TRUE(log.contains(QStringLiteral("文字留在剪贴板上"))) << log.toStdString();
        EXPECT_EQ(QGuiApplication::clipboard()->text(), kChinese);
        endKeeper();
    }
}

TEST_F(TypeCommandTest, SaysWhyItCannotType) {
    env << QStringLiteral("DISPLAY");
    // The reason, then what to install.
    EXPECT_TRUE(vocena::test::exits(run({QStringLiteral("type")}, "abc"), 1,
                                    {"没有可以输入文字的方式（fcitx5 桥接不可用", "sudo apt install fcitx5 fcitx5-chinese-addons"}));
}

// fcitx5 without a focused field (its commits are tested on the real fcitx5:
// Fcitx5EndToEndTest): the text goes the X11 way instead; with no other way of typing (no X
// display, no compositor) the words are not lost, and without even a clipboard to keep them they
// are shown to the user.
TEST_F(TypeCommandTest, WithFcitx5ButNoFocusedFieldTheWordsGoAnotherWayOrAreShown) {
    const vocena::test::PrivateBus privateBus;
    vocena::test::FakeFcitx5Bridge fcitx5(privateBus.address());
    ASSERT_TRUE(fcitx5.start());
    fcitx5.focused = false;
    bus = QString::fromUtf8(privateBus.address());
    const QString refused = QStringLiteral("输入法提交失败（没有获得焦点的输入框），改用其他输入方式");
    FocusedTextField field(FocusedTextField::Kind::singleLine);
    EXPECT_TRUE(vocena::test::exits(run({QStringLiteral("type")}, kChinese.toUtf8()), 0, {refused}));
    EXPECT_EQ(field.waitForText(kChinese), kChinese);
    endKeeper();

    env << QStringLiteral("DISPLAY");
    // The words themselves are shown.
    EXPECT_TRUE(vocena::test::exits(run({QStringLiteral("process"), QStringLiteral("--inject")}, kChinese.toUtf8()), 1,
                                    {refused, "未能自动输入，也无法写入剪贴板", QStringLiteral("识别的文字：") + kChinese}));
}

}  // namespace
