#include "App/Tray/AppDelegate.h"

#include "Core/DictationFinish.h"
#include "Core/VoiceInputService.h"
#include "Infrastructure/Hotkey/ModifierKeyMonitor.h"
#include "Infrastructure/Permissions/PermissionManager.h"
#include "Infrastructure/Platform/Logging.h"
#include "Infrastructure/Platform/NotificationCenter.h"
#include "Infrastructure/Platform/Preferences.h"
#include "UI/Appearance/AppearanceController.h"
#include "UI/Banner/TopStatusBannerView.h"
#include "UI/Onboarding/WelcomeFlow.h"
#include "UI/Permissions/PermissionGuidanceView.h"
#include "UI/Settings/SettingsWindow.h"
#include "UI/Settings/SettingsWindowFactory.h"
#include "Infrastructure/LLM/AISettingsStore.h"
#include "Terms/TermFrequencyTracker.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QMessageBox>
#include <QScreen>
#include <QStyle>
#include <QCoro/QCoroTask>

namespace vocena {

namespace {

const Logger logger("AppDelegate");

constexpr double kCompletedHideDelay = 3.0;
constexpr double kErrorHideDelay = 2.0;
constexpr double kFallbackNoticeDuration = 3.0;
constexpr double kTermAddedNoticeDuration = 2.0;
constexpr double kClearedNoticeDuration = 1.5;
constexpr double kNoModelNoticeDuration = 3.0;

QString recordingLabel(bool recording) { return recording ? QStringLiteral("录音中") : QStringLiteral("空闲"); }

TopStatusBannerManager::Environment bannerEnvironment(const AppDelegate::Dependencies& deps) {
    if (deps.bannerEnvironment) return deps.bannerEnvironment(deps.scheduler, deps.preferences);
    return {deps.scheduler, deps.preferences};
}

// Centres a window on the primary screen (shrunk to fit a smaller one), shows it and brings it
// to the front.
void present(QWidget* window) {
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect available = screen->availableGeometry();
        window->resize(window->size().boundedTo(available.size()));
        window->move(QStyle::alignedRect(Qt::LeftToRight, Qt::AlignCenter, window->size(), available).topLeft());
    }
    window->show();
    window->raise();
    window->activateWindow();
}

// Stops `service`'s recording and calls `then` once its words are typed.
QCoro::Task<> finishThen(QPointer<VoiceInputService> service, std::function<void()> then) {
    QCoro::Task<> finishing = finishDictation(service);
    co_await std::move(finishing);
    then();
}

}  // namespace

AppDelegate::AppDelegate(Dependencies dependencies, QObject* parent)
    : QObject(parent),
      m_deps(std::move(dependencies)),
      m_menuBar(m_deps.scheduler),
      m_banner(bannerEnvironment(m_deps)),
      m_suggestions(m_banner, {.add = [this](const QString& term,
                                             const std::optional<QString>& category) { acceptTerm(term, category); },
                               .dismiss = [this](const QString& term) {
                                   if (m_deps.terms) m_deps.terms->suppressTerm(term);
                               },
                               .mayShow = [this] { return !m_service || !m_service->isRecording(); }}),
      m_modes(std::make_unique<ModeSwitcher>(m_deps.preferences, *this, this, nullptr)),
      m_memoryProbe(m_deps.memoryReader ? MemoryProbe(m_deps.memoryReader, MemoryProbe::systemPageSize()) : MemoryProbe()),
      m_watchdog({m_memoryProbe, m_deps.scheduler, m_memoryAlert,
                  [this](std::function<void()> then) { finishThen(m_service, std::move(then)); },
                  [this] { m_deps.quit(); }, QCoreApplication::applicationPid()}),
      m_welcome(std::make_unique<WelcomeFlow>(WelcomeFlow::Environment{m_deps.preferences, m_deps.scheduler, *this,
                                                                        m_deps.aiSettings, [this] { showSettings(); },
                                                                        [this] { windowWillClose(nullptr); }})) {
    connectMenu();
}

AppDelegate::~AppDelegate() {
    terminate();
    m_welcome.reset();
    if (m_guide) delete m_guide.data();
    if (m_about) delete m_about.data();
    if (m_settings) delete m_settings.data();
    if (m_service && m_service->delegate == this) m_service->delegate = nullptr;
}

void AppDelegate::setService(VoiceInputService* service) {
    if (m_service && m_service->delegate == this) m_service->delegate = nullptr;
    m_serviceConnections.reset();
    m_service = service;
    if (m_service) {
        m_service->delegate = this;
        // The icon and the item follow the recording itself, not the states reported: those
        // of an earlier run can end while the next one records.
        m_serviceConnections = std::make_unique<QObject>();
        connect(m_service, &VoiceInputService::isRecordingChanged, m_serviceConnections.get(),
                [this](bool recording) { updateUIForRecordingState(recording); });
        connect(m_service, &VoiceInputService::awaitingFinalResultChanged, m_serviceConnections.get(),
                [this] { updateMenuItemsState(); });
        // The model's switch in the settings (or `vocena config set`) shows in the menu at once.
        m_aiObservation = m_service->aiSettings().defaults().observe([this] { updateMenuItemsState(); });
    } else {
        m_aiObservation.reset();
    }
    m_modes = std::make_unique<ModeSwitcher>(m_deps.preferences, *this, this, m_service);
    updateUIForRecordingState(m_service && m_service->isRecording());
}

void AppDelegate::connectMenu() {
    StatusMenu& menu = m_menuBar.menu();
    connect(&menu, &StatusMenu::toggleRecordingRequested, this, &AppDelegate::toggleRecording);
    connect(&menu, &StatusMenu::cycleWorkModeRequested, this, [this] { m_modes->cycleWorkMode(); });
    connect(&menu, &StatusMenu::cycleAIModeRequested, this, [this] { m_modes->cycleAIMode(); });
    connect(&menu, &StatusMenu::clearContextRequested, this, &AppDelegate::clearConversation);
    connect(&menu, &StatusMenu::settingsRequested, this, &AppDelegate::showSettings);
    connect(&menu, &StatusMenu::permissionGuideRequested, this, &AppDelegate::showPermissionGuide);
    connect(&menu, &StatusMenu::aboutRequested, this, &AppDelegate::showAbout);
    connect(&menu, &StatusMenu::quitRequested, this, [this] { m_deps.quit(); });
}

void AppDelegate::launch(const std::function<void()>& initializeDictation) {
    logger.info(QStringLiteral("澄言启动中..."));
    if (initializeDictation) initializeDictation();
    m_appearance = std::make_unique<AppearanceController>(m_deps.preferences);
    if (auto* app = qobject_cast<QGuiApplication*>(QCoreApplication::instance())) {
        connect(app, &QGuiApplication::applicationStateChanged, this, [this](Qt::ApplicationState state) {
            if (state == Qt::ApplicationActive) handleActivation();
        });
    }
    m_watchdog.start();
    updateMenuItemsState();
    m_menuBar.start();
    if (m_deps.keyMonitor) {
        m_deps.keyMonitor->delegate = this;
        m_deps.keyMonitor->startMonitoring();
        logger.info(QStringLiteral("修饰键监听已启动: 双击 Alt 键开始/停止录音"));
    }
    if (m_deps.updateLoginItem) m_deps.updateLoginItem(m_deps.preferences.boolValue(QString::fromLatin1(kAutoLaunchKey)).value_or(false));
    if (m_deps.preferences.boolValue(QString::fromLatin1(kSilentLaunchKey)).value_or(false)) {
        logger.info(QStringLiteral("静默启动：仅显示菜单栏图标"));
        return;
    }
    checkPermissions();
    m_welcome->scheduleAfterLaunch();
    logger.info(QStringLiteral("澄言已启动"));
    logger.info(QStringLiteral("双击 Alt 键开始/停止语音输入"));
    installObservers();
}

QCoro::Task<> AppDelegate::checkPermissions() {
    QPointer self{this};
    QCoro::Task<> checking = m_deps.permissions.checkAllPermissions();
    co_await std::move(checking);
    if (!self) co_return;
    const QString key = QString::fromLatin1(kFirstLaunchKey);
    const bool launchedBefore = m_deps.preferences.boolValue(key).value_or(false);
    if (!launchedBefore || m_deps.permissions.isMissingRequiredPermissions()) showPermissionGuide();
    if (!launchedBefore) {
        const QString failure = m_deps.preferences.setValue(key, true);
        if (!failure.isEmpty()) logger.error(QStringLiteral("无法保存首次启动标记: %1").arg(failure));
    }
}

void AppDelegate::installObservers() {
    NotificationCenter& center = NotificationCenter::defaultCenter();
    QPointer<AppDelegate> self(this);
    center.addObserver(Notifications::aiProcessingFallback, &m_observers, [self](const Notification& n) {
        if (!self) return;
        const QString reason = n.object.typeId() == QMetaType::QString ? n.object.toString() : QStringLiteral("未知错误");
        self->m_banner.showNotification(QStringLiteral("AI 处理失败，使用原始文本"), kFallbackNoticeDuration);
        logger.error(QStringLiteral("AI 降级通知: %1").arg(reason));
    });
    center.addObserver(Notifications::termSuggestionReady, &m_observers, [self](const Notification& n) {
        const QVariant termValue = n.userInfo.value(QStringLiteral("term"));
        if (!self || termValue.typeId() != QMetaType::QString) return;
        const QVariant categoryValue = n.userInfo.value(QStringLiteral("category"));
        std::optional<QString> category;
        if (categoryValue.typeId() == QMetaType::QString) category = categoryValue.toString();
        self->m_suggestions.offer(termValue.toString(), category);
    });
}

void AppDelegate::acceptTerm(const QString& term, const std::optional<QString>& category) {
    if (m_deps.terms) m_deps.terms->addToVocabulary(term, category);
    m_banner.showNotification(QStringLiteral("已添加「%1」到词汇库").arg(term), kTermAddedNoticeDuration);
}

void AppDelegate::terminate() {
    if (m_terminated) return;
    m_terminated = true;
    logger.info(QStringLiteral("澄言正在退出..."));
    if (m_service && m_service->isRecording()) m_service->stopVoiceInput();
    if (m_deps.keyMonitor) {
        m_deps.keyMonitor->stopMonitoring();
        if (m_deps.keyMonitor->delegate == this) m_deps.keyMonitor->delegate = nullptr;
    }
    m_watchdog.stop();
}

AppActions AppDelegate::appActions() {
    QPointer<AppDelegate> self(this);
    auto call = [self](void (AppDelegate::*member)()) {
        return [self, member] {
            if (self) (self.data()->*member)();
        };
    };
    AppActions actions;
    // A second start of the app opens the settings (the permission guide stays in the menu).
    actions.activate = call(&AppDelegate::showSettings);
    actions.toggleRecording = call(&AppDelegate::toggleRecording);
    actions.cycleWorkMode = [self] {
        if (self) self->m_modes->cycleWorkMode();
    };
    actions.permissions = call(&AppDelegate::showPermissionGuide);
    actions.settings = call(&AppDelegate::showSettings);
    actions.quit = [self] {
        if (self) self->m_deps.quit();
    };
    return actions;
}

qint64 AppDelegate::workMode() const { return m_deps.preferences.intValue(QString::fromLatin1(kWorkModeKey)).value_or(0); }

void AppDelegate::toggleRecording() {
    const qint64 mode = workMode();
    logger.info(QStringLiteral("toggleRecording: workMode=%1, service exists=%2").arg(mode).arg(Logging::boolText(m_service != nullptr)));
    logger.debug(QStringLiteral("toggleRecording: workMode=%1, service=%2")
                     .arg(mode)
                     .arg(m_service ? QStringLiteral("exists") : QStringLiteral("nil")));
    if (!m_service) {
        // Saying nothing would leave the user tapping: the guide offers the download.
        logger.error(QStringLiteral("没有可用的语音模型，无法开始录音"));
        m_banner.showNotification(QStringLiteral("未安装语音模型，请先在权限设置中下载"), kNoModelNoticeDuration);
        showPermissionGuide();
        return;
    }
    m_service->toggleVoiceInput(voiceInputModeFromPreference(mode));
}

void AppDelegate::showPermissionGuide() {
    if (m_guide) m_guide->close();
    PermissionGuideSetup setup = m_deps.guideSetup();
    // "现在重启" leaves through the app's own way out, which types a stopped run's words first.
    if (m_deps.quit) setup.quitApplication = m_deps.quit;
    auto* guide = new PermissionGuidanceView(std::move(setup));
    guide->setAttribute(Qt::WA_DeleteOnClose);
    connect(guide, &PermissionGuidanceView::speechModelInstalled, this, &AppDelegate::speechModelInstalled);
    m_guide = guide;
    present(guide);
}

void AppDelegate::showSettings() {
    if (m_settings && m_settings->isVisible()) {
        m_settings->raise();
        m_settings->activateWindow();
        return;
    }
    // A closed window is only hidden (so that what its cards started can finish): drop it.
    if (m_settings) m_settings->deleteLater();
    SettingsWindow* window = createSettingsWindow({
        .preferences = m_deps.preferences,
        .scheduler = m_deps.scheduler,
        .applyTheme = [this] { if (m_appearance) m_appearance->apply(); },
        .updateLoginItem = m_deps.updateLoginItem,
        .secrets = m_deps.aiSettings ? m_deps.aiSettings->secrets() : nullptr,
        .vocabulary = m_deps.vocabulary,
    });
    m_settings = window;
    connect(window, &SettingsWindow::closed, this, [this, window] { windowWillClose(window); });
    present(window);
    logger.info(QStringLiteral("设置窗口已打开"));
}

void AppDelegate::windowWillClose(QWidget*) {
    logger.info(QStringLiteral("设置窗口关闭，恢复全局监听"));
    if (m_deps.keyMonitor) m_deps.keyMonitor->startMonitoring();
}

void AppDelegate::showWelcomeCard() { m_welcome->showWelcomeCard(); }

void AppDelegate::showAPINudgeIfNeeded() { m_welcome->showAPINudgeIfNeeded(); }

WelcomeWindow* AppDelegate::welcomeWindow() const { return m_welcome->window(); }

void AppDelegate::showAbout() {
    // One about box: asking again brings it forward.
    if (!m_about) {
        m_about = new QMessageBox(QMessageBox::NoIcon, QStringLiteral("关于澄言"),
                                  QStringLiteral("澄言 %1").arg(QCoreApplication::applicationVersion()), QMessageBox::Ok);
        m_about->setInformativeText(QStringLiteral("Linux 桌面上的中文语音输入：双击 Alt 开始/停止录音。"));
        m_about->setAttribute(Qt::WA_DeleteOnClose);
    }
    m_about->show();
    m_about->raise();
    m_about->activateWindow();
}

void AppDelegate::clearConversation() {
    if (!m_service) return;
    m_modes->clearConversation();
}

void AppDelegate::handleActivation() {
    if (m_appearance) m_appearance->apply();
    logger.info(QStringLiteral("应用从后台激活，检查权限状态..."));
    refreshAccessibility();
}

QCoro::Task<> AppDelegate::refreshAccessibility() {
    QPointer self{this};
    QCoro::Task<PermissionStatus> checking = m_deps.permissions.checkAccessibilityPermission();
    const PermissionStatus status = co_await std::move(checking);
    if (!self || status != PermissionStatus::authorized) co_return;
    PermissionManager& permissions = m_deps.permissions;
    if (permissions.permissionStatuses().value(PermissionType::accessibility) == PermissionStatus::authorized) co_return;
    logger.notice(QStringLiteral("检测到辅助功能权限已更新！"));
    permissions.setStatus(PermissionType::accessibility, PermissionStatus::authorized);
    if (!permissions.isMissingRequiredPermissions() && m_guide) m_guide->close();
}

void AppDelegate::didUpdateText(VoiceInputService&, const QString& text) {
    logger.debug(QStringLiteral("实时识别: %1").arg(Logging::privateText(text)));
    updateMenuItemsState();
}

void AppDelegate::didUpdateState(VoiceInputService& service, const RecognitionState& state) {
    logger.debug(QStringLiteral("delegate 收到状态: %1").arg(state.description()));
    logger.debug(QStringLiteral("didUpdateState: %1").arg(state.description()));
    switch (state.kind()) {
    case RecognitionState::Kind::idle:
        logger.debug(QStringLiteral("状态: 空闲"));
        m_banner.hideBanner(0);
        break;
    case RecognitionState::Kind::listening:
        logger.debug(QStringLiteral("状态: 正在聆听 → 显示顶部通知栏"));
        logger.debug(QStringLiteral("调用 topStatusBannerManager.show()"));
        m_banner.show(service);
        logger.debug(QStringLiteral("正在聆听..."));
        break;
    case RecognitionState::Kind::recognizing:
        logger.debug(QStringLiteral("状态: 正在识别..."));
        m_banner.show(service);
        break;
    case RecognitionState::Kind::aiProcessing:
        logger.debug(QStringLiteral("状态: AI 处理中..."));
        m_banner.show(service);
        break;
    case RecognitionState::Kind::completed:
        logger.debug(QStringLiteral("状态: 完成 → 延迟隐藏通知栏"));
        // A notice put up by the run (the words themselves, kept nowhere else) keeps its time,
        // and a recording under way keeps its banner.
        if (!service.isRecording()) m_banner.hideBanner(kCompletedHideDelay);
        break;
    case RecognitionState::Kind::error:
        logger.error(QStringLiteral("状态: 错误 - %1").arg(state.message()));
        if (!service.isRecording()) m_banner.hideBanner(kErrorHideDelay);
        logger.error(QStringLiteral("错误: %1").arg(state.message()));
        break;
    }
}

void AppDelegate::modifierKeyMonitorDidTriggerCombo(ModifierKeyMonitor&, const QList<ModifierKeyType>& keys) {
    m_modes->handleModifierCombo(keys);
}

void AppDelegate::modifierKeyMonitorDidDoubleTapOption(ModifierKeyMonitor&) { toggleRecording(); }

void AppDelegate::updateUIForRecordingState(bool recording) {
    logger.debug(QStringLiteral("更新UI状态: %1").arg(recordingLabel(recording)));
    StatusMenuState state = m_menuBar.state();
    state.recording = recording;
    m_menuBar.setState(state);
    updateMenuItemsState();
    logger.debug(QStringLiteral("菜单栏图标已更新: %1").arg(recordingLabel(recording)));
}

void AppDelegate::setWorkModeTitle(const QString&) {
    updateMenuItemsState();
    // A switch during a recording shows in its banner at once (the notice waits for its end).
    if (TopStatusBannerView* view = m_banner.bannerView()) view->refreshWorkMode();
}

void AppDelegate::updateMenuItemsState() {
    StatusMenuState state = m_menuBar.state();
    state.workMode = workMode();
    const bool aiOn = m_service ? m_service->aiSettings().aiProcessingOn() : AISettingsStore::processingOn(m_deps.preferences);
    state.aiMode = aiOn ? 0 : 1;
    state.awaitingFinalResult = m_service && m_service->isAwaitingFinalResult();
    state.conversationHasHistory = m_service && m_service->aiProcessor().conversationContext.hasContext();
    m_menuBar.setState(state);
}

void AppDelegate::showNotification(const QString& text, double duration) { m_banner.showNotification(text, duration); }

}  // namespace vocena
