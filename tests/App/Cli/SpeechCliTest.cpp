// `vocena model`, `vocena transcribe` and `vocena doctor` as processes, over the generated test models.
#include "support/CliRunner.h"
#include "support/LoopbackHttpServer.h"
#include "support/SpeechTestAssets.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

using vocena::test::LoopbackHttpServer;
using vocena::test::SpeechTestAssets;
namespace test = vocena::test;

namespace {

class SpeechCliTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(SpeechTestAssets::shared().error, QString()); }

    vocena::test::ProcessResult vocena(const QStringList& args) const {
        return vocena::test::runVocena(QStringLiteral(VOCENA_BINARY), home.path(), args);
    }
    static QString model(const char* variant) { return SpeechTestAssets::shared().model(QLatin1String(variant)); }

    QTemporaryDir home;
};

// Each damaged model is refused (exit code 1) by this command run as the model store's verifier.
TEST_F(SpeechCliTest, VerifyAcceptsTheGoodModel) {
    const auto good = vocena({"model", "verify", model("good")});
    EXPECT_EQ(good.exitCode, 0) << good.err.toStdString();
    EXPECT_TRUE(good.out.contains(QStringLiteral("模型可用")));
}

TEST_F(SpeechCliTest, TranscribeNeedsAModelThenPrintsPartialsAndTheTextPunctuatedWhenItCan) {
    const auto none = vocena({"transcribe", SpeechTestAssets::shared().speechWav()});
    EXPECT_EQ(none.exitCode, 1);
    EXPECT_TRUE(none.err.contains(QStringLiteral("未安装语音模型"))) << none.err.toStdString();
    EXPECT_TRUE(none.err.contains(QStringLiteral("vocena model install")));

    const auto installed = vocena({"model", "install", model("good")});
    ASSERT_EQ(installed.exitCode, 0) << installed.err.toStdString();
    EXPECT_TRUE(vocena({"model", "list"}).out.startsWith(QStringLiteral("* good  语音识别  t-one-ctc  已验证")));

    const auto spoken = vocena({"transcribe", SpeechTestAssets::shared().speechWav()});
    ASSERT_EQ(spoken.exitCode, 0) << spoken.err.toStdString();
    const QString text = spoken.out.trimmed();
    EXPECT_FALSE(text.isEmpty());
    EXPECT_FALSE(text.contains(QLatin1Char('\n')));

    // Through the pipeline (a dry run; AI off, so the transcript is typed unchanged).
    ASSERT_EQ(vocena({"config", "set", "com.vocena.ai.enabled", "false"}).exitCode, 0);
    const auto processed = vocena({"transcribe", SpeechTestAssets::shared().speechWav(), "--ai"});
    EXPECT_EQ(processed.exitCode, 0) << processed.err.toStdString();
    EXPECT_EQ(processed.out.trimmed(), text);

    // With a punctuation model (the generated one puts 。 after 好), as printed and in the dry run.
    const QString punctuation = SpeechTestAssets::copyFolder(SpeechTestAssets::shared().punctuationModel(QStringLiteral("good")),
                                                             home.filePath(QStringLiteral("src/vocena-test-punctuation")));
    ASSERT_EQ(vocena({"model", "install", punctuation}).exitCode, 0);
    EXPECT_TRUE(vocena({"model", "list"}).out.contains(QStringLiteral("  vocena-test-punctuation  标点  ct-transformer-punctuation  已验证")));
    QString punctuated = QString(text).replace(QStringLiteral("好"), QStringLiteral("好。"));
    if (!punctuated.endsWith(QStringLiteral("。"))) punctuated += QStringLiteral("。");
    EXPECT_EQ(vocena({"transcribe", SpeechTestAssets::shared().speechWav()}).out.trimmed(), punctuated);
    EXPECT_EQ(vocena({"transcribe", SpeechTestAssets::shared().speechWav(), "--ai"}).out.trimmed(), punctuated);
    EXPECT_TRUE(vocena({"doctor"}).out.contains(QStringLiteral("标点: 开启（模型 vocena-test-punctuation）")));
    ASSERT_EQ(vocena({"config", "set", "com.vocena.speech.punctuation", "false"}).exitCode, 0);
    EXPECT_EQ(vocena({"transcribe", SpeechTestAssets::shared().speechWav()}).out.trimmed(), text);
    EXPECT_TRUE(vocena({"doctor"}).out.contains(QStringLiteral("标点: 关闭")));

    EXPECT_EQ(vocena({"transcribe", SpeechTestAssets::shared().path("missing.wav")}).exitCode, 1);
    EXPECT_EQ(vocena({"model", "remove", "good"}).exitCode, 0);
    EXPECT_TRUE(vocena({"transcribe", SpeechTestAssets::shared().speechWav()}).err.contains(QStringLiteral("未安装语音模型")));
}

}  // namespace

// The built-in non-streaming model, downloaded by its name from a mirror (where none answers,
// the command says what to do). With it installed the printed text is the final pass's (您好…,
// where the streaming model hears 你好…); switched off, or damaged after its install, the
// streaming text is printed again, and doctor says which model the final text comes from.
// Without the streaming model, the non-streaming one recognises alone.
TEST_F(SpeechCliTest, TranscribePrintsTheFinalPassTextAndFallsBackOnTheStreamingText) {
    ASSERT_EQ(vocena({"model", "install", model("good")}).exitCode, 0);
    const QString name = QStringLiteral("sherpa-onnx-zipformer-ctc-zh-int8-2025-07-03");
    EXPECT_TRUE(vocena({"model", "--help"}).out.contains(QStringLiteral("  %1  整句识别\n").arg(name)));
    const QByteArray archive = test::readFile(SpeechTestAssets::shared().offlineReleaseArchive(name, home.filePath(QStringLiteral("src"))));
    LoopbackHttpServer mirror([&archive](const auto& request) { return LoopbackHttpServer::Response::download(archive, request); });
    const char* key = "com.vocena.models.mirror";
    ASSERT_EQ(vocena({"config", "set", key, LoopbackHttpServer::refusingBaseURL()}).exitCode, 0);
    const auto refused = vocena({"model", "install", name});
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_TRUE(refused.err.contains(QStringLiteral("vocena config set %1").arg(QLatin1String(key)))) << refused.err.toStdString();
    EXPECT_TRUE(refused.err.contains(QStringLiteral("再运行 vocena model install"))) << refused.err.toStdString();

    ASSERT_EQ(vocena({"config", "set", key, mirror.baseURL()}).exitCode, 0);
    const auto installed = vocena({"model", "install", name});
    ASSERT_EQ(installed.exitCode, 0) << installed.err.toStdString();
    EXPECT_EQ(mirror.requests().last().target, "/k2-fsa/sherpa-onnx/releases/download/asr-models/" + name.toLatin1() + ".tar.bz2");
    EXPECT_TRUE(installed.out.contains(QStringLiteral("整句识别模型"))) << installed.out.toStdString();
    EXPECT_TRUE(vocena({"model", "list"}).out.contains(QStringLiteral("  %1  整句识别  offline-zipformer-ctc  已验证").arg(name)));
    const auto transcribe = [this] { return vocena({"transcribe", SpeechTestAssets::shared().speechWav()}); };

    const auto finalPass = transcribe();
    ASSERT_EQ(finalPass.exitCode, 0) << finalPass.err.toStdString();
    EXPECT_TRUE(finalPass.out.contains(QStringLiteral("您好"))) << finalPass.out.toStdString();
    EXPECT_FALSE(finalPass.out.contains(QStringLiteral("你"))) << finalPass.out.toStdString();
    EXPECT_TRUE(vocena({"doctor"}).out.contains(QStringLiteral("最终文字: 整句识别模型 ") + name));

    ASSERT_EQ(vocena({"config", "set", "com.vocena.speech.finalPass", "false"}).exitCode, 0);
    const auto off = transcribe();
    EXPECT_TRUE(off.out.contains(QStringLiteral("你好"))) << off.out.toStdString();
    EXPECT_TRUE(vocena({"doctor"}).out.contains(QStringLiteral("最终文字: 流式语音模型（整句识别已关闭）")));

    ASSERT_EQ(vocena({"config", "set", "com.vocena.speech.finalPass", "true"}).exitCode, 0);
    QFile tokens(home.filePath(QStringLiteral("data/澄言/models/%1/tokens.txt").arg(name)));
    ASSERT_TRUE(tokens.open(QIODevice::Append));
    tokens.write("坏 3\n");
    tokens.close();
    const auto damaged = transcribe();
    EXPECT_EQ(damaged.exitCode, 0) << damaged.err.toStdString();
    EXPECT_TRUE(damaged.out.contains(QStringLiteral("你好"))) << damaged.out.toStdString();
    EXPECT_TRUE(vocena({"doctor"}).out.contains(QStringLiteral("最终文字: 流式语音模型（整句识别模型 %1 已损坏").arg(name)));

    // Alone, the non-streaming model recognises by itself.
    ASSERT_EQ(vocena({"model", "remove", name}).exitCode, 0);
    ASSERT_EQ(vocena({"model", "install", name}).exitCode, 0);
    ASSERT_EQ(vocena({"model", "remove", "good"}).exitCode, 0);
    const auto alone = transcribe();
    EXPECT_EQ(alone.exitCode, 0) << alone.err.toStdString();
    EXPECT_TRUE(alone.out.contains(QStringLiteral("您好")) && !alone.out.contains(u'你')) << alone.out.toStdString();
    EXPECT_TRUE(vocena({"doctor"}).out.contains(QStringLiteral("最终文字: 整句识别模型 %1（未安装流式语音模型").arg(name)));
}
