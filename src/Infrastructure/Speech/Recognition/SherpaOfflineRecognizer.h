#pragma once

#include "Infrastructure/Speech/Models/SpeechModel.h"

#include <QString>
#include <memory>
#include <optional>

struct SherpaOnnxOfflineRecognizer;

namespace vocena {

// One sherpa-onnx offline recognizer over a non-streaming model (zipformer CTC, paraformer,
// SenseVoice): it recognises a finished segment of speech at once, more accurately than a
// streaming model can. Every call into the library is guarded as in SherpaRecognizer; what no
// guard catches (missing metadata, a tokens file without a blank) must have been refused by
// `vocena model verify` in a child process first.
//
// Decoding greedily, with SenseVoice's own punctuation and inverse text normalisation on.
// Not thread-safe: create and use it from one thread at a time.
class SherpaOfflineRecognizer {
public:
    struct Options {
        int numThreads = 1;
        bool cpuMemoryArena = false;
    };

    // Null (with `error`) when `model` is not a non-streaming model or the library refuses it.
    static std::unique_ptr<SherpaOfflineRecognizer> create(const SpeechModel& model, const Options& options, QString* error);
    ~SherpaOfflineRecognizer();
    SherpaOfflineRecognizer(const SherpaOfflineRecognizer&) = delete;
    SherpaOfflineRecognizer& operator=(const SherpaOfflineRecognizer&) = delete;

    // The text of 16 kHz mono samples in [-1, 1]; none (with `error`) when decoding failed.
    // A segment shorter than kMinimumSamples is padded with silence (the library fails on a
    // handful of frames).
    std::optional<QString> recognize(const float* samples, int count, QString* error);

    static constexpr int kMinimumSamples = 1600;  // 0.1 s

    // Whether the model's text comes punctuated (SenseVoice): it is not punctuated again.
    bool punctuatesItself() const { return m_punctuatesItself; }

private:
    SherpaOfflineRecognizer(const SherpaOnnxOfflineRecognizer* recognizer, bool punctuatesItself)
        : m_recognizer(recognizer), m_punctuatesItself(punctuatesItself) {}

    const SherpaOnnxOfflineRecognizer* m_recognizer;
    bool m_punctuatesItself;
};

}  // namespace vocena
