// The permission guide on a real X display over probes that answer as told, and its speech
// model installed from a loopback server by the real model store.
#include "Infrastructure/Permissions/PermissionHelp.h"
#include "Infrastructure/Platform/Preferences.h"
#include "Infrastructure/Speech/Models/ModelCatalog.h"
#include "Infrastructure/Speech/Models/ModelStore.h"
#include "UI/Permissions/PermissionGuidanceView.h"
#include "UI/Permissions/PermissionGuidanceViewModel.h"
#include "UI/Permissions/PermissionHelpDialog.h"
#include "UI/Permissions/PermissionRow.h"
#include "UI/Appearance/ThemePalette.h"
#include "support/AsyncTest.h"
#include "support/LogCapture.h"
#include "support/LoopbackHttpServer.h"
#include "support/ManualScheduler.h"
#include "support/SpeechTestAssets.h"
#include "support/TestFiles.h"
#include "support/WaitUntil.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QMessageBox>
#include <QMutex>
#include <QPointer>
#include <QProcess>
#include <QProgressBar>
#include <QPushButton>
#include <QSemaphore>
#include <QTemporaryDir>
#include <atomic>

using namespace vocena;
using test::LoopbackHttpServer;
using test::SpeechTestAssets;
using test::waitUntil;
using Status = PermissionStatus;
using Type = PermissionType;

namespace {

const PermissionCheck kGranted{Status::authorized, QStringLiteral("ok")};
const AccessibilityCheck kUsable{true, true, QStringLiteral(":0")};
const AccessibilityCheck kNoXTest{false, false, QStringLiteral("没有 XTEST 扩展")};

class PermissionGuideTest : public ::testing::Test {
protected:
    ~PermissionGuideTest() override { delete guide; }

    // Opens the guide over probes that answer from the fields below at each check; the
    // speech probe asks the real model store unless `speech` is set.
    void openGuide(bool waitForCheck = true) {
        PermissionGuideSetup setup;
        setup.probes.microphone = [this] {
            if (gated) gate.tryAcquire(1, 5000);
            ++microphoneChecks;
            QMutexLocker lock(&mutex);
            return microphone;
        };
        setup.probes.accessibility = [this] {
            QMutexLocker lock(&mutex);
            return accessibility;
        };
        setup.probes.speechRecognition = [this] { return speech ? *speech : storeCheck(); };
        setup.preferences = &preferences;
        setup.speechModel = speechModel;
        setup.punctuationModel = punctuationModel;
        setup.finalPassModel = finalPassModel;
        setup.modelsDirectory = modelsDir();
        setup.verifierProgram = QStringLiteral(VOCENA_BINARY);
        setup.scheduler = &scheduler;
        setup.quitApplication = [this] { ++quits; };
        guide = new PermissionGuidanceView(setup);
        guide->show();
        if (waitForCheck) {
            ASSERT_TRUE(waitUntil([this] { return checked(); }));
        }
    }
    bool checked() { return guide->viewModel().permissions().size() == 3 && !guide->viewModel().modelInstall().running; }

    // What the speech probe of the app reports, from the store: not determined while nothing
    // is installed, denied for a damaged model.
    PermissionCheck storeCheck() {
        QString problem;
        bool notInstalled = false;
        const ModelStore store(preferences, modelsDir(), QStringLiteral(VOCENA_BINARY));
        if (const auto model = store.loadableModel(&problem, &notInstalled)) return {Status::authorized, model->name};
        return {notInstalled ? Status::notDetermined : Status::denied, problem};
    }

    void setAccessibility(const AccessibilityCheck& check) {
        QMutexLocker lock(&mutex);
        accessibility = check;
    }

    // A row's right end: its button's text, "受限", "✓", or nothing.
    QString indicator(Type type) const {
        PermissionRow* row = guide->row(type);
        if (auto* button = row->findChild<QPushButton*>(QStringLiteral("actionButton")); button->isVisible()) return button->text();
        if (row->findChild<QLabel*>(QStringLiteral("restrictedLabel"))->isVisible()) return QStringLiteral("受限");
        if (row->findChild<QLabel*>(QStringLiteral("statusIcon"))->isVisible()) return QStringLiteral("✓");
        return {};
    }
    QString note(Type type) const {
        auto* label = guide->row(type)->findChild<QLabel*>(QStringLiteral("noteLabel"));
        return label->isVisible() ? label->text() : QString();
    }
    void clickAction(Type type) const { guide->row(type)->findChild<QPushButton*>(QStringLiteral("actionButton"))->click(); }
    QPushButton* footerButton(const QString& text) const {
        for (QPushButton* button : guide->findChildren<QPushButton*>())
            if (button->text() == text) return button;
        return nullptr;
    }
    QString subtitle() const { return guide->findChild<QLabel*>(QStringLiteral("headerSubtitle"))->text(); }
    QProgressBar* progress() const { return guide->row(Type::speechRecognition)->findChild<QProgressBar*>(QStringLiteral("installProgress")); }
    QString progressText() const { return guide->row(Type::speechRecognition)->findChild<QLabel*>(QStringLiteral("installProgressText"))->text(); }
    QStringList installedModels() const { return QDir(modelsDir()).entryList(QDir::Dirs | QDir::NoDotAndDotDot); }
    // The speech row's offered download: its line, or nothing while it is hidden.
    QString offer() const {
        PermissionRow* row = guide->row(Type::speechRecognition);
        return row->findChild<QWidget*>(QStringLiteral("offer"))->isVisible() ? row->findChild<QLabel*>(QStringLiteral("offerText"))->text() : QString();
    }
    bool mirrorShown() const { return guide->findChild<QWidget*>(QStringLiteral("mirrorField"))->isVisible(); }

    QString modelsDir() const { return work.filePath(QStringLiteral("models")); }

    // An archive of the generated model named `name` (a copy of the `variant` folder).
    QByteArray modelArchive(const QString& variant, const QString& name) {
        const QString folder = SpeechTestAssets::shared().copy(variant, work.filePath(QStringLiteral("src/") + name));
        return test::readFile(SpeechTestAssets::archive(folder));
    }

    QTemporaryDir work;
    Preferences preferences{work.filePath(QStringLiteral("preferences.json"))};
    test::ManualClock clock;
    test::ManualScheduler scheduler{clock};
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
    struct Case {
        const char* name;
        PermissionCheck microphone;
        AccessibilityCheck accessibility;
        PermissionCheck speech;
        QStringList indicators;  // microphone, accessibility, speech recognition
        QString microphoneNote;
        bool allGranted;
    };
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
        EXPECT_EQ(guide->size(), QSize(480, 400));
        EXPECT_EQ(guide->windowTitle(), QStringLiteral("权限设置"));
        EXPECT_EQ((QStringList{indicator(Type::microphone), indicator(Type::accessibility), indicator(Type::speechRecognition)}),
                  (QStringList{"授权", "授权", "授权"}));
        EXPECT_FALSE(footerButton(QStringLiteral("全部授权 强制刷新"))->isEnabled());
        gate.release(1);
        ASSERT_TRUE(waitUntil([this] { return checked(); }));
        EXPECT_EQ(microphoneChecks.load(), 1);  // the check on appearing joined the one at creation

        EXPECT_EQ((QStringList{indicator(Type::microphone), indicator(Type::accessibility), indicator(Type::speechRecognition)}), c.indicators);
        EXPECT_EQ(note(Type::microphone), c.microphoneNote);
        EXPECT_EQ(subtitle(), c.allGranted ? QStringLiteral("所有权限已授权，澄言可以正常使用") : QStringLiteral("澄言需要以下权限才能正常工作"));
        EXPECT_EQ(footerButton(QStringLiteral("全部授权 强制刷新"))->isEnabled(), !c.allGranted);
        delete guide;
        gate.acquire(gate.available());
    }
}

// A theme switch while the guide is open repaints the rows and the footer's buttons in the
// new palette, not only the window around them.
TEST_F(PermissionGuideTest, ThemeSwitchWhileOpenRepaintsRowsAndButtons) {
    QApplication::setPalette(ThemePalette::light());
    speech = kGranted;
    openGuide();  // everything granted: "全部授权 强制刷新" is disabled
    QPushButton* requestAll = footerButton(QStringLiteral("全部授权 强制刷新"));
    QPushButton* start = footerButton(QStringLiteral("开始使用"));
    for (const QPalette& palette : {ThemePalette::dark(), ThemePalette::light()}) {
        QApplication::setPalette(palette);
        SCOPED_TRACE(palette.color(QPalette::Window).name().toStdString());
        PermissionRow* row = guide->row(Type::microphone);
        // Points inside the rounded shapes, clear of their texts (within a step of rounding).
        const auto near = [](QWidget* widget, QPoint point, QColor expected) {
            const QColor seen = widget->grab().toImage().pixelColor(point);
            return std::abs(seen.red() - expected.red()) + std::abs(seen.green() - expected.green()) +
                       std::abs(seen.blue() - expected.blue()) <= 3;
        };
        EXPECT_TRUE(waitUntil([&] { return near(row, {row->width() / 2, 3}, palette.color(QPalette::Base)); }));
        EXPECT_TRUE(near(requestAll, {3, requestAll->height() / 2}, palette.color(QPalette::Midlight)));
        EXPECT_TRUE(near(start, {3, start->height() / 2}, palette.color(QPalette::Highlight)));
    }
}

TEST_F(PermissionGuideTest, RefusedAccessibilityLeadsToItsHelpAndThenTheRestartAlert) {
    struct Case {
        const char* button;
        int quits;
    };
    for (const Case& c : {Case{"知道了", 0}, Case{"现在重启", 1}}) {
        SCOPED_TRACE(c.button);
        quits = 0;
        setAccessibility(kNoXTest);
        openGuide();
        ASSERT_EQ(indicator(Type::accessibility), QStringLiteral("去开启"));

        // "去开启" shows what to do, with what the check found.
        clickAction(Type::accessibility);
        auto* help = guide->findChild<PermissionHelpDialog*>();
        ASSERT_TRUE(help && help->isVisible());
        EXPECT_EQ(help->type(), Type::accessibility);
        EXPECT_EQ(help->findChild<QLabel*>(QStringLiteral("howToLabel"))->text(), PermissionHelp::howTo(Type::accessibility));
        EXPECT_TRUE(help->findChild<QLabel*>(QStringLiteral("findingLabel"))->text().contains(kNoXTest.detail));
        help->close();

        // Asked for from its row and refused: the help again, and half a second later the alert.
        guide->viewModel().requestPermission(Type::accessibility);
        ASSERT_TRUE(waitUntil([this] { return guide->findChild<PermissionHelpDialog*>(); }));
        ASSERT_TRUE(waitUntil([this] { return scheduler.pendingCount() == 1; }));
        clock.advance(0.4);
        EXPECT_EQ(guide->findChild<QMessageBox*>(), nullptr);
        clock.advance(0.1);
        auto* alert = guide->findChild<QMessageBox*>();
        ASSERT_NE(alert, nullptr);
        EXPECT_TRUE(alert->isVisible());
        EXPECT_EQ(alert->text(), QStringLiteral("辅助功能权限需要重启"));
        EXPECT_EQ(alert->informativeText(), QStringLiteral("请在系统设置中开启权限后，重启澄言应用使权限生效。\n\n点击「现在重启」将关闭应用，请重新打开。"));
        QPushButton* chosen = nullptr;
        for (QAbstractButton* button : alert->buttons())
            if (button->text() == QString::fromUtf8(c.button)) chosen = qobject_cast<QPushButton*>(button);
        ASSERT_NE(chosen, nullptr);
        EXPECT_EQ(alert->defaultButton()->text(), QStringLiteral("知道了"));
        chosen->click();
        EXPECT_TRUE(waitUntil([this] { return !guide->findChild<QMessageBox*>(); }));
        EXPECT_EQ(quits, c.quits);
        delete guide;
    }
}

TEST_F(PermissionGuideTest, ComingBackToTheGuideRefreshesAccessibilityHalfASecondLater) {
    test::LogCapture log;
    setAccessibility(kNoXTest);
    openGuide();
    guide->activateWindow();
    ASSERT_TRUE(waitUntil([this] { return guide->isActiveWindow(); }));
    QWidget elsewhere;
    elsewhere.show();
    elsewhere.activateWindow();
    ASSERT_TRUE(waitUntil([&] { return elsewhere.isActiveWindow() && !guide->isActiveWindow(); }));
    EXPECT_FALSE(log.contains(QStringLiteral("应用从后台激活")));  // being shown is not coming back

    setAccessibility(kUsable);  // granted meanwhile, outside the app
    const int microphoneChecksBefore = microphoneChecks;
    guide->activateWindow();
    ASSERT_TRUE(waitUntil([this] { return guide->isActiveWindow(); }));
    EXPECT_TRUE(log.contains(QStringLiteral("[PermissionGuidanceView] 应用从后台激活，准备刷新权限状态...")));
    clock.advance(0.4);
    waitUntil([] { return false; }, 100);
    EXPECT_EQ(indicator(Type::accessibility), QStringLiteral("去开启"));
    clock.advance(0.1);
    EXPECT_TRUE(waitUntil([this] { return indicator(Type::accessibility) == QStringLiteral("✓"); }));
    EXPECT_EQ(microphoneChecks.load(), microphoneChecksBefore);  // only accessibility is asked again
}

TEST_F(PermissionGuideTest, RequestAllAsksForWhatIsMissingInOrderWithoutTheAlert) {
    LoopbackHttpServer server([](const LoopbackHttpServer::Request&) { return LoopbackHttpServer::Response::json(404, "{}"); });
    speechModel = server.baseURL() + QStringLiteral("/missing.tar.bz2");
    struct Case {
        const char* name;
        bool missing;
        QStringList requested;
    };
    const QList<Case> cases = {
        {"all granted", false, {}},
        {"all missing", true, {QStringLiteral("麦克风权限"), QStringLiteral("辅助功能权限"), QStringLiteral("语音识别权限")}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        microphone = c.missing ? PermissionCheck{Status::denied, {}} : kGranted;
        setAccessibility(c.missing ? kNoXTest : kUsable);
        speech.reset();
        if (!c.missing) speech = kGranted;
        openGuide();
        test::LogCapture log;
        test::await(guide->viewModel().requestAllPermissions());
        const QStringList lines = log.lines().filter(QStringLiteral("[PermissionGuidanceView]"));
        QStringList requested;
        for (const QString& line : lines.filter(QStringLiteral("请求权限: "))) requested << line.section(QStringLiteral("请求权限: "), 1);
        EXPECT_EQ(requested, c.requested);
        clock.advance(1);
        EXPECT_EQ(guide->findChild<QMessageBox*>(), nullptr);
        delete guide;
    }
}

TEST_F(PermissionGuideTest, SpeechRowInstallsTheModelShowingProgressAndCanBeCancelledAndResumed) {
    ASSERT_EQ(SpeechTestAssets::shared().error, QString());
    const QByteArray archive = modelArchive(QStringLiteral("good"), QStringLiteral("vocena-test-model"));
    LoopbackHttpServer server([&archive](const LoopbackHttpServer::Request& request) {
        const auto response = LoopbackHttpServer::Response::download(archive, request);
        return request.headers.contains("range") ? response : response.stalledAfter(archive.size() / 2);  // the first try stalls half-way
    });
    speechModel = server.baseURL() + QStringLiteral("/models/vocena-test-model.tar.bz2");
    openGuide();
    ASSERT_EQ(indicator(Type::speechRecognition), QStringLiteral("授权"));
    QStringList announced;
    QObject::connect(guide, &PermissionGuidanceView::speechModelInstalled, [&announced](const QString& name) { announced << name; });

    clickAction(Type::speechRecognition);
    const int halfWay = int(archive.size() / 2 * 1000 / archive.size());
    ASSERT_TRUE(waitUntil([&] { return progress()->isVisible() && progress()->value() == halfWay; }));
    EXPECT_EQ(progress()->maximum(), 1000);
    EXPECT_TRUE(progressText().startsWith(QStringLiteral("正在下载"))) << progressText().toStdString();
    EXPECT_EQ(indicator(Type::speechRecognition), QStringLiteral("取消"));

    clickAction(Type::speechRecognition);  // cancel
    ASSERT_TRUE(waitUntil([this] { return indicator(Type::speechRecognition) == QStringLiteral("授权"); }));
    EXPECT_EQ(note(Type::speechRecognition), ModelStore::kCancelledMessage);
    EXPECT_FALSE(progress()->isVisible());
    EXPECT_EQ(installedModels(), QStringList());

    clickAction(Type::speechRecognition);  // again: the download resumes where it stopped
    ASSERT_TRUE(waitUntil([this] { return indicator(Type::speechRecognition) == QStringLiteral("✓"); }, 60000)) << note(Type::speechRecognition).toStdString();
    EXPECT_EQ(server.requests().last().headers.value("range"), "bytes=" + QByteArray::number(archive.size() / 2) + "-");
    EXPECT_EQ(note(Type::speechRecognition), QString());
    EXPECT_EQ(installedModels(), QStringList{QStringLiteral("vocena-test-model")});
    EXPECT_EQ(preferences.stringValue(QString::fromLatin1(ModelStore::kActiveModelKey)), QStringLiteral("vocena-test-model"));
    EXPECT_EQ(subtitle(), QStringLiteral("所有权限已授权，澄言可以正常使用"));
    EXPECT_EQ(announced, QStringList{QStringLiteral("vocena-test-model")});  // once, after the resumed try
}

// In the app the speech probe answers from the dictation it runs, which loads a model only when
// told that one was installed: the row is checked after that, and shows ✓ at once (a second
// "授权" would download the model again and fail on the name).
TEST_F(PermissionGuideTest, TheSpeechRowIsCheckedAfterTheAppLoadedTheInstalledModel) {
    ASSERT_EQ(SpeechTestAssets::shared().error, QString());
    const QByteArray archive = modelArchive(QStringLiteral("good"), QStringLiteral("vocena-test-model"));
    LoopbackHttpServer server([&archive](const LoopbackHttpServer::Request& request) {
        return LoopbackHttpServer::Response::download(archive, request);
    });
    speechModel = server.baseURL() + QStringLiteral("/models/vocena-test-model.tar.bz2");
    speech = PermissionCheck{Status::notDetermined, QStringLiteral("没有加载语音模型")};
    openGuide();
    ASSERT_EQ(indicator(Type::speechRecognition), QStringLiteral("授权"));
    QObject::connect(guide, &PermissionGuidanceView::speechModelInstalled,
                     [this](const QString& name) { speech = PermissionCheck{Status::authorized, name}; });
    clickAction(Type::speechRecognition);
    ASSERT_TRUE(waitUntil([this] { return !guide->viewModel().modelInstall().running && installedModels().size() == 1; }, 60000));
    QCoreApplication::processEvents();
    EXPECT_EQ(indicator(Type::speechRecognition), QStringLiteral("✓")) << note(Type::speechRecognition).toStdString();
}

// The built-in models, from the mirror of the preference: the punctuation model follows the
// speech model as a second download, and the final-pass model is offered after them, with its size.
TEST_F(PermissionGuideTest, ThePunctuationModelFollowsTheSpeechModelAndTheFinalPassModelIsOffered) {
    ASSERT_EQ(SpeechTestAssets::shared().error, QString());
    speechModel = ModelCatalog::entries().first().name;
    punctuationModel = QString::fromLatin1(ModelCatalog::kPunctuationModel);
    finalPassModel = QString::fromLatin1(ModelCatalog::kFinalPassModel);
    const QByteArray speechArchive = modelArchive(QStringLiteral("good"), speechModel);
    const QByteArray punctuationArchive = test::readFile(SpeechTestAssets::archive(SpeechTestAssets::copyFolder(
        SpeechTestAssets::shared().punctuationModel(QStringLiteral("good")), work.filePath(QStringLiteral("src/") + punctuationModel))));
    const QByteArray finalPassArchive = test::readFile(SpeechTestAssets::shared().offlineReleaseArchive(finalPassModel, work.filePath(QStringLiteral("src"))));
    bool punctuationOnline = false;
    LoopbackHttpServer mirror([&](const LoopbackHttpServer::Request& request) {
        if (request.target.contains(finalPassModel.toLatin1())) return LoopbackHttpServer::Response::download(finalPassArchive, request);
        if (!request.target.contains(punctuationModel.toLatin1())) return LoopbackHttpServer::Response::download(speechArchive, request);
        if (!punctuationOnline) return LoopbackHttpServer::Response::json(404, "{}");
        return LoopbackHttpServer::Response::download(punctuationArchive, request);
    });
    ASSERT_EQ(preferences.setValue(QString::fromLatin1(ModelCatalog::kMirrorKey), mirror.baseURL()), QString());
    openGuide();
    EXPECT_TRUE(mirrorShown());
    EXPECT_EQ(offer(), QString());  // not before the speech model

    // The second download failing leaves speech recognition granted and says why.
    clickAction(Type::speechRecognition);
    ASSERT_TRUE(waitUntil([this] { return note(Type::speechRecognition).startsWith(QStringLiteral("标点模型未安装")); }, 60000));
    EXPECT_EQ(indicator(Type::speechRecognition), QStringLiteral("✓"));
    EXPECT_EQ(installedModels(), QStringList{speechModel});

    // Asked again (the model was removed meanwhile): both arrive, the speech model stays the active one.
    ASSERT_EQ(ModelStore(preferences, modelsDir(), QString()).remove(speechModel), QString());
    guide->viewModel().checkAllPermissions();
    ASSERT_TRUE(waitUntil([this] { return indicator(Type::speechRecognition) == QStringLiteral("授权"); }));
    punctuationOnline = true;
    clickAction(Type::speechRecognition);
    ASSERT_TRUE(waitUntil([this] { return installedModels().size() == 2 && !guide->viewModel().modelInstall().running; }, 60000))
        << note(Type::speechRecognition).toStdString();
    EXPECT_EQ(note(Type::speechRecognition), QString());
    EXPECT_EQ(preferences.stringValue(QString::fromLatin1(ModelStore::kActiveModelKey)), speechModel);
    EXPECT_EQ(ModelStore(preferences, modelsDir(), QString()).punctuationModel()->name, punctuationModel);

    // The final-pass model only when asked for; then nothing is left to download.
    EXPECT_EQ(offer(), QStringLiteral("可选：整句识别模型（约 350 MB），输入更准确"));
    EXPECT_TRUE(mirrorShown());
    guide->row(Type::speechRecognition)->findChild<QPushButton*>(QStringLiteral("offerButton"))->click();
    ASSERT_TRUE(waitUntil([this] { return installedModels().size() == 3 && !guide->viewModel().modelInstall().running; }, 60000))
        << note(Type::speechRecognition).toStdString();
    EXPECT_EQ(ModelStore(preferences, modelsDir(), QString()).finalPassModel()->name, finalPassModel);
    EXPECT_EQ(offer(), QString());
    EXPECT_FALSE(mirrorShown());
    EXPECT_EQ(preferences.stringValue(QString::fromLatin1(ModelStore::kActiveModelKey)), speechModel);
    for (const LoopbackHttpServer::Request& request : mirror.requests())
        EXPECT_TRUE(request.target.startsWith("/k2-fsa/sherpa-onnx/releases/download/")) << request.target.toStdString();
}

TEST_F(PermissionGuideTest, ClosingTheGuideCancelsItsInstall) {
    const QByteArray archive(100000, 'x');
    LoopbackHttpServer server([&archive](const LoopbackHttpServer::Request&) {
        return LoopbackHttpServer::Response{LoopbackHttpServer::Response::Kind::Reply, 200, archive, "application/x-bzip2"}.stalledAfter(1000);
    });
    speechModel = server.baseURL() + QStringLiteral("/models/stalling.tar.bz2");
    openGuide();
    clickAction(Type::speechRecognition);
    ASSERT_TRUE(waitUntil([this] { return progress()->value() > 0; }));
    guide->close();
    ASSERT_TRUE(waitUntil([this] { return guide.isNull(); }));
    // The install's work folder goes when the install ends; the partial download stays.
    const QDir models(modelsDir());
    EXPECT_TRUE(waitUntil([&] { return models.entryList({QStringLiteral(".install-*")}, QDir::Dirs | QDir::Hidden).isEmpty(); }));
    EXPECT_TRUE(QFileInfo::exists(models.filePath(QStringLiteral(".downloads/stalling.tar.bz2.part"))));
}

TEST_F(PermissionGuideTest, AFailedInstallShowsItsReasonAndOffersToTryAgain) {
    ASSERT_EQ(SpeechTestAssets::shared().error, QString());
    using Response = LoopbackHttpServer::Response;
    struct Case {
        const char* name;
        Response response;
        QString reason;
        bool advised;  // what to do: a mirror, or the file
    };
    const QList<Case> cases = {
        {"not on the server", {Response::Kind::Reply, 404, "not found"}, QStringLiteral("下载失败"), false},
        {"no answer", Response::close(), QStringLiteral("下载失败"), true},
        {"a model the library cannot use",
         {Response::Kind::Reply, 200, modelArchive(QStringLiteral("no-metadata"), QStringLiteral("broken")), "application/x-bzip2"},
         QStringLiteral("模型验证失败"), false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        LoopbackHttpServer server([&c](const LoopbackHttpServer::Request&) { return c.response; });
        speechModel = server.baseURL() + QStringLiteral("/broken.tar.bz2");
        openGuide();
        clickAction(Type::speechRecognition);
        ASSERT_TRUE(waitUntil([this] { return guide->viewModel().modelInstall().running; }));
        ASSERT_TRUE(waitUntil([this] { return !guide->viewModel().modelInstall().running; }, 60000));
        EXPECT_TRUE(note(Type::speechRecognition).startsWith(c.reason)) << note(Type::speechRecognition).toStdString();
        EXPECT_EQ(note(Type::speechRecognition).contains(QStringLiteral("「下载镜像」")), c.advised) << note(Type::speechRecognition).toStdString();
        EXPECT_EQ(indicator(Type::speechRecognition), QStringLiteral("授权"));
        EXPECT_EQ(installedModels(), QStringList());
        delete guide;
    }
}

}  // namespace
