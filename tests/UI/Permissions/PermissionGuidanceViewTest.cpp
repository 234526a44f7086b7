// The permission guide on a real X display over probes that answer as told, and its speech
// model installed from a loopback server by the real model store.
#include "Infrastructure/Permissions/PermissionHelp.h"
#include "Infrastructure/Speech/Models/ModelCatalog.h"
#include "Infrastructure/Speech/Models/ModelStore.h"
#include "UI/Permissions/PermissionGuidanceView.h"
#include "UI/Permissions/PermissionGuidanceViewModel.h"
#include "UI/Permissions/PermissionHelpDialog.h"
#include "UI/Permissions/PermissionRow.h"
#include "support/AsyncTest.h"
#include "support/LogCapture.h"
#include "support/LoopbackHttpServer.h"
#include "support/SpeechTestAssets.h"
#include "support/TestFiles.h"
#include "support/WidgetTest.h"

#include <QMutex>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QSemaphore>
#include <atomic>

using namespace vocena;
using namespace vocena::test;
using Response = LoopbackHttpServer::Response;
using Status = PermissionStatus;
using Type = PermissionType;

namespace {

const PermissionCheck kGranted{Status::authorized, QStringLiteral("ok")};
const AccessibilityCheck kUsable{true, true, QStringLiteral(":0")};
const AccessibilityCheck kNoXTest{false, false, QStringLiteral("没有 XTEST 扩展")};
const QString kAllGranted = QStringLiteral("所有权限已授权，澄言可以正常使用");
const QString kSomeMissing = QStringLiteral("澄言需要以下权限才能正常工作");

class PermissionGuideTest : public WidgetTest {
protected:
    void SetUp() override { ASSERT_EQ(SpeechTestAssets::shared().error, QString()); }  // the generated models
    ~PermissionGuideTest() override { delete guide; }

    // Opens the guide over probes that answer from the fields below at each check; the
    // speech probe asks the real model store unless `speech` is set.
    void openGuide(bool waitForCheck = true) {
        PermissionProbes probes;
        probes.microphone = [this] {
            if (gated) gate.tryAcquire(1, 5000);
            ++microphoneChecks;
            QMutexLocker lock(&mutex);
            return microphone;
        };
        probes.accessibility = [this] {
            QMutexLocker lock(&mutex);
            return accessibility;
        };
        probes.speechRecognition = [this] { return speech ? *speech : storeCheck(); };
        guide = new PermissionGuidanceView({.probes = probes, .preferences = &prefs, .speechModel = speechModel, .modelsDirectory = modelsDir(),
                                            .verifierProgram = QStringLiteral(VOCENA_BINARY), .scheduler = &scheduler,
                                            .quitApplication = [this] { ++quits; }, .punctuationModel = punctuationModel,
                                            .finalPassModel = finalPassModel});
        guide->show();
        if (waitForCheck) { ASSERT_TRUE(waitUntil([this] { return checked(); })); }
    }
    bool checked() { return guide->viewModel().permissions().size() == 3 && !installing(); }
    bool installing() { return guide->viewModel().modelInstall().running; }

    // What the speech probe of the app reports, from the store: not determined while nothing
    // is installed, denied for a damaged model.
    PermissionCheck storeCheck() {
        QString problem;
        bool notInstalled = false;
        if (const auto model = store().loadableModel(&problem, &notInstalled)) return {Status::authorized, model->name};
        return {notInstalled ? Status::notDetermined : Status::denied, problem};
    }
    ModelStore store() { return ModelStore(prefs, modelsDir(), QStringLiteral(VOCENA_BINARY)); }
    void setAccessibility(const AccessibilityCheck& check) {
        QMutexLocker lock(&mutex);
        accessibility = check;
    }

    // A row's right end: its button's text, "受限", "✓", or nothing.
    QString indicator(Type type) const {
        PermissionRow* row = guide->row(type);
        if (auto* button = child<QPushButton>(row, "actionButton"); button->isVisible()) return button->text();
        if (shown(child(row, "restrictedLabel"))) return QStringLiteral("受限");
        return shown(child(row, "statusIcon")) ? QStringLiteral("✓") : QString();
    }
    QStringList indicators() const { return {indicator(Type::microphone), indicator(Type::accessibility), speechIndicator()}; }
    QString speechIndicator() const { return indicator(Type::speechRecognition); }
    QString speechNote() const { return shownText(guide->row(Type::speechRecognition), "noteLabel"); }
    // The speech row's right end and note, and the header's line.
    QStringList speechRow() const { return {speechIndicator(), speechNote(), subtitle()}; }
    void clickAction(Type type) const { child<QPushButton>(guide->row(type), "actionButton")->click(); }
    QAbstractButton* requestAll() const { return buttonTitled(guide, QStringLiteral("全部授权 强制刷新")); }
    QString subtitle() const { return shownText(guide, "headerSubtitle"); }
    QProgressBar* progress() const { return child<QProgressBar>(guide->row(Type::speechRecognition), "installProgress"); }
    QStringList installedModels() const { return QDir(modelsDir()).entryList(QDir::Dirs | QDir::NoDotAndDotDot); }
    // The speech row's offered download: its line, or nothing while it is hidden.
    QString offer() const {
        PermissionRow* row = guide->row(Type::speechRecognition);
        return shown(child(row, "offer")) ? shownText(row, "offerText") : QString();
    }
    bool mirrorShown() const { return shown(child(guide, "mirrorField")); }
    bool installEnded(int models) { return !installing() && installedModels().size() == models; }
    QString activeModel() const { return prefs.stringValue(QString::fromLatin1(ModelStore::kActiveModelKey)).value_or(QString()); }
    QString modelsDir() const { return path(QStringLiteral("models")); }

    // An archive of the generated model named `name` (a copy of the `variant` folder).
    QByteArray modelArchive(const QString& variant, const QString& name) {
        return readFile(SpeechTestAssets::archive(SpeechTestAssets::shared().copy(variant, path(QStringLiteral("src/") + name))));
    }

    QMutex mutex;  // guards the answers of the probes that run on their own threads
    PermissionCheck microphone = kGranted;
    AccessibilityCheck accessibility = kUsable;
    std::optional<PermissionCheck> speech;
    std::atomic<int> microphoneChecks{0};
    bool gated = false;  // the microphone probe waits for `gate`
    QSemaphore gate;
    QString speechModel = QStringLiteral("unused");
    QString punctuationModel;
    QString finalPassModel;
    int quits = 0;
    QPointer<PermissionGuidanceView> guide;
};

TEST_F(PermissionGuideTest, RowsHeaderAndRequestAllFollowTheStatuses) {
    // indicators: microphone, accessibility, speech recognition
    struct Case { const char* name; PermissionCheck microphone; AccessibilityCheck accessibility; PermissionCheck speech;
                  QStringList indicators; QString microphoneNote; bool allGranted; };
    LoopbackHttpServer server([](const LoopbackHttpServer::Request&) { return Response::json(404, "{}"); });
    speechModel = server.baseURL() + QStringLiteral("/missing.tar.bz2");  // what "授权" would download
    const QList<Case> cases = {
        {"everything granted", kGranted, kUsable, kGranted, {"✓", "✓", "✓"}, {}, true},
        {"missing", {Status::denied, QStringLiteral("无法连接声音服务器")}, kNoXTest, {Status::notDetermined, {}},
         {"去开启", "去开启", "授权"}, QStringLiteral("无法连接声音服务器"), false},
        {"restricted, unusable, damaged", {Status::restricted, QStringLiteral("没有输入设备")}, {true, false, {}},
         {Status::denied, QStringLiteral("已损坏")}, {"受限", "去开启", "去开启"}, QStringLiteral("没有输入设备"), false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        microphone = c.microphone;
        setAccessibility(c.accessibility);
        speech = c.speech;
        gated = true;
        microphoneChecks = 0;
        openGuide(false);
        // Before the first check has answered: nothing known, every row offers "授权", and
        // "全部授权" stays disabled.
        EXPECT_EQ(indicators() << guide->windowTitle(), (QStringList{"授权", "授权", "授权", "权限设置"}));
        EXPECT_FALSE(requestAll()->isEnabled());
        gate.release(1);
        ASSERT_TRUE(waitUntil([this] { return checked(); }));
        EXPECT_EQ(microphoneChecks.load(), 1);  // the check on appearing joined the one at creation

        EXPECT_EQ(indicators() << shownText(guide->row(Type::microphone), "noteLabel") << subtitle(),
                  c.indicators + QStringList({c.microphoneNote, c.allGranted ? kAllGranted : kSomeMissing}));
        EXPECT_EQ(requestAll()->isEnabled(), !c.allGranted);

        // "全部授权" asks for what is missing, in order, and without the restart alert.
        gated = false;
        LogCapture log;
        await(guide->viewModel().requestAllPermissions());
        QStringList requested;
        for (const QString& line : log.lines().filter(QStringLiteral("[PermissionGuidanceView] 请求权限: ")))
            requested << line.section(QStringLiteral("请求权限: "), 1);
        EXPECT_EQ(requested, c.allGranted ? QStringList() : QStringList({"麦克风权限", "辅助功能权限", "语音识别权限"}));
        clock.advance(1);
        EXPECT_EQ(guide->findChild<QMessageBox*>(), nullptr);
        delete guide;
        gate.acquire(gate.available());
    }
}

TEST_F(PermissionGuideTest, RefusedAccessibilityLeadsToItsHelpAndTheRestartAlertAndIsCheckedAgainOnComingBack) {
    setAccessibility(kNoXTest);
    openGuide();
    ASSERT_EQ(indicator(Type::accessibility), QStringLiteral("去开启"));

    // "去开启" shows what to do, with what the check found.
    clickAction(Type::accessibility);
    auto* help = guide->findChild<PermissionHelpDialog*>();
    ASSERT_TRUE(shown(help));
    EXPECT_EQ(child<QLabel>(help, "howToLabel")->text(), PermissionHelp::howTo(Type::accessibility));
    EXPECT_TRUE(child<QLabel>(help, "findingLabel")->text().contains(kNoXTest.detail));
    help->close();

    // Asked for from its row and refused: the help again, and half a second later the alert,
    // which "知道了" closes without quitting ("现在重启": AppDelegateTest.TheGuidesRestartQuitsThroughTheApp).
    guide->viewModel().requestPermission(Type::accessibility);
    ASSERT_TRUE(waitUntil([this] { return guide->findChild<PermissionHelpDialog*>(); }));
    ASSERT_TRUE(waitUntil([this] { return scheduler.pendingCount() == 1; }));
    clock.advance(0.4);
    EXPECT_EQ(guide->findChild<QMessageBox*>(), nullptr);
    clock.advance(0.1);
    auto* alert = guide->findChild<QMessageBox*>();
    ASSERT_TRUE(shown(alert));
    EXPECT_EQ(alert->informativeText(), QStringLiteral("请在系统设置中开启权限后，重启澄言应用使权限生效。\n\n点击「现在重启」将关闭应用，请重新打开。"));
    EXPECT_EQ(alert->defaultButton()->text(), QStringLiteral("知道了"));
    EXPECT_EQ(pressInMessageBox(guide, QStringLiteral("知道了")), QStringLiteral("辅助功能权限需要重启"));
    EXPECT_EQ(quits, 0);
    delete guide;

    // Coming back to the guide refreshes accessibility half a second later.
    openGuide();
    ASSERT_TRUE(showActive(guide));
    QWidget elsewhere;
    ASSERT_TRUE(showActive(&elsewhere));
    ASSERT_TRUE(waitUntil([&] { return !guide->isActiveWindow(); }));

    setAccessibility(kUsable);  // granted meanwhile, outside the app
    ASSERT_TRUE(showActive(guide));
    clock.advance(0.4);
    EXPECT_EQ(indicator(Type::accessibility), QStringLiteral("去开启"));  // the refresh has not run yet
    clock.advance(0.1);
    EXPECT_TRUE(waitUntil([this] { return indicator(Type::accessibility) == QStringLiteral("✓"); }));
}

// The speech row hands the install's progress to its view and offers "取消" meanwhile; a
// cancelled install and a closed guide both keep the partial download, which the next try
// continues.
TEST_F(PermissionGuideTest, TheSpeechRowInstallsTheModelAndCancellingOrClosingKeepsWhatCame) {
    const QByteArray archive = modelArchive(QStringLiteral("good"), QStringLiteral("vocena-test-model"));
    bool stall = true;
    LoopbackHttpServer server([&](const LoopbackHttpServer::Request& request) {
        const Response response = Response::download(archive, request);
        return !stall ? response : response.stalledAfter(request.headers.contains("range") ? archive.size() / 4 : archive.size() / 2);
    });
    speechModel = server.baseURL() + QStringLiteral("/models/vocena-test-model.tar.bz2");
    const QString partial = modelsDir() + QStringLiteral("/.downloads/vocena-test-model.tar.bz2.part");
    openGuide();
    ASSERT_EQ(speechIndicator(), QStringLiteral("授权"));

    clickAction(Type::speechRecognition);
    const int halfWay = int(archive.size() / 2 * 1000 / archive.size());
    ASSERT_TRUE(waitUntil([&] { return progress()->isVisible() && progress()->value() == halfWay; }));
    EXPECT_EQ(speechIndicator(), QStringLiteral("取消"));
    clickAction(Type::speechRecognition);  // cancel
    ASSERT_TRUE(waitUntil([this] { return speechIndicator() == QStringLiteral("授权"); }));
    EXPECT_EQ(speechRow(), (QStringList{"授权", ModelStore::kCancelledMessage, kSomeMissing}));
    EXPECT_TRUE(!progress()->isVisible() && installedModels().isEmpty() && QFileInfo::exists(partial));

    clickAction(Type::speechRecognition);  // again: it continues (its range: ModelStoreTest), and stalls once more
    ASSERT_TRUE(waitUntil([&] { return progress()->value() > halfWay; }));
    guide->close();
    ASSERT_TRUE(waitUntil([this] { return guide.isNull(); }));
    // The install's work folder goes when the install ends; the partial download stays.
    EXPECT_TRUE(waitUntil([this] { return QDir(modelsDir()).entryList({QStringLiteral(".install-*")}, QDir::Dirs | QDir::Hidden).isEmpty(); }));
    EXPECT_TRUE(QFileInfo::exists(partial));

    // In the app the speech probe answers from the dictation it runs, which loads a model only
    // when told that one was installed: the row is checked after that, and shows ✓ at once (a
    // second "授权" would download the model again and fail on the name).
    stall = false;
    speech = PermissionCheck{Status::notDetermined, QStringLiteral("没有加载语音模型")};
    openGuide();
    QStringList announced;
    QObject::connect(guide, &PermissionGuidanceView::speechModelInstalled, [&](const QString& name) {
        announced << name;
        speech = PermissionCheck{Status::authorized, name};
    });
    clickAction(Type::speechRecognition);
    ASSERT_TRUE(waitUntil([this] { return installEnded(1); }, 60000));
    QCoreApplication::processEvents();
    EXPECT_EQ(speechRow(), (QStringList{"✓", QString(), kAllGranted}));
    EXPECT_EQ(installedModels() + announced << activeModel(), QStringList(3, QStringLiteral("vocena-test-model")));
}

// The built-in models, from the mirror of the preference (its addresses: ModelStoreTest): the
// punctuation model follows the speech model as a second download, and the final-pass model is
// offered after them, with its size. A failed download says why; only where no server answered
// does it advise a mirror or the file.
TEST_F(PermissionGuideTest, ThePunctuationModelFollowsTheSpeechModelAndTheFinalPassModelIsOffered) {
    speechModel = ModelCatalog::entries().first().name;
    punctuationModel = QString::fromLatin1(ModelCatalog::kPunctuationModel);
    finalPassModel = QString::fromLatin1(ModelCatalog::kFinalPassModel);
    const QByteArray speechArchive = modelArchive(QStringLiteral("good"), speechModel);
    const QByteArray punctuationArchive = readFile(SpeechTestAssets::archive(
        SpeechTestAssets::copyFolder(SpeechTestAssets::shared().punctuationModel(QStringLiteral("good")), path(QStringLiteral("src/") + punctuationModel))));
    const QByteArray finalPassArchive = readFile(SpeechTestAssets::shared().offlineReleaseArchive(finalPassModel, path(QStringLiteral("src"))));
    bool punctuationOnline = false;
    LoopbackHttpServer mirror([&](const LoopbackHttpServer::Request& request) {
        if (request.target.contains(finalPassModel.toLatin1())) return Response::download(finalPassArchive, request);
        if (!request.target.contains(punctuationModel.toLatin1())) return Response::download(speechArchive, request);
        return punctuationOnline ? Response::download(punctuationArchive, request) : Response::json(404, "{}");
    });
    const QString mirrorKey = QString::fromLatin1(ModelCatalog::kMirrorKey);
    ASSERT_EQ(prefs.setValue(mirrorKey, LoopbackHttpServer::refusingBaseURL()), QString());
    openGuide();
    EXPECT_EQ(std::pair(mirrorShown(), offer()), std::pair(true, QString()));  // no offer before the speech model
    clickAction(Type::speechRecognition);
    ASSERT_TRUE(waitUntil([this] { return installing(); }));
    ASSERT_TRUE(waitUntil([this] { return !installing(); }, 60000));
    EXPECT_TRUE(speechNote().startsWith(QStringLiteral("下载失败")) && speechNote().contains(QStringLiteral("「下载镜像」"))) << speechNote().toStdString();
    EXPECT_EQ(speechIndicator(), QStringLiteral("授权"));

    // The second download failing (not on the server) leaves speech recognition granted and says why.
    ASSERT_EQ(prefs.setValue(mirrorKey, mirror.baseURL()), QString());
    clickAction(Type::speechRecognition);
    ASSERT_TRUE(waitUntil([this] { return speechNote().startsWith(QStringLiteral("标点模型未安装")); }, 60000));
    EXPECT_FALSE(speechNote().contains(QStringLiteral("「下载镜像」"))) << speechNote().toStdString();
    EXPECT_EQ(QStringList{speechIndicator()} + installedModels(), (QStringList{"✓", speechModel}));

    // Asked again (the model was removed meanwhile): both arrive, the speech model stays the active one.
    ASSERT_EQ(store().remove(speechModel), QString());
    guide->viewModel().checkAllPermissions();
    ASSERT_TRUE(waitUntil([this] { return speechIndicator() == QStringLiteral("授权"); }));
    punctuationOnline = true;
    clickAction(Type::speechRecognition);
    ASSERT_TRUE(waitUntil([this] { return installEnded(2); }, 60000)) << speechNote().toStdString();
    EXPECT_EQ(speechRow(), (QStringList{"✓", QString(), kAllGranted}));
    EXPECT_EQ((QStringList{activeModel(), store().punctuationModel()->name}),
              (QStringList{speechModel, punctuationModel}));

    // The final-pass model only when asked for; then nothing is left to download.
    EXPECT_EQ(std::pair(mirrorShown(), offer()), std::pair(true, QStringLiteral("可选：整句识别模型（约 350 MB），输入更准确")));
    child<QPushButton>(guide->row(Type::speechRecognition), "offerButton")->click();
    ASSERT_TRUE(waitUntil([this] { return installEnded(3); }, 60000)) << speechNote().toStdString();
    EXPECT_EQ((QStringList{activeModel(), store().finalPassModel()->name, offer()}),
              (QStringList{speechModel, finalPassModel, QString()}));
    EXPECT_FALSE(mirrorShown());
}

}  // namespace
