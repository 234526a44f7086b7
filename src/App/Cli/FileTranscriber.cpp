#include "App/Cli/FileTranscriber.h"

#include "Infrastructure/Speech/Audio/AudioSource.h"
#include "Infrastructure/Speech/Recognition/RecognitionEngine.h"

#include <QCoro/QCoroSignal>
#include <QPointer>

namespace vocena {

namespace {
// g++ 12 may move from a named local used inside a braced initializer in co_return (and destroy
// it again): the coroutine builds its result through this call instead.
FileTranscriber::Outcome failed(const QString& error) { return {false, {}, error}; }
}  // namespace

FileTranscriber::FileTranscriber(RecognitionEngine& engine, AudioSource& source, std::function<void(const QString&)> onPartial)
    : m_engine(engine), m_source(source), m_onPartial(std::move(onPartial)) {
    connect(&m_engine, &RecognitionEngine::resultReady, this, [this](quint64 task, const QString& text, float, bool isFinal) {
        if (task != m_task || m_done) return;
        if (!isFinal) {
            if (m_onPartial) m_onPartial(text);
            return;
        }
        finish({true, text, {}});
    });
    connect(&m_engine, &RecognitionEngine::errorOccurred, this, [this](quint64 task, const EngineError& error) {
        if ((task == m_task || task == 0) && !m_done) finish({false, {}, error.description});
    });
}

void FileTranscriber::finish(Outcome outcome) {
    m_done = true;
    m_outcome = std::move(outcome);
    Q_EMIT finished();
}

QCoro::Task<FileTranscriber::Outcome> FileTranscriber::run(std::chrono::seconds timeout) {
    QPointer<FileTranscriber> self(this);
    m_done = false;
    m_task = m_engine.start();
    const quint64 task = m_task;
    QString error;
    RecognitionEngine* engine = &m_engine;
    const bool started = task != 0 && m_source.start(
        [engine, task](const float* samples, int frames) { engine->acceptAudio(task, samples, frames); },
        [this, task] { QMetaObject::invokeMethod(this, [this, task] { m_engine.endAudio(task); }, Qt::QueuedConnection); },
        &error);
    if (task != 0 && !started) {
        m_engine.cancel(task);
        co_return failed(error);
    }
    if (!m_done) co_await qCoro(this, &FileTranscriber::finished, timeout);
    if (!self) co_return failed(QStringLiteral("已中止"));
    m_source.stop();
    if (!m_done) {
        if (task) m_engine.cancel(task);
        co_return failed(QStringLiteral("识别超时"));
    }
    co_return m_outcome;
}

}  // namespace vocena
