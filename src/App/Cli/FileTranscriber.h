#pragma once

#include <QObject>
#include <QCoro/QCoroTask>
#include <QString>
#include <chrono>
#include <functional>

namespace vocena {

class AudioSource;
class RecognitionEngine;

// Recognises a finite audio source (a WAV file) with an engine: one engine task fed from the
// source's thread, ended when the source has delivered everything.
class FileTranscriber final : public QObject {
    Q_OBJECT
public:
    struct Outcome {
        bool ok = false;
        QString text;   // the final text
        QString error;  // the reason when not ok
    };

    FileTranscriber(RecognitionEngine& engine, AudioSource& source, std::function<void(const QString&)> onPartial);

    // At most `timeout`; the task is cancelled when it runs out.
    QCoro::Task<Outcome> run(std::chrono::seconds timeout);

Q_SIGNALS:
    void finished();

private:
    void finish(Outcome outcome);

    RecognitionEngine& m_engine;
    AudioSource& m_source;
    std::function<void(const QString&)> m_onPartial;
    quint64 m_task = 0;
    bool m_done = false;
    Outcome m_outcome;
};

}  // namespace vocena
