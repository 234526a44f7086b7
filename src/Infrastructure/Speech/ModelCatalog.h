#pragma once

#include "Infrastructure/Speech/SpeechModel.h"

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

    // The URL with "#sha256=<hex>" when the checksum is known.
    QString downloadSpec() const;

    bool operator==(const Entry&) const = default;
};

inline constexpr const char* kPunctuationModel = "sherpa-onnx-punct-ct-transformer-zh-en-vocab272727-2024-04-12-int8";

// The default first: the model a new user is pointed to.
const QList<Entry>& entries();
// The punctuation model offered beside the default speech model.
std::optional<Entry> punctuation();
std::optional<Entry> find(const QString& name);

}  // namespace vocena::ModelCatalog
