#include "Core/DictationFinish.h"

#include "Core/VoiceInputService.h"
#include "Infrastructure/LLM/LLMTypes.h"
#include "Infrastructure/Speech/Recognition/SpeechTypes.h"
#include "Infrastructure/LLM/AISettingsStore.h"

#include <QCoro/QCoroSignal>

namespace vocena {

namespace {

// The longest wait for a stopped dictation: its final result, then the longest model request
// the client allows, with a margin.
constexpr std::chrono::seconds kProcessingLimit{std::chrono::seconds(qint64(SpeechRecognitionProtocol::kFinalResultCutOff)) +
                                                std::chrono::seconds(qint64(AISettingsStore::kMaximumTimeout)) +
                                                std::chrono::seconds(5)};
constexpr std::chrono::seconds kTypingLimit{10};

}  // namespace

QCoro::Task<> finishDictation(QPointer<VoiceInputService> service) {
    if (!service) co_return;
    if (service->isRecording()) service->stopVoiceInput();
    while (service && service->isProcessing()) {
        const auto finished = co_await qCoro(service.data(), &VoiceInputService::processingFinished, kProcessingLimit);
        if (!finished) break;
    }
    if (service && service->pendingInjections() > 0)
        co_await qCoro(service.data(), &VoiceInputService::injectionsSettled, kTypingLimit);
}

}  // namespace vocena
