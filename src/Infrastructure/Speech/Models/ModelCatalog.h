#pragma once

#include "Infrastructure/Speech/Models/SpeechModel.h"

#include <QList>
#include <QString>
#include <optional>

namespace vocena::ModelCatalog {

// A model the app offers to download by name (`vocena model install NAME`).
struct Entry {
    QString name;     // the archive's folder, which becomes the installed model's name
    QString url;      // a .tar.bz2 archive
    QString sha256;   // of the archive; empty when not published (the model is verified anyway)
    QString summary;  // one line for the listing
    ModelKind kind = ModelKind::speech;
    int megabytes = 0;  // about how large the model is, as published; 0 when unknown

    // The URL, on `mirror` when one is given (see mirrored()), with "#sha256=<hex>" when the
    // checksum is known: a mirror's file is held to the same checksum.
    QString downloadSpec(const QString& mirror = {}) const;
    // "约 350 MB"; empty when the size is unknown.
    QString sizeText() const;

    bool operator==(const Entry&) const = default;
};

inline constexpr const char* kPunctuationModel = "sherpa-onnx-punct-ct-transformer-zh-en-vocab272727-2024-04-12-int8";
inline constexpr const char* kFinalPassModel = "sherpa-onnx-zipformer-ctc-zh-int8-2025-07-03";

// The preference that names a mirror of the built-in downloads (empty: none).
inline constexpr const char* kMirrorKey = "com.vocena.models.mirror";

// Where `url` lies on `mirror`: the mirror takes the place of the URL's scheme and host, the
// path (and so the file name) stays. The built-in URLs are GitHub's, so
//   https://github.com/k2-fsa/sherpa-onnx/releases/download/asr-models/X.tar.bz2
// is, on the mirror "https://hub.nuaa.cf",
//   https://hub.nuaa.cf/k2-fsa/sherpa-onnx/releases/download/asr-models/X.tar.bz2
// and a proxy that wants the whole GitHub address after its own is given as
// "https://proxy.example/https://github.com". A mirror without a scheme is taken as https://;
// surrounding white space and trailing slashes do not count; an empty one leaves `url` as it is.
QString mirrored(const QString& url, const QString& mirror);

// The default first: the model a new user is pointed to.
const QList<Entry>& entries();
// The punctuation model offered beside the default speech model.
std::optional<Entry> punctuation();
// The non-streaming model of the final pass, offered after them.
std::optional<Entry> finalPass();
std::optional<Entry> find(const QString& name);

}  // namespace vocena::ModelCatalog
