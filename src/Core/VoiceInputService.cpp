// Recording control of the dictation controller: start, stop, the two timers and the
// recognizer's reports. The transcript pipeline is in VoiceInputPipeline.cpp.
#include "Core/VoiceInputService.h"

#include "Infrastructure/Platform/Logging.h"

#include <QPointer>
#include <QTimer>

namespace vocena {

namespace {
const Logger logger("VoiceInputService");

QString grantedText(bool granted) { return granted ? QStringLiteral("已授权") : QStringLiteral("未授权"); }
}  // namespace

VoiceInputService::VoiceInputService(Dependencies dependencies, QObject* parent)
    : QObject(parent),
      m_aiSettings(dependencies.aiSettings),
      m_textInjection(dependencies.textInjection),
      m_feedTerms(std::move(dependencies.feedTerms)),
      m_alerts(dependencies.alerts),
      m_aiProcessor(std::move(dependencies.vocabularySection)),
      m_punctuation(dependencies.punctuation),
      m_speechRecognizer(dependencies.speechRecognizer),
      m_requestMicrophoneAccess(std::move(dependencies.requestMicrophoneAccess)),
      m_scheduler(dependencies.scheduler ? *dependencies.scheduler : Scheduler::main()) {
    if (m_speechRecognizer) m_speechRecognizer->delegate = this;
}

VoiceInputService::~VoiceInputService() {
    if (m_silenceWorkItem) m_silenceWorkItem->cancel();
    if (m_recordingTimeoutWorkItem) m_recordingTimeoutWorkItem->cancel();
    if (m_finalResultWorkItem) m_finalResultWorkItem->cancel();
    if (m_speechRecognizer && m_speechRecognizer->delegate == this) m_speechRecognizer->delegate = nullptr;
}

void VoiceInputService::setRecognizedText(const QString& text) {
    m_recognizedText = text;
    Q_EMIT recognizedTextChanged(text);
    if (delegate) delegate->didUpdateText(*this, text);
}

void VoiceInputService::setRecognitionState(const RecognitionState& state) {
    m_recognitionState = state;
    Q_EMIT recognitionStateChanged(state);
    if (delegate) delegate->didUpdateState(*this, state);
}

void VoiceInputService::setRecording(bool recording) {
    m_isRecording = recording;
    Q_EMIT isRecordingChanged(recording);
}

void VoiceInputService::setRunState(quint64 run, const RecognitionState& state) {
    if (run != m_currentRun) {
        logger.info(QStringLiteral("上一次录音的状态不再显示: %1").arg(state.description()));
        return;
    }
    setRecognitionState(state);
}

void VoiceInputService::complete(quint64 run) { setRunState(run, RecognitionState::completed()); }

void VoiceInputService::toggleVoiceInput(VoiceInputMode mode) {
    const QString line = QStringLiteral("toggleVoiceInput: isRecording=%1, mode=%2").arg(Logging::boolText(m_isRecording)).arg(int(mode));
    logger.info(line);
    logger.debug(line);
    m_sinceToggle.start();
    QTimer::singleShot(0, this, [this, mode] { toggle(mode); });
}

QCoro::Task<> VoiceInputService::toggle(VoiceInputMode mode) {
    if (m_isRecording) {
        logger.info(QStringLiteral("toggleVoiceInput: 停止录音"));
        stopVoiceInput();
        co_return;
    }
    logger.info(QStringLiteral("toggleVoiceInput: 开始录音"));
    QPointer<VoiceInputService> self(this);
    std::optional<QString> failure;
    try {
        co_await startVoiceInput();
    } catch (const std::exception& error) {
        failure = QString::fromUtf8(error.what());
    }
    if (!self || !failure) co_return;
    logger.info(QStringLiteral("toggleVoiceInput: 启动失败 %1").arg(*failure));
    setRecognitionState(RecognitionState::error(*failure));
}

QCoro::Task<void> VoiceInputService::startVoiceInput() {
    logger.info(QStringLiteral("startVoiceInput: 开始录音, isRecording=%1").arg(Logging::boolText(m_isRecording)));
    logger.info(QStringLiteral("startVoiceInput called, isRecording=%1").arg(Logging::boolText(m_isRecording)));
    if (m_isRecording) {
        logger.error(QStringLiteral("已在录音中，跳过"));
        co_return;
    }
    QPointer<VoiceInputService> self(this);
    // (Plain statements around co_await: g++ 12 mishandles it inside ?: and &&.)
    bool microphone = true;
    if (m_requestMicrophoneAccess) microphone = co_await m_requestMicrophoneAccess();
    if (!self) co_return;
    logger.info(QStringLiteral("音频权限: %1").arg(grantedText(microphone)));
    if (!microphone) {
        setRecognitionState(RecognitionState::error(QStringLiteral("麦克风权限未授权")));
        throw SpeechRecognitionError(SpeechRecognitionError::Kind::notAuthorized);
    }
    SpeechRecognitionProtocol* recognizer = m_speechRecognizer;
    bool speech = false;
    if (recognizer) speech = co_await recognizer->requestAuthorization();
    if (!self) co_return;
    logger.info(QStringLiteral("语音识别权限: %1").arg(grantedText(speech)));
    if (!speech) {
        setRecognitionState(RecognitionState::error(QStringLiteral("语音识别权限未授权")));
        throw SpeechRecognitionError(SpeechRecognitionError::Kind::notAuthorized);
    }

    // The run before may still wait for its final result, which this recording's start gives
    // up: that run is processed now, with the text it has, before this one replaces the text.
    if (isAwaitingFinalResult()) {
        endFinalResultWait(FinalResultWaitEnd::processNow);
        logger.info(QStringLiteral("新录音开始，上一次录音按已识别的文本处理"));
    }
    ++m_currentRun;
    setRecognizedText(QString());
    setRecording(true);
    m_recognitionState = RecognitionState::listening();
    Q_EMIT recognitionStateChanged(m_recognitionState);
    resetSilenceTimer();
    startRecordingTimeout();
    logger.debug(QStringLiteral("调用 delegate: didUpdateState(.listening)"));
    if (delegate) delegate->didUpdateState(*this, m_recognitionState);

    logger.debug(QStringLiteral("启动识别: 距切换请求 %1 ms").arg(m_sinceToggle.isValid() ? m_sinceToggle.elapsed() : -1));
    try {
        co_await recognizer->startRecognition();
    } catch (const SpeechRecognitionError& error) {
        if (!self) throw;
        logger.error(QStringLiteral("语音输入启动失败: %1").arg(error.description()));
        setRecording(false);
        setRecognitionState(RecognitionState::error(QStringLiteral("启动失败: ") + error.description()));
        throw;
    }
}

void VoiceInputService::stopVoiceInput() {
    if (!m_isRecording) {
        logger.error(QStringLiteral("没有在录音中，忽略停止请求"));
        return;
    }
    logger.info(QStringLiteral("停止语音输入..."));
    m_stoppingRecognizer = true;
    if (m_speechRecognizer) m_speechRecognizer->stopRecognition();
    m_stoppingRecognizer = false;
    if (m_silenceWorkItem) m_silenceWorkItem->cancel();
    m_silenceWorkItem.reset();
    if (m_recordingTimeoutWorkItem) m_recordingTimeoutWorkItem->cancel();
    m_recordingTimeoutWorkItem.reset();
    setRecording(false);
    ++m_runsInProcessing;
    awaitFinalResult();
}

void VoiceInputService::awaitFinalResult() {
    // The last words come only with the final decode of the audio's end: the latest partial
    // would lose them.
    m_sinceStop.start();
    if (!m_speechRecognizer || !m_speechRecognizer->isRecognizing()) {
        endFinalResultWait();
        return;
    }
    QPointer<VoiceInputService> self(this);
    m_finalResultWorkItem = m_scheduler.schedule(SpeechRecognitionProtocol::kFinalResultCutOff, [self] {
        if (self && self->isAwaitingFinalResult()) self->endFinalResultWait();
    });
    Q_EMIT awaitingFinalResultChanged(true);
}

void VoiceInputService::endFinalResultWait(FinalResultWaitEnd end) {
    const bool awaited = m_finalResultWorkItem != nullptr;
    if (m_finalResultWorkItem) m_finalResultWorkItem->cancel();
    m_finalResultWorkItem.reset();
    logger.info(QStringLiteral("最终结果等待 %1 ms").arg(m_sinceStop.elapsed()));
    if (awaited) Q_EMIT awaitingFinalResultChanged(false);
    // The run's words are taken now: a start queued before the processing would replace them.
    const quint64 run = m_currentRun;
    const QString transcript = m_recognizedText;
    if (end == FinalResultWaitEnd::processNow) processAfterStop(run, transcript);
    else QTimer::singleShot(0, this, [this, run, transcript] { processAfterStop(run, transcript); });
}

QCoro::Task<> VoiceInputService::processAfterStop(quint64 run, QString transcript) {
    QPointer<VoiceInputService> self(this);
    QCoro::Task<> processing = processTranscript(run, transcript);
    co_await std::move(processing);
    if (!self) co_return;
    --m_runsInProcessing;
    Q_EMIT processingFinished();
}

void VoiceInputService::clearConversationContext() {
    m_aiProcessor.conversationContext.clear();
    logger.info(QStringLiteral("对话上下文已清空"));
}

void VoiceInputService::resetSilenceTimer() {
    if (m_silenceWorkItem) m_silenceWorkItem->cancel();
    QPointer<VoiceInputService> self(this);
    m_silenceWorkItem = m_scheduler.schedule(silenceTimeout, [self] {
        if (self && self->m_isRecording) self->stopVoiceInput();
    });
}

void VoiceInputService::startRecordingTimeout() {
    if (m_recordingTimeoutWorkItem) m_recordingTimeoutWorkItem->cancel();
    QPointer<VoiceInputService> self(this);
    m_recordingTimeoutWorkItem = m_scheduler.schedule(kRecordingLimit, [self] {
        if (!self) return;
        logger.info(QStringLiteral("录音超时 (%1秒)，自动停止录音").arg(QString::number(kRecordingLimit, 'f', 6)));
        self->stopVoiceInput();
    });
}

void VoiceInputService::speechRecognitionDidStart(SpeechRecognitionProtocol&) { logger.debug(QStringLiteral("语音识别已开始")); }

void VoiceInputService::speechRecognitionDidStop(SpeechRecognitionProtocol& recognizer) {
    logger.debug(QStringLiteral("语音识别已停止"));
    if (m_isRecording && !m_stoppingRecognizer) {
        // Nobody asked: the audio ended (the microphone went away). What was said so far is
        // processed as after any stop.
        logger.info(QStringLiteral("录音输入中断，停止录音"));
        stopVoiceInput();
    } else if (isAwaitingFinalResult() && !recognizer.isRecognizing()) {
        endFinalResultWait();  // ended without a final result
    }
}

void VoiceInputService::speechRecognitionDidReceive(SpeechRecognitionProtocol&, const SpeechRecognitionResult& result) {
    setRecognizedText(result.text);
    if (!result.text.isEmpty()) resetSilenceTimer();
    if (result.isFinal && isAwaitingFinalResult()) {
        // The final result of a stopped recording starts its processing, which reports the
        // states from here on ("completed" now would show done before the model has even run).
        endFinalResultWait();
        return;
    }
    setRecognitionState(result.isFinal ? RecognitionState::completed() : RecognitionState::recognizing());
}

void VoiceInputService::speechRecognitionDidUpdateAudioLevel(SpeechRecognitionProtocol&, float level) {
    m_audioLevel = level;
    Q_EMIT audioLevelChanged(level);
    if (delegate) delegate->didUpdateAudioLevel(*this, level);
    if (level > kVoiceActivityLevel) resetSilenceTimer();
}

void VoiceInputService::speechRecognitionDidFail(SpeechRecognitionProtocol&, const SpeechRecognitionError& error) {
    if (!m_isRecording) {
        logger.debug(QStringLiteral("忽略停止后的错误: %1").arg(error.caseName()));
        return;
    }
    logger.error(QStringLiteral("识别错误: %1").arg(error.caseName()));
    setRecognitionState(error.kind() == SpeechRecognitionError::Kind::timeout
                            ? RecognitionState::idle()
                            : RecognitionState::error(QStringLiteral("识别错误: ") + error.caseName()));
    stopVoiceInput();
}

}  // namespace vocena
