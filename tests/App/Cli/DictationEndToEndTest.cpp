// One dictation with real components only: the generated model on sherpa-onnx, espeak-ng speech
// through PulseAudio, a double tap of Alt through XInput2, the text typed into a Qt field.
#include "support/AppDriver.h"
#include "support/CliRunner.h"
#include "support/FocusedTextField.h"
#include "support/PrivateDisplay.h"
#include "support/SpeechTestAssets.h"
#include "support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <csignal>
#include <functional>

using namespace vocena::test;

namespace {

class DictationEndToEndTest : public ::testing::Test {
protected:
    QTemporaryDir home;
    void SetUp() override { prepareEnvironment(home); }  // for the commands too

    // This process's environment with another X display.
    static QStringList onDisplay(const QString& display) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("DISPLAY"), display);
        return env.toStringList();
    }
    void installModel() const { installTestModel(QStringLiteral(VOCENA_BINARY), home.path()); }
};

}  // namespace

// Ended by a second double tap, or by Ctrl+C right after speaking: either way the words are
// typed before the command ends, as the non-streaming model installed beside the streaming one
// heard them (您好…, where the streaming model hears 你好…).
TEST_F(DictationEndToEndTest, DoubleTapSpeakStopAndTheTextIsTyped) {
    ASSERT_NO_FATAL_FAILURE(installModel());
    const SpeechTestAssets& assets = SpeechTestAssets::shared();
    const QString offline = SpeechTestAssets::copyFolder(assets.offlineModel(QStringLiteral("good")), home.filePath(QStringLiteral("final-pass")));
    const ProcessResult installed = runVocena(QStringLiteral(VOCENA_BINARY), home.path(), {QStringLiteral("model"), QStringLiteral("install"), offline});
    ASSERT_EQ(installed.exitCode, 0) << installed.err.toStdString();

    // The three conditions of dictation hold here: sound server, X display, model.
    const ProcessResult doctor = runProcess(QStringLiteral(VOCENA_BINARY), {QStringLiteral("doctor")});
    EXPECT_EQ(doctor.exitCode, 0) << doctor.out.toStdString();
    EXPECT_EQ(doctor.out.count(QStringLiteral("已授权")), 3) << doctor.out.toStdString();

    const QList<std::pair<const char*, std::function<void(QProcess&)>>> stops{
        {"a double tap", [](QProcess&) { doubleTapAlt(); }},
        {"Ctrl+C", [](QProcess& listen) { ::kill(pid_t(listen.processId()), SIGINT); }},
    };
    for (const auto& [name, stop] : stops) {
        SCOPED_TRACE(name);
        FocusedTextField field(FocusedTextField::Kind::singleLine);
        QProcess listen;
        listen.start(QStringLiteral(VOCENA_BINARY), {QStringLiteral("listen"), QStringLiteral("--once")});
        QString log;
        const auto logShows = [&](const QString& text) {
            return waitUntil([&] {
                log += QString::fromUtf8(listen.readAllStandardError());
                return log.contains(text);
            }, 15000);
        };
        ASSERT_TRUE(logShows(QStringLiteral("澄言已就绪"))) << log.toStdString();

        doubleTapAlt();
        ASSERT_TRUE(logShows(QStringLiteral("[正在听]"))) << log.toStdString();
        const ProcessResult played = runProcess(QStringLiteral("paplay"), {QStringLiteral("-d"), QStringLiteral("vsink"), assets.speechWav()});
        ASSERT_EQ(played.exitCode, 0) << played.err.toStdString();
        ASSERT_TRUE(logShows(QStringLiteral("[识别中]"))) << log.toStdString();
        stop(listen);

        ASSERT_TRUE(waitUntil([&] { return listen.state() == QProcess::NotRunning; }, 20000)) << log.toStdString();
        EXPECT_EQ(listen.exitCode(), 0) << log.toStdString();
        EXPECT_TRUE(waitUntil([&] { return !field.text().isEmpty(); }, 3000)) << log.toStdString();
        EXPECT_TRUE(field.text().contains(u'您') && !field.text().contains(u'你')) << field.text().toStdString();
    }
}

// Without XTest doctor reports the typing permission as missing; listen dictates all the same,
// saying that the words will go to the clipboard.
TEST_F(DictationEndToEndTest, WithoutXTestDoctorReportsTheTypingPermissionAsMissingAndListenKeepsTheWords) {
    ASSERT_NO_FATAL_FAILURE(installModel());
    const PrivateDisplay withoutXTest(QStringLiteral(VOCENA_SOURCE_DIR), QStringLiteral("-extension XTEST"));
    ASSERT_FALSE(withoutXTest.name().isEmpty());

    // (Before the display's reason comes the input method's, which depends on the session bus.)
    const QRegularExpression missing(QStringLiteral("辅助功能权限: 未授权 \\(.*X 显示服务器没有 XTEST 扩展\\)"));
    const ProcessResult doctor = runProcess(QStringLiteral(VOCENA_BINARY), {QStringLiteral("doctor")}, {}, onDisplay(withoutXTest.name()));
    EXPECT_EQ(doctor.exitCode, 1) << doctor.out.toStdString();
    // Only the typing permission is missing there: the sound server and the model still count.
    EXPECT_TRUE(doctor.out.contains(missing)) << doctor.out.toStdString();
    EXPECT_EQ(doctor.out.count(QStringLiteral("已授权")), 2) << doctor.out.toStdString();
    EXPECT_TRUE(doctor.out.contains(QStringLiteral("文字输入方式: 无"))) << doctor.out.toStdString();

    QProcess listen;
    listen.setEnvironment(onDisplay(withoutXTest.name()));
    listen.start(QStringLiteral(VOCENA_BINARY), {QStringLiteral("listen")});
    QString log;
    ASSERT_TRUE(waitUntil([&] {
        log += QString::fromUtf8(listen.readAllStandardError());
        return log.contains(QStringLiteral("澄言已就绪"));
    }, 15000)) << log.toStdString();
    EXPECT_TRUE(log.contains(QStringLiteral("vocena listen: 没有可以输入文字的方式"))) << log.toStdString();
    EXPECT_TRUE(log.contains(QStringLiteral("识别的文字将复制到剪贴板"))) << log.toStdString();
    EXPECT_FALSE(log.contains(QStringLiteral("听写需要的条件不满足"))) << log.toStdString();
    ::kill(pid_t(listen.processId()), SIGINT);
    ASSERT_TRUE(waitUntil([&] { return listen.state() == QProcess::NotRunning; }, 10000));
    EXPECT_EQ(listen.exitCode(), 0);
}
