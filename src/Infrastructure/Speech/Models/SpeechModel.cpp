#include "Infrastructure/Speech/Models/SpeechModel.h"

#include "Infrastructure/Platform/SafeFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>

namespace vocena {

namespace {
struct TypeInfo {
    SpeechModelType type;
    const char* name;
    QStringList roles;
};

const QList<TypeInfo>& typeTable() {
    static const QList<TypeInfo> table{
        {SpeechModelType::Transducer, "transducer", {"encoder", "decoder", "joiner", "tokens"}},
        {SpeechModelType::Paraformer, "paraformer", {"encoder", "decoder", "tokens"}},
        {SpeechModelType::Zipformer2Ctc, "zipformer2-ctc", {"model", "tokens"}},
        {SpeechModelType::ToneCtc, "t-one-ctc", {"model", "tokens"}},
        // The vocabulary is in the model's metadata: no tokens file.
        {SpeechModelType::CtTransformerPunctuation, "ct-transformer-punctuation", {"model"}},
        // Non-streaming: one model file over a whole segment of speech.
        {SpeechModelType::OfflineZipformerCtc, "offline-zipformer-ctc", {"model", "tokens"}},
        {SpeechModelType::OfflineParaformer, "offline-paraformer", {"model", "tokens"}},
        {SpeechModelType::SenseVoice, "sense-voice", {"model", "tokens"}},
    };
    return table;
}

const TypeInfo& info(SpeechModelType type) {
    for (const TypeInfo& entry : typeTable())
        if (entry.type == type) return entry;
    return typeTable().first();
}

QJsonObject toObject(const QMap<QString, QString>& map) {
    QJsonObject object;
    for (auto it = map.begin(); it != map.end(); ++it) object.insert(it.key(), it.value());
    return object;
}

// A flat object of strings; nothing when any value is not a string.
std::optional<QMap<QString, QString>> toMap(const QJsonValue& value) {
    if (!value.isObject()) return std::nullopt;
    QMap<QString, QString> map;
    const QJsonObject object = value.toObject();
    for (auto it = object.begin(); it != object.end(); ++it) {
        if (!it.value().isString()) return std::nullopt;
        map.insert(it.key(), it.value().toString());
    }
    return map;
}

// A manifest names plain files in its own folder, never a path out of it.
bool isPlainFileName(const QString& name) {
    return !name.isEmpty() && !name.contains(QLatin1Char('/')) && name != QStringLiteral(".") && name != QStringLiteral("..");
}
}  // namespace

QString SpeechModel::typeName(SpeechModelType type) { return QString::fromLatin1(info(type).name); }

std::optional<SpeechModelType> SpeechModel::typeFromName(const QString& name) {
    for (const TypeInfo& entry : typeTable())
        if (name == QLatin1String(entry.name)) return entry.type;
    return std::nullopt;
}

QStringList SpeechModel::typeNames() {
    QStringList names;
    for (const TypeInfo& entry : typeTable()) names << QString::fromLatin1(entry.name);
    return names;
}

ModelKind SpeechModel::kindOf(SpeechModelType type) {
    switch (type) {
    case SpeechModelType::CtTransformerPunctuation: return ModelKind::punctuation;
    case SpeechModelType::OfflineZipformerCtc:
    case SpeechModelType::OfflineParaformer:
    case SpeechModelType::SenseVoice: return ModelKind::finalPass;
    default: return ModelKind::speech;
    }
}

QString SpeechModel::kindName(ModelKind kind) {
    switch (kind) {
    case ModelKind::punctuation: return QStringLiteral("标点");
    case ModelKind::finalPass: return QStringLiteral("整句识别");
    case ModelKind::speech: break;
    }
    return QStringLiteral("语音识别");
}

QStringList SpeechModel::requiredRoles(SpeechModelType type) { return info(type).roles; }

QString SpeechModel::filePath(const QString& role) const {
    const QString file = files.value(role);
    return file.isEmpty() ? QString() : QDir(directory).filePath(file);
}

QString SpeechModel::missingFile() const {
    for (const QString& role : requiredRoles(type)) {
        const QString path = filePath(role);
        if (path.isEmpty() || !QFileInfo(path).isFile()) return path.isEmpty() ? role : path;
    }
    return {};
}

QString SpeechModel::loadProblem(ModelKind wanted) const {
    if (kind() != wanted) return QStringLiteral("%1 不是%2模型").arg(name, kindName(wanted));
    if (const QString missing = missingFile(); !missing.isEmpty()) return QStringLiteral("模型文件不存在: %1").arg(missing);
    return {};
}

QString SpeechModel::missingRoles() const {
    QStringList missing;
    for (const QString& role : requiredRoles(type))
        if (files.value(role).isEmpty()) missing << role;
    return missing.join(QStringLiteral(", "));
}

QJsonObject SpeechModel::toJson() const {
    return QJsonObject{{QStringLiteral("name"), name},
                       {QStringLiteral("type"), typeName(type)},
                       {QStringLiteral("files"), toObject(files)},
                       {QStringLiteral("sha256"), toObject(sha256)},
                       {QStringLiteral("verified"), verified},
                       {QStringLiteral("source"), source}};
}

std::optional<SpeechModel> SpeechModel::fromJson(const QJsonObject& json, const QString& directory, QString* error) {
    SpeechModel model;
    model.directory = directory;
    model.name = json.value(QStringLiteral("name")).toString();
    const auto type = typeFromName(json.value(QStringLiteral("type")).toString());
    const auto files = toMap(json.value(QStringLiteral("files")));
    const auto sums = toMap(json.value(QStringLiteral("sha256")));
    QString problem;
    if (model.name.isEmpty()) problem = QStringLiteral("缺少名称");
    else if (!type) problem = QStringLiteral("未知的模型类型: %1").arg(json.value(QStringLiteral("type")).toString());
    else if (!files || !sums) problem = QStringLiteral("文件列表无效");
    if (problem.isEmpty()) {
        model.type = *type;
        model.files = *files;
        model.sha256 = *sums;
        for (const QString& file : model.files)
            if (!isPlainFileName(file)) problem = QStringLiteral("文件名无效: %1").arg(file);
        if (problem.isEmpty() && !model.missingRoles().isEmpty())
            problem = QStringLiteral("缺少文件: %1").arg(model.missingRoles());
    }
    if (!problem.isEmpty()) {
        if (error) *error = problem;
        return std::nullopt;
    }
    model.verified = json.value(QStringLiteral("verified")).toBool(false);
    model.source = json.value(QStringLiteral("source")).toString();
    return model;
}

std::optional<SpeechModel> SpeechModel::load(const QString& directory, QString* error) {
    QFile file(QDir(directory).filePath(QString::fromLatin1(kManifestName)));
    if (!file.open(QIODevice::ReadOnly)) {
        if (error) *error = QStringLiteral("无法读取 %1: %2").arg(file.fileName(), file.errorString());
        return std::nullopt;
    }
    QJsonParseError parseError{};
    const QJsonDocument document = QJsonDocument::fromJson(file.readAll(), &parseError);
    if (parseError.error != QJsonParseError::NoError || !document.isObject()) {
        if (error) *error = QStringLiteral("%1 不是有效的 JSON").arg(file.fileName());
        return std::nullopt;
    }
    return fromJson(document.object(), directory, error);
}

QString SpeechModel::save() const {
    return SafeFile::writeAtomically(QDir(directory).filePath(QString::fromLatin1(kManifestName)),
                                     QJsonDocument(toJson()).toJson(QJsonDocument::Indented));
}

}  // namespace vocena
