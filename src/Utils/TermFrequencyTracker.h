#pragma once

#include "Utils/CoalescingWorker.h"
#include "Utils/TermDataFile.h"
#include "Utils/TermEntry.h"

#include <QHash>
#include <QList>
#include <QMutex>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QThreadPool>
#include <optional>

namespace vocena {

class Clock;
class VocabularyStore;

// Learns which terms the user dictates repeatedly and proposes them for the vocabulary.
//
// Every typed text is cut into candidate terms (TermExtractor) and counted; a term seen in 3
// texts (in all runs, or in this run) is suggested once per run with the notification
// Notifications::termSuggestionReady, posted on the main thread with userInfo "term" and
// "category" (a null QVariant when the term has none). Stop words, vocabulary words and dismissed terms are never counted.
//
// The counts live in term_frequency.json, the dismissed terms in term_suppressed.json; both
// are read once at construction and rewritten whole and atomically. Old counts are pruned at
// construction: anything not seen for 30 days, and terms seen only once more than 7 days ago.
//
// Threads: every public member is thread-safe. feed() usually runs on a background thread
// (feedInBackground), accept and dismiss on the main thread. The tracker's lock is taken
// before the vocabulary store's, never the other way round. The save after a feed runs on a
// background thread of its own; saves never overlap, and a save never replaces a newer state
// on disk with an older one.
class TermFrequencyTracker {
public:
    static constexpr qint64 kSuggestionThreshold = 3;
    static constexpr double kStaleAfterSeconds = 2592000;       // 30 days since last seen
    static constexpr double kSingleSightingSeconds = 604800;    // 7 days for a term seen once

    // The process-wide tracker on $XDG_DATA_HOME/澄言/, created on first use.
    static TermFrequencyTracker& shared();

    TermFrequencyTracker(const QString& frequencyFile, const QString& suppressedFile, VocabularyStore& vocabulary,
                         Clock& clock);
    // Waits for the feeds and saves still pending, so nothing counted is lost.
    ~TermFrequencyTracker();
    TermFrequencyTracker(const TermFrequencyTracker&) = delete;
    TermFrequencyTracker& operator=(const TermFrequencyTracker&) = delete;

    // Counts the terms of a text that was typed into the target application.
    void feed(const QString& text);
    // feed() on a low-priority background thread; texts are counted in the order given.
    void feedInBackground(const QString& text);

    // Accepts a suggestion: adds the term to the vocabulary with its homophone variants and
    // the category, and forgets its counts. Returns whether the vocabulary gained the term
    // (false when it was there already).
    bool addToVocabulary(const QString& term, const std::optional<QString>& category);
    // Dismisses a suggestion for good: the term is never counted or suggested again.
    // Returns false when a file could not be written (the change is kept in memory).
    bool suppressTerm(const QString& term);

    QList<TermEntry> entries() const;
    std::optional<TermEntry> entry(const QString& term) const;
    QList<SuppressedEntry> suppressedEntries() const;
    // The data files that existed at start but could not be read; each is renamed to
    // "<name>.corrupt-<time>" before it is first rewritten.
    QStringList unusableFiles() const;

    // Blocks until the feeds queued so far are counted and their saves written.
    void waitForIdle();

private:
    void load();
    void prune();
    bool saveFrequencyLocked();   // with m_lock held
    bool saveSuppressedLocked();  // with m_lock held
    void saveFrequencySnapshot(); // the background save
    double now() const;

    TermDataFile m_frequencyFile;
    TermDataFile m_suppressedFile;
    VocabularyStore& m_vocabulary;
    Clock& m_clock;

    mutable QMutex m_lock;  // guards everything below
    QHash<QString, TermEntry> m_frequencyMap;
    QHash<QString, SuppressedEntry> m_suppressedTerms;
    QSet<QString> m_suggestedThisSession;
    // Snapshot versions: taken under m_lock, so a higher version is a newer state.
    quint64 m_frequencyVersion = 0;
    quint64 m_suppressedVersion = 0;

    CoalescingWorker m_backgroundSave;
    QThreadPool m_feedPool;
};

}  // namespace vocena
