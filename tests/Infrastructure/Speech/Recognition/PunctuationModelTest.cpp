// Punctuation models: the library wrapper over the generated CT-Transformer-shaped model, and
// the model store installing them beside speech models (verified by the built `vocena`).
#include "Infrastructure/Platform/Preferences.h"
#include "Infrastructure/Speech/Models/ModelStore.h"
#include "Infrastructure/Speech/Recognition/SherpaPunctuator.h"
#include "Infrastructure/Speech/Models/SpeechModelDetector.h"
#include "support/AsyncTest.h"
#include "support/SpeechTestAssets.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QTemporaryDir>

using namespace vocena;
using vocena::test::SpeechTestAssets;

namespace {

class PunctuationModelTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(SpeechTestAssets::shared().error, QString()); }

    static QString punctuation(const char* variant) { return SpeechTestAssets::shared().punctuationModel(QLatin1String(variant)); }

    ModelStore::InstallResult install(const QString& source, std::optional<SpeechModelType> type = std::nullopt) {
        auto outcome = test::await(store.install(source, type));
        EXPECT_TRUE(outcome.ok()) << outcome.error.toStdString();
        return outcome.value.value_or(ModelStore::InstallResult{});
    }
    QStringList modelFolders() const { return QDir(modelsDir()).entryList(QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden); }
    QString modelsDir() const { return work.filePath(QStringLiteral("models")); }

    QTemporaryDir work;
    Preferences preferences{work.filePath(QStringLiteral("preferences.json"))};
    ModelStore store{preferences, modelsDir(), QStringLiteral(VOCENA_BINARY)};
};

}  // namespace

TEST_F(PunctuationModelTest, PunctuatesWithTheGeneratedModel) {
    QString error;
    const std::optional<SpeechModel> model = SpeechModelDetector::detect(punctuation("good"), std::nullopt, &error);
    ASSERT_TRUE(model) << error.toStdString();
    EXPECT_EQ(model->kind(), ModelKind::punctuation);
    EXPECT_EQ(model->files.value(QStringLiteral("model")), QStringLiteral("model.int8.onnx"));
    const std::unique_ptr<SherpaPunctuator> punctuator = SherpaPunctuator::create(*model, &error);
    ASSERT_TRUE(punctuator) << error.toStdString();

    const QList<std::pair<QString, QString>> cases{
        {QStringLiteral("今天天气很好我们出去玩"), QStringLiteral("今天天气很好。我们出去玩。")},
        {QStringLiteral("我们出去玩"), QStringLiteral("我们出去玩。")},
        {QStringLiteral("hello world 很好"), QStringLiteral("hello world很好。")},  // a word the vocabulary lacks is kept
        {QString(), QString()},
        {QStringLiteral("  "), QStringLiteral("  ")},
    };
    for (const auto& [text, expected] : cases) EXPECT_EQ(punctuator->punctuate(text, &error), expected) << text.toStdString();

    SpeechModel missing = *model;
    missing.directory = work.filePath(QStringLiteral("nowhere"));
    EXPECT_FALSE(SherpaPunctuator::create(missing, &error));
    EXPECT_TRUE(error.contains(QStringLiteral("不存在"))) << error.toStdString();
}

TEST_F(PunctuationModelTest, OnlyMarksAndSpacesMayChange) {
    EXPECT_TRUE(SherpaPunctuator::keepsWords(QStringLiteral("今天很好 hello"), QStringLiteral("今天，很好。Hello？")));
    EXPECT_FALSE(SherpaPunctuator::keepsWords(QStringLiteral("今天很好我们出去"), QStringLiteral("今天很好。")));
    EXPECT_FALSE(SherpaPunctuator::keepsWords(QStringLiteral("今天很好"), QStringLiteral("今天真好。")));
}

TEST_F(PunctuationModelTest, InstalledBesideSpeechModelsButNeverTheActiveOne) {
    EXPECT_FALSE(store.punctuationModel());
    const ModelStore::InstallResult result = install(punctuation("good"));
    ASSERT_TRUE(result.ok) << result.message.toStdString();
    EXPECT_FALSE(result.activated);
    EXPECT_EQ(store.activeName(), QString());
    EXPECT_EQ(result.model->type, SpeechModelType::CtTransformerPunctuation);
    EXPECT_NE(store.use(QStringLiteral("good")), QString());
    EXPECT_EQ(store.activeName(), QString());

    // The speech model installed next becomes the active one; the punctuation model is found by kind.
    ASSERT_TRUE(install(SpeechTestAssets::shared().copy(QStringLiteral("good"), work.filePath(QStringLiteral("speech")))).activated);
    EXPECT_EQ(store.activeName(), QStringLiteral("speech"));
    ASSERT_TRUE(store.punctuationModel());
    EXPECT_EQ(store.punctuationModel()->name, QStringLiteral("good"));
    // Of two, the one installed last (not the first by name).
    ASSERT_TRUE(install(SpeechTestAssets::copyFolder(punctuation("good"), work.filePath(QStringLiteral("a-newer")))).ok);
    EXPECT_EQ(store.punctuationModel()->name, QStringLiteral("a-newer"));
    EXPECT_EQ(store.remove(QStringLiteral("a-newer")), QString());
    EXPECT_EQ(store.remove(QStringLiteral("good")), QString());
    EXPECT_FALSE(store.punctuationModel());
    EXPECT_EQ(store.activeName(), QStringLiteral("speech"));
}

TEST_F(PunctuationModelTest, DamagedModelsAreRefusedInTheChildAndLeaveNothingBehind) {
    for (const char* variant : {"random-bytes", "no-metadata", "short-vocab"}) {
        const ModelStore::InstallResult result = install(punctuation(variant), SpeechModelType::CtTransformerPunctuation);
        EXPECT_FALSE(result.ok) << variant;
        EXPECT_TRUE(result.message.startsWith(QStringLiteral("模型验证失败"))) << result.message.toStdString();
        EXPECT_FALSE(result.message.contains(QStringLiteral("异常结束"))) << "the child refused it with exit code 1: " << variant;
    }
    // Without the type, a model lacking the punctuation metadata is not taken for one at all.
    EXPECT_FALSE(install(punctuation("no-metadata")).ok);
    EXPECT_EQ(modelFolders(), QStringList());
    EXPECT_FALSE(store.punctuationModel());
}
