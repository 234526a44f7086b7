#include "App/VocabCommand.h"

#include "App/CliServices.h"
#include "Utils/TextUtils.h"
#include "Utils/VocabularyStore.h"

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

QCoro::Task<int> VocabCommand::run(QStringList args, Console& console) {
    if (wantsHelp(args)) co_return usageResult(console);
    const QString sub = args.value(0);
    if (sub == QStringLiteral("list") && args.size() == 1) co_return list(console);
    if (sub == QStringLiteral("add") && args.size() >= 2) co_return add(args.mid(1), console);
    if (sub == QStringLiteral("remove") && args.size() == 2) co_return remove(args[1], console);
    if (sub == QStringLiteral("import") && args.size() == 2) co_return import(args[1], console);
    co_return usageResult(console, sub.isEmpty() ? QStringLiteral("缺少子命令") : QStringLiteral("参数无效: %1").arg(args.join(QLatin1Char(' '))));
}

int VocabCommand::list(Console& console) const {
    warnIfFileWasUnreadable(console);
    for (const VocabularyItem& item : m_services.vocabulary().items()) console.out(item.describe());
    return ExitOk;
}

int VocabCommand::add(const QStringList& args, Console& console) {
    QString word;
    std::optional<QStringList> variants;
    std::optional<QString> category;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& arg = args[i];
        if ((arg == QStringLiteral("--variants") || arg == QStringLiteral("--category")) && i + 1 < args.size()) {
            const QString value = args[++i];
            if (arg == QStringLiteral("--category")) {
                if (!TextUtils::trimmed(value).isEmpty()) category = TextUtils::trimmed(value);
                continue;
            }
            QStringList pieces;
            for (const QString& piece : value.split(QLatin1Char(',')))
                if (!TextUtils::trimmed(piece).isEmpty()) pieces << TextUtils::trimmed(piece);
            if (!pieces.isEmpty()) variants = pieces;
        } else if (arg.startsWith(QLatin1String("--")) || !word.isNull()) {
            return usageResult(console, QStringLiteral("参数无效: %1").arg(arg));
        } else {
            word = arg;
        }
    }
    if (TextUtils::trimmed(word).isEmpty()) return usageResult(console, QStringLiteral("词汇不能为空"));
    warnIfFileWasUnreadable(console);
    if (!m_services.vocabulary().add(word, variants, category)) {
        console.err(QStringLiteral("vocena vocab: 词汇已存在: %1").arg(TextUtils::trimmed(word)));
        return ExitFailure;
    }
    console.out(QStringLiteral("已添加: %1").arg(TextUtils::trimmed(word)));
    return ExitOk;
}

int VocabCommand::remove(const QString& word, Console& console) {
    warnIfFileWasUnreadable(console);
    for (const VocabularyItem& item : m_services.vocabulary().items()) {
        if (item.word == word) {
            m_services.vocabulary().remove(item.id);
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
    console.out(QString::number(m_services.vocabulary().importFromCSV(path)));
    return ExitOk;
}

void VocabCommand::warnIfFileWasUnreadable(Console& console) const {
    if (m_services.vocabulary().loadFailed())
        console.err(QStringLiteral("vocena vocab: 词汇库文件无法读取（%1）；下次保存前会把它另存为 .corrupt 文件，不会覆盖。")
                        .arg(m_services.vocabulary().filePath()));
}

}  // namespace vocena
