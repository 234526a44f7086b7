// The vocabulary as hotwords through the command line: `vocena transcribe` with the generated
// transducer installed, and what `vocena doctor` says about hotwords.
#include "support/CliRunner.h"
#include "support/SpeechTestAssets.h"
#include "support/TransducerTestModel.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

using vocena::test::SpeechTestAssets;
using vocena::test::TransducerTestModel;

TEST(HotwordCliTest, TheVocabularyReachesTheRecogniserAndTheDoctorSaysSo) {
    ASSERT_EQ(SpeechTestAssets::shared().error, QString());
    ASSERT_EQ(TransducerTestModel::shared().error, QString());
    QTemporaryDir home;
    auto vocena = [&home](const QStringList& args) { return vocena::test::runVocena(QStringLiteral(VOCENA_BINARY), home.path(), args); };
    auto transcribe = [&] { return vocena({"transcribe", SpeechTestAssets::shared().speechWav()}).out.trimmed(); };
    auto doctorSays = [&](const QString& line) { return vocena({"doctor"}).out.contains(line); };

    EXPECT_TRUE(doctorSays(QStringLiteral("热词: 未启用（没有可用的语音模型）")));
    ASSERT_EQ(vocena({"model", "install", SpeechTestAssets::shared().model(QStringLiteral("good"))}).exitCode, 0);
    EXPECT_TRUE(doctorSays(QStringLiteral("热词: 未启用（t-one-ctc 模型不支持热词，只有 transducer 模型支持）")));

    ASSERT_EQ(vocena({"model", "install", TransducerTestModel::shared().directory(), "--type", "transducer"}).exitCode, 0);
    ASSERT_EQ(vocena({"model", "use", "transducer"}).exitCode, 0);
    EXPECT_TRUE(transcribe().startsWith(QStringLiteral("你好你好")));
    EXPECT_TRUE(doctorSays(QStringLiteral("热词: 已启用，但词汇表中没有可用的词（分数 1.5）")));

    ASSERT_EQ(vocena({"vocab", "add", "泥好"}).exitCode, 0);
    ASSERT_EQ(vocena({"vocab", "add", "明天"}).exitCode, 0);
    EXPECT_TRUE(transcribe().startsWith(QStringLiteral("泥好泥好")));
    EXPECT_TRUE(doctorSays(QStringLiteral("热词: 已启用，1 个词汇，分数 1.5\n    1 个词汇无法用模型的字表（cjkchar）写成热词: 明天")));

    ASSERT_EQ(vocena({"config", "set", "com.vocena.speech.hotwordScore", "0"}).exitCode, 0);
    EXPECT_TRUE(transcribe().startsWith(QStringLiteral("你好你好")));
    EXPECT_TRUE(doctorSays(QStringLiteral("热词: 已关闭（com.vocena.speech.hotwordScore 为 0）")));
}
