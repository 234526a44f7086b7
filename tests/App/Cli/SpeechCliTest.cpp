// `vocena model`, `vocena transcribe` and `vocena doctor` as processes, over the generated test models.
#include "support/AppDriver.h"
#include "support/LoopbackHttpServer.h"
#include "support/SpeechTestAssets.h"
#include "support/TestFiles.h"
#include "support/TransducerTestModel.h"


using vocena::test::LoopbackHttpServer;
using vocena::test::SpeechTestAssets;
using vocena::test::TransducerTestModel;
namespace test = vocena::test;

namespace {

class SpeechCliTest : public test::AppDriver {
protected:
    void SetUp() override {
        AppDriver::SetUp();
        ASSERT_EQ(SpeechTestAssets::shared().error, QString());
    }
    static QString model(const char* variant) { return SpeechTestAssets::shared().model(QLatin1String(variant)); }
    test::ProcessResult transcribe() const { return run({"transcribe", SpeechTestAssets::shared().speechWav()}); }
    bool doctorSays(const QString& line) const { return run({"doctor"}).out.contains(line); }
    // The transcript is the non-streaming model's (您好…; the streaming one hears 你好…).
    ::testing::AssertionResult finalPassHeard() const {
        const test::ProcessResult heard = transcribe();
        const bool finalPass = heard.out.contains(QStringLiteral("您好")) && !heard.out.contains(u'你');
        return test::described(heard, heard.exitCode == 0 && finalPass);
    }
};

}  // namespace

// Without a model, then with the good one (`model verify` is what the store runs to check it).
TEST_F(SpeechCliTest, TranscribeNeedsAModelThenPrintsPartialsAndTheTextPunctuatedWhenItCan) {
    EXPECT_TRUE(test::exits(transcribe(), 1, {"未安装语音模型", "vocena model install"}));

    EXPECT_TRUE(run({"model", "verify", model("good")}).out.contains(QStringLiteral("模型可用")));
    ASSERT_NO_FATAL_FAILURE(install(model("good")));
    EXPECT_TRUE(run({"model", "list"}).out.startsWith(QStringLiteral("* good  语音识别  t-one-ctc  已验证")));

    const auto spoken = transcribe();
    const QString text = spoken.out.trimmed();
    ASSERT_TRUE(test::described(spoken, spoken.exitCode == 0 && !text.isEmpty() && !text.contains(QLatin1Char('\n'))));

    // With a punctuation model (the generated one puts 。 after 好).
    const QString punctuation = SpeechTestAssets::copyFolder(SpeechTestAssets::shared().punctuationModel(QStringLiteral("good")),
                                                             home.filePath(QStringLiteral("src/vocena-test-punctuation")));
    ASSERT_EQ(run({"model", "install", punctuation}).exitCode, 0);
    QString punctuated = QString(text).replace(QStringLiteral("好"), QStringLiteral("好。"));
    if (!punctuated.endsWith(QStringLiteral("。"))) punctuated += QStringLiteral("。");
    EXPECT_EQ(transcribe().out.trimmed(), punctuated);
    EXPECT_TRUE(doctorSays(QStringLiteral("标点: 开启（模型 vocena-test-punctuation）")));
    ASSERT_EQ(run({"config", "set", "com.vocena.speech.punctuation", "false"}).exitCode, 0);
    EXPECT_EQ(transcribe().out.trimmed(), text);
    EXPECT_TRUE(doctorSays(QStringLiteral("标点: 关闭")));

    EXPECT_EQ(run({"model", "remove", "good"}).exitCode, 0);
    EXPECT_TRUE(transcribe().err.contains(QStringLiteral("未安装语音模型")));
}

// The built-in non-streaming model, downloaded by its name from a mirror (where none answers,
// the command says what to do). With it installed the printed text is the final pass's (您好…,
// where the streaming model hears 你好…); switched off, or damaged after its install, the
// streaming text is printed again, and doctor says which model the final text comes from.
// Without the streaming model, the non-streaming one recognises alone.
TEST_F(SpeechCliTest, TranscribePrintsTheFinalPassTextAndFallsBackOnTheStreamingText) {
    ASSERT_NO_FATAL_FAILURE(install(model("good")));
    const QString name = QStringLiteral("sherpa-onnx-zipformer-ctc-zh-int8-2025-07-03");
    const QByteArray archive = test::readFile(SpeechTestAssets::shared().offlineReleaseArchive(name, home.filePath(QStringLiteral("src"))));
    LoopbackHttpServer mirror([&archive](const auto& request) { return LoopbackHttpServer::Response::download(archive, request); });
    const char* key = "com.vocena.models.mirror";
    ASSERT_EQ(run({"config", "set", key, LoopbackHttpServer::refusingBaseURL()}).exitCode, 0);
    EXPECT_TRUE(test::exits(run({"model", "install", name}), 1,
                            {QStringLiteral("vocena config set %1").arg(QLatin1String(key)), "再运行 vocena model install"}));

    ASSERT_EQ(run({"config", "set", key, mirror.baseURL()}).exitCode, 0);
    ASSERT_TRUE(test::prints(run({"model", "install", name}), 0, {"整句识别模型"}));
    EXPECT_EQ(mirror.requests().last().target, "/k2-fsa/sherpa-onnx/releases/download/asr-models/" + name.toLatin1() + ".tar.bz2");

    EXPECT_TRUE(finalPassHeard());
    EXPECT_TRUE(doctorSays(QStringLiteral("最终文字: 整句识别模型 ") + name));

    ASSERT_EQ(run({"config", "set", "com.vocena.speech.finalPass", "false"}).exitCode, 0);
    EXPECT_TRUE(test::prints(transcribe(), 0, {"你好"}));
    EXPECT_TRUE(doctorSays(QStringLiteral("最终文字: 流式语音模型（整句识别已关闭）")));

    ASSERT_EQ(run({"config", "set", "com.vocena.speech.finalPass", "true"}).exitCode, 0);
    const QString tokens = home.filePath(QStringLiteral("data/澄言/models/%1/tokens.txt").arg(name));
    ASSERT_TRUE(test::writeFile(tokens, test::readFile(tokens) + "坏 3\n"));
    EXPECT_TRUE(test::prints(transcribe(), 0, {"你好"}));
    EXPECT_TRUE(doctorSays(QStringLiteral("最终文字: 流式语音模型（整句识别模型 %1 已损坏").arg(name)));

    // Alone, the non-streaming model recognises by itself.
    ASSERT_EQ(run({"model", "remove", name}).exitCode, 0);
    ASSERT_EQ(run({"model", "install", name}).exitCode, 0);
    ASSERT_EQ(run({"model", "remove", "good"}).exitCode, 0);
    EXPECT_TRUE(finalPassHeard());
    EXPECT_TRUE(doctorSays(QStringLiteral("最终文字: 整句识别模型 %1（未安装流式语音模型").arg(name)));
}

// The vocabulary as hotwords: `vocena transcribe` with the generated transducer installed, and
// what `vocena doctor` says about hotwords.
TEST_F(SpeechCliTest, TheVocabularyReachesTheRecogniserAsHotwordsAndTheDoctorSaysSo) {
    ASSERT_EQ(TransducerTestModel::shared().error, QString());
    const auto heard = [this] { return transcribe().out.trimmed(); };
    EXPECT_TRUE(doctorSays(QStringLiteral("热词: 未启用（没有可用的语音模型）")));
    ASSERT_NO_FATAL_FAILURE(install(model("good")));
    EXPECT_TRUE(doctorSays(QStringLiteral("热词: 未启用（t-one-ctc 模型不支持热词，只有 transducer 模型支持）")));

    ASSERT_EQ(run({"model", "install", TransducerTestModel::shared().directory(), "--type", "transducer"}).exitCode, 0);
    ASSERT_EQ(run({"model", "use", "transducer"}).exitCode, 0);
    EXPECT_TRUE(doctorSays(QStringLiteral("热词: 已启用，但词汇表中没有可用的词（分数 1.5）")));

    ASSERT_EQ(run({"vocab", "add", "泥好"}).exitCode, 0);
    ASSERT_EQ(run({"vocab", "add", "明天"}).exitCode, 0);
    EXPECT_TRUE(heard().startsWith(QStringLiteral("泥好泥好")));
    EXPECT_TRUE(doctorSays(QStringLiteral("热词: 已启用，1 个词汇，分数 1.5\n    1 个词汇无法用模型的字表（cjkchar）写成热词: 明天")));

    ASSERT_EQ(run({"config", "set", "com.vocena.speech.hotwordScore", "0"}).exitCode, 0);
    EXPECT_TRUE(heard().startsWith(QStringLiteral("你好你好")));
    EXPECT_TRUE(doctorSays(QStringLiteral("热词: 已关闭（com.vocena.speech.hotwordScore 为 0）")));
}
