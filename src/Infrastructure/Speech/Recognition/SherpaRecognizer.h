#pragma once

#include "Infrastructure/Speech/Recognition/HotwordSupport.h"
#include "Infrastructure/Speech/Models/SpeechModel.h"
#include "Infrastructure/Speech/Recognition/StreamingRecognizer.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <memory>
#include <optional>

struct SherpaOnnxOnlineRecognizer;
struct SherpaOnnxOnlineStream;

namespace vocena {

// One sherpa-onnx online recognizer over a model, with at most one open stream. Every call
// into the library is guarded: the library throws C++ exceptions through its C API (a corrupt
// ONNX file, tokens shorter than the model's vocabulary), and these come back as errors here.
// What no guard can catch: the library ends the process (_Exit) on missing metadata or a
// malformed tokens file, so a model must have passed `vocena model verify` in a child process
// before it is loaded in the app.
//
// Transducer models decode with modified beam search so that each stream can carry the user's
// vocabulary as hotwords (HotwordList); other families decode greedily and take none.
//
// Not thread-safe: create and use it from one thread at a time.
class SherpaRecognizer final : public StreamingRecognizer {
public:
    struct Options {
        int numThreads = 1;
        // ONNX Runtime's CPU memory arena keeps the largest working set it ever needed;
        // without it memory goes back after each decode, at a small cost in speed.
        bool cpuMemoryArena = false;
        // Whether a transducer decodes with beam search and takes hotwords.
        bool hotwords = true;
    };

    // The number of hypotheses beam search keeps.
    static constexpr int kBeamSize = 4;

    // Seconds of silence fed after the last audio, so that the model's look-ahead sees the
    // end of speech (without it the last token is lost).
    static constexpr double kTailPaddingSeconds = 0.6;

    // Nothing (with `error`) when a file is missing or the library refuses the model.
    static std::unique_ptr<SherpaRecognizer> create(const SpeechModel& model, const Options& options, QString* error);
    ~SherpaRecognizer() override;
    SherpaRecognizer(const SherpaRecognizer&) = delete;
    SherpaRecognizer& operator=(const SherpaRecognizer&) = delete;

    bool beginStream(QString* error, const Hotwords& hotwords = {}) override;
    void endStream() override;
    bool hasStream() const { return m_stream != nullptr; }

    bool acceptAudio(const float* samples, int frames, QString* error) override;
    // Feeds the tail padding and marks the end of the input.
    bool finishInput(QString* error) override;
    // Decodes everything the stream has buffered.
    bool decode(QString* error) override;
    std::optional<QString> text(QString* error) override;

    QString hotwordsUnavailableReason() const override { return m_hotwords.isSupported() ? QString() : m_hotwords.reason; }
    // The words the last stream took as hotwords.
    const QStringList& activeHotwords() const { return m_activeHotwords; }

    // "1.13.8 (onnxruntime 1.x)".
    static QString libraryVersion();

private:
    SherpaRecognizer(const SherpaOnnxOnlineRecognizer* recognizer, HotwordSupport hotwords)
        : m_recognizer(recognizer), m_hotwords(std::move(hotwords)) {}
    // The hotword text for a stream (empty for none); logs the words left out when they changed.
    QString hotwordText(const Hotwords& hotwords);

    const SherpaOnnxOnlineRecognizer* m_recognizer;
    const SherpaOnnxOnlineStream* m_stream = nullptr;
    HotwordSupport m_hotwords;  // unsupported unless the recognizer decodes with beam search
    QStringList m_activeHotwords;
    QStringList m_loggedSkipped;
};

}  // namespace vocena
