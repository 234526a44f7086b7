// One dictation with real components only: the generated model on sherpa-onnx, espeak-ng speech
// through PulseAudio, a double tap of Alt through XInput2, the text typed into a Qt field.
#include "support/AppDriver.h"
#include "support/FocusedTextField.h"
#include "support/PrivateDisplay.h"
#include "support/SpeechTestAssets.h"

#include <QRegularExpression>
#include <csignal>

using namespace vocena::test;

namespace {

class DictationEndToEndTest : public AppDriver {
protected:
    void SetUp() override { ASSERT_NO_FATAL_FAILURE(install(SpeechTestAssets::shared().model(QStringLiteral("good")))); }
};

}  // namespace

// Ended by a second double tap, or by Ctrl+C right after speaking: either way the words are
// typed before the command ends, as the non-streaming model installed beside the streaming one
// heard them (您好…, where the streaming model hears 你好…).
TEST_F(DictationEndToEndTest, DoubleTapSpeakStopAndTheTextIsTyped) {
    const SpeechTestAssets& assets = SpeechTestAssets::shared();
    ASSERT_NO_FATAL_FAILURE(install(SpeechTestAssets::copyFolder(assets.offlineModel(QStringLiteral("good")), home.filePath(QStringLiteral("final-pass")))));
    // The three conditions of dictation hold here: sound server, X display, model.
    const ProcessResult doctor = run({QStringLiteral("doctor")});
    EXPECT_TRUE(described(doctor, doctor.exitCode == 0 && doctor.out.count(QStringLiteral("已授权")) == 3));

    const QList<std::pair<const char*, std::function<void()>>> stops{
        {"a double tap", [] { doubleTapAlt(); }},
        {"Ctrl+C", [this] { ::kill(pid_t(app.processId()), SIGINT); }},
    };
    for (const auto& [name, stop] : stops) {
        SCOPED_TRACE(name);
        FocusedTextField field(FocusedTextField::Kind::singleLine);
        start({QStringLiteral("listen"), QStringLiteral("--once")});
        ASSERT_TRUE(logShows(QStringLiteral("澄言已就绪")));
        doubleTapAlt();
        ASSERT_TRUE(logShows(QStringLiteral("[正在听]")));
        ASSERT_NO_FATAL_FAILURE(speak(assets.speechWav()));
        ASSERT_TRUE(logShows(QStringLiteral("[识别中]")));
        stop();
        ASSERT_TRUE(ends());
        EXPECT_TRUE(waitUntil([&] { return !field.text().isEmpty(); }, 3000)) << log.toStdString();
        EXPECT_TRUE(field.text().contains(u'您') && !field.text().contains(u'你')) << field.text().toStdString();
    }
}

// Without XTest doctor reports the typing permission as missing; listen dictates all the same,
// saying that the words will go to the clipboard.
TEST_F(DictationEndToEndTest, WithoutXTestDoctorReportsTheTypingPermissionAsMissingAndListenKeepsTheWords) {
    const PrivateDisplay withoutXTest(QStringLiteral(VOCENA_SOURCE_DIR), QStringLiteral("-extension XTEST"));
    ASSERT_FALSE(withoutXTest.name().isEmpty());
    env << QStringLiteral("DISPLAY=") + withoutXTest.name();

    const ProcessResult doctor = run({QStringLiteral("doctor")});
    // Only the typing permission is missing there: the sound server and the model still count.
    // (Before the display's reason comes the input method's, which depends on the session bus.)
    const QRegularExpression typing(QStringLiteral("辅助功能权限: 未授权 \\(.*X 显示服务器没有 XTEST 扩展\\)"));
    EXPECT_TRUE(described(doctor, doctor.out.contains(typing) && doctor.out.count(QStringLiteral("已授权")) == 2));
    EXPECT_TRUE(prints(doctor, 1, {"文字输入方式: 无"}));

    start({QStringLiteral("listen")});
    ASSERT_TRUE(logShows(QStringLiteral("澄言已就绪")));
    EXPECT_TRUE(logHas({"vocena listen: 没有可以输入文字的方式", "识别的文字将复制到剪贴板"}, {"听写需要的条件不满足"}));
    ::kill(pid_t(app.processId()), SIGINT);
    EXPECT_TRUE(ends());
}
