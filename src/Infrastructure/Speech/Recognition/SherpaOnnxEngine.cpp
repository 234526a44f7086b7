#include "Infrastructure/Speech/Recognition/SherpaOnnxEngine.h"

#include "Infrastructure/Platform/Clock.h"
#include "Infrastructure/Platform/Logging.h"
#include "Infrastructure/Speech/Recognition/FinalPassDecoder.h"
#include "Infrastructure/Speech/Recognition/SimulatedStreamingRecognizer.h"
#include "Infrastructure/Speech/Recognition/SpeechDecodeWorker.h"
#include "Infrastructure/Speech/Models/SpeechModel.h"

#include <QMetaObject>

namespace vocena {

namespace {
const Logger logger("SpeechRecognizer");
}

SherpaOnnxEngine::SherpaOnnxEngine(Scheduler& scheduler, QObject* parent) : RecognitionEngine(parent), m_scheduler(scheduler) {}

SherpaOnnxEngine::~SherpaOnnxEngine() {
    if (m_noSpeechTimer) m_noSpeechTimer->cancel();
    // The decoding thread first, while the engine is still whole: it feeds the final pass.
    m_worker.reset();
    m_finalPass.reset();
}

bool SherpaOnnxEngine::load(const SpeechModel& model, const SherpaRecognizer::Options& options, QString* error,
                            const std::optional<SpeechModel>& finalPass) {
    if (m_task) cancel(m_task);
    m_worker.reset();
    m_finalPass.reset();
    m_finalPassName.clear();
    m_finalPassProblem.clear();
    m_hotwordsUnavailableReason.clear();
    m_alonePunctuates = false;
    std::unique_ptr<StreamingRecognizer> recognizer;
    if (model.kind() == ModelKind::finalPass) {
        // No streaming model: the non-streaming one gives the live text too, and needs no final pass.
        std::unique_ptr<SherpaOfflineRecognizer> offline =
            SherpaOfflineRecognizer::create(model, {options.numThreads, options.cpuMemoryArena}, error);
        if (!offline) return false;
        m_alonePunctuates = offline->punctuatesItself();
        recognizer = std::make_unique<SimulatedStreamingRecognizer>(std::move(offline));
    } else {
        recognizer = SherpaRecognizer::create(model, options, error);
    }
    if (!recognizer) return false;
    m_hotwordsUnavailableReason = recognizer->hotwordsUnavailableReason();
    if (finalPass && model.kind() != ModelKind::finalPass) {
        std::unique_ptr<SherpaOfflineRecognizer> offline =
            SherpaOfflineRecognizer::create(*finalPass, {options.numThreads, options.cpuMemoryArena}, &m_finalPassProblem);
        if (offline) {
            m_finalPassName = finalPass->name;
            m_finalPass = std::make_unique<FinalPassDecoder>(
                std::move(offline), [this](quint64 task, int index, const std::optional<QString>& text, const QString& failure, int ms) {
                    QMetaObject::invokeMethod(
                        this, [=, this] { onSegmentDecoded(task, index, text, failure, ms); }, Qt::QueuedConnection);
                });
        } else {
            logger.error(QStringLiteral("无法加载整句识别模型 %1: %2，听写只用流式识别").arg(finalPass->name, m_finalPassProblem));
        }
    }
    // The handlers run on the decoding thread; the queued calls are dropped with the engine.
    SpeechDecodeWorker::BatchHandler onBatch;
    if (m_finalPass) onBatch = [this](quint64 task, const float* samples, int frames, const QString& text, bool isFinal) {
        segmentBatch(task, samples, frames, text, isFinal);
    };
    m_segmentedTask = 0;
    m_worker = std::make_unique<SpeechDecodeWorker>(
        std::move(recognizer),
        [this](quint64 task, const QString& text, bool isFinal) {
            QMetaObject::invokeMethod(this, [this, task, text, isFinal] { deliverResult(task, text, isFinal); }, Qt::QueuedConnection);
        },
        [this](quint64 task, const QString& description) {
            QMetaObject::invokeMethod(this, [this, task, description] { deliverError(task, description); }, Qt::QueuedConnection);
        },
        std::move(onBatch));
    logger.info(QStringLiteral("已加载语音模型 %1（%2）").arg(model.name, SpeechModel::typeName(model.type)));
    if (m_finalPass)
        logger.info(QStringLiteral("已加载整句识别模型 %1（%2）").arg(finalPass->name, SpeechModel::typeName(finalPass->type)));
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
    if (m_finalPass) {
        m_finalPass->keepOnly(m_task);
        m_assembly.emplace();
        m_decodedBeforeStop = -1;
        m_finalPassWaitOver = false;
    }
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
    if (task != m_task || !m_worker) return;
    m_worker->finish(task);
    if (!m_assembly || m_decodedBeforeStop >= 0) return;
    m_decodedBeforeStop = m_assembly->segments() - m_assembly->pending();
    m_finalPassTimer = m_scheduler.schedule(m_finalPassWait, [this, task] {
        m_finalPassWaitOver = true;
        finishFinalPassIfDue(task);
    });
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
    if (isFinal && m_assembly) return;  // the final text comes from the final pass
    if (isFinal) {
        m_punctuatedFinalText = m_alonePunctuates ? text : QString();
        endTask();
    }
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
    if (m_finalPassTimer) m_finalPassTimer->cancel();
    m_finalPassTimer.reset();
    m_assembly.reset();
}

void SherpaOnnxEngine::segmentBatch(quint64 task, const float* samples, int frames, const QString& text, bool isFinal) {
    if (task != m_segmentedTask) {
        m_segmentedTask = task;
        m_segmenter = SpeechSegmenter();
    }
    if (std::optional<SpeechSegmenter::Segment> segment = m_segmenter.advance(samples, frames, text))
        sendSegment(task, std::move(*segment), std::nullopt, true);
    if (isFinal) sendSegment(task, m_segmenter.finish(text), text, m_segmenter.consistent());
}

void SherpaOnnxEngine::sendSegment(quint64 task, SpeechSegmenter::Segment segment, std::optional<QString> finalText, bool consistent) {
    // Announced to the main thread before it is decoded: its result always finds it there.
    QMetaObject::invokeMethod(
        this, [=, this, index = segment.index, streaming = segment.streamingText] { addSegment(task, index, streaming, finalText, consistent); },
        Qt::QueuedConnection);
    m_finalPass->decode(task, segment.index, std::move(segment.samples));
}

void SherpaOnnxEngine::addSegment(quint64 task, int index, const QString& streamingText, const std::optional<QString>& finalText,
                                  bool consistent) {
    if (task != m_task || !m_assembly) return;
    m_assembly->addSegment(index, streamingText);
    if (!finalText) return;
    m_heardSpeech = m_heardSpeech || !finalText->isEmpty();
    m_assembly->finishStreaming(*finalText, consistent);
    finishFinalPassIfDue(task);
}

void SherpaOnnxEngine::onSegmentDecoded(quint64 task, int index, const std::optional<QString>& text, const QString& failure,
                                        int milliseconds) {
    if (task != m_task || !m_assembly) return;
    logger.debug(QStringLiteral("整句识别第 %1 段用时 %2 ms").arg(index + 1).arg(milliseconds));
    m_assembly->setResult(index, text, failure);
    Q_EMIT finalPassSegmentDecoded(task, index);
    finishFinalPassIfDue(task);
}

void SherpaOnnxEngine::finishFinalPassIfDue(quint64 task) {
    if (task != m_task || !m_assembly || !m_assembly->streamingFinished()) return;
    if (!m_assembly->isComplete() && !m_finalPassWaitOver) return;
    if (!m_assembly->isComplete())
        logger.error(QStringLiteral("整句识别 %1 段未在 %2 秒内完成，这些段使用流式识别的文字")
                         .arg(m_assembly->pending())
                         .arg(m_finalPassWait));
    const QString text = m_assembly->text();
    m_punctuatedFinalText = m_finalPass->punctuatesItself() && m_assembly->allFromFinalPass() ? text : QString();
    logger.info(QStringLiteral("整句识别: 共 %1 段，停止前已识别 %2 段").arg(m_assembly->segments()).arg(std::max(0, m_decodedBeforeStop)));
    endTask();
    Q_EMIT resultReady(task, text, 0.0f, true);
}

void SherpaOnnxEngine::postError(quint64 task, const EngineError& error) {
    QMetaObject::invokeMethod(this, [this, task, error] { Q_EMIT errorOccurred(task, error); }, Qt::QueuedConnection);
}

}  // namespace vocena
