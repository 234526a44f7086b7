#pragma once

#include <QString>
#include <memory>
#include <optional>

struct SherpaOnnxOfflinePunctuation;

namespace vocena {

class SpeechModel;

// sherpa-onnx's offline punctuation (a CT-Transformer model) over one punctuation model: adds
// Chinese punctuation (，。？、) to a finished transcript. Calls into the library are guarded
// as SherpaRecognizer's are; the library ends the process on missing metadata, so the model
// must have passed `vocena model verify` in a child process first.
//
// Not thread-safe: create and use it from one thread at a time.
class SherpaPunctuator {
public:
    // Nothing (with `error`) when the file is missing or the library refuses the model.
    static std::unique_ptr<SherpaPunctuator> create(const SpeechModel& model, QString* error);
    ~SherpaPunctuator();
    SherpaPunctuator(const SherpaPunctuator&) = delete;
    SherpaPunctuator& operator=(const SherpaPunctuator&) = delete;

    // `text` with punctuation; nothing (with `error`) when the library fails, or when its
    // answer lost words of `text` (only marks and spaces may change).
    std::optional<QString> punctuate(const QString& text, QString* error) const;

    // Whether `punctuated` is `original` with only punctuation and spaces added or removed.
    static bool keepsWords(const QString& original, const QString& punctuated);

private:
    explicit SherpaPunctuator(const SherpaOnnxOfflinePunctuation* punctuation) : m_punctuation(punctuation) {}

    const SherpaOnnxOfflinePunctuation* m_punctuation;
};

}  // namespace vocena
