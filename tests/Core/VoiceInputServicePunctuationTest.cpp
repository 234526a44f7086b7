// Final transcripts punctuated in the pipeline: the real engine's decoding thread runs the
// generated punctuation model (which puts 。 after 好) installed in a real model store.
#include "Infrastructure/Platform/Clock.h"
#include "Infrastructure/Speech/Models/ModelStore.h"
#include "Infrastructure/Speech/Recognition/SherpaOnnxEngine.h"
#include "Infrastructure/Speech/Recognition/TranscriptPunctuator.h"
#include "support/Dictation.h"
#include "support/LogCapture.h"
#include "support/SpeechTestAssets.h"
#include "support/TestFiles.h"

using namespace vocena;
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

    void installPunctuation() {
        auto outcome = test::await(store.install(SpeechTestAssets::shared().punctuationModel(QStringLiteral("good")), std::nullopt));
        ASSERT_TRUE(outcome.ok() && outcome.value->ok) << outcome.value.value_or(ModelStore::InstallResult{}).message.toStdString();
    }

    test::Dictation dictation{{.punctuation = &punctuator}};
    Preferences& prefs = dictation.prefs;
    ModelStore store{prefs, dictation.dir.filePath(QStringLiteral("models")), QStringLiteral(VOCENA_BINARY)};
    SherpaOnnxEngine engine{Scheduler::main()};
    TranscriptPunctuator punctuator{prefs, store, engine};
    QStringList& typed = dictation.keys.typed;
};

}  // namespace

// Without the model service the transcript is typed punctuated, once a model is installed and
// while the preference is on; spoken commands are found before punctuation.
TEST_F(PunctuatedPipelineTest, TheTranscriptIsPunctuatedWithAModelAndThePreferenceOn) {
    dictation.process(kSpoken);  // nothing installed
    installPunctuation();
    prefs.setValue(QString::fromLatin1(TranscriptPunctuator::kEnabledKey), false);
    dictation.process(kSpoken);
    prefs.setValue(QString::fromLatin1(TranscriptPunctuator::kEnabledKey), true);  // reaches the next dictation
    dictation.process(kSpoken);
    EXPECT_EQ(typed, (QStringList{kSpoken, kSpoken, kPunctuated}));
    EXPECT_EQ(dictation.service.lastInjectedText(), kPunctuated);
    // Punctuated first, "删除最后三个字。" would be no command and be typed.
    for (const QString& command : {QStringLiteral("删除最后三个字"), QStringLiteral("撤销")}) dictation.process(command);
    EXPECT_EQ(dictation.keys.events, (QStringList{QStringLiteral("backspace×3"), QStringLiteral("undo")}));
}

TEST_F(PunctuatedPipelineTest, AModelThatStoppedLoadingLeavesTheTranscriptAsItWasAndSaysWhy) {
    installPunctuation();
    const std::optional<SpeechModel> installed = store.punctuationModel();
    ASSERT_TRUE(installed);
    // Damaged on disk after its install: the checksum no longer holds, nothing is loaded.
    ASSERT_TRUE(test::writeFile(installed->filePath(QStringLiteral("model")), "garbage"));
    test::LogCapture log;
    dictation.process(kSpoken);
    EXPECT_EQ(typed, QStringList{kSpoken});
    EXPECT_TRUE(log.contains(QStringLiteral("标点模型 good 无法使用"))) << log.lines().join(QLatin1Char('\n')).toStdString();
}
