// The microphone goes away in the middle of a dictation, on the private server of
// scripts/with-pulse (its own CTest run: the last case ends the server) with the real engine
// and the generated model: the words recognised so far are still typed.
#include "Infrastructure/Speech/Audio/PulseAudioCapture.h"
#include "Infrastructure/Speech/Recognition/SherpaOnnxEngine.h"
#include "Infrastructure/Speech/Recognition/SystemSpeechRecognizer.h"
#include "support/Dictation.h"
#include "support/LogCapture.h"
#include "support/ManualScheduler.h"
#include "support/SpeechTestAssets.h"
#include "support/WaitUntil.h"

#include <gtest/gtest.h>

#include <QProcess>

using namespace vocena;
using vocena::test::SpeechTestAssets;

namespace {

bool pactl(const QStringList& args) { return QProcess::execute(QStringLiteral("pactl"), args) == 0; }

}  // namespace

TEST(MicrophoneLossTest, TheTextSoFarIsTypedWhenTheSourceOrTheServerGoesAway) {
    if (qEnvironmentVariableIsEmpty("PULSE_SERVER")) GTEST_SKIP() << "needs a sound server: run under scripts/with-pulse";
    ASSERT_EQ(SpeechTestAssets::shared().error, QString());

    // Timers in virtual time: nothing but the lost microphone can end the recording here.
    test::ManualClock clock;
    test::ManualScheduler scheduler{clock};
    SherpaOnnxEngine engine{scheduler};
    QString error;
    const SpeechModel model = SpeechTestAssets::shared().loadable(QStringLiteral("good"), &error).value_or(SpeechModel{});
    ASSERT_TRUE(engine.load(model, {}, &error)) << error.toStdString();
    SystemSpeechRecognizer recognizer{&engine, [] { return std::make_unique<PulseAudioCapture>(); }, scheduler};
    test::Dictation dictation{{.recognizer = &recognizer, .scheduler = &scheduler}};
    VoiceInputService& service = dictation.service;
    // The source is unloaded, then the server quits.
    const QList<QStringList> commands{{QStringLiteral("unload-module"), QStringLiteral("module-remap-source")}, {QStringLiteral("exit")}};
    for (const QStringList& command : commands) {
        SCOPED_TRACE(command.first().toStdString());
        dictation.keys.typed.clear();
        dictation.states.clear();
        int levels = 0;
        const auto counting = QObject::connect(&service, &VoiceInputService::audioLevelChanged, [&] { ++levels; });
        service.toggleVoiceInput(VoiceInputMode::inputMethod);
        ASSERT_TRUE(test::waitUntil([&] { return levels > 0; })) << "no audio captured";
        QObject::disconnect(counting);

        QProcess player;
        player.start(QStringLiteral("paplay"), {SpeechTestAssets::shared().speechWav()});
        ASSERT_TRUE(test::waitUntil([&] { return !service.recognizedText().isEmpty(); })) << "nothing recognised";
        const QString soFar = service.recognizedText();
        test::LogCapture log;
        ASSERT_TRUE(pactl(command));

        ASSERT_TRUE(test::waitUntil([&] { return !dictation.keys.typed.isEmpty(); })) << "the words so far were not processed";
        EXPECT_TRUE(dictation.keys.typed.front().startsWith(soFar)) << dictation.keys.typed.front().toStdString();
        EXPECT_FALSE(service.isRecording());
        EXPECT_EQ(dictation.states.filter(QStringLiteral("error")), QStringList{});
        EXPECT_TRUE(log.contains(QStringLiteral("[SpeechRecognizer] 录音流中断")));
        player.kill();
        player.waitForFinished();

        // A microphone for the next case.
        if (command.first() == QStringLiteral("unload-module")) {
            ASSERT_TRUE(pactl({QStringLiteral("load-module"), QStringLiteral("module-remap-source"), QStringLiteral("master=vsink.monitor"),
                               QStringLiteral("source_name=vmic")}));
            ASSERT_TRUE(pactl({QStringLiteral("set-default-source"), QStringLiteral("vmic")}));
        }
    }
}
