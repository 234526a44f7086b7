#include "Infrastructure/Speech/ModelCatalog.h"

namespace vocena::ModelCatalog {

namespace {
// sherpa-onnx publishes its pre-trained models as release assets, the speech models under the
// "asr-models" tag and the punctuation models under "punctuation-models".
const QString kReleases = QStringLiteral("https://github.com/k2-fsa/sherpa-onnx/releases/download/");

Entry entry(const char* name, const char* summary, const char* tag = "asr-models", ModelKind kind = ModelKind::speech) {
    const QString text = QString::fromLatin1(name);
    return {text, kReleases + QLatin1String(tag) + QLatin1Char('/') + text + QStringLiteral(".tar.bz2"), {}, QString::fromUtf8(summary), kind};
}
}  // namespace

QString Entry::downloadSpec() const { return sha256.isEmpty() ? url : url + QStringLiteral("#sha256=") + sha256; }

const QList<Entry>& entries() {
    static const QList<Entry> list{
        entry("sherpa-onnx-streaming-zipformer-zh-int8-2025-06-30",
              "默认：流式中文 Zipformer 转录模型，int8，约 160 MB（AISHELL-1 测试集字错率 1.91%）"),
        entry("sherpa-onnx-streaming-zipformer-small-ctc-zh-int8-2025-04-01", "小模型：流式中文 Zipformer CTC，int8，约 25 MB，适合较慢的电脑"),
        entry(kPunctuationModel, "标点：为识别结果加上逗号、句号和问号（中英文 CT-Transformer，int8，约 65 MB）", "punctuation-models",
              ModelKind::punctuation),
    };
    return list;
}

std::optional<Entry> punctuation() { return find(QString::fromLatin1(kPunctuationModel)); }

std::optional<Entry> find(const QString& name) {
    for (const Entry& candidate : entries())
        if (candidate.name == name) return candidate;
    return std::nullopt;
}

}  // namespace vocena::ModelCatalog
