#pragma once

#include "Infrastructure/Platform/DataFile.h"
#include "Support/CoalescingWorker.h"
#include "Terms/TermCountChanges.h"
#include "Terms/TermEntry.h"
#include "Terms/TermStorage.h"

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
// The counts live in term_frequency.json, the dismissed terms in term_suppressed.json. The app
// and the command line use them at the same time: as soon as another process changes a file
// (and again before counting and before answering) the tracker reloads it; every save is a read-modify-write
// under the file's lock (DataFile) that applies this process's own changes (new sightings,
// forgotten terms, dismissals) to what is on disk, so counts of two processes add up and a
// dismissal made by one is honoured by the other. Old counts are pruned at construction:
// anything not seen for 30 days, and terms seen only once more than 7 days ago. Session
// counts belong to this process and are never taken from the file.
//
// Threads: every public member is thread-safe. feed() usually runs on a background thread
// (feedInBackground), accept and dismiss on the main thread. The tracker's lock is taken
// before the vocabulary store's, never the other way round. The save after a feed runs on a
// background thread of its own; saves never overlap.
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
    // The data files that could not be read and are still on disk; each is renamed to
    // "<name>.corrupt-<time>" before it is rewritten.
    QStringList unusableFiles() const;

    // Blocks until the feeds queued so far are counted and their saves written.
    void waitForIdle();

private:
    // With m_lock held:
    void load();
    void prune();
    void refreshLocked() const;  // adopts the files other processes changed
    void adoptFrequency(const DataFile::Reading<FrequencyStorage>& reading) const;
    void adoptSuppressed(const DataFile::Reading<SuppressedStorage>& reading) const;
    void forgetLocked(const QString& term) const;  // drops the term's counts
    bool saveFrequencyLocked();
    bool saveSuppressedLocked();
    double now() const;

    VocabularyStore& m_vocabulary;
    Clock& m_clock;

    // Guards everything below; the reads reload changed files, hence mutable.
    mutable QMutex m_lock;
    mutable DataFile m_frequencyFile;
    mutable DataFile m_suppressedFile;
    mutable QHash<QString, TermEntry> m_frequencyMap;          // the file plus m_countChanges
    mutable QHash<QString, SuppressedEntry> m_suppressedTerms;  // the file plus m_newSuppressions
    mutable TermCountChanges m_countChanges;                    // not saved yet
    QHash<QString, SuppressedEntry> m_newSuppressions;          // not saved yet
    QSet<QString> m_suggestedThisSession;

    CoalescingWorker m_backgroundSave;
    QThreadPool m_feedPool;
};

}  // namespace vocena
