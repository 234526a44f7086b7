#include "Infrastructure/Speech/Recognition/SystemSpeechRecognizer.h"

#include "Infrastructure/Platform/Logging.h"

#include <QCoro/QCoroFuture>
#include <QDateTime>
#include <QMetaObject>
#include <QtConcurrent/QtConcurrentRun>
#include <optional>

namespace vocena {

namespace {

const Logger logger("SpeechRecognizer");

SpeechRecognitionError::Kind classify(const EngineError& error) {
    using Kind = SpeechRecognitionError::Kind;
    if (error.domain == EngineErrorDomain::assistant) {
        switch (error.code) {
        case 1110: return Kind::timeout;
        case 1700: return Kind::networkError;
        case 1111: return Kind::unknown;
        default: return Kind::recognitionFailed;
        }
    }
    if (error.domain == EngineErrorDomain::recognition && error.code == 4) return Kind::networkError;
    return Kind::recognitionFailed;
}

bool isCancellation(const EngineError& error) {
    const QString text = error.description.toLower();
    return (error.domain == EngineErrorDomain::recognition && error.code == 1) || text.contains(QLatin1String("cancel"));
}

}  // namespace

SystemSpeechRecognizer::SystemSpeechRecognizer(RecognitionEngine* engine, AudioSourceFactory makeAudioSource,
                                               Scheduler& scheduler, QObject* parent)
    : QObject(parent), m_engine(engine), m_makeAudioSource(std::move(makeAudioSource)), m_scheduler(scheduler) {
    m_tap->engine = engine;
    if (!m_engine) {
        logger.error(QStringLiteral("语音识别器初始化失败"));
        return;
    }
    connect(m_engine, &RecognitionEngine::resultReady, this, &SystemSpeechRecognizer::onResult);
    connect(m_engine, &RecognitionEngine::errorOccurred, this, &SystemSpeechRecognizer::onError);
    logger.info(QStringLiteral("语音识别器初始化: %1").arg(m_engine->isAvailable() ? QStringLiteral("可用") : QStringLiteral("不可用")));
}

SystemSpeechRecognizer::~SystemSpeechRecognizer() {
    if (m_cutOff) m_cutOff->cancel();
    {
        std::lock_guard lock(m_tap->mutex);
        m_tap->engine = nullptr;
    }
    stopAudio();
    cancelTask(m_tap->task.exchange(0));
}

QCoro::Task<bool> SystemSpeechRecognizer::requestAuthorization() {
    // There is nothing to ask the user: recognition is allowed when a model loads.
    co_return m_engine && m_engine->isAvailable();
}

QCoro::Task<void> SystemSpeechRecognizer::startRecognition() {
    if (m_isRecognizing) {
        if (!m_isStopping) {
            logger.info(QStringLiteral("语音识别已经在进行中"));
            co_return;
        }
        // The previous recognition is still waiting for its final result: give it up rather
        // than leave the user speaking into nothing.
        logger.info(QStringLiteral("上一次识别尚未结束，先取消再开始新的识别"));
        if (m_cutOff) m_cutOff->cancel();
        cancelTask(m_tap->task.exchange(0));
        cleanUp();
        m_isRecognizing = false;
        m_isStopping = false;
    }
    m_sinceStart.start();
    m_tap->firstBufferSeen = false;
    QPointer<SystemSpeechRecognizer> self(this);
    const bool authorized = co_await requestAuthorization();
    if (!self) co_return;
    if (!authorized) {
        logger.error(QStringLiteral("语音识别权限未授权"));
        throw SpeechRecognitionError(SpeechRecognitionError::Kind::notAuthorized);
    }
    if (!m_engine || !m_engine->isAvailable()) {
        logger.error(QStringLiteral("语音识别器不可用"));
        throw SpeechRecognitionError(SpeechRecognitionError::Kind::recognitionFailed);
    }
    cancelTask(m_tap->task.exchange(0));
    cleanUp();

    const std::shared_ptr<AudioSource> audio = m_makeAudioSource();
    logger.info(QStringLiteral("开始语音识别..."));
    m_isRecognizing = true;
    if (delegate) delegate->speechRecognitionDidStart(*this);
    const quint64 task = m_engine->start();
    m_tap->task = task;

    std::optional<QString> failure = QStringLiteral("没有音频输入");
    if (task != 0 && audio) {
        // Opening waits for the sound server (at most the source's time-out): off this thread.
        QFuture<std::optional<QString>> opening =
            QtConcurrent::run([audio, onBuffer = bufferHandler(task), onEnd = endHandler(task)]() -> std::optional<QString> {
                QString error;
                if (audio->start(onBuffer, onEnd, &error)) return std::nullopt;
                return error;
            });
        failure = co_await opening;
        if (!self) {
            audio->stop();
            co_return;
        }
        if (m_tap->task != task || m_isStopping) {
            // Stopped or replaced while the source was opening: nothing is left to record for.
            audio->stop();
            logger.debug(QStringLiteral("录音源打开前识别已结束"));
            co_return;
        }
    }
    if (failure) {
        logger.error(QStringLiteral("启动语音识别失败: %1").arg(*failure));
        m_isRecognizing = false;
        throw SpeechRecognitionError(SpeechRecognitionError::Kind::audioEngineFailed);
    }
    m_audio = audio;
    // Logged once the stream is open, when the source it really records from is known.
    logger.debug(QStringLiteral("录音格式: %1").arg(m_audio->formatDescription()));
    logger.debug(QStringLiteral("音频录制已启动"));
}

AudioSource::BufferHandler SystemSpeechRecognizer::bufferHandler(quint64 task) {
    QPointer<SystemSpeechRecognizer> weak(this);
    return [tap = m_tap, weak, task](const float* samples, int frames) {
        // Capture thread: feed the engine, meter the level, hand the level over.
        std::lock_guard lock(tap->mutex);
        if (!tap->engine || tap->task.load(std::memory_order_acquire) != task) return;
        tap->engine->acceptAudio(task, samples, frames);
        tap->meter.update(samples, frames);
        const bool first = !tap->firstBufferSeen.exchange(true);
        QMetaObject::invokeMethod(tap->engine, [weak, first] {
            if (!weak) return;
            if (first) logger.debug(QStringLiteral("首个音频缓冲: 启动后 %1 ms").arg(weak->m_sinceStart.elapsed()));
            if (weak->delegate) weak->delegate->speechRecognitionDidUpdateAudioLevel(*weak, weak->smoothedAudioLevel());
        });
    };
}

AudioSource::EndHandler SystemSpeechRecognizer::endHandler(quint64 task) {
    QPointer<SystemSpeechRecognizer> weak(this);
    return [tap = m_tap, weak, task] {
        // The source ran out (a file) or died (the microphone went away): that ends the audio
        // as a stop would, and the delegate hears of it as a stop.
        std::lock_guard lock(tap->mutex);
        if (!tap->engine) return;
        QMetaObject::invokeMethod(tap->engine, [weak, task] {
            if (!weak || weak->m_tap->task != task || !weak->m_isRecognizing || weak->m_isStopping) return;
            logger.info(QStringLiteral("音频输入已结束"));
            weak->stopRecognition();
        });
    };
}

void SystemSpeechRecognizer::stopRecognition() {
    // A second stop while the final result is awaited changes nothing.
    if (!m_isRecognizing || m_isStopping) return;
    logger.info(QStringLiteral("停止语音识别"));
    m_isStopping = true;
    stopAudio();
    const quint64 task = m_tap->task;
    if (m_engine && task) m_engine->endAudio(task);

    if (m_cutOff) m_cutOff->cancel();
    QPointer<SystemSpeechRecognizer> self(this);
    m_cutOff = m_scheduler.schedule(kFinalResultCutOff, [self, task] {
        if (!self || !(self->m_isRecognizing || self->m_isStopping)) return;
        logger.info(QStringLiteral("最终结果超时，强制清理"));
        self->cancelTask(task);
        self->cancelTask(self->m_tap->task.exchange(0));
        self->cleanUp();
        self->m_isStopping = false;
        self->m_isRecognizing = false;
        if (self->delegate) self->delegate->speechRecognitionDidStop(*self);
    });
    if (delegate) delegate->speechRecognitionDidStop(*this);
}

void SystemSpeechRecognizer::onResult(quint64 task, const QString& text, float confidence, bool isFinal) {
    if (task != m_tap->task) return;  // a result of a recognition that was given up
    if (delegate) delegate->speechRecognitionDidReceive(*this, {text, confidence, isFinal, QDateTime::currentDateTime()});
    if (!isFinal) return;
    logger.info(QStringLiteral("识别完成: %1").arg(Logging::privateText(text)));
    endRecognition();
}

void SystemSpeechRecognizer::onError(quint64 task, const EngineError& error) {
    logger.error(QStringLiteral("识别错误: %1").arg(error.description));
    if (task != m_tap->task) {
        logger.debug(QStringLiteral("识别任务已取消（正常停止）"));
        return;
    }
    handleRecognitionError(error);
}

void SystemSpeechRecognizer::handleRecognitionError(const EngineError& error) {
    if (!m_isRecognizing) {
        logger.debug(QStringLiteral("识别器已停止，忽略错误"));
        return;
    }
    if (m_isStopping) {
        logger.debug(QStringLiteral("停止过程中收到错误，视为正常结束: %1").arg(error.description));
        endRecognition();
        return;
    }
    if (isCancellation(error)) {
        logger.debug(QStringLiteral("识别任务已取消（正常停止）"));
        return;
    }
    m_isRecognizing = false;
    // The task is left for the next start to clean up, but the microphone closes now: nobody
    // would stop it otherwise, since a stop of a recognizer that is not recognizing does nothing.
    stopAudio();
    if (delegate) delegate->speechRecognitionDidFail(*this, SpeechRecognitionError(classify(error)));
}

void SystemSpeechRecognizer::endRecognition() {
    m_isRecognizing = false;
    m_isStopping = false;
    if (m_cutOff) m_cutOff->cancel();
    stopAudio();
    m_tap->task = 0;
    cleanUp();
    if (delegate) delegate->speechRecognitionDidStop(*this);
}

void SystemSpeechRecognizer::stopAudio() {
    if (m_audio) m_audio->stop();
}

void SystemSpeechRecognizer::cleanUp() {
    stopAudio();
    m_audio.reset();
    m_tap->meter.reset();
}

void SystemSpeechRecognizer::cancelTask(quint64 task) {
    if (task && m_engine) m_engine->cancel(task);
}

}  // namespace vocena
