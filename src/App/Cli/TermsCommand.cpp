#include "App/Cli/TermsCommand.h"

#include "App/CliServices.h"
#include "Terms/TermClassifier.h"
#include "Terms/TermFrequencyTracker.h"
#include "Support/TextUtils.h"
#include "Vocabulary/VocabularyStore.h"

#include <algorithm>

namespace vocena {

QString TermsCommand::usage() const {
    return QStringLiteral(
        "用法: vocena terms list\n"
        "      vocena terms accept TERM\n"
        "      vocena terms dismiss TERM\n"
        "\n"
        "list     每行一个词: 词<TAB>出现次数<TAB>分类（无分类为 -）；已忽略的词次数一栏为“已忽略”\n"
        "accept   把词加入词汇库（连同同音误识别变体），并清除它的计数\n"
        "dismiss  忽略该词：以后不再计数，也不再建议");
}

QList<CliForm> TermsCommand::forms() const {
    const QString term = QStringLiteral("TERM");
    return {{QStringLiteral("list")}, {QStringLiteral("accept"), {term}}, {QStringLiteral("dismiss"), {term}}};
}

QCoro::Task<int> TermsCommand::run(CliCall call, Console& console) {
    if (call.subcommand == QStringLiteral("list")) co_return list(console);
    const QString term = TextUtils::trimmed(call.parameters[0]);
    if (term.isEmpty()) co_return usageError(console, QStringLiteral("词不能为空"));
    warnAboutUnusableFiles(console);
    co_return call.subcommand == QStringLiteral("accept") ? accept(term, console) : dismiss(term, console);
}

int TermsCommand::list(Console& console) const {
    warnAboutUnusableFiles(console);
    TermFrequencyTracker& tracker = m_services.termTracker();
    QList<TermEntry> entries = tracker.entries();
    std::sort(entries.begin(), entries.end(), [](const TermEntry& a, const TermEntry& b) {
        return a.totalCount != b.totalCount ? a.totalCount > b.totalCount : a.term < b.term;
    });
    for (const TermEntry& entry : entries)
        console.out(QStringLiteral("%1\t%2\t%3").arg(entry.term, QString::number(entry.totalCount),
                                                      entry.autoCategory.value_or(QStringLiteral("-"))));
    QList<SuppressedEntry> suppressed = tracker.suppressedEntries();
    std::sort(suppressed.begin(), suppressed.end(),
              [](const SuppressedEntry& a, const SuppressedEntry& b) { return a.term < b.term; });
    for (const SuppressedEntry& entry : suppressed) console.out(QStringLiteral("%1\t已忽略\t-").arg(entry.term));
    return ExitOk;
}

int TermsCommand::accept(const QString& term, Console& console) {
    TermFrequencyTracker& tracker = m_services.termTracker();
    // The category the suggestion banner would carry: the one guessed when the term was first
    // counted, or the same guess now for a term that has no counts.
    const auto entry = tracker.entry(term);
    const std::optional<QString> category = entry ? entry->autoCategory : TermClassifier::classifyTerm(term);
    const bool added = tracker.addToVocabulary(term, category);
    if (m_services.vocabulary().hasUnsavedChanges()) {
        console.err(QStringLiteral("vocena terms: 无法保存词汇库（%1）").arg(term));
        return ExitFailure;
    }
    if (added)
        console.out(QStringLiteral("已加入词汇库: %1").arg(term));
    else
        console.out(QStringLiteral("词汇库中已有: %1（已清除它的计数）").arg(term));
    return ExitOk;
}

int TermsCommand::dismiss(const QString& term, Console& console) {
    if (!m_services.termTracker().suppressTerm(term)) {
        console.err(QStringLiteral("vocena terms: 无法保存忽略列表（%1）").arg(term));
        return ExitFailure;
    }
    console.out(QStringLiteral("已忽略: %1").arg(term));
    return ExitOk;
}

void TermsCommand::warnAboutUnusableFiles(Console& console) const {
    for (const QString& path : m_services.termTracker().unusableFiles())
        console.err(QStringLiteral("vocena terms: 文件无法读取（%1）；下次保存前会把它另存为 .corrupt 文件，不会覆盖。").arg(path));
}

}  // namespace vocena
