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

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

using namespace vocena;
using vocena::test::selectionSeenByOthers;
using vocena::test::setSelectionInAnotherApplication;
using vocena::test::waitUntil;
using vocena::test::writeFile;
using vocena::test::xdotool;

namespace {

// A terminal window running `cat > received`, with the keyboard focus.
class TerminalWindow {
public:
    TerminalWindow(const QString& program, QStringList arguments, const QString& windowClass) {
        const QString script = m_dir.filePath(QStringLiteral("reader.sh"));
        writeFile(script, QStringLiteral("stty -icanon -echo; : > '%1'; exec cat > '%2'\n").arg(ready(), received()).toUtf8());
        arguments << QStringLiteral("sh") << script;
        m_process.start(program, arguments);
        if (!m_process.waitForStarted(5000) || !waitUntil([this] { return QFile::exists(ready()); }, 10000)) return;
        const QString window = xdotool(QStringLiteral("search --sync --onlyvisible --class ") + windowClass).value(0);
        if (window.isEmpty()) return;
        xdotool(QStringLiteral("windowactivate --sync ") + window);
        m_focused = waitUntil([&window] { return xdotool(QStringLiteral("getwindowfocus")).value(0) == window; });
    }
    ~TerminalWindow() {
        m_process.kill();
        m_process.waitForFinished(3000);
    }

    bool focused() const { return m_focused; }
    // What the program in the terminal received so far.
    QString text() const {
        QFile file(received());
        return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
    }

private:
    QString ready() const { return m_dir.filePath(QStringLiteral("ready")); }
    QString received() const { return m_dir.filePath(QStringLiteral("received")); }

    QTemporaryDir m_dir;
    QProcess m_process;
    bool m_focused = false;
};

TEST(X11TerminalPasteTest, EachTerminalGetsItsOwnPasteKeyAndTheSelectionsComeBack) {
    struct Case {
        QString program;
        QStringList arguments;  // the command to run follows them
        QString windowClass;
    };
    const Case cases[] = {
        {QStringLiteral("xterm"), {QStringLiteral("-u8"), QStringLiteral("-e")}, QStringLiteral("XTerm")},
        {QStringLiteral("lxterminal"), {QStringLiteral("--no-remote"), QStringLiteral("-e")}, QStringLiteral("Lxterminal")},
    };
    TextInjectionService service(std::make_unique<X11KeyEventSink>(), std::make_unique<QtClipboardBackend>());
    const QString text = QStringLiteral("今天天气很好, hello world");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.program.toStdString());
        setSelectionInAnotherApplication(QStringLiteral("before"));
        setSelectionInAnotherApplication(QStringLiteral("selected"), QStringLiteral("primary"));
        TerminalWindow terminal(c.program, c.arguments, c.windowClass);
        ASSERT_TRUE(terminal.focused());

        const auto outcome = test::await(service.injectText(text, TextInjectionMode::automatic));
        EXPECT_TRUE(outcome.ok()) << outcome.error.toStdString();
        EXPECT_TRUE(waitUntil([&] { return terminal.text() == text; })) << terminal.text().toStdString();
        EXPECT_EQ(selectionSeenByOthers(), QStringLiteral("before"));
        EXPECT_EQ(selectionSeenByOthers(QStringLiteral("primary")), QStringLiteral("selected"));
    }
}

}  // namespace
