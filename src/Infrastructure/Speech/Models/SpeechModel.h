#pragma once

#include <QJsonObject>
#include <QMap>
#include <QString>
#include <QStringList>
#include <optional>

namespace vocena {

// The model families of sherpa-onnx that the app can run: the streaming speech models, the
// non-streaming ones that recognise a finished segment of speech at once, and the
// CT-Transformer that punctuates a finished transcript.
enum class SpeechModelType {
    Transducer,
    Paraformer,
    Zipformer2Ctc,
    ToneCtc,
    CtTransformerPunctuation,
    OfflineZipformerCtc,
    OfflineParaformer,
    SenseVoice,
};

// What a model is for: recognising speech as it is spoken (streaming), recognising a finished
// segment of speech (non-streaming, the final pass), or punctuating the text recognised.
enum class ModelKind { speech, finalPass, punctuation };

// One model in a folder (a speech model or a punctuation model): its family, which file plays which role (encoder, decoder,
// joiner, model, tokens) and, once installed, the SHA-256 of every file and whether it passed
// verification. Installed models describe themselves in "<folder>/manifest.json":
//
//   {"name": "...", "type": "t-one-ctc", "files": {"model": "model.onnx", "tokens": "tokens.txt"},
//    "sha256": {"model.onnx": "<hex>", "tokens.txt": "<hex>"}, "verified": true, "source": "..."}
class SpeechModel {
public:
    static constexpr const char* kManifestName = "manifest.json";
    // An optional file of transducers: the word-piece vocabulary that hotwords with Latin
    // letters are encoded with.
    static constexpr const char* kBpeVocabRole = "bpeVocab";

    QString name;
    QString directory;  // absolute; not stored in the manifest
    SpeechModelType type = SpeechModelType::ToneCtc;
    QMap<QString, QString> files;    // role -> file name inside `directory`
    QMap<QString, QString> sha256;   // file name -> lower-case hex digest
    bool verified = false;
    QString source;  // where it was installed from (path or URL), for the listing

    static QString typeName(SpeechModelType type);  // "transducer", "paraformer", ...
    static std::optional<SpeechModelType> typeFromName(const QString& name);
    static QStringList typeNames();
    static ModelKind kindOf(SpeechModelType type);
    // "语音识别", "整句识别" or "标点".
    static QString kindName(ModelKind kind);
    ModelKind kind() const { return kindOf(type); }
    // The roles a family needs, tokens included.
    static QStringList requiredRoles(SpeechModelType type);

    QString filePath(const QString& role) const;
    // Empty when every required role names a file; else what is missing.
    QString missingRoles() const;
    // Empty when the file of every required role exists; else the first path (or role) missing.
    QString missingFile() const;
    // Why a recognizer of `kind` cannot load this model ("X 不是整句识别模型", "模型文件不存在: …");
    // empty when it can try.
    QString loadProblem(ModelKind kind) const;

    QJsonObject toJson() const;
    // Reads a manifest; nothing (with `error`) when it is not one this version understands.
    static std::optional<SpeechModel> fromJson(const QJsonObject& json, const QString& directory, QString* error);

    // Reads "<directory>/manifest.json"; nothing (with `error`) when absent or unreadable.
    static std::optional<SpeechModel> load(const QString& directory, QString* error);
    // Writes the manifest atomically. Empty string on success, else the reason.
    QString save() const;
};

}  // namespace vocena
