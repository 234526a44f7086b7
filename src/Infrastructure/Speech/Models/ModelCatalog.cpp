#include "Infrastructure/Speech/Models/ModelCatalog.h"

#include <QUrl>

namespace vocena::ModelCatalog {

namespace {
// sherpa-onnx publishes its pre-trained models as release assets, the speech models under the
// "asr-models" tag and the punctuation models under "punctuation-models".
const QString kReleases = QStringLiteral("https://github.com/k2-fsa/sherpa-onnx/releases/download/");

// `summary` has "%1" where the size goes, so that the line and the size the guide shows agree.
Entry entry(const char* name, int megabytes, const char* summary, const char* tag = "asr-models", ModelKind kind = ModelKind::speech) {
    const QString text = QString::fromLatin1(name);
    return {text, kReleases + QLatin1String(tag) + QLatin1Char('/') + text + QStringLiteral(".tar.bz2"), {},
            QString::fromUtf8(summary).arg(megabytes), kind, megabytes};
}
}  // namespace

QString mirrored(const QString& url, const QString& mirror) {
    QString base = mirror.trimmed();
    while (base.endsWith(QLatin1Char('/'))) base.chop(1);
    if (base.isEmpty()) return url;
    if (!base.startsWith(QStringLiteral("http://"), Qt::CaseInsensitive) && !base.startsWith(QStringLiteral("https://"), Qt::CaseInsensitive))
        base.prepend(QStringLiteral("https://"));
    const QUrl address(url);
    return base + address.path(QUrl::FullyEncoded) + (address.hasQuery() ? QLatin1Char('?') + address.query(QUrl::FullyEncoded) : QString());
}

QString Entry::downloadSpec(const QString& mirror) const {
    const QString address = mirrored(url, mirror);
    return sha256.isEmpty() ? address : address + QStringLiteral("#sha256=") + sha256;
}

QString Entry::sizeText() const { return megabytes > 0 ? QStringLiteral("约 %1 MB").arg(megabytes) : QString(); }

const QList<Entry>& entries() {
    // The sizes are those of the unpacked model files as sherpa-onnx's pages list them; the error
    // rates are the published character error rates.
    static const QList<Entry> list{
        entry("sherpa-onnx-streaming-zipformer-zh-int8-2025-06-30", 160,
              "默认：流式中文 Zipformer 转录模型，int8，约 %1 MB（AISHELL-1 测试集字错率 1.91%）"),
        entry("sherpa-onnx-streaming-zipformer-small-ctc-zh-int8-2025-04-01", 25, "小模型：流式中文 Zipformer CTC，int8，约 %1 MB，适合较慢的电脑"),
        entry(kFinalPassModel, 350,
              "整句识别：非流式中文 Zipformer CTC，int8，约 %1 MB（输入的文字更准确，WenetSpeech test_net 字错率 5.92%，流式默认模型 8.54%）",
              "asr-models", ModelKind::finalPass),
        entry(kPunctuationModel, 65, "标点：为识别结果加上逗号、句号和问号（中英文 CT-Transformer，int8，约 %1 MB）", "punctuation-models",
              ModelKind::punctuation),
    };
    return list;
}

std::optional<Entry> punctuation() { return find(QString::fromLatin1(kPunctuationModel)); }

std::optional<Entry> finalPass() { return find(QString::fromLatin1(kFinalPassModel)); }

std::optional<Entry> find(const QString& name) {
    for (const Entry& candidate : entries())
        if (candidate.name == name) return candidate;
    return std::nullopt;
}

}  // namespace vocena::ModelCatalog
