// Final transcripts punctuated in the pipeline: the real engine's decoding thread runs the
// generated punctuation model (which puts 。 after 好) installed in a real model store.
#include "Core/VoiceInputService.h"
#include "Infrastructure/Platform/Clock.h"
#include "Infrastructure/Platform/Preferences.h"
#include "Infrastructure/Speech/Models/ModelStore.h"
#include "Infrastructure/Speech/Recognition/SherpaOnnxEngine.h"
#include "Infrastructure/Speech/Recognition/TranscriptPunctuator.h"
#include "Infrastructure/LLM/AISettingsStore.h"
#include "support/AsyncTest.h"
#include "support/LogCapture.h"
#include "support/LoopbackHttpServer.h"
#include "support/MemorySecretStore.h"
#include "support/RecordingTextInjector.h"
#include "support/SpeechTestAssets.h"
#include "support/TestFiles.h"
#include "support/WaitUntil.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QTemporaryDir>

using namespace vocena;
using test::LoopbackHttpServer;
using test::SpeechTestAssets;

namespace {

const QString kSpoken = QStringLiteral("今天天气很好我们出去玩");
const QString kPunctuated = QStringLiteral("今天天气很好。我们出去玩。");

class PunctuatedPipelineTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(SpeechTestAssets::shared().error, QString());
        QString error;
        const std::optional<SpeechModel> speech = SpeechTestAssets::shared().loadable(QStringLiteral("good"), &error);
        ASSERT_TRUE(speech && engine.load(*speech, {}, &error)) << error.toStdString();
    }

    void installPunctuation(const char* variant = "good") {
        auto outcome = test::await(store.install(SpeechTestAssets::shared().punctuationModel(QLatin1String(variant)), std::nullopt));
        ASSERT_TRUE(outcome.ok() && outcome.value->ok) << outcome.value.value_or(ModelStore::InstallResult{}).message.toStdString();
    }

    // Runs the pipeline on a final transcript and waits until typing has settled.
    void process(const QString& transcript) {
        service.setRecognizedText(transcript);
        test::await(service.processAndInjectText());
        EXPECT_TRUE(test::waitUntil([this] { return service.pendingInjections() == 0; }, 5000));
    }

    QTemporaryDir work;
    Preferences prefs{work.filePath(QStringLiteral("preferences.json"))};
    ModelStore store{prefs, work.filePath(QStringLiteral("models")), QStringLiteral(VOCENA_BINARY)};
    SherpaOnnxEngine engine{Scheduler::main()};
    TranscriptPunctuator punctuator{prefs, store, engine};
    std::shared_ptr<test::MemorySecretStore> secrets = std::make_shared<test::MemorySecretStore>();
    AISettingsStore settings{prefs, secrets};
    test::RecordingTextInjector keys;
    QStringList fed;
    VoiceInputService service{{settings, keys, [this](const QString& text) { fed << text; }, nullptr, [] { return QString(); },
                               nullptr, {}, nullptr, &punctuator}};
};

}  // namespace

TEST_F(PunctuatedPipelineTest, WithoutTheModelServiceThePunctuatedTranscriptIsTypedAndLearned) {
    installPunctuation();
    process(kSpoken);
    EXPECT_EQ(keys.typed, QStringList{kPunctuated});
    EXPECT_EQ(fed, QStringList{kPunctuated});
    EXPECT_EQ(service.lastInjectedText(), kPunctuated);
}

TEST_F(PunctuatedPipelineTest, TheModelServiceReceivesThePunctuatedTranscript) {
    installPunctuation();
    QByteArray asked;
    LoopbackHttpServer server([&asked](const LoopbackHttpServer::Request& request) {
        asked = request.body;
        return LoopbackHttpServer::Response::chat(QStringLiteral("今天天气很好，我们出去玩。"));
    });
    prefs.setValue(QString::fromLatin1(AISettingsStore::kBaseURLKey), server.baseURL());
    secrets->write(QStringLiteral("com.vocena.ai"), QStringLiteral("apiKey"), QStringLiteral("sk-123456"));
    process(kSpoken);
    EXPECT_TRUE(QString::fromUtf8(asked).contains(kPunctuated)) << asked.toStdString();
    EXPECT_EQ(keys.typed, QStringList{QStringLiteral("今天天气很好，我们出去玩。")});
}

TEST_F(PunctuatedPipelineTest, WithPunctuationOffOrNoModelTheTranscriptIsTypedAsRecognised) {
    process(kSpoken);  // nothing installed
    installPunctuation();
    prefs.setValue(QString::fromLatin1(TranscriptPunctuator::kEnabledKey), false);
    EXPECT_FALSE(punctuator.activeModel());
    process(kSpoken);
    EXPECT_EQ(keys.typed, (QStringList{kSpoken, kSpoken}));

    prefs.setValue(QString::fromLatin1(TranscriptPunctuator::kEnabledKey), true);  // reaches the next dictation
    process(kSpoken);
    EXPECT_EQ(keys.typed.last(), kPunctuated);
}

TEST_F(PunctuatedPipelineTest, SpokenCommandsStillWorkWithPunctuationOn) {
    installPunctuation();
    process(QStringLiteral("我们很好"));
    ASSERT_EQ(keys.typed, QStringList{QStringLiteral("我们很好。")});
    // Punctuated first, "删除最后三个字。" would be no command and be typed.
    for (const QString& command : {QStringLiteral("删除最后三个字"), QStringLiteral("撤销")}) process(command);
    EXPECT_EQ(keys.events, (QStringList{QStringLiteral("backspace×3"), QStringLiteral("undo")}));
    EXPECT_EQ(keys.typed.size(), 1);
}

TEST_F(PunctuatedPipelineTest, AModelThatStoppedLoadingLeavesTheTranscriptAsItWasAndSaysWhy) {
    installPunctuation();
    const std::optional<SpeechModel> installed = store.punctuationModel();
    ASSERT_TRUE(installed);
    // Damaged on disk after its install: the checksum no longer holds, nothing is loaded.
    ASSERT_TRUE(test::writeFile(installed->filePath(QStringLiteral("model")), "garbage"));
    test::LogCapture log;
    process(kSpoken);
    EXPECT_EQ(keys.typed, QStringList{kSpoken});
    EXPECT_TRUE(log.contains(QStringLiteral("标点模型 good 无法使用"))) << log.lines().join(QLatin1Char('\n')).toStdString();
}
