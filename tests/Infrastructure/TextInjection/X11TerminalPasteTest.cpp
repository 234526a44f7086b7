// Pastes into real terminal emulators, under openbox on the Xvfb display (scripts/with-xvfb
// scripts/with-openbox): xterm pastes the primary selection on Shift+Insert and has no key for
// the clipboard; lxterminal (VTE) pastes the clipboard on Control+Shift+V. The program in the
// terminal is `cat` with the line discipline off, writing what arrives to a file.
#include "Infrastructure/TextInjection/QtClipboardBackend.h"
#include "Infrastructure/TextInjection/TextInjectionService.h"
#include "Infrastructure/TextInjection/X11KeyEventSink.h"
#include "support/AsyncTest.h"
#include "support/CliRunner.h"
#include "support/TestFiles.h"
#include "support/X11Selections.h"

#include <gtest/gtest.h>

#include <QScopeGuard>
#include <QTemporaryDir>

using namespace vocena;
using namespace vocena::test;

namespace {

TEST(X11TerminalPasteTest, EachTerminalGetsItsOwnPasteKeyAndTheSelectionsComeBack) {
    const struct {
        QString program;
        QStringList arguments;  // the command to run follows them
        QString windowClass;
    } cases[] = {
        {QStringLiteral("xterm"), {QStringLiteral("-u8"), QStringLiteral("-e")}, QStringLiteral("XTerm")},
        {QStringLiteral("lxterminal"), {QStringLiteral("--no-remote"), QStringLiteral("-e")}, QStringLiteral("Lxterminal")},
    };
    TextInjectionService service(std::make_unique<X11KeyEventSink>(), std::make_unique<QtClipboardBackend>());
    const QString text = QStringLiteral("今天天气很好, hello world");
    for (const auto& c : cases) {
        SCOPED_TRACE(c.program.toStdString());
        setSelectionInAnotherApplication(QStringLiteral("before"));
        setSelectionInAnotherApplication(QStringLiteral("selected"), QStringLiteral("primary"));
        // The terminal runs `cat > received` and has the keyboard focus.
        QTemporaryDir dir;
        const QString ready = dir.filePath(QStringLiteral("ready")), received = dir.filePath(QStringLiteral("received"));
        writeFile(dir.filePath(QStringLiteral("reader.sh")), QStringLiteral("stty -icanon -echo; : > '%1'; exec cat > '%2'\n").arg(ready, received).toUtf8());
        QProcess terminal;
        terminal.start(c.program, c.arguments + QStringList{QStringLiteral("sh"), dir.filePath(QStringLiteral("reader.sh"))});
        const auto closeTerminal = qScopeGuard([&terminal] {
            terminal.kill();
            terminal.waitForFinished(3000);
        });
        ASSERT_TRUE(waitUntil([&] { return QFile::exists(ready); }));
        const QString window = xdotool(QStringLiteral("search --sync --onlyvisible --class ") + c.windowClass).value(0);
        ASSERT_FALSE(window.isEmpty());
        xdotool(QStringLiteral("windowactivate --sync ") + window);
        ASSERT_TRUE(waitUntil([&window] { return xdotool(QStringLiteral("getwindowfocus")).value(0) == window; }));

        const auto outcome = await(service.injectText(text, TextInjectionMode::automatic));
        EXPECT_TRUE(outcome.ok()) << outcome.error.toStdString();
        EXPECT_TRUE(waitUntil([&] { return readFile(received) == text.toUtf8(); })) << readFile(received).toStdString();
        EXPECT_EQ(selectionSeenByOthers(), QStringLiteral("before"));
        EXPECT_EQ(selectionSeenByOthers(QStringLiteral("primary")), QStringLiteral("selected"));
    }
}

}  // namespace
