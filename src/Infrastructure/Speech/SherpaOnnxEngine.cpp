#include "Infrastructure/Speech/SherpaOnnxEngine.h"

#include "Infrastructure/Platform/Clock.h"
#include "Infrastructure/Platform/Logging.h"
#include "Infrastructure/Speech/SpeechDecodeWorker.h"
#include "Infrastructure/Speech/SpeechModel.h"

#include <QMetaObject>

namespace vocena {

namespace {
const Logger logger("SpeechRecognizer");
}

SherpaOnnxEngine::SherpaOnnxEngine(Scheduler& scheduler, QObject* parent) : RecognitionEngine(parent), m_scheduler(scheduler) {}

SherpaOnnxEngine::~SherpaOnnxEngine() {
    if (m_noSpeechTimer) m_noSpeechTimer->cancel();
    m_worker.reset();  // joins the decoding thread while the engine is still whole
}

bool SherpaOnnxEngine::load(const SpeechModel& model, const SherpaRecognizer::Options& options, QString* error) {
    if (m_task) cancel(m_task);
    m_worker.reset();
    m_hotwordsUnavailableReason.clear();
    std::unique_ptr<SherpaRecognizer> recognizer = SherpaRecognizer::create(model, options, error);
    if (!recognizer) return false;
    m_hotwordsUnavailableReason = recognizer->hotwordsUnavailableReason();
    // The handlers run on the decoding thread; the queued calls are dropped with the engine.
    m_worker = std::make_unique<SpeechDecodeWorker>(
        std::move(recognizer),
        [this](quint64 task, const QString& text, bool isFinal) {
            QMetaObject::invokeMethod(this, [this, task, text, isFinal] { deliverResult(task, text, isFinal); }, Qt::QueuedConnection);
        },
        [this](quint64 task, const QString& description) {
            QMetaObject::invokeMethod(this, [this, task, description] { deliverError(task, description); }, Qt::QueuedConnection);
        });
    logger.info(QStringLiteral("已加载语音模型 %1（%2）").arg(model.name, SpeechModel::typeName(model.type)));
    if (!takesHotwords()) logger.info(QStringLiteral("不使用热词: %1").arg(m_hotwordsUnavailableReason));
    return true;
}

quint64 SherpaOnnxEngine::start() {
    if (!m_worker) {
        postError(0, {EngineErrorDomain::engine, ModelUnavailable, QStringLiteral("没有可用的语音模型")});
        return 0;
    }
    if (m_task) cancel(m_task);
    m_task = ++m_nextTask;
    m_heardSpeech = false;
    m_worker->begin(m_task, takesHotwords() && m_hotwordSource ? m_hotwordSource() : SherpaRecognizer::Hotwords{});
    const quint64 task = m_task;
    m_noSpeechTimer = m_scheduler.schedule(kNoSpeechTimeout, [this, task] { onNoSpeechTimeout(task); });
    return task;
}

void SherpaOnnxEngine::acceptAudio(quint64 task, const float* samples, int frames) {
    // Any thread: the worker checks the task under its own lock.
    if (m_worker && samples) m_worker->feed(task, samples, frames);
}

void SherpaOnnxEngine::endAudio(quint64 task) {
    if (task == m_task && m_worker) m_worker->finish(task);
}

void SherpaOnnxEngine::cancel(quint64 task) {
    if (task == 0 || task != m_task) return;
    m_worker->drop(task);
    endTask();
    postError(task, {EngineErrorDomain::recognition, 1, QStringLiteral("识别已取消")});
}

bool SherpaOnnxEngine::runOnDecodingThread(std::function<void()> job) {
    if (!m_worker) return false;
    m_worker->post(std::move(job));
    return true;
}

void SherpaOnnxEngine::deliverResult(quint64 task, const QString& text, bool isFinal) {
    if (task != m_task) return;  // cancelled, timed out or replaced meanwhile
    if (!text.isEmpty()) m_heardSpeech = true;
    if (isFinal) endTask();
    Q_EMIT resultReady(task, text, 0.0f, isFinal);
}

void SherpaOnnxEngine::deliverError(quint64 task, const QString& description) {
    if (task != m_task) return;
    logger.error(QStringLiteral("语音识别失败: %1").arg(description));
    endTask();
    Q_EMIT errorOccurred(task, {EngineErrorDomain::engine, DecodingFailed, description});
}

void SherpaOnnxEngine::onNoSpeechTimeout(quint64 task) {
    if (task != m_task || m_heardSpeech) return;
    m_worker->drop(task);
    endTask();
    Q_EMIT errorOccurred(task, {EngineErrorDomain::assistant, 1110, QStringLiteral("未检测到语音")});
}

void SherpaOnnxEngine::endTask() {
    m_task = 0;
    if (m_noSpeechTimer) m_noSpeechTimer->cancel();
    m_noSpeechTimer.reset();
}

void SherpaOnnxEngine::postError(quint64 task, const EngineError& error) {
    QMetaObject::invokeMethod(this, [this, task, error] { Q_EMIT errorOccurred(task, error); }, Qt::QueuedConnection);
}

}  // namespace vocena
