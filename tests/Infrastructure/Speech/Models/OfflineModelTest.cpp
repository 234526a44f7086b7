// Non-streaming models, on the real library with the generated zipformer CTC model: found as
// such without being told, verified in a child process (the damaged copies refused), decoding a
// whole recording at once, and kept apart from the streaming model that dictation uses.
#include "Infrastructure/Platform/Preferences.h"
#include "Infrastructure/Speech/Models/ModelStore.h"
#include "Infrastructure/Speech/Models/ModelVerifier.h"
#include "Infrastructure/Speech/Recognition/SherpaOfflineRecognizer.h"
#include "Infrastructure/Speech/Models/SpeechModelDetector.h"
#include "Infrastructure/Speech/Audio/WavReader.h"
#include "support/AsyncTest.h"
#include "support/SpeechTestAssets.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QRegularExpression>
#include <QTemporaryDir>

using namespace vocena;
using test::SpeechTestAssets;

namespace {

const SpeechTestAssets& assets() { return SpeechTestAssets::shared(); }

std::optional<SpeechModel> detected(const char* variant, QString* error) {
    return SpeechModelDetector::detect(assets().offlineModel(QString::fromLatin1(variant)), std::nullopt, error);
}

}  // namespace

TEST(OfflineModelTest, IsFoundByItsInputsAndVerifiedInAChildProcess) {
    ASSERT_EQ(assets().error, QString());
    QString error;
    const std::optional<SpeechModel> model = detected("good", &error);
    ASSERT_TRUE(model) << error.toStdString();
    EXPECT_EQ(model->type, SpeechModelType::OfflineZipformerCtc) << "a non-streaming model has no state inputs";
    EXPECT_EQ(model->kind(), ModelKind::finalPass);
    EXPECT_EQ(SpeechModel::kindName(model->kind()), QStringLiteral("整句识别"));
    // The streaming test model is still taken for a streaming one.
    const std::optional<SpeechModel> streaming = SpeechModelDetector::detect(assets().model(QStringLiteral("good")), std::nullopt, &error);
    ASSERT_TRUE(streaming) << error.toStdString();
    EXPECT_EQ(streaming->kind(), ModelKind::speech);

    const struct {
        const char* variant;
        bool usable;
        const char* reason;
    } cases[] = {
        {"good", true, "模型可用"},
        {"no-blank", false, "没有空白符号"},  // the library would end the process
        {"random-bytes", false, "model.onnx"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.variant);
        const auto outcome = test::await(
            ModelVerifier::verifyInChild(QStringLiteral(VOCENA_BINARY), assets().offlineModel(QString::fromLatin1(c.variant))));
        ASSERT_TRUE(outcome.ok()) << outcome.error.toStdString();
        const ModelVerifier::Result result = *outcome.value;
        EXPECT_EQ(result.ok, c.usable) << result.message.toStdString();
        EXPECT_TRUE(result.message.contains(QString::fromUtf8(c.reason))) << result.message.toStdString();
    }
}

// A whole recording at once: the speech comes out as the model hears it (您好…, where the
// streaming model hears 你好…), silence as nothing, a segment of a few samples without failing.
TEST(OfflineModelTest, RecognisesAWholeSegmentAtOnce) {
    ASSERT_EQ(assets().error, QString());
    QString error;
    const std::optional<SpeechModel> model = detected("good", &error);
    ASSERT_TRUE(model) << error.toStdString();
    const std::unique_ptr<SherpaOfflineRecognizer> recognizer = SherpaOfflineRecognizer::create(*model, {}, &error);
    ASSERT_TRUE(recognizer) << error.toStdString();
    EXPECT_FALSE(recognizer->punctuatesItself());

    const std::optional<WavReader::Audio> speech = WavReader::read(assets().speechWav(), &error);
    ASSERT_TRUE(speech) << error.toStdString();
    const std::optional<QString> text = recognizer->recognize(speech->samples.data(), int(speech->samples.size()), &error);
    ASSERT_TRUE(text) << error.toStdString();
    EXPECT_TRUE(text->contains(QStringLiteral("您好"))) << text->toStdString();
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^[您好]+$")).match(*text).hasMatch()) << text->toStdString();

    const std::vector<float> silence(16000, 0.0f);
    EXPECT_EQ(recognizer->recognize(silence.data(), int(silence.size()), &error), QString());
    // A few samples are padded to a length the library can decode, rather than make it fail.
    const std::vector<float> blip(5, 0.0f);
    EXPECT_EQ(recognizer->recognize(blip.data(), int(blip.size()), &error), QString()) << error.toStdString();
}

// Installed from an archive as sherpa-onnx publishes it (the int8 model, its tokens, a word-piece
// model, a README and test recordings), only the model and its tokens are kept, and it never
// becomes the model dictation streams with.
TEST(OfflineModelTest, InstalledFromItsReleaseArchiveItIsNeverTheActiveStreamingModel) {
    ASSERT_EQ(assets().error, QString());
    QTemporaryDir work;
    Preferences prefs(work.filePath(QStringLiteral("preferences.json")));
    ModelStore store(prefs, work.filePath(QStringLiteral("models")), QStringLiteral(VOCENA_BINARY));
    const QString archive = assets().offlineReleaseArchive(QStringLiteral("final-pass"), work.filePath(QStringLiteral("src")));
    const auto installed = test::await(store.install(archive, std::nullopt));
    ASSERT_TRUE(installed.ok() && installed.value->ok) << installed.value.value_or(ModelStore::InstallResult{}).message.toStdString();
    EXPECT_FALSE(installed.value->activated);
    EXPECT_EQ(installed.value->model->type, SpeechModelType::OfflineZipformerCtc);
    const QMap<QString, QString> files{{QStringLiteral("model"), QStringLiteral("model.int8.onnx")}, {QStringLiteral("tokens"), QStringLiteral("tokens.txt")}};
    EXPECT_EQ(installed.value->model->files, files);
    EXPECT_EQ(QDir(store.directory() + QStringLiteral("/final-pass")).entryList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot),
              (QStringList{QStringLiteral("manifest.json"), QStringLiteral("model.int8.onnx"), QStringLiteral("tokens.txt")}));
    EXPECT_EQ(store.use(QStringLiteral("final-pass")), QStringLiteral("final-pass 是整句识别模型，不能用作语音模型"));
    EXPECT_FALSE(prefs.stringValue(QString::fromLatin1(ModelStore::kActiveModelKey)));
}
