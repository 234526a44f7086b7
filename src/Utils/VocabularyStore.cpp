#include "Utils/VocabularyStore.h"

#include "Infrastructure/Platform/AppPaths.h"
#include "Infrastructure/Platform/Clock.h"
#include "Infrastructure/Platform/Logging.h"
#include "Infrastructure/Platform/SafeFile.h"
#include "Utils/ReferenceDate.h"
#include "Utils/TextUtils.h"
#include "Utils/VocabularyCsvReader.h"
#include "Utils/VocabularyStorage.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMutexLocker>
#include <QSet>

namespace vocena {

namespace {

const Logger logger("VocabularyStore");

const QString kPromptHeading = QStringLiteral("\n\n【重要】以下是需要正确识别的词汇，请特别注意：\n");

QString defaultFilePath() {
    bool ok = true;
    const QString path = AppPaths::dataFile(QStringLiteral("vocabulary.json"), &ok);
    if (!ok) logger.error(QStringLiteral("无法获取 Application Support 目录"));
    return path;
}

struct CsvRecord {
    QString word;
    std::optional<QStringList> variants;
    std::optional<QString> category;
};

// One data line of an import: column 1 the word, 3 the category, 5 the variants split at 、.
// Nothing for a blank line or one whose first field is empty.
std::optional<CsvRecord> recordFromLine(const QString& rawLine) {
    const QString line = TextUtils::trimmedSpacesAndTabs(rawLine);
    if (line.isEmpty()) return std::nullopt;
    const QStringList fields = VocabularyCsvReader::parseCSVLine(line);
    if (fields.first().isEmpty()) return std::nullopt;

    CsvRecord record;
    record.word = TextUtils::trimmedSpacesAndTabs(fields.first());
    if (fields.size() >= 5) {
        const QString cell = TextUtils::trimmedSpacesAndTabs(fields.at(4));
        if (!cell.isEmpty()) {
            QStringList variants;
            for (const QString& piece : cell.split(u'、', Qt::SkipEmptyParts))
                variants << TextUtils::trimmedSpacesAndTabs(piece);
            record.variants = variants;
        }
    }
    if (fields.size() >= 3) {
        const QString category = TextUtils::trimmedSpacesAndTabs(fields.at(2));
        if (!category.isEmpty()) record.category = category;
    }
    return record;
}

}  // namespace

VocabularyStore& VocabularyStore::shared() {
    static VocabularyStore store(defaultFilePath(), Clock::system());
    return store;
}

VocabularyStore::VocabularyStore(const QString& filePath, Clock& clock) : m_path(filePath), m_clock(clock) {
    load();
}

void VocabularyStore::load() {
    if (!QFileInfo::exists(m_path)) return;
    QFile file(m_path);
    QString error;
    std::optional<VocabularyStorage> storage;
    if (file.open(QIODevice::ReadOnly))
        storage = VocabularyStorage::decode(file.readAll(), &error);
    else
        error = file.errorString();
    if (!storage) {
        m_loadFailed = true;
        m_keepAsidePending = true;
        logger.error(QStringLiteral("加载词汇库失败，保留现有数据: %1").arg(error));
        return;
    }
    QMutexLocker lock(&m_itemsMutex);
    m_items = std::move(storage->items);
}

void VocabularyStore::save() {
    const QList<VocabularyItem> snapshot = items();
    if (m_keepAsidePending && QFileInfo::exists(m_path)) {
        const auto kept = SafeFile::keepAside(m_path);
        if (!kept) {
            logger.error(QStringLiteral("保存词汇库失败: %1").arg(
                QStringLiteral("无法另存损坏的词汇库文件 %1，未覆盖它").arg(m_path)));
            return;
        }
        logger.notice(QStringLiteral("损坏的词汇库文件已另存为 %1").arg(*kept));
    }
    m_keepAsidePending = false;

    QFileInfo(m_path).dir().mkpath(QStringLiteral("."));
    const QString error = SafeFile::writeAtomically(m_path, VocabularyStorage{snapshot}.encode());
    if (!error.isEmpty()) {
        logger.error(QStringLiteral("保存词汇库失败: %1").arg(error));
        return;
    }
    logger.info(QStringLiteral("词汇库已保存: %1 条").arg(snapshot.size()));
}

VocabularyItem VocabularyStore::makeItem(const QString& word, const std::optional<QStringList>& variants,
                                         const std::optional<QString>& category) const {
    return VocabularyItem{QUuid::createUuid(), word, variants, category, ReferenceDate::toSeconds(m_clock.now())};
}

bool VocabularyStore::add(const QString& word, const std::optional<QStringList>& variants,
                          const std::optional<QString>& category) {
    const QString trimmedWord = TextUtils::trimmed(word);
    if (trimmedWord.isEmpty()) return false;
    VocabularyItem item = makeItem(trimmedWord, variants, category);
    QMutexLocker change(&m_changeMutex);
    {
        QMutexLocker lock(&m_itemsMutex);
        for (const VocabularyItem& existing : std::as_const(m_items))
            if (existing.word == trimmedWord) return false;
        m_items << std::move(item);
    }
    save();
    return true;
}

void VocabularyStore::remove(const QUuid& id) {
    QMutexLocker change(&m_changeMutex);
    {
        QMutexLocker lock(&m_itemsMutex);
        m_items.removeIf([&id](const VocabularyItem& item) { return item.id == id; });
    }
    save();
}

int VocabularyStore::importFromCSV(const QString& path) {
    const auto lines = VocabularyCsvReader::readLines(path);
    if (!lines) {
        logger.error(QStringLiteral("无法读取文件，所有编码都失败"));
        return 0;
    }
    QMutexLocker change(&m_changeMutex);
    QSet<QString> known;
    for (const VocabularyItem& item : items()) known.insert(item.word);

    QList<VocabularyItem> added;
    for (qsizetype i = 1; i < lines->size(); ++i) {  // the first line is the header
        auto record = recordFromLine(lines->at(i));
        if (!record || known.contains(record->word)) continue;
        known.insert(record->word);
        added << makeItem(record->word, record->variants, record->category);
    }
    if (!added.isEmpty()) {
        {
            QMutexLocker lock(&m_itemsMutex);
            m_items << added;
        }
        save();
    }
    logger.info(QStringLiteral("从CSV导入 %1 个词汇").arg(added.size()));
    return int(added.size());
}

QStringList VocabularyStore::getAllVocabularies() const {
    QMutexLocker lock(&m_itemsMutex);
    QStringList words;
    words.reserve(m_items.size());
    for (const VocabularyItem& item : m_items) words << item.word;
    return words;
}

QString VocabularyStore::generatePrompt() const {
    const QList<VocabularyItem> snapshot = items();
    if (snapshot.isEmpty()) return {};
    QString prompt = kPromptHeading;
    for (const VocabularyItem& item : snapshot) prompt += QStringLiteral("- ") + item.describe() + QLatin1Char('\n');
    return prompt;
}

QList<VocabularyItem> VocabularyStore::items() const {
    // An element-wise copy rather than a shared one: a list block shared with another thread
    // would later be grown in place by the main thread once that thread let go of it, after
    // only a relaxed check of its reference count.
    QMutexLocker lock(&m_itemsMutex);
    return QList<VocabularyItem>(m_items.cbegin(), m_items.cend());
}

}  // namespace vocena
