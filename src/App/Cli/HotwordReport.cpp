#include "App/Cli/HotwordReport.h"

#include "Infrastructure/Speech/Recognition/HotwordList.h"
#include "Infrastructure/Speech/Recognition/HotwordSupport.h"
#include "Infrastructure/Speech/Recognition/SherpaOnnxEngine.h"

namespace vocena::HotwordReport {

QStringList lines(const std::optional<SpeechModel>& model, const QList<VocabularyItem>& vocabulary, double score) {
    if (!model) return {QStringLiteral("热词: 未启用（没有可用的语音模型）")};
    const HotwordSupport support = HotwordSupport::forModel(*model);
    if (!support.isSupported()) return {QStringLiteral("热词: 未启用（%1）").arg(support.reason)};
    const QString scoreText = QString::number(score);
    if (score <= 0)
        return {QStringLiteral("热词: 已关闭（%1 为 %2）").arg(QString::fromLatin1(SherpaOnnxEngine::kHotwordScoreKey), scoreText)};
    const HotwordList list = HotwordList::build(vocabulary, *support.tokens, support.modelingUnit, score);
    QStringList lines{list.words.isEmpty()
                          ? QStringLiteral("热词: 已启用，但词汇表中没有可用的词（分数 %1）").arg(scoreText)
                          : QStringLiteral("热词: 已启用，%1 个词汇，分数 %2").arg(list.words.size()).arg(scoreText)};
    if (!list.skipped.isEmpty())
        lines << QStringLiteral("    %1 个词汇无法用模型的字表（%2）写成热词: %3")
                     .arg(list.skipped.size())
                     .arg(support.modelingUnit, list.skipped.join(u'、'));
    return lines;
}

}  // namespace vocena::HotwordReport
