// The speech-model card as a user sees it, on a real X display: the real model store in a
// temporary folder (verification by the built `vocena` in a child process), the generated test
// model installed through the card's file dialog, and downloads from a loopback server.
#include "Infrastructure/Platform/Clock.h"
#include "Infrastructure/Speech/Models/ModelStore.h"
#include "UI/Common/InstallProgressView.h"
#include "UI/Settings/SpeechModelCard.h"
#include "UI/Settings/SpeechModelCardModel.h"
#include "UI/Settings/SpeechModelRow.h"
#include "UI/Settings/ToggleSettingRow.h"
#include "UI/Settings/ToggleSwitch.h"
#include "support/LoopbackHttpServer.h"
#include "support/SpeechTestAssets.h"
#include "support/TestFiles.h"
#include "support/WidgetTest.h"

#include <QCoro/QCoroTask>
#include <QCryptographicHash>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <atomic>

using namespace vocena;
using namespace vocena::test;
using Response = LoopbackHttpServer::Response;

namespace {

constexpr int kInstallTimeoutMs = 60000;

// The view both install rows hand their progress to: bytes, speed and time left while the
// bytes come, a busy bar while unpacking and verifying, hidden without an install.
TEST(InstallProgressViewTest, ShowsEachStageOfAnInstall) {
    InstallProgressView view;
    auto* bar = child<QProgressBar>(&view, "installProgress");
    auto* text = child<QLabel>(&view, "installProgressText");
    EXPECT_TRUE(view.isHidden());
    const QDateTime start(QDate(2026, 1, 1), QTime(9, 0), Qt::UTC);
    DownloadProgress progress;
    for (int second = 0; second <= 2; ++second) progress.update(second * 4000000, 20000000, start.addSecs(second));
    const auto shows = [&] { return std::tuple(view.isHidden(), bar->maximum(), bar->value(), text->text()); };
    view.setProgress(&progress);
    EXPECT_EQ(shows(), std::tuple(false, 1000, 400, QStringLiteral("正在下载 8.0 / 20.0 MB · 4.0 MB/s · 约 3 秒")));
    progress.update(20000000, 20000000, start.addSecs(3));
    view.setProgress(&progress);
    EXPECT_EQ(std::get<1>(shows()), 0);  // busy
    EXPECT_EQ(text->text(), QStringLiteral("正在解压并验证模型…"));
    view.setProgress(nullptr);
    EXPECT_TRUE(view.isHidden());
}

class SpeechModelCardTest : public WidgetTest {
protected:
    void SetUp() override { ASSERT_EQ(SpeechTestAssets::shared().error, QString()); }
    ~SpeechModelCardTest() override {
        delete card;
        EXPECT_TRUE(waitUntil([this] { return installFolders().isEmpty(); }));  // an install the card left ends first
    }

    void openCard(QList<ModelCatalog::Entry> catalog = {}) {
        card = new SpeechModelCard(ModelStore(prefs, modelsDir(), QStringLiteral(VOCENA_BINARY)), std::move(catalog), Clock::system());
        announced = std::make_unique<QSignalSpy>(card.data(), &SpeechModelCard::activeModelChanged);
        card->resize(SpeechModelCard::kWidth, 640);
        ASSERT_TRUE(showActive(card));
    }
    QStringList announcedNames() const {
        QStringList names;
        for (const QList<QVariant>& arguments : *announced) names << arguments.value(0).toString();
        return names;
    }
    void installFromFile(const QString& file) {
        chooseInFileDialog(child<QPushButton>(card, "installFromFileButton"), file, QStringLiteral("安装"));
        ASSERT_TRUE(waitUntil([this] { return !card->model().install().running; }, kInstallTimeoutMs));
    }
    // Presses `answer` in the confirmation that "删除" of `name` shows; the question.
    QString removeAnswering(const QString& name, const QString& answer) {
        card->installedRow(name)->button(QStringLiteral("removeButton"))->click();
        return pressInMessageBox(card, answer);
    }
    void download(const QString& name) { card->downloadRow(name)->button(QStringLiteral("downloadButton"))->click(); }
    QString buttonText(SpeechModelRow* row, const char* name) const { return row->button(QString::fromLatin1(name))->text(); }

    // The installed rows, by folder: "*" marks the active model, "使用" the offer to switch to it.
    QStringList rows() const {
        QStringList rows;
        for (const QString& name : installedFolders())
            if (SpeechModelRow* row = card->installedRow(name))
                rows << name + (shown(child(row, "activeBadge")) ? QStringLiteral(" *") : QString())
                             + (shown(row->button(QStringLiteral("useButton"))) ? QStringLiteral(" 使用") : QString());
        return rows;
    }
    bool emptyShown() const { return shown(child<QLabel>(card, "emptyText")); }
    static QString noteOf(SpeechModelRow* row) { return shownText(row, "noteLabel"); }
    static QString progressTextOf(SpeechModelRow* row) { return child<QLabel>(row, "installProgressText")->text(); }

    QString activePreference() const { return prefs.stringValue(QString::fromLatin1(ModelStore::kActiveModelKey)).value_or(QString()); }
    QStringList installedFolders() const { return QDir(modelsDir()).entryList(QDir::Dirs | QDir::NoDotAndDotDot); }
    QStringList installFolders() const { return QDir(modelsDir()).entryList({QStringLiteral(".install-*")}, QDir::Dirs | QDir::Hidden); }
    QStringList keptDownloads() const { return QDir(modelsDir() + QStringLiteral("/.downloads")).entryList(QDir::Files); }
    QString modelsDir() const { return path(QStringLiteral("models")); }

    // A copy of the good test model in a folder of this name.
    QString modelFolder(const QString& name) { return SpeechTestAssets::shared().copy(QStringLiteral("good"), path(QStringLiteral("src/") + name)); }
    static ModelCatalog::Entry entryFor(const LoopbackHttpServer& server, const QString& name, const QString& sha256) {
        return {name, server.baseURL() + QStringLiteral("/models/") + name + QStringLiteral(".tar.bz2"), sha256, QStringLiteral("测试用的流式模型")};
    }

    QPointer<SpeechModelCard> card;
    std::unique_ptr<QSignalSpy> announced;
};

TEST_F(SpeechModelCardTest, InstallsFromFilesSwitchesAndRemovesAndShowsTheChangesMadeInATerminal) {
    openCard();
    EXPECT_TRUE(emptyShown());

    // Not a model: the reason shows under the file's name, nothing is installed.
    ASSERT_TRUE(QDir().mkpath(path(QStringLiteral("notes"))) && writeFile(path(QStringLiteral("notes/readme.txt")), {}));
    installFromFile(path(QStringLiteral("notes/readme.txt")));
    ASSERT_TRUE(shown(card->fileInstallRow()));
    EXPECT_EQ(card->fileInstallRow()->title(), QStringLiteral("readme.txt"));
    EXPECT_FALSE(noteOf(card->fileInstallRow()).isEmpty());
    EXPECT_EQ(installedFolders(), QStringList());

    // Any file of a model folder installs the folder; the first model becomes the active one.
    installFromFile(modelFolder(QStringLiteral("alpha")) + QStringLiteral("/tokens.txt"));
    EXPECT_EQ(rows(), QStringList{"alpha *"}) << noteOf(card->fileInstallRow()).toStdString();
    EXPECT_FALSE(shown(card->fileInstallRow()) || emptyShown());
    EXPECT_EQ(announcedNames(), QStringList{QStringLiteral("alpha")});

    // An archive; the active model stays.
    installFromFile(SpeechTestAssets::archive(modelFolder(QStringLiteral("beta"))));
    EXPECT_EQ(rows(), (QStringList{"alpha *", "beta 使用"})) << noteOf(card->fileInstallRow()).toStdString();
    EXPECT_EQ(announced->count(), 1);

    // "使用" switches, for the running dictation too.
    card->installedRow(QStringLiteral("beta"))->button(QStringLiteral("useButton"))->click();
    ASSERT_TRUE(waitUntil([this] { return rows() == QStringList{"alpha 使用", "beta *"}; }));
    EXPECT_EQ(announcedNames() << activePreference(), (QStringList{"alpha", "beta", "beta"}));

    // A punctuation model installs beside them, without "使用"; its switch is the preference, on
    // by default.
    installFromFile(SpeechTestAssets::copyFolder(SpeechTestAssets::shared().punctuationModel(QStringLiteral("good")),
                                                 path(QStringLiteral("src/punct"))) + QStringLiteral("/model.int8.onnx"));
    EXPECT_EQ(rows(), (QStringList{"alpha 使用", "beta *", "punct"})) << noteOf(card->fileInstallRow()).toStdString();
    auto* toggle = child<ToggleSettingRow>(card, "punctuationToggle");
    ASSERT_TRUE(shown(toggle) && toggle->isOn());
    toggle->toggleSwitch()->click();
    EXPECT_EQ(prefs.boolValue(QStringLiteral("com.vocena.speech.punctuation")), false);
    card->hide();
    card->show();  // shown again: read from the preferences
    EXPECT_FALSE(toggle->isOn());

    // Removing the active model asks first, and names the one that takes its place.
    EXPECT_TRUE(removeAnswering(QStringLiteral("beta"), QStringLiteral("取消")).contains(QStringLiteral("改用 alpha")));
    EXPECT_EQ(rows(), (QStringList{"alpha 使用", "beta *", "punct"}));
    removeAnswering(QStringLiteral("beta"), QStringLiteral("删除"));
    ASSERT_TRUE(waitUntil([this] { return rows() == QStringList{"alpha *", "punct"}; }));
    EXPECT_EQ((QStringList{activePreference(), announcedNames().last()}), (QStringList{"alpha", "alpha"}));
    // The last speech model: dictation has no model afterwards (the punctuation model does not
    // take its place), and says so.
    EXPECT_TRUE(removeAnswering(QStringLiteral("alpha"), QStringLiteral("删除")).contains(QStringLiteral("不可用")));
    ASSERT_TRUE(waitUntil([this] { return !card->installedRow(QStringLiteral("alpha")); }));
    EXPECT_EQ(activePreference() + announcedNames().last(), QString());
    EXPECT_TRUE(removeAnswering(QStringLiteral("punct"), QStringLiteral("删除")).contains(QStringLiteral("标点")));
    ASSERT_TRUE(waitUntil([this] { return installedFolders().isEmpty() && emptyShown(); }));

    // Changes made in a terminal show while the card is open.
    // `vocena model install/use/remove` of another process: its own store and preferences on the same files.
    Preferences elsewhere{prefs.filePath()};
    ModelStore terminal(elsewhere, modelsDir(), QStringLiteral(VOCENA_BINARY));
    for (const QString& name : {QStringLiteral("alpha"), QStringLiteral("beta")}) {
        const ModelStore::InstallResult installed = QCoro::waitFor(terminal.install(modelFolder(name), std::nullopt));
        ASSERT_TRUE(installed.ok) << installed.message.toStdString();
    }
    EXPECT_TRUE(waitUntil([this] { return rows() == QStringList{"alpha *", "beta 使用"}; }));
    ASSERT_EQ(terminal.use(QStringLiteral("beta")), QString());
    EXPECT_TRUE(waitUntil([this] { return rows() == QStringList{"alpha 使用", "beta *"}; }));
    ASSERT_EQ(terminal.remove(QStringLiteral("alpha")), QString());
    EXPECT_TRUE(waitUntil([this] { return rows() == QStringList{"beta *"}; }));
    // `vocena config set com.vocena.speech.punctuation true`, after the switch was turned off above
    ASSERT_EQ(elsewhere.setValue(QStringLiteral("com.vocena.speech.punctuation"), true), QString());
    EXPECT_TRUE(waitUntil([&] { return toggle->isOn(); }));
}

// A damaged model shows its problem and can only be removed.
TEST_F(SpeechModelCardTest, DamagedModelsShowTheirProblemAndTheFinalPassModelDownloadsFromTheMirror) {
    ASSERT_TRUE(QDir().mkpath(modelsDir() + QStringLiteral("/broken")));
    ASSERT_TRUE(writeFile(modelsDir() + QStringLiteral("/broken/manifest.json"), "{not json"));
    openCard(ModelCatalog::entries());
    ASSERT_EQ(rows(), QStringList{"broken"});
    EXPECT_FALSE(noteOf(card->installedRow(QStringLiteral("broken"))).isEmpty());
    removeAnswering(QStringLiteral("broken"), QStringLiteral("删除"));
    EXPECT_EQ(installedFolders(), QStringList());

    // The user's card, over the built-in list: the final-pass model downloads from the mirror
    // written in "下载镜像" (where none answers, the note says what to do), then shows in a group of
    // its own with its switch; dictation still has no model to stream with.
    const QString name = QString::fromLatin1(ModelCatalog::kFinalPassModel);
    const QByteArray archive = readFile(SpeechTestAssets::shared().offlineReleaseArchive(name, path(QStringLiteral("src"))));
    LoopbackHttpServer mirror([&archive](const LoopbackHttpServer::Request& request) { return Response::download(archive, request); });
    auto* group = child(card, "finalPassGroup");
    auto* field = child<QLineEdit>(card, "mirrorEdit");
    ASSERT_TRUE(!shown(group) && shown(field));
    const auto downloadFrom = [&](const QString& base) {
        field->clear();
        QTest::keyClicks(field, base);
        download(name);
        EXPECT_TRUE(waitUntil([this] { return !card->model().install().running; }, kInstallTimeoutMs));
    };

    const QString refusing = LoopbackHttpServer::refusingBaseURL();
    downloadFrom(refusing);
    EXPECT_EQ(prefs.stringValue(QString::fromLatin1(ModelCatalog::kMirrorKey)), refusing);
    const QString note = noteOf(card->downloadRow(name));
    EXPECT_TRUE(note.startsWith(QStringLiteral("下载失败")) && note.contains(QStringLiteral("「下载镜像」")) &&
                note.contains(QStringLiteral("「从文件安装…」"))) << note.toStdString();

    downloadFrom(mirror.baseURL());
    SpeechModelRow* row = card->installedRow(name);
    ASSERT_NE(row, nullptr) << noteOf(card->downloadRow(name)).toStdString();
    EXPECT_TRUE(shown(group) && group->isAncestorOf(row));
    EXPECT_EQ(rows(), QStringList{name});
    EXPECT_TRUE(emptyShown() && announced->isEmpty());

    auto* toggle = child<ToggleSettingRow>(card, "finalPassToggle");
    EXPECT_TRUE(toggle->isOn());
    toggle->toggleSwitch()->click();
    EXPECT_EQ(prefs.boolValue(QStringLiteral("com.vocena.speech.finalPass")), false);
    EXPECT_TRUE(removeAnswering(name, QStringLiteral("取消")).contains(QStringLiteral("流式语音模型")));
}

// The row hands the download's progress to its view and offers "取消" meanwhile, one install at
// a time; a line that broke off and a card closed during the download both keep what came, and
// the next try continues from there.
TEST_F(SpeechModelCardTest, ADownloadContinuesAfterABrokenLineOrAClosedCard) {
    const QString name = QStringLiteral("vocena-test-model");
    const QByteArray archive = readFile(SpeechTestAssets::archive(modelFolder(name)));
    const qsizetype chunk = std::max<qsizetype>(archive.size() / 20, 1);
    std::atomic<int> tries = 0;
    LoopbackHttpServer server([&](const LoopbackHttpServer::Request& request) {
        const Response response = Response::download(archive, request).pacedBy(chunk, 100);
        const int attempt = ++tries;
        return attempt == 1 ? response.brokenAfter(archive.size() / 2) : attempt == 2 ? response.stalledAfter(chunk * 3) : response;
    });
    const QString sha256 = QString::fromLatin1(QCryptographicHash::hash(archive, QCryptographicHash::Sha256).toHex());
    const QList<ModelCatalog::Entry> catalog{entryFor(server, name, sha256), entryFor(server, QStringLiteral("other"), {})};
    openCard(catalog);
    const auto row = [&] { return card->downloadRow(name); };
    const auto downloadEnabled = [&](const QString& model) { return card->downloadRow(model)->button(QStringLiteral("downloadButton"))->isEnabled(); };
    EXPECT_TRUE(buttonText(row(), "downloadButton") == QStringLiteral("下载") && emptyShown());

    download(name);
    ASSERT_TRUE(waitUntil([&] { return progressTextOf(row()).contains(QStringLiteral("/s · 约")); })) << progressTextOf(row()).toStdString();
    EXPECT_TRUE(shown(row()->button(QStringLiteral("cancelButton"))));
    EXPECT_FALSE(shown(row()->button(QStringLiteral("downloadButton"))) || downloadEnabled(QStringLiteral("other")) ||
                 child<QPushButton>(card, "installFromFileButton")->isEnabled());
    ASSERT_TRUE(waitUntil([this] { return !card->model().install().running; }, kInstallTimeoutMs));
    EXPECT_TRUE(noteOf(row()).startsWith(QStringLiteral("下载失败"))) << noteOf(row()).toStdString();
    EXPECT_EQ(buttonText(row(), "downloadButton"), QStringLiteral("继续下载"));
    EXPECT_TRUE(downloadEnabled(QStringLiteral("other")) && installedFolders().isEmpty());

    download(name);  // stalls after a few chunks more; the card is closed meanwhile
    ASSERT_TRUE(waitUntil([&] { return child<QProgressBar>(row(), "installProgress")->value() > 500; }));
    delete card;
    EXPECT_TRUE(waitUntil([this] { return installFolders().isEmpty(); }));  // the install's work folder goes
    ASSERT_EQ(keptDownloads(), QStringList{name + QStringLiteral(".tar.bz2.part")});
    const qint64 kept = QFileInfo(modelsDir() + QStringLiteral("/.downloads/") + keptDownloads().value(0)).size();

    openCard(catalog);
    EXPECT_EQ((QStringList{buttonText(row(), "downloadButton"), noteOf(row())}),
              (QStringList{"继续下载", QStringLiteral("已下载 %1，可继续下载").arg(DownloadProgress::sizeText(kept))}));
    download(name);
    ASSERT_TRUE(waitUntil([&] { return card->installedRow(name); }, kInstallTimeoutMs)) << noteOf(row()).toStdString();
    EXPECT_EQ(row(), nullptr);
    EXPECT_EQ(rows() + announcedNames() + keptDownloads(), (QStringList{name + QStringLiteral(" *"), name}));
}

}  // namespace
