#include "Infrastructure/Speech/Recognition/SpeechDecodeWorker.h"

#include "Infrastructure/Speech/Audio/AudioSource.h"
#include "Infrastructure/Speech/Recognition/StreamingRecognizer.h"

#include <algorithm>

namespace vocena {

SpeechDecodeWorker::SpeechDecodeWorker(std::unique_ptr<StreamingRecognizer> recognizer, ResultHandler onResult, ErrorHandler onError,
                                       BatchHandler onBatch)
    : m_recognizer(std::move(recognizer)),
      m_onResult(std::move(onResult)),
      m_onError(std::move(onError)),
      m_onBatch(std::move(onBatch)) {
    // A few seconds of audio, so that a normal backlog never reallocates.
    m_pending.reserve(4 * AudioSource::kSampleRate);
    m_batch.reserve(4 * AudioSource::kSampleRate);
    m_thread = std::thread([this] { run(); });
}

SpeechDecodeWorker::~SpeechDecodeWorker() {
    {
        std::lock_guard lock(m_mutex);
        m_quit = true;
    }
    m_wake.notify_one();
    m_thread.join();
}

void SpeechDecodeWorker::begin(quint64 task, StreamingRecognizer::Hotwords hotwords) {
    {
        std::lock_guard lock(m_mutex);
        m_task = task;
        m_hotwords = std::move(hotwords);
        m_finishing = false;
        m_pending.clear();
    }
    m_wake.notify_one();
}

void SpeechDecodeWorker::feed(quint64 task, const float* samples, int frames) {
    if (frames <= 0) return;
    {
        std::lock_guard lock(m_mutex);
        if (task != m_task || m_finishing) return;
        m_pending.insert(m_pending.end(), samples, samples + frames);
    }
    m_wake.notify_one();
}

void SpeechDecodeWorker::finish(quint64 task) {
    {
        std::lock_guard lock(m_mutex);
        if (task != m_task) return;
        m_finishing = true;
    }
    m_wake.notify_one();
}

void SpeechDecodeWorker::drop(quint64 task) {
    {
        std::lock_guard lock(m_mutex);
        if (task != m_task) return;
        m_task = 0;
        m_pending.clear();
    }
    m_wake.notify_one();
}

void SpeechDecodeWorker::post(std::function<void()> job) {
    {
        std::lock_guard lock(m_mutex);
        m_jobs.push_back(std::move(job));
    }
    m_wake.notify_one();
}

bool SpeechDecodeWorker::hasWorkLocked() const {
    if (m_quit || !m_jobs.empty() || m_streamTask != m_task) return true;  // a stream to open or to close
    return m_task != 0 && (!m_pending.empty() || m_finishing);
}

void SpeechDecodeWorker::run() {
    std::unique_lock lock(m_mutex);
    while (true) {
        m_wake.wait(lock, [this] { return hasWorkLocked(); });
        if (!m_jobs.empty()) {
            const std::function<void()> job = std::move(m_jobs.front());
            m_jobs.pop_front();
            lock.unlock();
            job();
            lock.lock();
            continue;
        }
        if (m_quit) break;
        const quint64 task = m_task;
        const bool finishing = m_finishing;
        m_batch.swap(m_pending);  // m_pending keeps the old batch's capacity
        const bool newStream = m_streamTask != task;
        StreamingRecognizer::Hotwords hotwords;
        if (newStream) hotwords = std::move(m_hotwords);
        lock.unlock();

        if (newStream) {
            m_recognizer->endStream();
            m_lastText.clear();
        }
        QString error;
        bool alive = task != 0;
        if (alive && newStream && !m_recognizer->beginStream(&error, hotwords)) {
            m_onError(task, error);
            alive = false;
        }
        if (alive) alive = process(task, finishing);
        m_batch.clear();

        lock.lock();
        m_streamTask = alive ? task : 0;
        if (!alive) {
            m_recognizer->endStream();
            if (m_task == task) {
                m_task = 0;
                m_pending.clear();
            }
        }
    }
    m_recognizer->endStream();
}

bool SpeechDecodeWorker::process(quint64 task, bool finishing) {
    const int total = int(m_batch.size());
    // In slices, so that the text reported after each stretch of audio does not depend on how
    // the audio happened to be batched (a backlog gives the same partials as live audio).
    int at = 0;
    do {
        const int frames = std::min(kSliceFrames, total - at);
        if (!decode(task, m_batch.data() + at, frames, finishing && at + frames >= total)) return false;
        at += frames;
    } while (at < total);
    return true;
}

bool SpeechDecodeWorker::decode(quint64 task, const float* samples, int frames, bool finishing) {
    QString error;
    const bool decoded = m_recognizer->acceptAudio(samples, frames, &error) &&
                         (!finishing || m_recognizer->finishInput(&error)) && m_recognizer->decode(&error);
    const std::optional<QString> text = decoded ? m_recognizer->text(&error) : std::nullopt;
    if (!text) {
        m_onError(task, error);
        return false;
    }
    if (m_onBatch) m_onBatch(task, samples, frames, *text, finishing);
    if (finishing) {
        m_onResult(task, *text, true);
        return false;
    }
    if (*text != m_lastText) {
        m_lastText = *text;
        m_onResult(task, *text, false);
    }
    return true;
}

}  // namespace vocena
