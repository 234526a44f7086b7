// The tray app's shell in this process: the launch sequence over scripted permission checks,
// the banner and menu following a dictation over a scripted recognizer in virtual time, and
// the two notifications it acts on. Real widgets on a private Xvfb display.
#include "App/Tray/AppAlerts.h"
#include "App/Tray/AppDelegate.h"
#include "Infrastructure/Hotkey/ModifierKeyMonitor.h"
#include "Infrastructure/Permissions/PermissionHelp.h"
#include "Infrastructure/Permissions/PermissionManager.h"
#include "Infrastructure/Platform/NotificationCenter.h"
#include "UI/Banner/BannerPanel.h"
#include "UI/Banner/TermSuggestionView.h"
#include "UI/Banner/TopStatusBannerView.h"
#include "UI/MenuBar/StatusMenu.h"
#include "UI/Onboarding/OnboardingView.h"
#include "UI/Permissions/PermissionGuidanceViewModel.h"
#include "UI/Onboarding/WelcomeFlow.h"
#include "UI/Onboarding/WelcomeWindow.h"
#include "UI/Settings/AIFeaturesCard.h"
#include "UI/Settings/SettingsWindow.h"
#include "UI/Settings/ToggleSettingRow.h"
#include "Infrastructure/LLM/AISettingsStore.h"
#include "Terms/TermFrequencyTracker.h"
#include "Vocabulary/VocabularyStore.h"
#include "support/FakeModifierFlagSource.h"
#include "support/LogCapture.h"
#include "support/MemorySecretStore.h"
#include "support/WidgetTest.h"
#include "UI/Banner/BannerTestBed.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QToolButton>

using namespace vocena;
using namespace vocena::test;

namespace {

class AppDelegateTest : public BannerTestBed {
protected:
    PermissionStatus microphone = PermissionStatus::authorized;

    PermissionProbes probes() {
        PermissionProbes p;
        p.microphone = [this] { return PermissionCheck{microphone}; };
        p.accessibility = [] { return AccessibilityCheck{true, true}; };
        p.speechRecognition = [] { return PermissionCheck{PermissionStatus::authorized}; };
        return p;
    }
    PermissionManager permissions{probes()};
    ModifierKeyMonitor monitor{clock, scheduler};
    FakeModifierFlagSource* const keys = new FakeModifierFlagSource;
    VocabularyStore vocabulary{dir.filePath(QStringLiteral("vocabulary.json")), Clock::system()};
    TermFrequencyTracker terms{dir.filePath(QStringLiteral("f.json")), dir.filePath(QStringLiteral("s.json")), vocabulary,
                               Clock::system()};
    AISettingsStore ai{prefs, std::make_shared<MemorySecretStore>()};
    int quits = 0;
    AppDelegate shell{{
        .preferences = prefs,
        .scheduler = scheduler,
        .permissions = permissions,
        .guideSetup =
            [this] {
                PermissionGuideSetup setup;
                setup.probes = probes();
                setup.preferences = &prefs;
                setup.scheduler = &scheduler;
                setup.quitApplication = [] { ADD_FAILURE() << "quit around the app"; };
                return setup;
            },
        .terms = &terms,
        .keyMonitor = &monitor,
        .quit = [this] { ++quits; },
        .memoryReader = [] { return std::optional<QByteArray>("1000 100 0 0 0 0 0"); },
        .aiSettings = &ai,
    }};

    void SetUp() override {
        monitor.setFlagSource(std::unique_ptr<FakeModifierFlagSource>(keys));
        shell.setService(&service);
    }
    // Starts (audio running) or stops a recording through the tray's own toggle.
    void toggleInTheTray() {
        const bool starting = !service.isRecording();
        audio = nullptr;
        shell.toggleRecording();
        if (starting) {
            ASSERT_TRUE(waitUntil([&] { return audio && audio->running; }));
        }
        settle();
    }
    // The recognizer's final words; the pipeline is done with them.
    void finalResult(const char* words) {
        engine.emitResult(QString::fromUtf8(words), true);
        ASSERT_TRUE(waitUntil([&] { return !service.isProcessing(); }));
    }
    bool showsNotice() { return shell.banner().currentContentType() == TopStatusBannerManager::ContentType::notification; }
    QString noticeText() {
        const auto* notice = bannerShown() ? shell.banner().panel()->findChild<QLabel*>() : nullptr;
        return notice ? notice->text() : QString();
    }

    bool bannerShown() { return shell.banner().panel() && shell.banner().panel()->isVisible(); }
    // Launches the shell past its first launch; the launch's permission check has ended.
    void launch() {
        prefs.setValue(QString::fromLatin1(AppDelegate::kFirstLaunchKey), true);
        shell.launch();
        ASSERT_TRUE(waitUntil([&] { return checked(); }));
    }
    static void offer(const char* term) {
        NotificationCenter::defaultCenter().post(Notifications::termSuggestionReady, {},
                                                 {{QStringLiteral("term"), QString::fromUtf8(term)}, {QStringLiteral("category"), QStringLiteral("人名")}});
    }
    QString offered() {
        return shell.banner().suggestionView() ? shell.banner().suggestionView()->label()->text() : QString();
    }
    static QList<QMessageBox*> visibleBoxes() {
        QList<QMessageBox*> boxes;
        for (QWidget* widget : QApplication::topLevelWidgets())
            if (auto* box = qobject_cast<QMessageBox*>(widget); box && box->isVisible()) boxes << box;
        return boxes;
    }
    // The tray's item offers to stop, and its state says recording.
    bool trayShowsRecording() {
        return shell.menuBar().menu().action(StatusMenu::recordingTag)->text() == StatusMenu::recordingTitle(true) &&
               shell.menuBar().state().recording;
    }
    // The launch's permission check has ended (its three answers are in, and its continuation
    // ran in the same turn).
    bool checked() const { return permissions.permissionStatuses().size() == 3; }
};

struct LaunchCase {
    const char* name;
    std::optional<bool> launchedBefore;
    bool silent;
    PermissionStatus microphone;
    bool guide;
    std::optional<bool> flagAfter;
};
class AppDelegateLaunchTest : public AppDelegateTest, public ::testing::WithParamInterface<LaunchCase> {};

}  // namespace

// The guide opens on the very first launch (and marks it done), afterwards only while a
// permission is missing; the welcome card follows 3 s after the launch. A silent launch checks
// nothing and opens nothing.
TEST_P(AppDelegateLaunchTest, OpensThePermissionGuideOnlyWhenItIsNeeded) {
    const LaunchCase& c = GetParam();
    microphone = c.microphone;
    if (c.launchedBefore) prefs.setValue(QString::fromLatin1(AppDelegate::kFirstLaunchKey), *c.launchedBefore);
    prefs.setValue(QString::fromLatin1(AppDelegate::kSilentLaunchKey), c.silent);
    shell.launch();
    // A silent launch checks nothing: its three answers never come.
    EXPECT_EQ(waitUntil([&] { return checked(); }, c.silent ? 100 : 5000), !c.silent);
    settle();
    EXPECT_EQ(shell.permissionGuide() && shell.permissionGuide()->isVisible(), c.guide);
    EXPECT_EQ(prefs.boolValue(QString::fromLatin1(AppDelegate::kFirstLaunchKey)), c.flagAfter);
    EXPECT_FALSE(shell.welcomeWindow());
    clock.advance(WelcomeFlow::kLaunchDelay);
    EXPECT_EQ(shell.welcomeWindow() != nullptr, !c.silent);

    // Only a launch that is not silent listens to the pipeline's notices.
    NotificationCenter::defaultCenter().post(Notifications::aiProcessingFallback, QStringLiteral("超时"));
    EXPECT_EQ(shell.banner().panel() != nullptr, !c.silent);
}

INSTANTIATE_TEST_SUITE_P(
    Launches, AppDelegateLaunchTest,
    ::testing::Values(LaunchCase{"FirstEverythingGranted", std::nullopt, false, PermissionStatus::authorized, true, true},
                      LaunchCase{"NextEverythingGranted", true, false, PermissionStatus::authorized, false, true},
                      LaunchCase{"NextMicrophoneMissing", true, false, PermissionStatus::denied, true, true},
                      LaunchCase{"SilentFirst", std::nullopt, true, PermissionStatus::denied, false, std::nullopt}),
    [](const auto& info) { return std::string(info.param.name); });

// The banner follows the dictation's states: it shows while listening and recognizing, goes
// 3 s after a result and 2 s after an error, and a new recording keeps it up.
TEST_F(AppDelegateTest, TheBannerFollowsTheDictation) {
    struct Step {
        double advance;  // seconds of virtual time first
        std::optional<RecognitionState> state;
        bool banner;
    };
    const auto listening = RecognitionState::listening();
    const auto completed = RecognitionState::completed();
    const QList<std::pair<const char*, QList<Step>>> cases{
        {"a result hides it after 3 s",
         {{0, listening, true}, {0, RecognitionState::recognizing(), true}, {0, completed, true}, {2.9, {}, true}, {0.2, {}, false}}},
        {"an error hides it after 2 s",
         {{0, listening, true}, {0, RecognitionState::error(QStringLiteral("麦克风不可用")), true}, {1.9, {}, true}, {0.2, {}, false}}},
        {"a new recording cancels the pending hide", {{0, listening, true}, {0, completed, true}, {1, listening, true}, {5, {}, true}}},
        {"idle hides it at once", {{0, listening, true}, {0, RecognitionState::idle(), false}}},
        {"the model's turn keeps it", {{0, listening, true}, {0, RecognitionState::aiProcessing(), true}}},
    };
    for (const auto& [name, steps] : cases) {
        SCOPED_TRACE(name);
        for (int i = 0; i < steps.size(); ++i) {
            const Step& step = steps[i];
            SCOPED_TRACE(i);
            clock.advance(step.advance);
            if (step.state) shell.didUpdateState(service, *step.state);
            settle();
            EXPECT_EQ(bannerShown(), step.banner);
        }
        shell.banner().close();
    }
}

// The gesture's toggle runs a real recording through the shell, and a quick second dictation
// while the first is still with the model: the icon, the item and the banner (one window for
// both) belong to the recording, whatever the first run reports meanwhile. Between a stop and
// its final result the item cannot start another recording, and the banner's time stands still.
TEST_F(AppDelegateTest, TheTrayAndTheBannerBelongToTheRunInProgress) {
    const auto recordingItem = [&] { return shell.menuBar().menu().action(StatusMenu::recordingTag); };
    shell.modifierKeyMonitorDidDoubleTapOption(ModifierKeyMonitor::shared());
    ASSERT_TRUE(waitUntil([&] { return audio && audio->running; }));
    settle();
    ASSERT_TRUE(bannerShown());
    BannerPanel* const first = shell.banner().panel();
    EXPECT_TRUE(trayShowsRecording());
    engine.emitResult(QStringLiteral("第一段"), false);
    clock.advance(1.5);
    ASSERT_TRUE(shell.banner().bannerView());
    EXPECT_EQ(shell.banner().bannerView()->durationText(), QStringLiteral("1.5秒"));

    toggleInTheTray();  // the stop
    ASSERT_TRUE(service.isAwaitingFinalResult());
    EXPECT_EQ(recordingItem()->text(), QStringLiteral("处理中…"));
    EXPECT_FALSE(recordingItem()->isEnabled());
    EXPECT_FALSE(shell.menuBar().state().recording);
    clock.advance(1);
    EXPECT_EQ(shell.banner().bannerView()->statusText(), QStringLiteral("文字识别中"));
    EXPECT_EQ(shell.banner().bannerView()->durationText(), QStringLiteral("1.5秒")) << "the time counts on after the stop";

    // The first run's words go to the model, which answers only after the second start.
    engine.emitResult(QStringLiteral("第一段话"), true);
    settle();
    EXPECT_TRUE(recordingItem()->isEnabled());
    ASSERT_NO_FATAL_FAILURE(toggleInTheTray());
    // The late report of the first run, as it would come with the model on.
    shell.didUpdateState(service, RecognitionState::completed());
    settle();
    EXPECT_TRUE(trayShowsRecording());
    EXPECT_EQ(shell.banner().panel(), first);
    clock.advance(4);
    EXPECT_TRUE(bannerShown()) << "an earlier run's completion hid the live banner";
    EXPECT_EQ(shell.banner().bannerView()->statusText(), QStringLiteral("文字识别中"));

    // A notice meanwhile waits for the end of the recording instead of replacing its banner.
    shell.showNotification(QStringLiteral("AI 处理失败，使用原始文本"), 3);
    EXPECT_EQ(shell.banner().currentContentType(), TopStatusBannerManager::ContentType::banner);
    EXPECT_EQ(shell.banner().bannerView()->durationText(), QStringLiteral("4.0秒"));
    toggleInTheTray();
    ASSERT_NO_FATAL_FAILURE(finalResult("第二段"));
    clock.advance(3.1);
    EXPECT_TRUE(showsNotice() && bannerShown());
    clock.advance(3.1);
    EXPECT_FALSE(bannerShown());
    EXPECT_EQ(dictation.keys.typed.join(QString()), QStringLiteral("第一段话第二段"));
    // The app's end stops a recording still running.
    ASSERT_NO_FATAL_FAILURE(toggleInTheTray());
    shell.terminate();
    EXPECT_FALSE(service.isRecording());
}

// The model's switch in the settings and in the menu is one value: after a change in either
// place both show the same, and a dictation goes to the model exactly when they say on (here
// it would, but there is no key). A stored mode other than 0 and 1 reads as off everywhere.
TEST_F(AppDelegateTest, TheModelSwitchReadsTheSameInTheCardTheMenuAndADictation) {
    AIFeaturesCard card(prefs);
    QAction* item = shell.menuBar().menu().action(StatusMenu::aiModeTag);
    const auto dictationUsesTheModel = [&] {
        LogCapture log;
        toggle();
        engine.emitResult(QStringLiteral("你好"), false);
        toggle();
        engine.emitResult(QStringLiteral("你好"), true);
        EXPECT_TRUE(waitUntil([&] { return !service.isProcessing() && service.pendingInjections() == 0; }));
        if (log.contains(QStringLiteral("注入原始文本（未配置 API Key）"))) return true;
        EXPECT_TRUE(log.contains(QStringLiteral("注入原始文本（AI 关闭或空文本）")));
        return false;
    };
    const auto menuSaysOn = [&] { return item->text().endsWith(QStringLiteral("✓")); };
    const QList<std::pair<const char*, std::function<void()>>> changes{
        {"off in the settings", [&] { Q_EMIT card.switchRow()->toggled(false); }},
        {"on in the menu", [&] { item->trigger(); }},
        {"stored mode 2", [&] {
             prefs.setValue(QString::fromLatin1(AISettingsStore::kEnabledKey), true);
             prefs.setValue(QString::fromLatin1(AISettingsStore::kModeKey), 2);
             EXPECT_TRUE(waitUntil([&] { return !card.switchRow()->isOn(); }));
             shell.updateMenuItemsState();
         }},
    };
    for (const auto& [name, change] : changes) {
        SCOPED_TRACE(name);
        change();
        settle();
        const bool on = QByteArray(name) == "on in the menu";
        EXPECT_EQ(card.switchRow()->isOn(), on);
        EXPECT_EQ(menuSaysOn(), on);
        EXPECT_EQ(dictationUsesTheModel(), on);
    }
}

// Clearing the assistant's conversation leaves nothing to clear: the item is disabled again.
TEST_F(AppDelegateTest, ClearingTheConversationDisablesItsItem) {
    prefs.setValue(QString::fromLatin1(AppDelegate::kWorkModeKey), 1);
    service.aiProcessor().conversationContext.addMessage(QStringLiteral("你好"), QStringLiteral("你好！"));
    shell.updateMenuItemsState();
    QAction* clear = shell.menuBar().menu().action(StatusMenu::clearContextTag);
    ASSERT_TRUE(clear->isEnabled());
    clear->trigger();
    EXPECT_FALSE(service.aiProcessor().conversationContext.hasContext());
    EXPECT_FALSE(clear->isEnabled());
}

// "现在重启" in the guide leaves through the app's own way out (which types a stopped run first),
// not around it.
TEST_F(AppDelegateTest, TheGuidesRestartQuitsThroughTheApp) {
    shell.showPermissionGuide();
    ASSERT_TRUE(shell.permissionGuide());
    Q_EMIT shell.permissionGuide()->viewModel().restartRequired();
    pressInMessageBox(shell.permissionGuide(), QStringLiteral("现在重启"));
    EXPECT_EQ(quits, 1);
}

// Where nothing types into the focused window the alert names what this desktop lacks (here an
// X display without XTest) and offers its help page.
TEST_F(AppDelegateTest, TheTypingAlertNamesWhatIsMissingAndOpensTheHelp) {
    int helps = 0;
    AppAlerts alerts(shell, [&helps] { ++helps; });
    alerts.showAccessibilityAlert();
    ASSERT_TRUE(waitUntil([&] { return visibleBoxes().size() == 1; }));
    QMessageBox* alert = visibleBoxes().first();
    EXPECT_EQ(alert->text(), PermissionHelp::missingTyping());
    EXPECT_TRUE(alert->text().contains(QStringLiteral("XTest")));
    EXPECT_TRUE(buttonTitled(alert, QStringLiteral("取消")));
    if (QAbstractButton* help = buttonTitled(alert, QStringLiteral("打开帮助"))) help->click();
    EXPECT_EQ(helps, 1);
}

// Without a speech model every way of starting says so and opens the guide, which offers the
// download, instead of doing nothing.
TEST_F(AppDelegateTest, WithoutASpeechModelAStartOpensTheGuide) {
    shell.setService(nullptr);
    shell.modifierKeyMonitorDidDoubleTapOption(ModifierKeyMonitor::shared());
    EXPECT_EQ(noticeText(), QStringLiteral("未安装语音模型，请先在权限设置中下载"));
    EXPECT_TRUE(shell.permissionGuide() && shell.permissionGuide()->isVisible());
    clock.advance(3.1);
    EXPECT_FALSE(bannerShown());
    shell.appActions().toggleRecording();
    EXPECT_TRUE(bannerShown());
}

// The pipeline's notices: a failed model call is announced whatever it carries, a suggested
// term offers to join the vocabulary (and does on 添加), a notice without a term is ignored. A
// term suggestion never appears while the user is dictating: one on screen when a recording
// starts gives way to the live banner and comes back after it, one that falls due meanwhile
// waits its turn.
TEST_F(AppDelegateTest, NoticesFromThePipelineReachTheBannerAndSuggestionsWaitForARecording) {
    ASSERT_NO_FATAL_FAILURE(launch());

    NotificationCenter& center = NotificationCenter::defaultCenter();
    for (const QVariant& reason : {QVariant(QStringLiteral("超时")), QVariant(42)}) {
        LogCapture log;
        center.post(Notifications::aiProcessingFallback, reason);
        EXPECT_TRUE(showsNotice());
        const QString expected = reason.typeId() == QMetaType::QString ? QStringLiteral("超时") : QStringLiteral("未知错误");
        EXPECT_EQ(log.lines().filter(QStringLiteral("AI 降级通知: ") + expected).size(), 1);
    }

    shell.banner().close();
    center.post(Notifications::termSuggestionReady, {}, {{QStringLiteral("term"), 7}});
    EXPECT_FALSE(shell.banner().panel());

    // Terms that fall due together are offered one after another, none replaced unseen.
    for (const char* term : {"明志", "小洁", "远川"}) offer(term);
    ASSERT_EQ(offered(), QStringLiteral("将「明志」（人名）加入词汇库？"));
    shell.banner().suggestionView()->addButton()->click();
    settle();
    EXPECT_TRUE(vocabulary.getAllVocabularies().contains(QStringLiteral("明志")));
    EXPECT_TRUE(showsNotice());
    clock.advance(2.1);  // the "已添加" notice goes, the next term comes
    ASSERT_TRUE(offered().contains(QStringLiteral("小洁")));
    shell.banner().suggestionView()->dismissButton()->click();
    settle();
    ASSERT_TRUE(offered().contains(QStringLiteral("远川")));
    clock.advance(8.1);  // left unanswered
    EXPECT_FALSE(bannerShown());
    EXPECT_EQ(vocabulary.getAllVocabularies(), QStringList{QStringLiteral("明志")});

    // Text the focused application did not take is a 3-second notice, not a dialog.
    AppAlerts alerts(shell);
    alerts.showTextLeftOnClipboard(QStringLiteral("未能自动输入，文字已复制到剪贴板，按 Ctrl+V 粘贴"));
    settle();
    EXPECT_TRUE(visibleBoxes().isEmpty());
    clock.advance(2.9);
    EXPECT_TRUE(bannerShown());
    clock.advance(0.2);
    EXPECT_FALSE(bannerShown());

    // Text that nothing could keep is shown whole, in a taller banner, for longer.
    const QString dictated = QStringLiteral("今天下午三点在二号会议室开会，请大家带上上周的季度报告和预算表，会后一起讨论明年的计划。");
    alerts.showTextNotKept(QStringLiteral("未能自动输入，也无法写入剪贴板"), dictated);
    settle();
    ASSERT_TRUE(bannerShown());
    const auto* label = qobject_cast<QLabel*>(shell.banner().panel()->content());
    ASSERT_TRUE(label);
    EXPECT_TRUE(label->text().endsWith(dictated));
    EXPECT_GT(label->height(), TopStatusBannerView::kHeight);
    EXPECT_GE(label->height(), label->heightForWidth(label->width()));
    // The run that put it up completes right after: its end does not cut the words' time.
    shell.didUpdateState(service, RecognitionState::completed());
    clock.advance(AppAlerts::kTextNotKeptDuration - 0.1);
    EXPECT_TRUE(bannerShown());
    clock.advance(0.2);
    EXPECT_FALSE(bannerShown());

    offer("青山");
    ASSERT_TRUE(offered().contains(QStringLiteral("青山")));
    ASSERT_NO_FATAL_FAILURE(toggleInTheTray());
    EXPECT_EQ(shell.banner().currentContentType(), TopStatusBannerManager::ContentType::banner);
    offer("白云");
    clock.advance(9);
    EXPECT_EQ(shell.banner().currentContentType(), TopStatusBannerManager::ContentType::banner);
    EXPECT_EQ(offered(), QString());
    toggleInTheTray();
    ASSERT_NO_FATAL_FAILURE(finalResult("说完了"));
    clock.advance(3.1);  // the banner goes
    ASSERT_TRUE(offered().contains(QStringLiteral("青山")));
    shell.banner().suggestionView()->dismissButton()->click();
    settle();
    EXPECT_TRUE(offered().contains(QStringLiteral("白云")));
}

// Coming back to the app after granting typing elsewhere: the guide closes once nothing is
// missing any more, and stays while another permission still is.
TEST_F(AppDelegateTest, ActivationClosesTheGuideWhenTypingWasJustGranted) {
    for (const PermissionStatus microphone : {PermissionStatus::authorized, PermissionStatus::denied}) {
        SCOPED_TRACE(microphone == PermissionStatus::denied ? "microphone still missing" : "nothing else missing");
        permissions.setStatus(PermissionType::microphone, microphone);
        permissions.setStatus(PermissionType::accessibility, PermissionStatus::denied);
        permissions.setStatus(PermissionType::speechRecognition, PermissionStatus::authorized);
        shell.showPermissionGuide();
        QPointer<PermissionGuidanceView> guide = shell.permissionGuide();
        shell.handleActivation();
        ASSERT_TRUE(waitUntil([&] {
            return permissions.permissionStatuses().value(PermissionType::accessibility) == PermissionStatus::authorized;
        }));
        settle();
        EXPECT_EQ(guide && guide->isVisible(), microphone == PermissionStatus::denied);
        if (guide) guide->close();
        settle();
    }
}

// Alt+Control, the menu item and the bus action all switch the work mode; the menu's item
// shows the stored mode and the banner announces it.
TEST_F(AppDelegateTest, EveryWayOfSwitchingTheWorkModeReachesTheMenuAndTheBanner) {
    const QList<std::pair<const char*, std::function<void()>>> switches{
        {"Alt+Control",
         [&] { shell.modifierKeyMonitorDidTriggerCombo(ModifierKeyMonitor::shared(), {ModifierKeyType::option, ModifierKeyType::control}); }},
        {"menu", [&] { Q_EMIT shell.menuBar().menu().cycleWorkModeRequested(); }},
        {"D-Bus", [&] { shell.appActions().cycleWorkMode(); }},
    };
    qint64 expected = 0;
    for (const auto& [name, switchMode] : switches) {
        SCOPED_TRACE(name);
        shell.banner().close();
        switchMode();
        expected = 1 - expected;
        EXPECT_EQ(prefs.intValue(QString::fromLatin1(AppDelegate::kWorkModeKey)).value_or(0), expected);
        EXPECT_EQ(shell.menuBar().menu().action(StatusMenu::workModeTag)->text(), StatusMenu::workModeTitle(expected));
        EXPECT_TRUE(showsNotice() && shell.banner().panel());
    }
}

// "关于澄言" shows the version in one box, however often it is chosen.
TEST_F(AppDelegateTest, TheAboutBoxShowsTheVersionOnce) {
    QCoreApplication::setApplicationVersion(QStringLiteral("9.8.7"));
    Q_EMIT shell.menuBar().menu().aboutRequested();
    Q_EMIT shell.menuBar().menu().aboutRequested();
    settle();
    ASSERT_EQ(visibleBoxes().size(), 1);
    EXPECT_EQ(visibleBoxes().first()->text(), QStringLiteral("澄言 9.8.7"));
    visibleBoxes().first()->accept();
    ASSERT_TRUE(waitUntil([&] { return visibleBoxes().isEmpty(); }));
}

// The menu item and a second start bring up one settings window; closing it watches the global
// keys again (a start of a running monitor is accepted).
TEST_F(AppDelegateTest, SettingsOpenOnceAndClosingThemWatchesTheKeysAgain) {
    const auto openWindows = [] {
        const QWidgetList windows = QApplication::topLevelWidgets();
        return std::count_if(windows.begin(), windows.end(), [](QWidget* w) { return qobject_cast<SettingsWindow*>(w) && w->isVisible(); });
    };
    const QList<std::pair<const char*, std::function<void()>>> requests{
        {"menu", [&] { Q_EMIT shell.menuBar().menu().settingsRequested(); }},
        {"second start", [&] { shell.appActions().activate(); }},
    };
    QPointer<SettingsWindow> first;
    for (const auto& [name, request] : requests) {
        SCOPED_TRACE(name);
        request();
        settle();
        ASSERT_TRUE(shell.settingsWindow());
        if (!first) first = shell.settingsWindow();
        EXPECT_EQ(shell.settingsWindow(), first);
        EXPECT_EQ(openWindows(), 1);
    }

    for (const bool monitoringBefore : {false, true}) {
        SCOPED_TRACE(monitoringBefore);
        if (!monitoringBefore) monitor.stopMonitoring();
        const int startsBefore = keys->starts;
        shell.showSettings();
        shell.settingsWindow()->close();
        settle();
        EXPECT_TRUE(monitor.isMonitoring());
        EXPECT_EQ(keys->starts, startsBefore + (monitoringBefore ? 0 : 1));
        EXPECT_EQ(openWindows(), 0);
    }
    shell.terminate();
}

// The welcome card closed with its own button starts the key monitor again; "去设置" opens
// the settings window, and the banner then asks for the API key that is not stored yet.
TEST_F(AppDelegateTest, TheWelcomeCardRestartsTheKeyMonitorAndHandsOverToTheSettings) {
    ASSERT_NO_FATAL_FAILURE(launch());
    clock.advance(WelcomeFlow::kLaunchDelay);
    ASSERT_TRUE(shell.welcomeWindow());

    monitor.stopMonitoring();
    shell.welcomeWindow()->closeButton()->click();
    EXPECT_FALSE(shell.welcomeWindow());
    EXPECT_TRUE(monitor.isMonitoring());

    shell.showWelcomeCard();
    ASSERT_TRUE(shell.welcomeWindow());
    shell.welcomeWindow()->view().settingsButton()->click();
    EXPECT_FALSE(shell.welcomeWindow());
    clock.advance(0.3);
    EXPECT_TRUE(shell.settingsWindow() && shell.settingsWindow()->isVisible());
    EXPECT_TRUE(waitUntil([&] { return noticeText() == WelcomeFlow::nudgeText(); }, 2000));
}
