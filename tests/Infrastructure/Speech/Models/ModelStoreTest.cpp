// The model store over real files, the real `vocena model verify` child process and a loopback
// download server.
#include "Infrastructure/Platform/CancelToken.h"
#include "Infrastructure/Platform/Preferences.h"
#include "Infrastructure/Speech/Models/ModelCatalog.h"
#include "Infrastructure/Speech/Models/ModelStore.h"
#include "support/AsyncTest.h"
#include "support/LoopbackHttpServer.h"
#include "support/SpeechTestAssets.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>
#include <QFileInfo>

using namespace vocena;
using vocena::test::LoopbackHttpServer;
using vocena::test::SpeechTestAssets;

namespace {

class ModelStoreTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(SpeechTestAssets::shared().error, QString()); }

    ModelStore::InstallResult install(const QString& source, std::optional<SpeechModelType> type = std::nullopt) {
        auto outcome = test::await(store.install(source, type));
        EXPECT_TRUE(outcome.ok()) << outcome.error.toStdString();
        return outcome.value.value_or(ModelStore::InstallResult{});
    }

    // A copy of the good model in a folder of this name.
    QString goodModelNamed(const QString& name) { return SpeechTestAssets::shared().copy(QStringLiteral("good"), work.filePath(name)); }

    QStringList modelFolders() const { return QDir(modelsDir()).entryList(QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden); }
    QString modelsDir() const { return work.filePath(QStringLiteral("models")); }

    QTemporaryDir work;
    Preferences preferences{work.filePath(QStringLiteral("preferences.json"))};
    ModelStore store{preferences, modelsDir(), QStringLiteral(VOCENA_BINARY)};
};

TEST_F(ModelStoreTest, InstallListUseRemoveRoundTrip) {
    EXPECT_FALSE(store.loadableModel(nullptr));
    const ModelStore::InstallResult first = install(goodModelNamed(QStringLiteral("alpha")));
    ASSERT_TRUE(first.ok) << first.message.toStdString();
    EXPECT_TRUE(first.activated);  // none was active
    EXPECT_EQ(store.activeName(), QStringLiteral("alpha"));

    QString error;  // the manifest's checksums hold (a changed file fails them, below)
    EXPECT_TRUE(store.loadableModel(&error)) << error.toStdString();

    // From an archive, with the type given; the active model stays.
    const ModelStore::InstallResult second = install(SpeechTestAssets::archive(goodModelNamed(QStringLiteral("beta"))), SpeechModelType::ToneCtc);
    ASSERT_TRUE(second.ok) << second.message.toStdString();
    EXPECT_FALSE(second.activated);
    EXPECT_FALSE(install(goodModelNamed(QStringLiteral("beta"))).ok);  // already installed

    EXPECT_EQ(store.list().size(), 2);
    EXPECT_EQ(modelFolders(), (QStringList{QStringLiteral("alpha"), QStringLiteral("beta")}));  // no work folders left

    EXPECT_EQ(store.use(QStringLiteral("beta")), QString());
    EXPECT_EQ(preferences.stringValue(QString::fromLatin1(ModelStore::kActiveModelKey)), QStringLiteral("beta"));
    EXPECT_NE(store.use(QStringLiteral("gamma")), QString());
    EXPECT_EQ(store.remove(QStringLiteral("beta")), QString());
    EXPECT_EQ(store.activeName(), QString());
    EXPECT_NE(store.remove(QStringLiteral("beta")), QString());
    EXPECT_NE(store.remove(QStringLiteral("../models")), QString());
    EXPECT_EQ(modelFolders(), QStringList{QStringLiteral("alpha")});
}

TEST_F(ModelStoreTest, DamagedModelsAreRefusedInTheChildAndLeaveNothingBehind) {
    for (const char* variant : {"random-bytes", "no-metadata", "no-blank"}) {
        const ModelStore::InstallResult result = install(SpeechTestAssets::shared().model(QLatin1String(variant)), SpeechModelType::ToneCtc);
        EXPECT_FALSE(result.ok) << variant;
        EXPECT_TRUE(result.message.startsWith(QStringLiteral("模型验证失败"))) << result.message.toStdString();
        EXPECT_FALSE(result.message.contains(QStringLiteral("异常结束"))) << "the child refused it with exit code 1";
        EXPECT_EQ(modelFolders(), QStringList()) << variant;
    }
    EXPECT_EQ(store.activeName(), QString());
    EXPECT_FALSE(install(work.filePath(QStringLiteral("missing"))).ok);
}

TEST_F(ModelStoreTest, ACancelKillsTheVerificationAndInstallsNothing) {
    // A verifier that would approve the model after half a minute, and says when it started.
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
    EXPECT_EQ(slowStore.activeName(), QString());
}

TEST_F(ModelStoreTest, ChangedFilesAndUnreadableManifestsAreNotUsed) {
    ASSERT_TRUE(install(goodModelNamed(QStringLiteral("alpha"))).ok);
    QFile tokens(QDir(modelsDir()).filePath(QStringLiteral("alpha/tokens.txt")));
    ASSERT_TRUE(tokens.open(QIODevice::Append));
    tokens.write("啊 3\n");
    tokens.close();
    QString problem;
    EXPECT_FALSE(store.loadableModel(&problem));
    EXPECT_TRUE(problem.contains(QStringLiteral("tokens.txt"))) << problem.toStdString();

    const QString manifest = QDir(modelsDir()).filePath(QStringLiteral("alpha/manifest.json"));
    ASSERT_TRUE(test::writeFile(manifest, "{not json"));
    const QList<ModelStore::Entry> entries = store.list();
    ASSERT_EQ(entries.size(), 1);
    EXPECT_FALSE(entries[0].model);
    EXPECT_FALSE(entries[0].problem.isEmpty());
    EXPECT_NE(store.use(QStringLiteral("alpha")), QString());
    EXPECT_EQ(test::readFile(manifest), QByteArray("{not json"));  // never rewritten
}

TEST_F(ModelStoreTest, DownloadsResumeWithARangeAndAreCheckedAgainstTheirChecksum) {
    const QByteArray archive = test::readFile(SpeechTestAssets::archive(goodModelNamed(QStringLiteral("remote"))));
    ASSERT_FALSE(archive.isEmpty());
    LoopbackHttpServer server([&archive](const auto& request) { return LoopbackHttpServer::Response::download(archive, request); });
    const QString url = server.baseURL() + QStringLiteral("/files/remote.tar.bz2");
    const QString sum = QString::fromLatin1(QCryptographicHash::hash(archive, QCryptographicHash::Sha256).toHex());

    const ModelStore::InstallResult wrong = install(url + QStringLiteral("#sha256=") + QString(64, QLatin1Char('0')));
    EXPECT_FALSE(wrong.ok);
    EXPECT_TRUE(wrong.message.contains(QStringLiteral("校验和"))) << wrong.message.toStdString();

    // An earlier try broke off half-way.
    const QString downloads = QDir(modelsDir()).filePath(QStringLiteral(".downloads"));
    QDir().mkpath(downloads);
    ASSERT_TRUE(test::writeFile(downloads + QStringLiteral("/remote.tar.bz2.part"), archive.left(archive.size() / 2)));
    const ModelStore::InstallResult resumed = install(url + QStringLiteral("#sha256=") + sum);
    ASSERT_TRUE(resumed.ok) << resumed.message.toStdString();
    EXPECT_EQ(resumed.model->source, url);
    EXPECT_EQ(server.requests().last().headers.value("range"), "bytes=" + QByteArray::number(archive.size() / 2) + "-");
    EXPECT_EQ(QDir(downloads).entryList(QDir::Files), QStringList());  // the archive is not kept
}

// A mirror takes the place of the release URL's scheme and host; the path, and so the file
// name, stays. A checksum holds for the mirror's file too.
TEST_F(ModelStoreTest, BuiltInModelsDownloadFromTheMirrorOfThePreference) {
    const ModelCatalog::Entry finalPass = *ModelCatalog::finalPass();
    const QString path = QStringLiteral("/k2-fsa/sherpa-onnx/releases/download/asr-models/sherpa-onnx-zipformer-ctc-zh-int8-2025-07-03.tar.bz2");
    EXPECT_EQ(finalPass.url, QStringLiteral("https://github.com") + path);
    EXPECT_EQ(finalPass.kind, ModelKind::finalPass);
    const struct {
        QString mirror;
        QString address;
    } cases[] = {
        {QString(), finalPass.url},
        {QStringLiteral("   "), finalPass.url},
        {QStringLiteral("https://hub.nuaa.cf"), QStringLiteral("https://hub.nuaa.cf") + path},
        {QStringLiteral(" hub.nuaa.cf// "), QStringLiteral("https://hub.nuaa.cf") + path},
        {QStringLiteral("https://gh.example/https://github.com/"), QStringLiteral("https://gh.example/https://github.com") + path},
        {QStringLiteral("http://127.0.0.1:8080/models"), QStringLiteral("http://127.0.0.1:8080/models") + path},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.mirror.toStdString());
        EXPECT_EQ(preferences.setValue(QString::fromLatin1(ModelCatalog::kMirrorKey), c.mirror), QString());
        EXPECT_EQ(store.downloadAddress(finalPass), c.address);
    }
    ModelCatalog::Entry pinned = finalPass;
    pinned.sha256 = QString(64, QLatin1Char('a'));
    EXPECT_EQ(store.downloadAddress(pinned), QStringLiteral("http://127.0.0.1:8080/models") + path + QStringLiteral("#sha256=") + pinned.sha256);
}

}  // namespace
