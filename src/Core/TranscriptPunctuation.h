#pragma once

#include <QCoro/QCoroTask>
#include <QString>

namespace vocena {

// What punctuates a finished transcript for the dictation controller: called once per
// transcript that is not a voice command, on the main thread; the work itself runs elsewhere.
class TranscriptPunctuation {
public:
    virtual ~TranscriptPunctuation() = default;
    // The transcript with punctuation; `text` as it was when punctuation is switched off, no
    // model is installed, or punctuating fails.
    virtual QCoro::Task<QString> punctuate(QString text) = 0;
};

}  // namespace vocena
