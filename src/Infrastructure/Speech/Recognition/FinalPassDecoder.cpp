#include "Infrastructure/Speech/Recognition/FinalPassDecoder.h"

#include <QElapsedTimer>
#include <algorithm>

namespace vocena {

FinalPassDecoder::FinalPassDecoder(std::unique_ptr<SherpaOfflineRecognizer> recognizer, ResultHandler onResult)
    : m_recognizer(std::move(recognizer)), m_onResult(std::move(onResult)) {
    m_thread = std::thread([this] { run(); });
}

FinalPassDecoder::~FinalPassDecoder() {
    {
        std::lock_guard lock(m_mutex);
        m_quit = true;
        m_jobs.clear();
    }
    m_wake.notify_one();
    m_thread.join();
}

void FinalPassDecoder::decode(quint64 task, int index, std::vector<float> samples) {
    {
        std::lock_guard lock(m_mutex);
        m_jobs.push_back({task, index, std::move(samples)});
    }
    m_wake.notify_one();
}

void FinalPassDecoder::keepOnly(quint64 task) {
    std::lock_guard lock(m_mutex);
    std::erase_if(m_jobs, [task](const Job& job) { return job.task != task; });
}

void FinalPassDecoder::run() {
    std::unique_lock lock(m_mutex);
    while (true) {
        m_wake.wait(lock, [this] { return m_quit || !m_jobs.empty(); });
        if (m_quit) return;
        Job job = std::move(m_jobs.front());
        m_jobs.pop_front();
        lock.unlock();
        QElapsedTimer timer;
        timer.start();
        QString failure;
        const std::optional<QString> text = m_recognizer->recognize(job.samples.data(), int(job.samples.size()), &failure);
        m_onResult(job.task, job.index, text, failure, int(timer.elapsed()));
        lock.lock();
    }
}

}  // namespace vocena
