#include "App/Cli/TranscriptPipelineRun.h"

#include "App/Cli/CliCommand.h"
#include "App/CliServices.h"
#include "App/Cli/ConsoleAlerts.h"
#include "App/Cli/DryRunTextInjector.h"
#include "App/Cli/TypeCommand.h"
#include "Core/VoiceInputService.h"
#include "Infrastructure/InputMethod/InputBackendPlatform.h"
#include "Infrastructure/Permissions/PermissionHelp.h"
#include "Infrastructure/TextInjection/TextInjector.h"
#include "Infrastructure/LLM/AISettingsStore.h"
#include "Terms/TermFrequencyTracker.h"

#include <QCoro/QCoroSignal>
#include <chrono>

namespace vocena {

QCoro::Task<int> runTranscriptPipeline(CliServices& services, Console& console, QString transcript, bool inject,
                                       std::optional<int> workMode, QString commandName, TranscriptPunctuation* punctuation) {
    AISettingsStore& settings = services.aiSettings();
    settings.setWorkModeOverride(workMode);
    DryRunTextInjector dryRun(console);
    ConsoleAlerts alerts(console);
    QString backendReason;
    if (inject) backendReason = (co_await InputBackendPlatform::choose(services.preferences())).reason;
    TextInjector* injector = inject ? InputBackendPlatform::injector() : &dryRun;
    if (!injector) {
        console.err(QStringLiteral("vocena %1: %2").arg(commandName, PermissionHelp::noWayOfTyping(backendReason)));
        co_return ExitFailure;
    }
    // A dry run learns nothing; a real one counts the typed terms as the app does.
    std::function<void(const QString&)> feedTerms;
    if (inject) feedTerms = [&tracker = services.termTracker()](const QString& text) { tracker.feedInBackground(text); };
    VoiceInputService service({settings, *injector, feedTerms, &alerts, {}, nullptr, {}, nullptr, punctuation});

    service.setRecognizedText(transcript);
    co_await service.processAndInjectText();
    if (service.pendingInjections() > 0) co_await qCoro(&service, &VoiceInputService::injectionsSettled, std::chrono::seconds(60));
    if (inject) {
        services.termTracker().waitForIdle();  // the counts reach the file before we exit
        co_await TypeCommand::keepClipboardAfterExit();
    }
    co_return alerts.typingFailed() ? ExitFailure : ExitOk;
}

}  // namespace vocena
