#include "App/Cli/ListenCommand.h"

#include "App/CliServices.h"
#include "App/Cli/ConsoleAlerts.h"
#include "App/DictationStack.h"
#include "App/Cli/ListenSession.h"
#include "App/Cli/PermissionReport.h"
#include "App/QuitSignals.h"
#include "App/Cli/TypeCommand.h"
#include "Core/VoiceInputService.h"
#include "Infrastructure/Platform/AppInstanceClient.h"
#include "Infrastructure/Hotkey/HotkeyPlatform.h"
#include "Infrastructure/Hotkey/ModifierKeyMonitor.h"
#include "Infrastructure/InputMethod/InputBackendPlatform.h"
#include "Infrastructure/Permissions/PermissionHelp.h"
#include "Infrastructure/Platform/Preferences.h"
#include "Infrastructure/Speech/Recognition/SherpaOnnxEngine.h"
#include "Infrastructure/TextInjection/TextInjectionPlatform.h"
#include "Infrastructure/TextInjection/TextInjector.h"
#include "Terms/TermFrequencyTracker.h"

#include <QCoro/QCoroSignal>
#include <algorithm>

namespace vocena {

QString ListenCommand::usage() const {
    return QStringLiteral(
        "用法: vocena listen [--once]\n"
        "在任何窗口里双击 Alt（或在这个终端里按 Enter）开始听写，再双击一次（或静音 5 秒）结束，\n"
        "识别结果会输入到当前焦点窗口。Alt+Ctrl 切换工作模式，Ctrl+C 退出。\n"
        "  --once  完成一次听写后退出");
}

QList<CliForm> ListenCommand::forms() const { return {{{}, {}, {{QStringLiteral("once")}}}}; }

bool ListenCommand::needsDisplay(const CliCall&) const { return true; }

QCoro::Task<int> ListenCommand::run(CliCall call, Console& console) {
    const bool once = call.isSet(QStringLiteral("once"));
    // The tray app answers the same gesture: two dictations would start at once.
    if (AppInstanceClient().presence() != AppInstanceClient::Presence::notRunning) {
        console.err(QStringLiteral("vocena listen: 澄言正在运行，双击 Alt 已由它听写；请直接使用它，或先退出它（vocena quit）"));
        co_return ExitFailure;
    }

    // Each probe runs once: the speech probe loads the engine that dictation then uses.
    SpeechSetup speech;
    Preferences& preferences = m_services.preferences();
    PermissionProbes probes = linuxPermissionProbes(preferences);
    probes.speechRecognition = [&speech, &preferences] {
        speech = SpeechSetup::load(preferences);
        return speech.check();
    };
    PermissionManager permissions(std::move(probes));
    co_await permissions.checkAllPermissions();
    const InjectionBackendChoice backend = co_await InputBackendPlatform::choose(preferences);
    TextInjector* injector = InputBackendPlatform::injector();
    // Where nothing can type, the words are kept on the clipboard: typing is not required then.
    const auto required = [keepsOnly = !injector](PermissionType type) { return !keepsOnly || type != PermissionType::accessibility; };
    const QList<PermissionType> missing = PermissionReport::missingTypes(permissions);
    if (std::any_of(missing.begin(), missing.end(), required)) {
        console.err(QStringLiteral("vocena listen: 听写需要的条件不满足（vocena doctor 可再次检查）"));
        for (PermissionType type : missing)
            for (const QString& line : PermissionReport::lines(permissions, type)) console.err(line);
        co_return ExitFailure;
    }
    if (!injector) {
        console.err(QStringLiteral("vocena listen: ") + PermissionHelp::noWayOfTyping(backend.reason));
        console.err(QStringLiteral("vocena listen: 识别的文字将复制到剪贴板"));
        injector = TextInjectionPlatform::clipboardOnly();
    }
    ConsoleAlerts alerts(console);
    // (The speech permission is authorized: the engine is loaded.)
    DictationStack stack(std::move(speech), permissions, m_services.aiSettings(), *injector, preferences,
                         &m_services.termTracker(), &alerts);

    ListenSession session(stack.service(), m_services.preferences(), console, once);
    // Ctrl+C and SIGTERM end the session cleanly (the typing and the term counts finish first).
    onQuitSignals(&session, [&session] { session.finish(); });
    ModifierKeyMonitor& monitor = ModifierKeyMonitor::shared();
    const bool gestures = HotkeyPlatform::install();
    if (gestures) {
        monitor.delegate = &session;
        monitor.startMonitoring();
    }
    console.err(gestures ? QStringLiteral("澄言已就绪：双击 Alt（或按 Enter）开始/停止听写，Ctrl+C 退出。")
                         : QStringLiteral("澄言已就绪（无法监听全局按键）：按 Enter 开始/停止听写，Ctrl+C 退出。"));

    co_await qCoro(&session, &ListenSession::finished);
    if (gestures) {
        monitor.stopMonitoring();
        monitor.delegate = nullptr;
    }
    // A dictation that was just stopped still types its words before the command ends.
    QCoro::Task<> finishing = finishDictation(&stack.service());
    co_await std::move(finishing);
    m_services.termTracker().waitForIdle();
    co_await TypeCommand::keepClipboardAfterExit();
    console.err(QString());
    co_return alerts.typingFailed() ? ExitFailure : ExitOk;
}

}  // namespace vocena
