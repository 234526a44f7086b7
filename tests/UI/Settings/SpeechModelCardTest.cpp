// The speech-model card as a user sees it, on a real X display: the real model store in a
// temporary folder (verification by the built `vocena` in a child process), the generated test
// model installed through the card's file dialog, and downloads from a loopback server.
#include "Infrastructure/Platform/Clock.h"
#include "Infrastructure/Platform/Preferences.h"
#include "Infrastructure/Speech/Models/ModelStore.h"
#include "UI/Appearance/ThemePalette.h"
#include "UI/Permissions/PermissionSymbols.h"
#include "UI/Settings/SpeechModelCard.h"
#include "UI/Settings/SpeechModelCardModel.h"
#include "UI/Settings/SpeechModelRow.h"
#include "UI/Settings/ToggleSettingRow.h"
#include "UI/Settings/ToggleSwitch.h"
#include "SettingsLook.h"
#include "support/LoopbackHttpServer.h"
#include "support/Screenshots.h"
#include "support/SpeechTestAssets.h"
#include "support/TestFiles.h"
#include "support/WaitUntil.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCoro/QCoroTask>
#include <QCryptographicHash>
#include <QDir>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QProcess>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using namespace vocena;
using vocena::test::saveScreenshot;
using test::LoopbackHttpServer;
using test::SpeechTestAssets;
using test::waitUntil;
using Response = LoopbackHttpServer::Response;

namespace {

constexpr int kInstallTimeoutMs = 60000;

class SpeechModelCardTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(SpeechTestAssets::shared().error, QString()); }
    ~SpeechModelCardTest() override {
        delete card;
        // An install the card left behind ends before the folders go.
        waitUntil([this] { return QDir(modelsDir()).entryList({QStringLiteral(".install-*")}, QDir::Dirs | QDir::Hidden).isEmpty(); });
    }

    void openCard(QList<ModelCatalog::Entry> catalog = {}) {
        card = new SpeechModelCard(ModelStore(preferences, modelsDir(), QStringLiteral(VOCENA_BINARY)), std::move(catalog), Clock::system());
        announced = std::make_unique<QSignalSpy>(card.data(), &SpeechModelCard::activeModelChanged);
        card->resize(SpeechModelCard::kWidth, 640);
        card->show();
        ASSERT_TRUE(waitUntil([this] { return card->isVisible(); }));
    }
    QStringList announcedNames() const {
        QStringList names;
        for (const QList<QVariant>& arguments : *announced) names << arguments.value(0).toString();
        return names;
    }

    // Chooses `path` in the card's file dialog.
    void installFromFile(const QString& path) {
        card->findChild<QPushButton*>(QStringLiteral("installFromFileButton"))->click();
        QFileDialog* dialog = nullptr;
        ASSERT_TRUE(waitUntil([&] { return (dialog = card->findChild<QFileDialog*>()) && dialog->isVisible(); }));
        dialog->setDirectory(QFileInfo(path).absolutePath());
        dialog->selectFile(QFileInfo(path).fileName());
        QPushButton* install = nullptr;
        for (QPushButton* button : dialog->findChildren<QPushButton*>())
            if (button->text() == QStringLiteral("安装")) install = button;
        ASSERT_NE(install, nullptr);
        ASSERT_TRUE(waitUntil([&] { return install->isEnabled(); }));
        install->click();
        ASSERT_TRUE(waitUntil([this] { return !card->findChild<QFileDialog*>(); }));
        ASSERT_TRUE(waitUntil([this] { return !card->model().install().running; }, kInstallTimeoutMs));
    }
    // Clicks the button of the confirmation that "删除" of `name` shows.
    QString removeAnswering(const QString& name, const QString& answer) {
        card->installedRow(name)->button(QStringLiteral("removeButton"))->click();
        QMessageBox* box = nullptr;
        EXPECT_TRUE(waitUntil([&] { return (box = card->findChild<QMessageBox*>()) && box->isVisible(); }));
        if (!box) return {};
        const QString question = box->text();
        for (QAbstractButton* button : box->buttons())
            if (button->text() == answer) button->click();
        EXPECT_TRUE(waitUntil([this] { return !card->findChild<QMessageBox*>(); }));
        return question;
    }

    bool isActive(const QString& name) const {
        SpeechModelRow* row = card->installedRow(name);
        return row && row->findChild<QLabel*>(QStringLiteral("activeBadge"))->isVisible();
    }
    static bool isShown(QWidget* widget) { return widget && widget->isVisible(); }
    static QString noteOf(SpeechModelRow* row) {
        auto* note = row->findChild<QLabel*>(QStringLiteral("noteLabel"));
        return note->isVisible() ? note->text() : QString();
    }
    static QString progressTextOf(SpeechModelRow* row) { return row->findChild<QLabel*>(QStringLiteral("installProgressText"))->text(); }
    static QProgressBar* progressOf(SpeechModelRow* row) { return row->findChild<QProgressBar*>(QStringLiteral("installProgress")); }

    QString activePreference() const { return preferences.stringValue(QString::fromLatin1(ModelStore::kActiveModelKey)).value_or(QString()); }
    QStringList installedFolders() const { return QDir(modelsDir()).entryList(QDir::Dirs | QDir::NoDotAndDotDot); }
    QStringList keptDownloads() const { return QDir(modelsDir() + QStringLiteral("/.downloads")).entryList(QDir::Files); }
    QString modelsDir() const { return work.filePath(QStringLiteral("models")); }

    // A copy of the good test model in a folder of this name.
    QString modelFolder(const QString& name) {
        const QString folder = work.filePath(QStringLiteral("src/") + name);
        QDir().mkpath(folder);
        const QString good = SpeechTestAssets::shared().model(QStringLiteral("good"));
        for (const QString& file : QDir(good).entryList(QDir::Files)) QFile::copy(good + QLatin1Char('/') + file, folder + QLatin1Char('/') + file);
        return folder;
    }
    QString archiveOf(const QString& folder) {
        const QString archive = work.filePath(QDir(folder).dirName() + QStringLiteral(".tar.bz2"));
        EXPECT_EQ(QProcess::execute(QStringLiteral("tar"), {QStringLiteral("-cjf"), archive, QStringLiteral("-C"), QFileInfo(folder).absolutePath(),
                                                            QDir(folder).dirName()}),
                  0);
        return archive;
    }
    QByteArray archiveBytes(const QString& name) {
        QFile file(archiveOf(modelFolder(name)));
        EXPECT_TRUE(file.open(QIODevice::ReadOnly));
        return file.readAll();
    }
    static ModelCatalog::Entry entryFor(const LoopbackHttpServer& server, const QString& name, const QString& sha256) {
        return {name, server.baseURL() + QStringLiteral("/models/") + name + QStringLiteral(".tar.bz2"), sha256, QStringLiteral("测试用的流式模型")};
    }
    static QString sha256Of(const QByteArray& bytes) { return QString::fromLatin1(QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex()); }

    QTemporaryDir work;
    Preferences preferences{work.filePath(QStringLiteral("preferences.json"))};
    QPointer<SpeechModelCard> card;
    std::unique_ptr<QSignalSpy> announced;
};

TEST_F(SpeechModelCardTest, InstallsFromFilesSwitchesAndRemoves) {
    openCard();
    EXPECT_TRUE(isShown(card->findChild<QLabel*>(QStringLiteral("emptyText"))));

    // Not a model: the reason shows under the file's name, nothing is installed.
    const QString notes = work.filePath(QStringLiteral("notes/readme.txt"));
    QDir().mkpath(QFileInfo(notes).absolutePath());
    QFile(notes).open(QIODevice::WriteOnly);
    installFromFile(notes);
    ASSERT_TRUE(isShown(card->fileInstallRow()));
    EXPECT_EQ(card->fileInstallRow()->title(), QStringLiteral("readme.txt"));
    EXPECT_FALSE(noteOf(card->fileInstallRow()).isEmpty());
    EXPECT_EQ(installedFolders(), QStringList());

    // Any file of a model folder installs the folder; the first model becomes the active one.
    installFromFile(modelFolder(QStringLiteral("alpha")) + QStringLiteral("/tokens.txt"));
    ASSERT_NE(card->installedRow(QStringLiteral("alpha")), nullptr) << noteOf(card->fileInstallRow()).toStdString();
    EXPECT_FALSE(isShown(card->fileInstallRow()));
    EXPECT_FALSE(isShown(card->findChild<QLabel*>(QStringLiteral("emptyText"))));
    EXPECT_TRUE(isActive(QStringLiteral("alpha")));
    EXPECT_FALSE(isShown(card->installedRow(QStringLiteral("alpha"))->button(QStringLiteral("useButton"))));
    EXPECT_EQ(announcedNames(), QStringList{QStringLiteral("alpha")});

    // An archive; the active model stays.
    installFromFile(archiveOf(modelFolder(QStringLiteral("beta"))));
    ASSERT_NE(card->installedRow(QStringLiteral("beta")), nullptr) << noteOf(card->fileInstallRow()).toStdString();
    EXPECT_FALSE(isActive(QStringLiteral("beta")));
    EXPECT_EQ(announced->count(), 1);

    // "使用" switches, for the running dictation too.
    card->installedRow(QStringLiteral("beta"))->button(QStringLiteral("useButton"))->click();
    ASSERT_TRUE(waitUntil([this] { return isActive(QStringLiteral("beta")); }));
    EXPECT_FALSE(isActive(QStringLiteral("alpha")));
    EXPECT_EQ(activePreference(), QStringLiteral("beta"));
    EXPECT_EQ(announcedNames(), (QStringList{QStringLiteral("alpha"), QStringLiteral("beta")}));

    // Removing the active model asks first, and names the one that takes its place.
    EXPECT_TRUE(removeAnswering(QStringLiteral("beta"), QStringLiteral("取消")).contains(QStringLiteral("改用 alpha")));
    EXPECT_EQ(installedFolders(), (QStringList{QStringLiteral("alpha"), QStringLiteral("beta")}));
    removeAnswering(QStringLiteral("beta"), QStringLiteral("删除"));
    ASSERT_TRUE(waitUntil([this] { return !card->installedRow(QStringLiteral("beta")); }));
    EXPECT_TRUE(isActive(QStringLiteral("alpha")));
    EXPECT_EQ(activePreference(), QStringLiteral("alpha"));
    EXPECT_EQ(announcedNames().last(), QStringLiteral("alpha"));

    // The last one: dictation has no model afterwards, and says so.
    EXPECT_TRUE(removeAnswering(QStringLiteral("alpha"), QStringLiteral("删除")).contains(QStringLiteral("不可用")));
    ASSERT_TRUE(waitUntil([this] { return !card->installedRow(QStringLiteral("alpha")); }));
    EXPECT_EQ(activePreference(), QString());
    EXPECT_EQ(announcedNames().last(), QString());
    EXPECT_EQ(installedFolders(), QStringList());
    EXPECT_TRUE(isShown(card->findChild<QLabel*>(QStringLiteral("emptyText"))));
}

TEST_F(SpeechModelCardTest, ChangesMadeInATerminalShowWhileTheCardIsOpen) {
    openCard();
    // `vocena model install/use/remove` of another process: its own store and preferences on the same files.
    Preferences elsewhere{work.filePath(QStringLiteral("preferences.json"))};
    ModelStore terminal(elsewhere, modelsDir(), QStringLiteral(VOCENA_BINARY));
    for (const QString& name : {QStringLiteral("alpha"), QStringLiteral("beta")}) {
        const ModelStore::InstallResult installed = QCoro::waitFor(terminal.install(modelFolder(name), std::nullopt));
        ASSERT_TRUE(installed.ok) << installed.message.toStdString();
    }
    ASSERT_TRUE(waitUntil([this] { return card->installedRow(QStringLiteral("beta")) != nullptr; }));
    EXPECT_TRUE(isActive(QStringLiteral("alpha")));

    ASSERT_EQ(terminal.use(QStringLiteral("beta")), QString());
    EXPECT_TRUE(waitUntil([this] { return isActive(QStringLiteral("beta")); }));
    ASSERT_EQ(terminal.remove(QStringLiteral("alpha")), QString());
    EXPECT_TRUE(waitUntil([this] { return !card->installedRow(QStringLiteral("alpha")); }));
    // `vocena config set com.vocena.speech.punctuation false`
    auto* punctuation = card->findChild<ToggleSettingRow*>(QStringLiteral("punctuationToggle"));
    ASSERT_TRUE(punctuation->isOn());
    ASSERT_EQ(elsewhere.setValue(QStringLiteral("com.vocena.speech.punctuation"), false), QString());
    EXPECT_TRUE(waitUntil([&] { return !punctuation->isOn(); }));
}

TEST_F(SpeechModelCardTest, APunctuationModelWorksBesideTheSpeechModelWithItsSwitch) {
    openCard();
    installFromFile(modelFolder(QStringLiteral("alpha")) + QStringLiteral("/tokens.txt"));
    const QString punctuation = SpeechTestAssets::copyFolder(SpeechTestAssets::shared().punctuationModel(QStringLiteral("good")),
                                                             work.filePath(QStringLiteral("src/punct")));
    installFromFile(punctuation + QStringLiteral("/model.int8.onnx"));
    ASSERT_NE(card->installedRow(QStringLiteral("punct")), nullptr) << noteOf(card->fileInstallRow()).toStdString();
    EXPECT_FALSE(isActive(QStringLiteral("punct")));
    EXPECT_EQ(card->installedRow(QStringLiteral("punct"))->button(QStringLiteral("useButton")), nullptr);
    EXPECT_TRUE(isActive(QStringLiteral("alpha")));
    EXPECT_EQ(announcedNames(), QStringList{QStringLiteral("alpha")});

    // The switch is the preference, on by default.
    auto* toggle = card->findChild<ToggleSettingRow*>(QStringLiteral("punctuationToggle"));
    ASSERT_TRUE(isShown(toggle));
    EXPECT_TRUE(toggle->isOn());
    toggle->toggleSwitch()->click();
    EXPECT_EQ(preferences.boolValue(QStringLiteral("com.vocena.speech.punctuation")), false);
    card->hide();
    card->show();  // shown again: read from the preferences
    EXPECT_FALSE(toggle->isOn());

    // The punctuation model never takes the place of the speech model.
    EXPECT_TRUE(removeAnswering(QStringLiteral("alpha"), QStringLiteral("取消")).contains(QStringLiteral("不可用")));
    EXPECT_TRUE(removeAnswering(QStringLiteral("punct"), QStringLiteral("删除")).contains(QStringLiteral("标点")));
    ASSERT_TRUE(waitUntil([this] { return !card->installedRow(QStringLiteral("punct")); }));
    EXPECT_TRUE(isActive(QStringLiteral("alpha")));
}

TEST_F(SpeechModelCardTest, DamagedModelsShowTheirProblemAndCanOnlyBeRemoved) {
    QDir().mkpath(modelsDir() + QStringLiteral("/broken"));
    QFile manifest(modelsDir() + QStringLiteral("/broken/manifest.json"));
    ASSERT_TRUE(manifest.open(QIODevice::WriteOnly));
    manifest.write("{not json");
    manifest.close();
    openCard();
    SpeechModelRow* row = card->installedRow(QStringLiteral("broken"));
    ASSERT_NE(row, nullptr);
    EXPECT_FALSE(noteOf(row).isEmpty());
    EXPECT_EQ(row->button(QStringLiteral("useButton")), nullptr);
    removeAnswering(QStringLiteral("broken"), QStringLiteral("删除"));
    EXPECT_EQ(installedFolders(), QStringList());
}

// Notes keep their meaning across a theme switch: a problem in the palette's red, anything else
// in its secondary text colour.
TEST_F(SpeechModelCardTest, NotesFollowTheTheme) {
    QDir().mkpath(modelsDir() + QStringLiteral("/broken"));
    QDir().mkpath(modelsDir() + QStringLiteral("/.downloads"));
    QFile partial(modelsDir() + QStringLiteral("/.downloads/kept.tar.bz2.part"));
    ASSERT_TRUE(partial.open(QIODevice::WriteOnly));
    partial.write(QByteArray(2500, 'x'));
    partial.close();
    QApplication::setPalette(ThemePalette::light());
    openCard({{QStringLiteral("kept"), QStringLiteral("http://127.0.0.1:9/kept.tar.bz2"), {}, {}}});
    auto* problem = card->installedRow(QStringLiteral("broken"))->findChild<QLabel*>(QStringLiteral("noteLabel"));
    auto* kept = card->downloadRow(QStringLiteral("kept"))->findChild<QLabel*>(QStringLiteral("noteLabel"));
    EXPECT_EQ(kept->text(), QStringLiteral("已下载 3 KB，可继续下载"));
    for (const QPalette& palette : {ThemePalette::dark(), ThemePalette::light()}) {
        QApplication::setPalette(palette);
        QColor secondary = palette.color(QPalette::WindowText);
        secondary.setAlphaF(0.6);
        EXPECT_TRUE(waitUntil([&] { return problem->palette().color(QPalette::WindowText) == PermissionSymbols::red(palette); }));
        EXPECT_TRUE(waitUntil([&] { return kept->palette().color(QPalette::WindowText) == secondary; }));
    }
}

TEST_F(SpeechModelCardTest, ADownloadShowsItsProgressAndResumesAfterTheLineBrokeOff) {
    const QByteArray archive = archiveBytes(QStringLiteral("vocena-test-model"));
    const qsizetype half = archive.size() / 2;
    const qsizetype chunk = std::max<qsizetype>(archive.size() / 20, 1);
    LoopbackHttpServer server([&](const LoopbackHttpServer::Request& request) {
        const QByteArray range = request.headers.value("range");
        if (range.isEmpty())  // the first try breaks off half-way
            return Response{Response::Kind::Reply, 200, archive, "application/x-bzip2"}.pacedBy(chunk, 100).brokenAfter(half);
        const qsizetype from = range.mid(6, range.indexOf('-') - 6).toLongLong();
        return Response{Response::Kind::Reply, 206, archive.mid(from), "application/x-bzip2"}.pacedBy(chunk, 50);
    });
    openCard({entryFor(server, QStringLiteral("vocena-test-model"), sha256Of(archive)), entryFor(server, QStringLiteral("other"), {})});
    SpeechModelRow* row = card->downloadRow(QStringLiteral("vocena-test-model"));
    ASSERT_NE(row, nullptr);
    EXPECT_EQ(row->button(QStringLiteral("downloadButton"))->text(), QStringLiteral("下载"));
    EXPECT_TRUE(isShown(card->findChild<QLabel*>(QStringLiteral("emptyText"))));

    row->button(QStringLiteral("downloadButton"))->click();
    // Bytes, then the speed and the time left as the transfer goes on.
    ASSERT_TRUE(waitUntil([&] { return progressTextOf(row).contains(QStringLiteral("/s · 约")); })) << progressTextOf(row).toStdString();
    EXPECT_TRUE(progressTextOf(row).startsWith(QStringLiteral("正在下载 "))) << progressTextOf(row).toStdString();
    EXPECT_TRUE(progressTextOf(row).contains(QStringLiteral(" / %1 · ").arg(DownloadProgress::sizeText(archive.size()))));
    EXPECT_GT(progressOf(row)->value(), 0);
    EXPECT_EQ(progressOf(row)->maximum(), 1000);
    EXPECT_TRUE(isShown(row->button(QStringLiteral("cancelButton"))));
    EXPECT_FALSE(isShown(row->button(QStringLiteral("downloadButton"))));
    // One install at a time.
    EXPECT_FALSE(card->downloadRow(QStringLiteral("other"))->button(QStringLiteral("downloadButton"))->isEnabled());
    EXPECT_FALSE(card->findChild<QPushButton*>(QStringLiteral("installFromFileButton"))->isEnabled());

    // The line breaks: the reason, and the kept part is offered to continue.
    ASSERT_TRUE(waitUntil([this] { return !card->model().install().running; }, kInstallTimeoutMs));
    row = card->downloadRow(QStringLiteral("vocena-test-model"));
    ASSERT_NE(row, nullptr);
    EXPECT_TRUE(noteOf(row).startsWith(QStringLiteral("下载失败"))) << noteOf(row).toStdString();
    EXPECT_EQ(row->button(QStringLiteral("downloadButton"))->text(), QStringLiteral("继续下载"));
    EXPECT_TRUE(card->downloadRow(QStringLiteral("other"))->button(QStringLiteral("downloadButton"))->isEnabled());
    EXPECT_EQ(installedFolders(), QStringList());

    row->button(QStringLiteral("downloadButton"))->click();
    ASSERT_TRUE(waitUntil([this] { return card->installedRow(QStringLiteral("vocena-test-model")); }, kInstallTimeoutMs))
        << noteOf(card->downloadRow(QStringLiteral("vocena-test-model"))).toStdString();
    EXPECT_EQ(server.requests().last().headers.value("range"), "bytes=" + QByteArray::number(half) + "-");
    EXPECT_EQ(card->downloadRow(QStringLiteral("vocena-test-model")), nullptr);
    EXPECT_TRUE(isActive(QStringLiteral("vocena-test-model")));
    EXPECT_EQ(announcedNames(), QStringList{QStringLiteral("vocena-test-model")});
    EXPECT_EQ(keptDownloads(), QStringList());
}

TEST_F(SpeechModelCardTest, ADownloadWithTheWrongChecksumIsRefusedLeavingNothing) {
    const QByteArray archive = archiveBytes(QStringLiteral("vocena-test-model"));
    LoopbackHttpServer server([&](const LoopbackHttpServer::Request&) {
        return Response{Response::Kind::Reply, 200, archive, "application/x-bzip2"};
    });
    openCard({entryFor(server, QStringLiteral("vocena-test-model"), QString(64, QLatin1Char('0')))});
    SpeechModelRow* row = card->downloadRow(QStringLiteral("vocena-test-model"));
    row->button(QStringLiteral("downloadButton"))->click();
    ASSERT_TRUE(waitUntil([this] { return card->model().install().running; }));
    ASSERT_TRUE(waitUntil([this] { return !card->model().install().running; }, kInstallTimeoutMs));
    row = card->downloadRow(QStringLiteral("vocena-test-model"));
    EXPECT_TRUE(noteOf(row).contains(QStringLiteral("校验和"))) << noteOf(row).toStdString();
    EXPECT_EQ(row->button(QStringLiteral("downloadButton"))->text(), QStringLiteral("下载"));
    EXPECT_EQ(installedFolders(), QStringList());
    EXPECT_EQ(QDir(modelsDir()).entryList({QStringLiteral(".install-*")}, QDir::Dirs | QDir::Hidden), QStringList());
    EXPECT_EQ(keptDownloads(), QStringList());
    EXPECT_EQ(activePreference(), QString());
    EXPECT_EQ(announced->count(), 0);
}

// The user's card, over the built-in list: the final-pass model downloads from the mirror
// written in "下载镜像" (where none answers, the note says what to do), then shows in a group of
// its own with its switch; dictation still has no model to stream with.
TEST_F(SpeechModelCardTest, TheFinalPassModelDownloadsFromTheMirrorIntoItsOwnGroup) {
    const QString name = QString::fromLatin1(ModelCatalog::kFinalPassModel);
    const QByteArray archive = test::readFile(SpeechTestAssets::shared().offlineReleaseArchive(name, work.filePath(QStringLiteral("src"))));
    LoopbackHttpServer mirror([&archive](const LoopbackHttpServer::Request& request) { return Response::download(archive, request); });
    openCard(ModelCatalog::entries());
    auto* group = card->findChild<QWidget*>(QStringLiteral("finalPassGroup"));
    EXPECT_FALSE(isShown(group));
    auto* field = card->findChild<QLineEdit*>(QStringLiteral("mirrorEdit"));
    ASSERT_TRUE(isShown(field));
    const auto downloadFrom = [&](const QString& base) {
        field->clear();
        QTest::keyClicks(field, base);
        card->downloadRow(name)->button(QStringLiteral("downloadButton"))->click();
        EXPECT_TRUE(waitUntil([this] { return !card->model().install().running; }, kInstallTimeoutMs));
    };

    const QString refusing = LoopbackHttpServer::refusingBaseURL();
    downloadFrom(refusing);
    EXPECT_EQ(preferences.stringValue(QString::fromLatin1(ModelCatalog::kMirrorKey)), refusing);
    const QString note = noteOf(card->downloadRow(name));
    EXPECT_TRUE(note.startsWith(QStringLiteral("下载失败"))) << note.toStdString();
    EXPECT_TRUE(note.contains(QStringLiteral("「下载镜像」")) && note.contains(QStringLiteral("「从文件安装…」"))) << note.toStdString();

    downloadFrom(mirror.baseURL());
    SpeechModelRow* row = card->installedRow(name);
    ASSERT_NE(row, nullptr) << noteOf(card->downloadRow(name)).toStdString();
    EXPECT_EQ(mirror.requests().last().target, "/k2-fsa/sherpa-onnx/releases/download/asr-models/" + name.toLatin1() + ".tar.bz2");
    EXPECT_TRUE(isShown(group) && group->isAncestorOf(row));
    EXPECT_EQ(row->button(QStringLiteral("useButton")), nullptr);
    EXPECT_TRUE(isShown(card->findChild<QLabel*>(QStringLiteral("emptyText"))));
    EXPECT_EQ(announced->count(), 0);

    auto* toggle = card->findChild<ToggleSettingRow*>(QStringLiteral("finalPassToggle"));
    EXPECT_TRUE(toggle->isOn());
    toggle->toggleSwitch()->click();
    EXPECT_EQ(preferences.boolValue(QStringLiteral("com.vocena.speech.finalPass")), false);
    EXPECT_TRUE(removeAnswering(name, QStringLiteral("取消")).contains(QStringLiteral("流式语音模型")));
}

TEST_F(SpeechModelCardTest, ClosingTheCardDuringADownloadCancelsIt) {
    // A large model on a slow line, which stalls after a third.
    const QByteArray archive(20000000, 'x');
    LoopbackHttpServer server([&archive](const LoopbackHttpServer::Request&) {
        return Response{Response::Kind::Reply, 200, archive, "application/x-bzip2"}.pacedBy(200000, 100).stalledAfter(archive.size() / 3);
    });
    openCard({entryFor(server, QStringLiteral("stalling"), {})});
    SpeechModelRow* row = card->downloadRow(QStringLiteral("stalling"));
    row->button(QStringLiteral("downloadButton"))->click();
    ASSERT_TRUE(waitUntil([&] { return progressTextOf(row).contains(QStringLiteral("MB/s · 约")); })) << progressTextOf(row).toStdString();
    EXPECT_TRUE(progressTextOf(row).contains(QStringLiteral(" / 20.0 MB · "))) << progressTextOf(row).toStdString();
    test::styleLikeTheSettingsWindow(card);
    saveScreenshot(card, QStringLiteral("model-download"));
    delete card;
    // The install's work folder goes when the install ends; the partial download stays.
    EXPECT_TRUE(waitUntil([this] { return QDir(modelsDir()).entryList({QStringLiteral(".install-*")}, QDir::Dirs | QDir::Hidden).isEmpty(); }));
    EXPECT_EQ(keptDownloads(), QStringList{QStringLiteral("stalling.tar.bz2.part")});

    openCard({entryFor(server, QStringLiteral("stalling"), {})});  // offered to continue
    row = card->downloadRow(QStringLiteral("stalling"));
    EXPECT_EQ(row->button(QStringLiteral("downloadButton"))->text(), QStringLiteral("继续下载"));
    const qint64 kept = QFileInfo(modelsDir() + QStringLiteral("/.downloads/stalling.tar.bz2.part")).size();
    EXPECT_EQ(noteOf(row), QStringLiteral("已下载 %1，可继续下载").arg(DownloadProgress::sizeText(kept)));
}

}  // namespace
