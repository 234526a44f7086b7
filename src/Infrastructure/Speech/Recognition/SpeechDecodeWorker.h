#pragma once

#include "Infrastructure/Speech/Recognition/StreamingRecognizer.h"

#include <QString>
#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace vocena {

// The decoding thread of the sherpa-onnx engine. It owns the recognizer and runs one task at
// a time: audio fed from any thread is appended to a buffer that the thread takes over by
// swapping (no allocation per buffer once the buffers have grown), decodes it slice by slice
// and reports the text whenever it changed; finish() decodes to the end and reports the final text. The
// handlers run on the decoding thread. Other work on the recognised text (punctuation) is
// posted to the same thread as jobs.
class SpeechDecodeWorker {
public:
    using ResultHandler = std::function<void(quint64 task, const QString& text, bool isFinal)>;
    using ErrorHandler = std::function<void(quint64 task, const QString& description)>;
    // Every slice of audio (kSliceFrames) once decoded, with the text then (the final one for
    // the last slice, called before the final result is reported).
    using BatchHandler = std::function<void(quint64 task, const float* samples, int frames, const QString& text, bool isFinal)>;

    SpeechDecodeWorker(std::unique_ptr<StreamingRecognizer> recognizer, ResultHandler onResult, ErrorHandler onError,
                       BatchHandler onBatch = {});
    // Stops the thread; a decode in progress completes first.
    ~SpeechDecodeWorker();
    SpeechDecodeWorker(const SpeechDecodeWorker&) = delete;
    SpeechDecodeWorker& operator=(const SpeechDecodeWorker&) = delete;

    // Makes `task` the current one, its stream opened with `hotwords`; the task before is
    // dropped without a report.
    void begin(quint64 task, StreamingRecognizer::Hotwords hotwords = {});
    // Thread-safe. Audio of any other task than the current, unfinished one is ignored.
    void feed(quint64 task, const float* samples, int frames);
    void finish(quint64 task);
    // Ends `task` without a report (cancelled, timed out).
    void drop(quint64 task);
    // Thread-safe. Runs `job` on the decoding thread, before the next batch of audio; every job
    // posted runs, the last ones while the worker is destroyed.
    void post(std::function<void()> job);

private:
    void run();
    bool hasWorkLocked() const;
    // Decodes one batch of `task`; false when the task ended (finished or failed).
    bool process(quint64 task, bool finishing);
    bool decode(quint64 task, const float* samples, int frames, bool finishing);
    // The stretch of audio after which the text is read: 0.1 s.
    static constexpr int kSliceFrames = 1600;

    std::unique_ptr<StreamingRecognizer> m_recognizer;
    ResultHandler m_onResult;
    ErrorHandler m_onError;
    BatchHandler m_onBatch;

    std::mutex m_mutex;
    std::condition_variable m_wake;
    quint64 m_task = 0;        // the current task, 0 for none
    quint64 m_streamTask = 0;  // the task whose stream is open (decoding thread)
    StreamingRecognizer::Hotwords m_hotwords;  // for the current task's stream
    bool m_finishing = false;
    bool m_quit = false;
    std::vector<float> m_pending;  // appended by feed()
    std::vector<float> m_batch;    // taken over by the decoding thread
    std::deque<std::function<void()>> m_jobs;
    QString m_lastText;            // decoding thread
    std::thread m_thread;
};

}  // namespace vocena
