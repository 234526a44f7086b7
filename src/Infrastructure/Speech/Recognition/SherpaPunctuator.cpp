#include "Infrastructure/Speech/Recognition/SherpaPunctuator.h"

#include "Infrastructure/Speech/Recognition/SherpaCall.h"
#include "Infrastructure/Speech/Models/SpeechModel.h"

#include <sherpa-onnx/c-api/c-api.h>

#include <QFile>
#include <QFileInfo>

namespace vocena {

namespace {

// The text without punctuation and spaces: what a punctuator must leave as it was.
QString words(const QString& text) {
    QString out;
    out.reserve(text.size());
    for (const QChar c : text)
        if (!c.isPunct() && !c.isSpace()) out += c;
    return out;
}

}  // namespace

std::unique_ptr<SherpaPunctuator> SherpaPunctuator::create(const SpeechModel& model, QString* error) {
    const QString path = model.filePath(QStringLiteral("model"));
    if (model.kind() != ModelKind::punctuation || path.isEmpty() || !QFileInfo(path).isFile()) {
        if (error) *error = QStringLiteral("标点模型文件不存在: %1").arg(path.isEmpty() ? model.name : path);
        return nullptr;
    }
    const QByteArray file = QFile::encodeName(path);  // the config points into it until creation
    SherpaOnnxOfflinePunctuationConfig config{};
    config.model.ct_transformer = file.constData();
    config.model.num_threads = 1;
    config.model.provider = "cpu";
    const SherpaOnnxOfflinePunctuation* punctuation = nullptr;
    if (!guardedSherpaCall("加载标点模型", error, [&] { punctuation = SherpaOnnxCreateOfflinePunctuation(&config); })) return nullptr;
    if (!punctuation) {
        if (error) *error = QStringLiteral("语音识别库拒绝了标点模型 %1").arg(model.directory);
        return nullptr;
    }
    return std::unique_ptr<SherpaPunctuator>(new SherpaPunctuator(punctuation));
}

SherpaPunctuator::~SherpaPunctuator() {
    guardedSherpaCall("释放标点模型", nullptr, [this] { SherpaOnnxDestroyOfflinePunctuation(m_punctuation); });
}

std::optional<QString> SherpaPunctuator::punctuate(const QString& text, QString* error) const {
    if (text.trimmed().isEmpty()) return text;
    const QByteArray input = text.toUtf8();
    QString output;
    const bool ok = guardedSherpaCall("添加标点", error, [&] {
        const char* result = SherpaOfflinePunctuationAddPunct(m_punctuation, input.constData());
        if (!result) return;
        output = QString::fromUtf8(result);
        SherpaOfflinePunctuationFreeText(result);
    });
    if (!ok) return std::nullopt;
    if (!keepsWords(text, output)) {
        if (error) *error = QStringLiteral("标点结果与原文不符，已丢弃");
        return std::nullopt;
    }
    return output;
}

bool SherpaPunctuator::keepsWords(const QString& original, const QString& punctuated) {
    return words(original).compare(words(punctuated), Qt::CaseInsensitive) == 0;
}

}  // namespace vocena
