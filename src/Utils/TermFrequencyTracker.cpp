#include "Utils/TermFrequencyTracker.h"

#include "Infrastructure/Platform/AppPaths.h"
#include "Infrastructure/Platform/Clock.h"
#include "Infrastructure/Platform/Logging.h"
#include "Infrastructure/Platform/NotificationCenter.h"
#include "Utils/HomophoneVariants.h"
#include "Utils/ReferenceDate.h"
#include "Utils/TermClassifier.h"
#include "Utils/TermExtractor.h"
#include "Utils/TermStopWords.h"
#include "Utils/TermStorage.h"
#include "Utils/VocabularyStore.h"

#include <QCoreApplication>
#include <QMutexLocker>
#include <QThread>

namespace vocena {

namespace {

const Logger logger("TermFrequencyTracker");

QString defaultFilePath(const QString& name) {
    bool ok = true;
    const QString path = AppPaths::dataFile(name, &ok);
    if (!ok) logger.error(QStringLiteral("无法获取 Application Support 目录"));
    return path;
}

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
    static TermFrequencyTracker tracker(defaultFilePath(QStringLiteral("term_frequency.json")),
                                        defaultFilePath(QStringLiteral("term_suppressed.json")),
                                        VocabularyStore::shared(), Clock::system());
    return tracker;
}

TermFrequencyTracker::TermFrequencyTracker(const QString& frequencyFile, const QString& suppressedFile,
                                           VocabularyStore& vocabulary, Clock& clock)
    : m_frequencyFile(frequencyFile, logger),
      m_suppressedFile(suppressedFile, logger),
      m_vocabulary(vocabulary),
      m_clock(clock),
      m_backgroundSave([this] { saveFrequencySnapshot(); }) {
    m_feedPool.setMaxThreadCount(1);
    m_feedPool.setThreadPriority(QThread::LowPriority);
    load();
    prune();
}

TermFrequencyTracker::~TermFrequencyTracker() { waitForIdle(); }

double TermFrequencyTracker::now() const { return ReferenceDate::toSeconds(m_clock.now()); }

void TermFrequencyTracker::load() {
    QMutexLocker lock(&m_lock);
    if (const auto storage = m_frequencyFile.load<FrequencyStorage>()) {
        for (const TermEntry& entry : storage->entries) m_frequencyMap.insert(entry.term, entry);
        logger.info(QStringLiteral("已加载 %1 条词频数据").arg(m_frequencyMap.size()));
    }
    if (const auto storage = m_suppressedFile.load<SuppressedStorage>()) {
        for (const SuppressedEntry& entry : storage->entries) m_suppressedTerms.insert(entry.term, entry);
        logger.info(QStringLiteral("已加载 %1 条忽略词汇").arg(m_suppressedTerms.size()));
    }
    // A session is one run of the program.
    for (TermEntry& entry : m_frequencyMap) entry.sessionCount = 0;
}

void TermFrequencyTracker::prune() {
    QMutexLocker lock(&m_lock);
    const qsizetype before = m_frequencyMap.size();
    const double nowSeconds = now();
    for (auto it = m_frequencyMap.begin(); it != m_frequencyMap.end();) {
        const bool stale = it->lastSeen <= nowSeconds - kStaleAfterSeconds;
        const bool seenOnceLongAgo = it->totalCount <= 1 && it->firstSeen < nowSeconds - kSingleSightingSeconds;
        it = (stale || seenOnceLongAgo) ? m_frequencyMap.erase(it) : std::next(it);
    }
    if (m_frequencyMap.size() == before) return;
    logger.info(QStringLiteral("词频清理: %1 → %2 条").arg(before).arg(m_frequencyMap.size()));
    saveFrequencyLocked();
}

void TermFrequencyTracker::feed(const QString& text) {
    const QList<TermCandidate> candidates = TermExtractor::extractNGrams(text);
    if (candidates.isEmpty()) return;

    QMutexLocker lock(&m_lock);
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
    m_frequencyMap.remove(term);
    saveFrequencyLocked();
    return added;
}

bool TermFrequencyTracker::suppressTerm(const QString& term) {
    QMutexLocker lock(&m_lock);
    m_suppressedTerms.insert(term, SuppressedEntry{term, now()});
    m_frequencyMap.remove(term);
    const bool suppressedSaved = saveSuppressedLocked();
    const bool frequencySaved = saveFrequencyLocked();
    logger.info(QStringLiteral("已忽略词汇建议: %1").arg(Logging::privateText(term)));
    return suppressedSaved && frequencySaved;
}

bool TermFrequencyTracker::saveFrequencyLocked() {
    const FrequencyStorage storage{m_frequencyMap.values(), now()};
    return m_frequencyFile.write(storage.encode(), ++m_frequencyVersion);
}

bool TermFrequencyTracker::saveSuppressedLocked() {
    const SuppressedStorage storage{m_suppressedTerms.values()};
    return m_suppressedFile.write(storage.encode(), ++m_suppressedVersion);
}

void TermFrequencyTracker::saveFrequencySnapshot() {
    FrequencyStorage storage;
    quint64 version = 0;
    {
        QMutexLocker lock(&m_lock);
        // A copy of the entries, not a shared copy of the map: feed() would change a map whose
        // data this thread has just let go of without synchronising with this thread.
        storage = FrequencyStorage{m_frequencyMap.values(), now()};
        version = ++m_frequencyVersion;
    }
    // Encoded and written outside the lock; errors are ignored (the next save tries again).
    m_frequencyFile.write(storage.encode(), version);
}

QList<TermEntry> TermFrequencyTracker::entries() const {
    QMutexLocker lock(&m_lock);
    return m_frequencyMap.values();
}

std::optional<TermEntry> TermFrequencyTracker::entry(const QString& term) const {
    QMutexLocker lock(&m_lock);
    const auto it = m_frequencyMap.constFind(term);
    if (it == m_frequencyMap.cend()) return std::nullopt;
    return *it;
}

QList<SuppressedEntry> TermFrequencyTracker::suppressedEntries() const {
    QMutexLocker lock(&m_lock);
    return m_suppressedTerms.values();
}

QStringList TermFrequencyTracker::unusableFiles() const {
    QStringList files;
    for (const TermDataFile* file : {&m_frequencyFile, &m_suppressedFile})
        if (file->wasUnusable()) files << file->path();
    return files;
}

void TermFrequencyTracker::waitForIdle() {
    m_feedPool.waitForDone();
    m_backgroundSave.waitForDone();
}

}  // namespace vocena
