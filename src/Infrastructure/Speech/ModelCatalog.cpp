#include "Infrastructure/Speech/ModelCatalog.h"

namespace vocena::ModelCatalog {

namespace {
// sherpa-onnx publishes its pre-trained models as release assets of the "asr-models" tag.
const QString kReleases = QStringLiteral("https://github.com/k2-fsa/sherpa-onnx/releases/download/asr-models/");

Entry entry(const char* name, const char* summary) {
    const QString text = QString::fromLatin1(name);
    return {text, kReleases + text + QStringLiteral(".tar.bz2"), {}, QString::fromUtf8(summary)};
}
}  // namespace

QString Entry::downloadSpec() const { return sha256.isEmpty() ? url : url + QStringLiteral("#sha256=") + sha256; }

const QList<Entry>& entries() {
    static const QList<Entry> list{
        entry("sherpa-onnx-streaming-zipformer-zh-int8-2025-06-30",
              "默认：流式中文 Zipformer 转录模型，int8，约 160 MB（AISHELL-1 测试集字错率 1.91%）"),
        entry("sherpa-onnx-streaming-zipformer-small-ctc-zh-int8-2025-04-01", "小模型：流式中文 Zipformer CTC，int8，约 25 MB，适合较慢的电脑"),
    };
    return list;
}

std::optional<Entry> find(const QString& name) {
    for (const Entry& candidate : entries())
        if (candidate.name == name) return candidate;
    return std::nullopt;
}

}  // namespace vocena::ModelCatalog
