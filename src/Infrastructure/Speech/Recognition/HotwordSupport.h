#pragma once

#include "Infrastructure/Speech/Models/ModelTokens.h"

#include <QString>
#include <memory>

namespace vocena {

class SpeechModel;

// Whether a model can take hotwords, and how: only transducers decode with beam search, which
// is what applies them; the modelling unit comes from its tokens (and its bpe.vocab, when the
// model has one).
struct HotwordSupport {
    QString modelingUnit;  // empty when the model takes no hotwords
    QString bpeVocab;      // the model's bpe.vocab, or empty
    std::shared_ptr<const ModelTokens> tokens;
    QString reason;  // why not, when the model takes none

    bool isSupported() const { return !modelingUnit.isEmpty(); }
    // Reads the model's tokens.txt.
    static HotwordSupport forModel(const SpeechModel& model);
};

}  // namespace vocena
