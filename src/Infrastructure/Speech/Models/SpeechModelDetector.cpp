#include "Infrastructure/Speech/Models/SpeechModelDetector.h"

#include "Infrastructure/Speech/Models/OnnxMetadata.h"

#include <QDir>
#include <QFileInfo>

namespace vocena::SpeechModelDetector {

namespace {

const QString kTokens = QStringLiteral("tokens.txt");

// The folder that holds the files: `directory`, or its only sub-folder when it has no model.
QString modelFolder(const QString& directory) {
    const QDir dir(directory);
    if (!dir.entryList({QStringLiteral("*.onnx")}, QDir::Files).isEmpty() || dir.exists(kTokens)) return dir.absolutePath();
    const QStringList subfolders = dir.entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    return subfolders.size() == 1 ? dir.absoluteFilePath(subfolders.first()) : dir.absolutePath();
}

// The ONNX file whose name contains `keyword` (all of them for an empty one), the int8 one first.
QString pick(const QStringList& onnxFiles, const QString& keyword) {
    QString best;
    for (const QString& file : onnxFiles) {
        if (!keyword.isEmpty() && !file.contains(keyword, Qt::CaseInsensitive)) continue;
        const bool int8 = file.contains(QStringLiteral(".int8."), Qt::CaseInsensitive);
        const bool bestInt8 = best.contains(QStringLiteral(".int8."), Qt::CaseInsensitive);
        if (best.isEmpty() || (int8 && !bestInt8)) best = file;
    }
    return best;
}

SpeechModelType guessType(const QString& folder, const QMap<QString, QString>& roles) {
    if (!roles.value(QStringLiteral("joiner")).isEmpty()) return SpeechModelType::Transducer;
    if (!roles.value(QStringLiteral("encoder")).isEmpty() && !roles.value(QStringLiteral("decoder")).isEmpty())
        return SpeechModelType::Paraformer;
    const QString file = QDir(folder).filePath(roles.value(QStringLiteral("model")));
    const QMap<QString, QString> metadata = OnnxMetadata::read(file);
    if (metadata.value(QStringLiteral("model_type")) == QStringLiteral("t-one")) return SpeechModelType::ToneCtc;
    // Frames stacked by low frame rate: a non-streaming paraformer, or SenseVoice with its
    // language and text-normalisation entries.
    if (metadata.contains(QStringLiteral("lfr_window_size")))
        return metadata.contains(QStringLiteral("with_itn")) ? SpeechModelType::SenseVoice : SpeechModelType::OfflineParaformer;
    // A streaming model carries its state from chunk to chunk in inputs of its own ("cached_…",
    // "states", …); a non-streaming CTC model takes the features and their lengths alone.
    const QStringList inputs = OnnxMetadata::inputNames(file);
    if (inputs == QStringList{QStringLiteral("x"), QStringLiteral("x_lens")}) return SpeechModelType::OfflineZipformerCtc;
    return SpeechModelType::Zipformer2Ctc;
}

// A CT-Transformer punctuation model carries its vocabulary and its marks in the metadata.
bool isPunctuationModel(const QString& folder, const QStringList& onnxFiles, std::optional<SpeechModelType> type) {
    if (type) return *type == SpeechModelType::CtTransformerPunctuation;
    return OnnxMetadata::read(QDir(folder).filePath(pick(onnxFiles, QString()))).contains(QStringLiteral("punctuations"));
}

}  // namespace

std::optional<SpeechModel> detect(const QString& directory, std::optional<SpeechModelType> type, QString* error) {
    auto fail = [error](const QString& reason) {
        if (error) *error = reason;
        return std::nullopt;
    };
    if (!QFileInfo(directory).isDir()) return fail(QStringLiteral("不是文件夹: %1").arg(directory));
    const QString folder = modelFolder(directory);
    const QDir dir(folder);
    const QStringList onnxFiles = dir.entryList({QStringLiteral("*.onnx")}, QDir::Files, QDir::Name);
    if (onnxFiles.isEmpty()) return fail(QStringLiteral("%1 中没有 .onnx 模型文件").arg(folder));
    if (isPunctuationModel(folder, onnxFiles, type)) {
        SpeechModel model;
        model.name = dir.dirName();
        model.directory = folder;
        model.type = SpeechModelType::CtTransformerPunctuation;
        model.files.insert(QStringLiteral("model"), pick(onnxFiles, QString()));
        return model;
    }
    if (!dir.exists(kTokens)) return fail(QStringLiteral("%1 中没有 tokens.txt").arg(folder));

    QMap<QString, QString> roles;
    for (const QString& role : {QStringLiteral("encoder"), QStringLiteral("decoder"), QStringLiteral("joiner")}) {
        const QString file = pick(onnxFiles, role);
        if (!file.isEmpty()) roles.insert(role, file);
    }
    roles.insert(QStringLiteral("model"), pick(onnxFiles, roles.isEmpty() ? QString() : QStringLiteral("model")));
    roles.insert(QStringLiteral("tokens"), kTokens);

    SpeechModel model;
    model.name = dir.dirName();
    model.directory = folder;
    model.type = type ? *type : guessType(folder, roles);
    for (const QString& role : SpeechModel::requiredRoles(model.type))
        if (!roles.value(role).isEmpty()) model.files.insert(role, roles.value(role));
    if (model.type == SpeechModelType::Transducer && dir.exists(QStringLiteral("bpe.vocab")))
        model.files.insert(QString::fromLatin1(SpeechModel::kBpeVocabRole), QStringLiteral("bpe.vocab"));
    if (!model.missingRoles().isEmpty())
        return fail(QStringLiteral("%1 不像 %2 模型（缺少 %3）；请用 --type 指定类型")
                        .arg(folder, SpeechModel::typeName(model.type), model.missingRoles()));
    return model;
}

}  // namespace vocena::SpeechModelDetector
