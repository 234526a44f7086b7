#include "Terms/TermFrequencyTracker.h"

#include "Infrastructure/Platform/AppPaths.h"
#include "Infrastructure/Platform/Clock.h"
#include "Infrastructure/Platform/Logging.h"
#include "Infrastructure/Platform/NotificationCenter.h"
#include "Vocabulary/HomophoneVariants.h"
#include "Support/ReferenceDate.h"
#include "Terms/TermClassifier.h"
#include "Terms/TermExtractor.h"
#include "Terms/TermStopWords.h"
#include "Terms/TermStorage.h"
#include "Vocabulary/VocabularyStore.h"

#include <QCoreApplication>
#include <QMutexLocker>
#include <QThread>

namespace vocena {

namespace {

const Logger logger("TermFrequencyTracker");

// ["名志中心", "明智中心"], or [] when there are none.
QString listText(const std::optional<QStringList>& items) {
    QStringList quoted;
    for (const QString& item : items.value_or(QStringList())) quoted << QLatin1Char('"') + item + QLatin1Char('"');
    return QLatin1Char('[') + quoted.join(QStringLiteral(", ")) + QLatin1Char(']');
}

// Posts the suggestion on the main thread, later, without holding any lock of the tracker.
// Without an application (a feed finishing at exit) there is no one to show it to.
void postSuggestion(const QString& term, const std::optional<QString>& category) {
    QCoreApplication* app = QCoreApplication::instance();
    if (!app) return;
    const QVariantMap userInfo{{QStringLiteral("term"), term},
                               {QStringLiteral("category"), category ? QVariant(*category) : QVariant()}};
    QMetaObject::invokeMethod(
        app, [userInfo] { NotificationCenter::defaultCenter().post(Notifications::termSuggestionReady, {}, userInfo); },
        Qt::QueuedConnection);
}

}  // namespace

TermFrequencyTracker& TermFrequencyTracker::shared() {
    // The store is made first, so it outlives the tracker at exit.
    static TermFrequencyTracker tracker(AppPaths::dataFile(QStringLiteral("term_frequency.json"), logger),
                                        AppPaths::dataFile(QStringLiteral("term_suppressed.json"), logger),
                                        VocabularyStore::shared(), Clock::system());
    return tracker;
}

TermFrequencyTracker::TermFrequencyTracker(const QString& frequencyFile, const QString& suppressedFile,
                                           VocabularyStore& vocabulary, Clock& clock)
    : m_vocabulary(vocabulary),
      m_clock(clock),
      m_frequencyFile(frequencyFile, logger),
      m_suppressedFile(suppressedFile, logger),
      m_backgroundSave([this] {
          QMutexLocker lock(&m_lock);
          saveFrequencyLocked();
      }) {
    m_feedPool.setMaxThreadCount(1);
    m_feedPool.setThreadPriority(QThread::LowPriority);
    QMutexLocker lock(&m_lock);
    load();
    prune();
    for (DataFile* file : {&m_frequencyFile, &m_suppressedFile})
        file->watch([this] {
            QMutexLocker lock(&m_lock);
            refreshLocked();
        });
}

TermFrequencyTracker::~TermFrequencyTracker() { waitForIdle(); }

double TermFrequencyTracker::now() const { return ReferenceDate::toSeconds(m_clock.now()); }

void TermFrequencyTracker::load() {
    // A missing or unreadable file leaves its map empty, silently.
    const auto counts = m_frequencyFile.read(&FrequencyStorage::decode);
    adoptFrequency(counts);
    if (counts.state == DataFile::State::loaded)
        logger.info(QStringLiteral("已加载 %1 条词频数据").arg(m_frequencyMap.size()));
    const auto suppressed = m_suppressedFile.read(&SuppressedStorage::decode);
    adoptSuppressed(suppressed);
    if (suppressed.state == DataFile::State::loaded)
        logger.info(QStringLiteral("已加载 %1 条忽略词汇").arg(m_suppressedTerms.size()));
}

void TermFrequencyTracker::refreshLocked() const {
    if (m_frequencyFile.changedOnDisk()) adoptFrequency(m_frequencyFile.read(&FrequencyStorage::decode));
    if (m_suppressedFile.changedOnDisk()) adoptSuppressed(m_suppressedFile.read(&SuppressedStorage::decode));
}

void TermFrequencyTracker::adoptFrequency(const DataFile::Reading<FrequencyStorage>& reading) const {
    // A damaged file (kept aside at the next save) or a vanished one leaves the map as it is.
    if (reading.state != DataFile::State::loaded) return;
    QHash<QString, TermEntry> counts;
    for (const TermEntry& entry : reading.value.entries) counts.insert(entry.term, entry);
    m_countChanges.applyTo(counts);
    // A session is one run of this process: its counts never come from the file.
    for (TermEntry& entry : counts) {
        const auto known = m_frequencyMap.constFind(entry.term);
        entry.sessionCount = known == m_frequencyMap.cend() ? 0 : known->sessionCount;
    }
    m_frequencyMap = std::move(counts);
}

void TermFrequencyTracker::adoptSuppressed(const DataFile::Reading<SuppressedStorage>& reading) const {
    if (reading.state != DataFile::State::loaded) return;
    QHash<QString, SuppressedEntry> suppressed;
    for (const SuppressedEntry& entry : reading.value.entries) suppressed.insert(entry.term, entry);
    suppressed.insert(m_newSuppressions);
    // Dismissed elsewhere: counts of the term this process still holds go too.
    for (const QString& term : suppressed.keys())
        if (!m_suppressedTerms.contains(term) && m_frequencyMap.contains(term)) forgetLocked(term);
    m_suppressedTerms = std::move(suppressed);
}

void TermFrequencyTracker::forgetLocked(const QString& term) const {
    m_frequencyMap.remove(term);
    m_countChanges.remove(term);
}

void TermFrequencyTracker::prune() {
    const qsizetype before = m_frequencyMap.size();
    const double nowSeconds = now();
    for (const TermEntry& entry : m_frequencyMap.values()) {
        const bool stale = entry.lastSeen <= nowSeconds - kStaleAfterSeconds;
        const bool seenOnceLongAgo = entry.totalCount <= 1 && entry.firstSeen < nowSeconds - kSingleSightingSeconds;
        if (stale || seenOnceLongAgo) forgetLocked(entry.term);
    }
    if (m_frequencyMap.size() == before) return;
    logger.info(QStringLiteral("词频清理: %1 → %2 条").arg(before).arg(m_frequencyMap.size()));
    saveFrequencyLocked();
}

void TermFrequencyTracker::feed(const QString& text) {
    const QList<TermCandidate> candidates = TermExtractor::extractNGrams(text);
    if (candidates.isEmpty()) return;

    QMutexLocker lock(&m_lock);
    refreshLocked();
    const QStringList words = m_vocabulary.getAllVocabularies();
    const QSet<QString> vocabulary(words.cbegin(), words.cend());
    const double nowSeconds = now();
    for (const TermCandidate& candidate : candidates) {
        const QString& term = candidate.text;
        if (TermStopWords::contains(term) || vocabulary.contains(term) || m_suppressedTerms.contains(term) ||
            m_suggestedThisSession.contains(term))
            continue;
        auto it = m_frequencyMap.find(term);
        if (it != m_frequencyMap.end()) {
            ++it->totalCount;
            ++it->sessionCount;
            it->lastSeen = nowSeconds;
        } else {
            it = m_frequencyMap.insert(
                term, TermEntry{term, 1, 1, nowSeconds, nowSeconds, TermClassifier::classifyTerm(term, candidate.length)});
        }
        m_countChanges.countSighting(*it, nowSeconds);
        if (it->totalCount >= kSuggestionThreshold || it->sessionCount >= kSuggestionThreshold) {
            m_suggestedThisSession.insert(term);
            postSuggestion(term, it->autoCategory);
        }
    }
    m_backgroundSave.request();
}

void TermFrequencyTracker::feedInBackground(const QString& text) {
    m_feedPool.start([this, text] { feed(text); });
}

bool TermFrequencyTracker::addToVocabulary(const QString& term, const std::optional<QString>& category) {
    QMutexLocker lock(&m_lock);
    const std::optional<QStringList> variants = HomophoneVariants::generateVariants(term);
    const bool added = m_vocabulary.add(term, variants, category);
    logger.info(QStringLiteral("已添加词汇: %1, 分类: %2, 变体: %3")
                    .arg(Logging::privateText(term), category.value_or(QStringLiteral("无")),
                         Logging::privateText(listText(variants))));
    forgetLocked(term);
    saveFrequencyLocked();
    return added;
}

bool TermFrequencyTracker::suppressTerm(const QString& term) {
    QMutexLocker lock(&m_lock);
    const SuppressedEntry entry{term, now()};
    m_suppressedTerms.insert(term, entry);
    m_newSuppressions.insert(term, entry);
    forgetLocked(term);
    const bool suppressedSaved = saveSuppressedLocked();
    const bool frequencySaved = saveFrequencyLocked();
    logger.info(QStringLiteral("已忽略词汇建议: %1").arg(Logging::privateText(term)));
    return suppressedSaved && frequencySaved;
}

bool TermFrequencyTracker::saveFrequencyLocked() {
    const QString error = m_frequencyFile.update<FrequencyStorage>(
        &FrequencyStorage::decode, [this](const DataFile::Reading<FrequencyStorage>& reading) { adoptFrequency(reading); },
        [this] { return FrequencyStorage{m_frequencyMap.values(), now()}.encode(); });
    if (!error.isEmpty()) {
        logger.error(QStringLiteral("保存词频数据失败: %1").arg(error));
        return false;
    }
    m_countChanges.clear();
    return true;
}

bool TermFrequencyTracker::saveSuppressedLocked() {
    const QString error = m_suppressedFile.update<SuppressedStorage>(
        &SuppressedStorage::decode, [this](const DataFile::Reading<SuppressedStorage>& reading) { adoptSuppressed(reading); },
        [this] { return SuppressedStorage{m_suppressedTerms.values()}.encode(); });
    if (!error.isEmpty()) {
        logger.error(QStringLiteral("保存忽略词汇失败: %1").arg(error));
        return false;
    }
    m_newSuppressions.clear();
    return true;
}

QList<TermEntry> TermFrequencyTracker::entries() const {
    QMutexLocker lock(&m_lock);
    refreshLocked();
    return m_frequencyMap.values();
}

std::optional<TermEntry> TermFrequencyTracker::entry(const QString& term) const {
    QMutexLocker lock(&m_lock);
    refreshLocked();
    const auto it = m_frequencyMap.constFind(term);
    if (it == m_frequencyMap.cend()) return std::nullopt;
    return *it;
}

QList<SuppressedEntry> TermFrequencyTracker::suppressedEntries() const {
    QMutexLocker lock(&m_lock);
    refreshLocked();
    return m_suppressedTerms.values();
}

QStringList TermFrequencyTracker::unusableFiles() const {
    QStringList files;
    for (const DataFile* file : {&m_frequencyFile, &m_suppressedFile})
        if (file->isUnreadable()) files << file->path();
    return files;
}

void TermFrequencyTracker::waitForIdle() {
    m_feedPool.waitForDone();
    m_backgroundSave.waitForDone();
}

}  // namespace vocena
