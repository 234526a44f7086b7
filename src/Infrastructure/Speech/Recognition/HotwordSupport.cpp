#include "Infrastructure/Speech/Recognition/HotwordSupport.h"

#include "Infrastructure/Speech/Models/SpeechModel.h"

#include <QFileInfo>

namespace vocena {

HotwordSupport HotwordSupport::forModel(const SpeechModel& model) {
    HotwordSupport support;
    if (model.type != SpeechModelType::Transducer) {
        support.reason = QStringLiteral("%1 模型不支持热词，只有 transducer 模型支持").arg(SpeechModel::typeName(model.type));
        return support;
    }
    QString error;
    std::optional<ModelTokens> tokens = ModelTokens::read(model.filePath(QStringLiteral("tokens")), &error);
    if (!tokens) {
        support.reason = error;
        return support;
    }
    const QString bpeVocab = model.filePath(QString::fromLatin1(SpeechModel::kBpeVocabRole));
    if (!bpeVocab.isEmpty() && QFileInfo(bpeVocab).isFile()) support.bpeVocab = bpeVocab;
    support.modelingUnit = tokens->modelingUnit(!support.bpeVocab.isEmpty());
    if (!support.isSupported())
        support.reason = QStringLiteral("模型的词表不是汉字，也没有 bpe.vocab，无法把词汇写成热词");
    support.tokens = std::make_shared<const ModelTokens>(std::move(*tokens));
    return support;
}

}  // namespace vocena
