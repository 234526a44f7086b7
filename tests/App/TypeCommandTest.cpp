// `vocena type` as a process of its own, typing into a focused field of this test process on
// the Xvfb display of scripts/with-xvfb.
#include "support/FocusedTextField.h"

#include <gtest/gtest.h>

#include <QClipboard>
#include <QFile>
#include <QGuiApplication>
#include <QProcessEnvironment>
#include <QTemporaryDir>

using vocena::test::FocusedTextField;
using vocena::test::ProcessResult;

namespace {

class TypeCommandTest : public ::testing::Test {
protected:
    QTemporaryDir home;

    ProcessResult vocena(const QStringList& args, const QByteArray& input, bool withDisplay = true) const {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("HOME"), home.path());
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), home.filePath(QStringLiteral("config")));
        env.insert(QStringLiteral("XDG_DATA_HOME"), home.filePath(QStringLiteral("data")));
        env.remove(QStringLiteral("VOCENA_LOG_LEVEL"));
        if (!withDisplay) env.remove(QStringLiteral("DISPLAY"));
        return vocena::test::runProcess(QStringLiteral(VOCENA_BINARY), args, input, env.toStringList());
    }

    static bool keeperRunning() {
        return vocena::test::runProcess(QStringLiteral("pgrep"), {QStringLiteral("-f"), QStringLiteral("vocena type --keep-clipboard")})
                   .exitCode == 0;
    }
};

TEST_F(TypeCommandTest, TypesIntoTheFocusedFieldOfAnotherProcessAndKeepsTheClipboard) {
    FocusedTextField field(FocusedTextField::Kind::singleLine);
    QClipboard* clipboard = QGuiApplication::clipboard();
    clipboard->setText(QStringLiteral("before"));

    ProcessResult typed = vocena({QStringLiteral("type")}, "VureVIZ");
    EXPECT_EQ(typed.exitCode, 0) << typed.err.toStdString();
    EXPECT_EQ(field.waitForText(QStringLiteral("VureVIZ")), QStringLiteral("VureVIZ"));
    EXPECT_EQ(clipboard->text(), QStringLiteral("before"));  // untouched, still ours

    field.setText(QString());
    const QString chinese = QStringLiteral("今天天气很好");
    ProcessResult pasted = vocena({QStringLiteral("type")}, chinese.toUtf8() + '\n');  // the line end of echo is dropped
    EXPECT_EQ(pasted.exitCode, 0) << pasted.err.toStdString();
    EXPECT_EQ(field.waitForText(chinese), chinese);
    // The command has exited; what it put back on the clipboard is served by its keeper...
    EXPECT_FALSE(clipboard->ownsClipboard());
    EXPECT_EQ(clipboard->text(), QStringLiteral("before"));
    // ...until someone copies something else.
    clipboard->setText(QStringLiteral("after"));
    EXPECT_TRUE(vocena::test::waitUntil([] { return !keeperRunning(); }, 5000));
}

TEST_F(TypeCommandTest, ProcessInjectRunsThePipelineIntoTheField) {
    FocusedTextField field(FocusedTextField::Kind::singleLine);
    const QString transcript = QStringLiteral("今天天气很好");  // no key stored: typed as heard
    const ProcessResult result = vocena({QStringLiteral("process"), QStringLiteral("--inject")}, transcript.toUtf8() + '\n');
    EXPECT_EQ(result.exitCode, 0) << result.err.toStdString();
    EXPECT_EQ(result.out, QString());
    EXPECT_EQ(field.waitForText(transcript), transcript);
    // What was typed is counted for term learning.
    EXPECT_TRUE(QFile::exists(home.filePath(QStringLiteral("data/澄言/term_frequency.json"))));
}

TEST_F(TypeCommandTest, SaysWhyItCannotType) {
    const ProcessResult noDisplay = vocena({QStringLiteral("type")}, "abc", false);
    EXPECT_EQ(noDisplay.exitCode, 1);
    EXPECT_TRUE(noDisplay.err.contains(QStringLiteral("DISPLAY"))) << noDisplay.err.toStdString();

    const ProcessResult empty = vocena({QStringLiteral("type")}, "\n");
    EXPECT_EQ(empty.exitCode, 1);
    EXPECT_TRUE(empty.err.contains(QStringLiteral("文本为空"))) << empty.err.toStdString();

}

}  // namespace
