#pragma once

#include <QObject>
#include <QString>

namespace vocena {

// An error of the recognition engine, with the domain and code by which the recognizer
// classifies it.
struct EngineError {
    QString domain;
    int code = 0;
    QString description;
};

namespace EngineErrorDomain {
// The classification table of the recognizer knows these two domains:
//   assistant 1110 = no speech within the engine's limit (-> timeout), 1700 = network,
//   1111 = unknown, other codes = recognition failed;
//   recognition 1 = the task was cancelled, 4 = network, other codes = recognition failed.
inline const QString assistant = QStringLiteral("kAFAssistantErrorDomain");
inline const QString recognition = QStringLiteral("SFSpeechRecognitionErrorDomain");
// The engine's own failures (model, decoder): recognition failed.
inline const QString engine = QStringLiteral("com.vocena.speech.engine");
}  // namespace EngineErrorDomain

// Streaming speech recognition over one installed model. One task at a time: start() begins
// a task (cancelling the one before), audio is fed from any thread, endAudio() asks for the
// final result. Results and errors arrive on the thread the engine lives on (the main
// thread), tagged with their task; after cancel() a task reports only its cancellation
// (recognition domain, code 1) and nothing else.
class RecognitionEngine : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    // Whether a model is loaded and usable.
    virtual bool isAvailable() const = 0;
    // Begins a new task and returns its id (> 0); 0 with an error report when it cannot.
    virtual quint64 start() = 0;
    // Thread-safe, cheap (copies into a queue); called on the capture thread.
    virtual void acceptAudio(quint64 task, const float* samples, int frames) = 0;
    // No more audio for this task: the engine decodes what is left and reports the final
    // result (or an error).
    virtual void endAudio(quint64 task) = 0;
    virtual void cancel(quint64 task) = 0;

Q_SIGNALS:
    void resultReady(quint64 task, const QString& text, float confidence, bool isFinal);
    void errorOccurred(quint64 task, const vocena::EngineError& error);
};

}  // namespace vocena

Q_DECLARE_METATYPE(vocena::EngineError)
