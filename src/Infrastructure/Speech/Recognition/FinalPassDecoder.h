#pragma once

#include "Infrastructure/Speech/Recognition/SherpaOfflineRecognizer.h"

#include <QString>
#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

namespace vocena {

// The final pass's own thread: it owns the non-streaming recognizer and decodes the finished
// segments of a dictation one after the other, while the decoding thread of the streaming
// model goes on with the live text. The handler runs on this thread.
class FinalPassDecoder {
public:
    // `text` is none when decoding failed, with the reason in `failure`.
    using ResultHandler =
        std::function<void(quint64 task, int index, const std::optional<QString>& text, const QString& failure, int milliseconds)>;

    FinalPassDecoder(std::unique_ptr<SherpaOfflineRecognizer> recognizer, ResultHandler onResult);
    // Finishes the segment in progress, drops the rest.
    ~FinalPassDecoder();
    FinalPassDecoder(const FinalPassDecoder&) = delete;
    FinalPassDecoder& operator=(const FinalPassDecoder&) = delete;

    // Thread-safe. Queues segment `index` of `task`.
    void decode(quint64 task, int index, std::vector<float> samples);
    // Thread-safe. The queued segments of every task but `task` are dropped unreported.
    void keepOnly(quint64 task);

    bool punctuatesItself() const { return m_recognizer->punctuatesItself(); }

private:
    struct Job {
        quint64 task;
        int index;
        std::vector<float> samples;
    };
    void run();

    std::unique_ptr<SherpaOfflineRecognizer> m_recognizer;
    ResultHandler m_onResult;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::deque<Job> m_jobs;
    bool m_quit = false;
    std::thread m_thread;
};

}  // namespace vocena
