#pragma once

#include "Infrastructure/Speech/Models/SpeechModel.h"

#include <optional>

namespace vocena::SpeechModelDetector {

// Finds a streaming model in a folder as sherpa-onnx's releases lay it out: "tokens.txt" and
// the ONNX files, directly in `directory` or in its only sub-folder (an unpacked archive).
// A joiner makes a transducer, an encoder and decoder without one a paraformer, a single model
// a T-One CTC model when its metadata says model_type "t-one" and a Zipformer2 CTC model
// otherwise. A single model whose metadata lists "punctuations" is a CT-Transformer punctuation
// model, which needs no tokens file. Where both exist, the int8 file of a role is taken. With `type` given, only the
// roles are looked up. The result has no checksums yet and is named after its folder.
std::optional<SpeechModel> detect(const QString& directory, std::optional<SpeechModelType> type, QString* error);

}  // namespace vocena::SpeechModelDetector
