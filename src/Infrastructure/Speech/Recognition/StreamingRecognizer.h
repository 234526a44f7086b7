#pragma once

#include "Vocabulary/VocabularyItem.h"

#include <QList>
#include <QString>
#include <optional>

namespace vocena {

// The words to favour in one recognition stream, and by how much (see HotwordList).
struct StreamHotwords {
    QList<VocabularyItem> vocabulary;
    double score = 0;  // 0 or less: none
};

// What the decoding thread drives (SpeechDecodeWorker): a recognizer with at most one open
// stream, fed audio and decoded as it comes, its text read after each decode. Not thread-safe:
// used from one thread at a time.
class StreamingRecognizer {
public:
    using Hotwords = StreamHotwords;

    virtual ~StreamingRecognizer() = default;

    // Opens a new stream, closing the one before, with `hotwords` when the model takes them.
    virtual bool beginStream(QString* error, const Hotwords& hotwords = {}) = 0;
    virtual void endStream() = 0;
    // 16 kHz mono samples in [-1, 1].
    virtual bool acceptAudio(const float* samples, int frames, QString* error) = 0;
    // No more audio: what is left is decoded with the end of input.
    virtual bool finishInput(QString* error) = 0;
    virtual bool decode(QString* error) = 0;
    // The text so far; nothing on a library error.
    virtual std::optional<QString> text(QString* error) = 0;
    // Why the recognizer takes no hotwords; empty when it does.
    virtual QString hotwordsUnavailableReason() const = 0;
};

}  // namespace vocena
