#include "Vocabulary/VocabularyStore.h"

#include "Infrastructure/Platform/AppPaths.h"
#include "Infrastructure/Platform/Clock.h"
#include "Infrastructure/Platform/Logging.h"
#include "Support/ReferenceDate.h"
#include "Support/TextUtils.h"
#include "Vocabulary/VocabularyCsvReader.h"
#include "Vocabulary/VocabularyStorage.h"

#include <QMutexLocker>

#include <utility>

namespace vocena {

namespace {

const Logger logger("VocabularyStore");

const QString kPromptHeading = QStringLiteral("\n\n【重要】以下是需要正确识别的词汇，请特别注意：\n");

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
    static VocabularyStore store(AppPaths::dataFile(QStringLiteral("vocabulary.json"), logger), Clock::system());
    return store;
}

VocabularyStore::VocabularyStore(const QString& filePath, Clock& clock, DataFile::Options fileOptions)
    : m_clock(clock), m_file(filePath, logger, fileOptions) {
    QMutexLocker change(&m_changeMutex);
    const auto reading = m_file.read(&VocabularyStorage::decode);
    m_loadFailed = reading.state == DataFile::State::unreadable;
    adopt(reading);
    m_file.watch([this] {
        QMutexLocker change(&m_changeMutex);
        refresh();
    });
}

void VocabularyStore::refresh() {
    if (m_file.changedOnDisk()) adopt(m_file.read(&VocabularyStorage::decode));
}

void VocabularyStore::adopt(const DataFile::Reading<VocabularyStorage>& reading) {
    if (reading.state == DataFile::State::unreadable)
        logger.error(QStringLiteral("加载词汇库失败，保留现有数据: %1").arg(reading.error));
    // A damaged or vanished file leaves what is in memory; the next save writes it again
    // (keeping a damaged file aside first).
    if (reading.state != DataFile::State::loaded) return;
    // The file, then this process's unsaved changes.
    const QList<Change> pending = std::exchange(m_pending, {});
    {
        QMutexLocker lock(&m_itemsMutex);
        m_items = reading.value.items;
        indexWords();
    }
    for (const Change& change : pending) apply(change);
}

void VocabularyStore::apply(const Change& change) {
    m_pending << change;
    QMutexLocker lock(&m_itemsMutex);
    if (change.added) {
        if (m_words.contains(change.added->word)) return;
        m_words.insert(change.added->word);
        m_items << *change.added;
    } else {
        m_items.removeIf([&change](const VocabularyItem& item) { return item.id == change.removedId; });
        indexWords();
    }
}

void VocabularyStore::indexWords() {
    m_words.clear();
    for (const VocabularyItem& item : std::as_const(m_items)) m_words.insert(item.word);
}

void VocabularyStore::save() {
    qsizetype count = 0;
    const QString error = m_file.update<VocabularyStorage>(
        &VocabularyStorage::decode, [this](const DataFile::Reading<VocabularyStorage>& reading) { adopt(reading); },
        [this, &count]() -> std::optional<QByteArray> {
            const QList<VocabularyItem> snapshot = items();
            count = snapshot.size();
            return VocabularyStorage{snapshot}.encode();
        });
    if (!error.isEmpty()) {
        logger.error(QStringLiteral("保存词汇库失败: %1").arg(error));
        return;
    }
    m_pending.clear();
    logger.info(QStringLiteral("词汇库已保存: %1 条").arg(count));
}

VocabularyItem VocabularyStore::makeItem(const QString& word, const std::optional<QStringList>& variants,
                                         const std::optional<QString>& category) const {
    return VocabularyItem{QUuid::createUuid(), word, variants, category, ReferenceDate::toSeconds(m_clock.now())};
}

bool VocabularyStore::add(const QString& word, const std::optional<QStringList>& variants,
                          const std::optional<QString>& category) {
    const QString trimmedWord = TextUtils::trimmed(word);
    if (trimmedWord.isEmpty()) return false;
    QMutexLocker change(&m_changeMutex);
    refresh();
    if (m_words.contains(trimmedWord)) return false;
    apply(Change{makeItem(trimmedWord, variants, category), {}});
    save();
    return true;
}

void VocabularyStore::remove(const QUuid& id) {
    QMutexLocker change(&m_changeMutex);
    refresh();
    apply(Change{std::nullopt, id});
    save();
}

int VocabularyStore::importFromCSV(const QString& path) {
    const auto lines = VocabularyCsvReader::readLines(path);
    if (!lines) {
        logger.error(QStringLiteral("无法读取文件，所有编码都失败"));
        return 0;
    }
    QMutexLocker change(&m_changeMutex);
    refresh();
    int added = 0;
    for (qsizetype i = 1; i < lines->size(); ++i) {  // the first line is the header
        auto record = recordFromLine(lines->at(i));
        if (!record || m_words.contains(record->word)) continue;
        apply(Change{makeItem(record->word, record->variants, record->category), {}});
        ++added;
    }
    if (added > 0) save();
    logger.info(QStringLiteral("从CSV导入 %1 个词汇").arg(added));
    return added;
}

bool VocabularyStore::hasUnsavedChanges() const {
    QMutexLocker change(&m_changeMutex);
    return !m_pending.isEmpty();
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
