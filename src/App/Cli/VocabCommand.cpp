#include "App/Cli/VocabCommand.h"

#include "App/CliServices.h"
#include "Support/TextUtils.h"
#include "Vocabulary/VocabularyStore.h"

#include <QFile>
#include <QFileInfo>

namespace vocena {

QString VocabCommand::usage() const {
    return QStringLiteral(
        "用法: vocena vocab list\n"
        "      vocena vocab add WORD [--variants A,B] [--category C]\n"
        "      vocena vocab remove WORD\n"
        "      vocena vocab import FILE.csv\n"
        "\n"
        "CSV 文件第一行是表头（不导入）；第 1 列为词汇，第 3 列为分类，第 5 列为误识别变体（用“、”分隔）。");
}

QList<CliForm> VocabCommand::forms() const {
    const QString word = QStringLiteral("WORD");
    return {{QStringLiteral("list")},
            {QStringLiteral("add"), {word}, {{QStringLiteral("variants"), QStringLiteral("A,B")}, {QStringLiteral("category"), QStringLiteral("C")}}},
            {QStringLiteral("remove"), {word}},
            {QStringLiteral("import"), {QStringLiteral("FILE.csv")}}};
}

QCoro::Task<int> VocabCommand::run(CliCall call, Console& console) {
    if (call.subcommand == QStringLiteral("add")) co_return add(call, console);
    if (call.subcommand == QStringLiteral("remove")) co_return remove(call.parameters[0], console);
    if (call.subcommand == QStringLiteral("import")) co_return import(call.parameters[0], console);
    co_return list(console);
}

int VocabCommand::list(Console& console) const {
    warnIfFileWasUnreadable(console);
    for (const VocabularyItem& item : m_services.vocabulary().items()) console.out(item.describe());
    return ExitOk;
}

int VocabCommand::add(const CliCall& call, Console& console) {
    const QString word = call.parameters[0];
    std::optional<QStringList> variants;
    std::optional<QString> category;
    const QString categoryName = TextUtils::trimmed(call.value(QStringLiteral("category")));
    if (!categoryName.isEmpty()) category = categoryName;
    QStringList pieces;
    for (const QString& piece : call.value(QStringLiteral("variants")).split(QLatin1Char(',')))
        if (!TextUtils::trimmed(piece).isEmpty()) pieces << TextUtils::trimmed(piece);
    if (!pieces.isEmpty()) variants = pieces;
    if (TextUtils::trimmed(word).isEmpty()) return usageError(console, QStringLiteral("词汇不能为空"));
    warnIfFileWasUnreadable(console);
    if (!m_services.vocabulary().add(word, variants, category)) {
        console.err(QStringLiteral("vocena vocab: 词汇已存在: %1").arg(TextUtils::trimmed(word)));
        return ExitFailure;
    }
    if (m_services.vocabulary().hasUnsavedChanges()) return unsaved(console);
    console.out(QStringLiteral("已添加: %1").arg(TextUtils::trimmed(word)));
    return ExitOk;
}

int VocabCommand::remove(const QString& word, Console& console) {
    warnIfFileWasUnreadable(console);
    for (const VocabularyItem& item : m_services.vocabulary().items()) {
        if (item.word == word) {
            m_services.vocabulary().remove(item.id);
            if (m_services.vocabulary().hasUnsavedChanges()) return unsaved(console);
            console.out(QStringLiteral("已删除: %1").arg(word));
            return ExitOk;
        }
    }
    console.err(QStringLiteral("vocena vocab: 词汇库中没有: %1").arg(word));
    return ExitFailure;
}

int VocabCommand::import(const QString& path, Console& console) {
    QFile file(path);
    if (!QFileInfo(path).isFile() || !file.open(QIODevice::ReadOnly)) {
        console.err(QStringLiteral("vocena vocab: 无法读取文件: %1").arg(path));
        return ExitFailure;
    }
    file.close();
    warnIfFileWasUnreadable(console);
    const int added = m_services.vocabulary().importFromCSV(path);
    if (m_services.vocabulary().hasUnsavedChanges()) return unsaved(console);
    console.out(QString::number(added));
    return ExitOk;
}

int VocabCommand::unsaved(Console& console) const {
    console.err(QStringLiteral("vocena vocab: 无法保存词汇库（%1），改动没有写入").arg(m_services.vocabulary().filePath()));
    return ExitFailure;
}

void VocabCommand::warnIfFileWasUnreadable(Console& console) const {
    if (m_services.vocabulary().loadFailed())
        console.err(QStringLiteral("vocena vocab: 词汇库文件无法读取（%1）；下次保存前会把它另存为 .corrupt 文件，不会覆盖。")
                        .arg(m_services.vocabulary().filePath()));
}

}  // namespace vocena
