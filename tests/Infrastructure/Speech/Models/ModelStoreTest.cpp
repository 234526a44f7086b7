// The model store over real files, the real `vocena model verify` child process and a loopback
// download server, with the generated speech, punctuation and non-streaming models.
#include "Infrastructure/Platform/CancelToken.h"
#include "Infrastructure/Platform/Preferences.h"
#include "Infrastructure/Speech/Models/ModelCatalog.h"
#include "Infrastructure/Speech/Models/ModelStore.h"
#include "support/AsyncTest.h"
#include "support/LoopbackHttpServer.h"
#include "support/SpeechTestAssets.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <QTimer>
#include <QUrl>

using namespace vocena;
using vocena::test::LoopbackHttpServer;

namespace {

const test::SpeechTestAssets& assets() { return test::SpeechTestAssets::shared(); }

class ModelStoreTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(assets().error, QString()); }

    ModelStore::InstallResult install(const QString& source, std::optional<SpeechModelType> type = std::nullopt) {
        auto outcome = test::await(store.install(source, type));
        EXPECT_TRUE(outcome.ok()) << outcome.error.toStdString();
        return outcome.value.value_or(ModelStore::InstallResult{});
    }
    // A copy of the good speech model in a folder of this name.
    QString goodModelNamed(const QString& name) { return assets().copy(QStringLiteral("good"), work.filePath(name)); }
    QStringList modelFolders() const { return QDir(modelsDir()).entryList(QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden); }
    QString modelsDir() const { return work.filePath(QStringLiteral("models")); }

    QTemporaryDir work;
    Preferences preferences{work.filePath(QStringLiteral("preferences.json"))};
    ModelStore store{preferences, modelsDir(), QStringLiteral(VOCENA_BINARY)};
};

TEST_F(ModelStoreTest, InstallListUseRemoveRoundTripAndChangedFilesAreNotUsed) {
    const ModelStore::InstallResult first = install(goodModelNamed(QStringLiteral("alpha")));
    ASSERT_TRUE(first.ok) << first.message.toStdString();
    QString error;  // the manifest's checksums hold (a changed file fails them, below)
    EXPECT_TRUE(store.loadableModel(&error)) << error.toStdString();

    // From an archive, with the type given.
    const ModelStore::InstallResult second = install(test::SpeechTestAssets::archive(goodModelNamed(QStringLiteral("beta"))), SpeechModelType::ToneCtc);
    ASSERT_TRUE(second.ok) << second.message.toStdString();
    EXPECT_FALSE(install(goodModelNamed(QStringLiteral("beta"))).ok);  // already installed
    EXPECT_EQ(modelFolders(), (QStringList{QStringLiteral("alpha"), QStringLiteral("beta")}));  // no work folders left

    EXPECT_EQ(store.use(QStringLiteral("beta")), QString());
    EXPECT_EQ(preferences.stringValue(QString::fromLatin1(ModelStore::kActiveModelKey)), QStringLiteral("beta"));
    EXPECT_NE(store.use(QStringLiteral("gamma")), QString());
    EXPECT_EQ(store.remove(QStringLiteral("beta")), QString());
    EXPECT_EQ(store.activeName(), QString());
    EXPECT_NE(store.remove(QStringLiteral("../models")), QString());
    EXPECT_EQ(modelFolders(), QStringList{QStringLiteral("alpha")});

    // A changed file or an unreadable manifest keeps a model from being used.
    ASSERT_EQ(store.use(QStringLiteral("alpha")), QString());
    const QString tokens = QDir(modelsDir()).filePath(QStringLiteral("alpha/tokens.txt"));
    ASSERT_TRUE(test::writeFile(tokens, test::readFile(tokens) + "啊 3\n"));
    QString problem;
    EXPECT_FALSE(store.loadableModel(&problem));
    EXPECT_TRUE(problem.contains(QStringLiteral("tokens.txt"))) << problem.toStdString();

    const QString manifest = QDir(modelsDir()).filePath(QStringLiteral("alpha/manifest.json"));
    ASSERT_TRUE(test::writeFile(manifest, "{not json"));  // (the problem shown is SpeechModelCardTest's)
    EXPECT_NE(store.use(QStringLiteral("alpha")), QString());
    EXPECT_EQ(test::readFile(manifest), QByteArray("{not json"));  // never rewritten
}

// Punctuation and final-pass models (this one from its release archive) are installed beside
// speech models but never become the active one (the kinds detected are SpeechCliTest's
// `model list`).
TEST_F(ModelStoreTest, ModelsOfOtherKindsAreInstalledBesideButNeverActive) {
    const ModelStore::InstallResult punctuation = install(assets().punctuationModel(QStringLiteral("good")));
    ASSERT_TRUE(punctuation.ok) << punctuation.message.toStdString();
    EXPECT_FALSE(punctuation.activated);
    EXPECT_NE(store.use(QStringLiteral("good")), QString());

    const ModelStore::InstallResult finalPass =
        install(assets().offlineReleaseArchive(QStringLiteral("final-pass"), work.filePath(QStringLiteral("src"))));
    ASSERT_TRUE(finalPass.ok) << finalPass.message.toStdString();
    EXPECT_EQ(store.use(QStringLiteral("final-pass")), QStringLiteral("final-pass 是整句识别模型，不能用作语音模型"));
    EXPECT_FALSE(preferences.stringValue(QString::fromLatin1(ModelStore::kActiveModelKey)));

    // The speech model installed next becomes the active one; the punctuation model is found by kind.
    ASSERT_TRUE(install(goodModelNamed(QStringLiteral("speech"))).activated);
    EXPECT_EQ(store.activeName(), QStringLiteral("speech"));
    EXPECT_EQ(store.punctuationModel().value_or(SpeechModel{}).name, QStringLiteral("good"));
    EXPECT_EQ(store.remove(QStringLiteral("good")), QString());
    EXPECT_FALSE(store.punctuationModel());
    EXPECT_EQ(store.activeName(), QStringLiteral("speech"));
}

TEST_F(ModelStoreTest, DamagedModelsAreRefusedInTheChildAndCancelledInstallsKilledLeavingNothingBehind) {
    const QList<std::tuple<QString, SpeechModelType, const char*>> cases{
        {assets().model(QStringLiteral("random-bytes")), SpeechModelType::ToneCtc, ""},
        {assets().model(QStringLiteral("no-metadata")), SpeechModelType::ToneCtc, ""},
        {assets().model(QStringLiteral("no-blank")), SpeechModelType::ToneCtc, ""},
        {assets().punctuationModel(QStringLiteral("random-bytes")), SpeechModelType::CtTransformerPunctuation, ""},
        {assets().punctuationModel(QStringLiteral("no-metadata")), SpeechModelType::CtTransformerPunctuation, ""},
        {assets().punctuationModel(QStringLiteral("short-vocab")), SpeechModelType::CtTransformerPunctuation, ""},
        {assets().offlineModel(QStringLiteral("no-blank")), SpeechModelType::OfflineZipformerCtc, "没有空白符号"},  // the library would end the process
        {assets().offlineModel(QStringLiteral("random-bytes")), SpeechModelType::OfflineZipformerCtc, "model.onnx"},
    };
    for (const auto& [folder, type, reason] : cases) {
        SCOPED_TRACE(folder.toStdString());
        const ModelStore::InstallResult result = install(folder, type);
        EXPECT_FALSE(result.ok);
        EXPECT_TRUE(result.message.startsWith(QStringLiteral("模型验证失败"))) << result.message.toStdString();
        EXPECT_TRUE(result.message.contains(QString::fromUtf8(reason))) << result.message.toStdString();
        EXPECT_FALSE(result.message.contains(QStringLiteral("异常结束"))) << "the child refused it with exit code 1";
    }
    // Without the type, a model lacking the punctuation metadata is not taken for one at all.
    EXPECT_FALSE(install(assets().punctuationModel(QStringLiteral("no-metadata"))).ok);
    EXPECT_FALSE(install(work.filePath(QStringLiteral("missing"))).ok);

    // A cancel kills the verification. A verifier that would approve the model after half a
    // minute, and says when it started.
    const QString started = work.filePath(QStringLiteral("verifier-started"));
    const QString verifier = work.filePath(QStringLiteral("slow-verifier"));
    ASSERT_TRUE(test::writeFile(verifier, QStringLiteral("#!/bin/sh\ntouch '%1'\nexec sleep 30\n").arg(started).toUtf8()));
    QFile::setPermissions(verifier, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    ModelStore slowStore(preferences, modelsDir(), verifier);

    auto cancel = std::make_shared<CancelToken>();
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (QFileInfo::exists(started)) cancel->cancel();
    });
    poll.start(10);
    auto outcome = test::await(slowStore.install(goodModelNamed(QStringLiteral("gamma")), std::nullopt, {}, cancel));
    ASSERT_TRUE(outcome.ok());
    EXPECT_FALSE(outcome.value->ok);
    EXPECT_EQ(outcome.value->message, ModelStore::kCancelledMessage);

    EXPECT_EQ(modelFolders(), QStringList());  // no model, no work folder
}

TEST_F(ModelStoreTest, DownloadsAreCheckedAgainstTheirChecksumAndStatus) {
    const QByteArray archive = test::readFile(test::SpeechTestAssets::archive(goodModelNamed(QStringLiteral("remote"))));
    ASSERT_FALSE(archive.isEmpty());
    LoopbackHttpServer server([&archive](const auto& request) { return LoopbackHttpServer::Response::download(archive, request); });
    const ModelStore::InstallResult wrong = install(server.baseURL() + QStringLiteral("/files/remote.tar.bz2#sha256=") + QString(64, QLatin1Char('0')));
    EXPECT_FALSE(wrong.ok);
    EXPECT_TRUE(wrong.message.contains(QStringLiteral("校验和"))) << wrong.message.toStdString();
    EXPECT_EQ(modelFolders(), QStringList{QStringLiteral(".downloads")});  // nothing installed, no work folder left
    EXPECT_EQ(QDir(modelsDir() + QStringLiteral("/.downloads")).entryList(QDir::Files), QStringList());  // nor the archive

    // An error page is no model either, however slowly it comes.
    LoopbackHttpServer missing([](const auto&) { return LoopbackHttpServer::Response::json(404, QByteArray(64, 'x')).pacedBy(8, 20); });
    const ModelStore::InstallResult notFound = install(missing.baseURL() + QStringLiteral("/files/missing.tar.bz2"));
    EXPECT_TRUE(!notFound.ok && notFound.message.startsWith(QStringLiteral("下载失败"))) << notFound.message.toStdString();
}

// A mirror takes the place of the release URL's scheme and host; the path, and so the file
// name, stays. A checksum holds for the mirror's file too.
TEST_F(ModelStoreTest, BuiltInModelsDownloadFromTheMirrorOfThePreference) {
    const ModelCatalog::Entry finalPass = *ModelCatalog::finalPass();
    const QString path = QUrl(finalPass.url).path();
    const QList<QPair<QString, QString>> cases{
        {QStringLiteral("   "), finalPass.url},
        {QStringLiteral("https://gh.example/https://github.com/"), QStringLiteral("https://gh.example/https://github.com") + path},
        {QStringLiteral("http://127.0.0.1:8080/models"), QStringLiteral("http://127.0.0.1:8080/models") + path},
    };
    for (const auto& [mirror, address] : cases) {
        EXPECT_EQ(preferences.setValue(QString::fromLatin1(ModelCatalog::kMirrorKey), mirror), QString());
        EXPECT_EQ(store.downloadAddress(finalPass), address) << mirror.toStdString();
    }
    ModelCatalog::Entry pinned = finalPass;
    pinned.sha256 = QString(64, QLatin1Char('a'));
    EXPECT_EQ(store.downloadAddress(pinned), QStringLiteral("http://127.0.0.1:8080/models") + path + QStringLiteral("#sha256=") + pinned.sha256);
}

}  // namespace
