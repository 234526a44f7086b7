#pragma once

#include "Infrastructure/Speech/SpeechModel.h"

#include <QString>
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
// Not thread-safe: create and use it from one thread at a time.
class SherpaRecognizer {
public:
    struct Options {
        int numThreads = 1;
        // ONNX Runtime's CPU memory arena keeps the largest working set it ever needed;
        // without it memory goes back after each decode, at a small cost in speed.
        bool cpuMemoryArena = false;
    };

    // Seconds of silence fed after the last audio, so that the model's look-ahead sees the
    // end of speech (without it the last token is lost).
    static constexpr double kTailPaddingSeconds = 0.6;

    // Nothing (with `error`) when a file is missing or the library refuses the model.
    static std::unique_ptr<SherpaRecognizer> create(const SpeechModel& model, const Options& options, QString* error);
    ~SherpaRecognizer();
    SherpaRecognizer(const SherpaRecognizer&) = delete;
    SherpaRecognizer& operator=(const SherpaRecognizer&) = delete;

    // Opens a new stream, closing the one before.
    bool beginStream(QString* error);
    void endStream();
    bool hasStream() const { return m_stream != nullptr; }

    // 16 kHz mono samples in [-1, 1].
    bool acceptAudio(const float* samples, int frames, QString* error);
    // Feeds the tail padding and marks the end of the input.
    bool finishInput(QString* error);
    // Decodes everything the stream has buffered.
    bool decode(QString* error);
    // The text so far; nothing on a library error.
    std::optional<QString> text(QString* error);

    // "1.13.8 (onnxruntime 1.x)".
    static QString libraryVersion();

private:
    explicit SherpaRecognizer(const SherpaOnnxOnlineRecognizer* recognizer) : m_recognizer(recognizer) {}

    const SherpaOnnxOnlineRecognizer* m_recognizer;
    const SherpaOnnxOnlineStream* m_stream = nullptr;
};

}  // namespace vocena
