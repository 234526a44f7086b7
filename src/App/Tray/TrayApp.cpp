#include "App/Tray/TrayApp.h"

#include "App/Tray/AppDelegate.h"
#include "App/Cli/CliCommand.h"
#include "App/CliServices.h"
#include "App/Tray/InstanceHandOver.h"
#include "App/QuitSignals.h"
#include "Core/VoiceInputService.h"
#include "Infrastructure/Hotkey/GlobalShortcutsPortal.h"
#include "Infrastructure/Hotkey/HotkeyPlatform.h"
#include "Infrastructure/Hotkey/ModifierKeyMonitor.h"
#include "Infrastructure/InputMethod/InputBackendPlatform.h"
#include "Infrastructure/Permissions/PermissionHelp.h"
#include "Infrastructure/Platform/Clock.h"
#include "Infrastructure/Platform/DesktopSession.h"
#include "Infrastructure/Platform/LoginItem.h"
#include "Infrastructure/Platform/Logging.h"
#include "Infrastructure/Platform/Preferences.h"
#include "Infrastructure/Speech/Recognition/FinalPass.h"
#include "Infrastructure/Speech/Models/ModelStore.h"
#include "Infrastructure/Speech/Recognition/SherpaOnnxEngine.h"
#include "Infrastructure/TextInjection/TextInjectionPlatform.h"
#include "Infrastructure/TextInjection/TextInjector.h"
#include "Terms/TermFrequencyTracker.h"

#include <QCoreApplication>
#include <QDir>
#include <QTimer>

namespace vocena {

namespace {

const Logger logger("AppDelegate");

// Every action forwards to the shell once it exists; until then the request is answered and dropped.
AppActions forwardTo(const std::unique_ptr<AppDelegate>& delegate) {
    auto forward = [&delegate](std::function<void()> AppActions::*member) {
        return [&delegate, member] {
            if (delegate) (delegate->appActions().*member)();
        };
    };
    return {forward(&AppActions::activate), forward(&AppActions::toggleRecording), forward(&AppActions::cycleWorkMode),
            forward(&AppActions::permissions), forward(&AppActions::settings), forward(&AppActions::quit)};
}

}  // namespace

TrayApp::TrayApp(CliServices& services)
    : m_services(services),
      m_permissions([this] {
          PermissionProbes probes = linuxPermissionProbes(m_services.preferences());
          // The dictation's engine answers: the model is loaded once, not per check.
          probes.speechRecognition = [this] { return m_stack ? m_stack->speech().check() : m_speechCheck; };
          probes.typingInUse = [this] { return !m_typingOnClipboardOnly; };
          return probes;
      }()),
      m_instance(forwardTo(m_delegate)),
      m_reload(Scheduler::main(), [this] { return IdleReload::isBusy(m_delegate ? m_delegate->service() : nullptr); },
               [this] {
                   if (!m_quitting) loadDictation();
               }) {}

TrayApp::~TrayApp() {
    if (m_delegate) {
        m_delegate->terminate();
        m_delegate->setService(nullptr);
    }
    m_stack.reset();
    m_instance.release();
}

QCoro::Task<std::optional<int>> TrayApp::run() {
    QPointer self{this};
    Console console;
    QCoro::Task<std::optional<int>> claiming = claimOrHandOver(m_instance, console);
    const std::optional<int> handedOver = co_await std::move(claiming);
    if (handedOver) co_return *handedOver;
    if (!self) co_return ExitFailure;
    if (!m_instance.onBus()) logger.notice(QStringLiteral("没有 D-Bus 会话总线：vocena toggle/quit 等命令无法连接到澄言"));

    Preferences& prefs = m_services.preferences();
    // How text is typed, and where the keys of the gestures come from, is chosen once, now.
    const InjectionBackendChoice backend = co_await InputBackendPlatform::choose(prefs);
    if (!self) co_return ExitFailure;
    m_backendReason = backend.reason;
    ModifierKeyMonitor* monitor = HotkeyPlatform::install() ? &ModifierKeyMonitor::shared() : nullptr;
    if (!monitor) logger.error(QStringLiteral("无法监听全局按键：双击 Alt 不可用，请用菜单或 vocena toggle"));
    AppDelegate::Dependencies deps{
        .preferences = prefs,
        .scheduler = Scheduler::main(),
        .permissions = m_permissions,
        .guideSetup =
            [this] {
                PermissionProbes probes = linuxPermissionProbes(m_services.preferences());
                probes.speechRecognition = [this] { return m_stack ? m_stack->speech().check() : m_speechCheck; };
                probes.typingInUse = [this] { return !m_typingOnClipboardOnly; };
                return PermissionGuideSetup::standard(std::move(probes), m_services.preferences());
            },
        .terms = &m_services.termTracker(),
        .keyMonitor = monitor,
        .quit = [this] { quit(); },
        .updateLoginItem = [](bool enabled) { return LoginItem().update(enabled); },
        .bannerEnvironment = {},
        .memoryReader = {},
        .aiSettings = &m_services.aiSettings(),
        .vocabulary = &m_services.vocabulary(),
    };
    m_delegate = std::make_unique<AppDelegate>(std::move(deps));
    m_alerts = std::make_unique<AppAlerts>(*m_delegate);
    connect(m_delegate.get(), &AppDelegate::speechModelInstalled, this, [this](const QString& name) {
        logger.info(QStringLiteral("已安装语音模型 %1，重新加载听写").arg(name));
        reloadWhenIdle();
    });
    onQuitSignals(this, [this] { quit(); });
    m_delegate->launch([this] { loadDictation(); });
    // On Wayland no key is seen outside the input method: the desktop's own shortcut, where
    // its portal offers one, starts and stops a recording too.
    if (DesktopSession::isWayland()) {
        m_shortcuts = std::make_unique<GlobalShortcutsPortal>(InputBackendPlatform::sessionBus());
        connect(m_shortcuts.get(), &GlobalShortcutsPortal::activated, this, [this] {
            if (m_delegate && !m_quitting) m_delegate->toggleRecording();
        });
        m_shortcuts->start();
    }
    // A model chosen elsewhere (`vocena model install/use`, the settings) is loaded at once.
    m_modelWatch = prefs.observe([this] { followActiveModel(); });
    // A final-pass model installed or removed elsewhere changes no preference: its folder says.
    const QString models = ModelStore::standard(prefs).directory();
    QDir().mkpath(models);
    m_modelFolderWatch.addPath(models);
    connect(&m_modelFolderWatch, &QFileSystemWatcher::directoryChanged, this, [this] { followActiveModel(); });
    co_return std::nullopt;
}

QString TrayApp::activeModelName() const {
    return m_services.preferences().stringValue(QString::fromLatin1(ModelStore::kActiveModelKey)).value_or(QString());
}

QString TrayApp::finalPassModelName() const {
    Preferences& preferences = m_services.preferences();
    if (!FinalPass::isEnabled(preferences)) return {};
    const std::optional<SpeechModel> model = ModelStore::standard(preferences).finalPassModel();
    return model ? model->name : QString();
}

void TrayApp::followActiveModel() {
    if (m_quitting) return;
    if (activeModelName() != m_loadedModel) {
        logger.info(QStringLiteral("语音模型已改为 %1，重新加载听写").arg(activeModelName()));
        reloadWhenIdle();
    } else if (finalPassModelName() != m_loadedFinalPass) {
        const QString name = finalPassModelName();
        logger.info(name.isEmpty() ? QStringLiteral("整句识别已关闭，重新加载听写")
                                   : QStringLiteral("整句识别模型已改为 %1，重新加载听写").arg(name));
        reloadWhenIdle();
    }
}

void TrayApp::reloadWhenIdle() { m_reload.request(); }

void TrayApp::loadDictation() {
    m_loadedModel = activeModelName();
    m_loadedFinalPass = finalPassModelName();
    m_delegate->setService(nullptr);
    m_stack.reset();
    TextInjector* injector = InputBackendPlatform::injector();
    m_typingOnClipboardOnly = injector == nullptr;
    if (!injector) {
        // Dictation runs all the same: its words are kept on the clipboard for the user to paste.
        logger.error(PermissionHelp::noWayOfTyping(m_backendReason) + QStringLiteral("。识别的文字将复制到剪贴板"));
        injector = TextInjectionPlatform::clipboardOnly();
    }
    // The allowance covers every model the dictation loads: streaming, final pass, punctuation.
    m_delegate->watchdog().measureModelLoad([this, injector] {
        SpeechSetup speech = SpeechSetup::load(m_services.preferences());
        m_speechCheck = speech.check();
        m_stack = std::make_unique<DictationStack>(std::move(speech), m_permissions, m_services.aiSettings(), *injector,
                                                   m_services.preferences(), &m_services.termTracker(), m_alerts.get());
    });
    if (!m_stack->ok()) {
        logger.error(QStringLiteral("没有可用的语音模型，听写不可用: %1").arg(m_stack->speech().problem));
        return;
    }
    m_delegate->setService(&m_stack->service());
}

void TrayApp::quit() {
    if (m_quitting) return;
    m_quitting = true;
    finishAndExit();
}

QCoro::Task<> TrayApp::finishAndExit() {
    QPointer self{this};
    QPointer<VoiceInputService> service = m_delegate ? m_delegate->service() : nullptr;
    if (m_delegate) m_delegate->terminate();
    // The words of a recording stopped by the quit are still typed.
    QCoro::Task<> finishing = finishDictation(service);
    co_await std::move(finishing);
    if (!self) co_return;
    m_instance.release();
    QCoreApplication::exit(ExitOk);
}

int runTrayApp(CliServices& services, bool verbose) {
    Logging::install(verbose ? Logging::Level::Debug : Logging::levelFromEnvironment(Logging::Level::Info));
    TrayApp app(services);
    QTimer::singleShot(0, [&app] {
        [](TrayApp* app) -> QCoro::Task<> {
            QCoro::Task<std::optional<int>> running = app->run();
            const std::optional<int> code = co_await std::move(running);
            // A second start hands over and ends; the app itself runs until it quits.
            if (code) QCoreApplication::exit(*code);
        }(&app);
    });
    return QCoreApplication::exec();
}

}  // namespace vocena
