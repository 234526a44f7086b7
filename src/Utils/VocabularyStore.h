#pragma once

#include "Utils/VocabularyItem.h"

#include <QList>
#include <QMutex>
#include <QString>
#include <QStringList>
#include <QUuid>
#include <optional>

namespace vocena {

class Clock;

// The user's vocabulary: words that dictation must get right, with known mis-recognitions
// and a category. It is loaded once from vocabulary.json and the whole file is rewritten
// (atomically) after every change. A file that exists but cannot be loaded is renamed to
// "vocabulary.json.corrupt-<time>" before the first save, never overwritten.
//
// Threads: changes are made on the main thread; items(), getAllVocabularies() and
// generatePrompt() may be called from any thread. The store's locks are the innermost ones:
// it never calls out to other components while holding them (a caller may hold its own lock
// while calling in, e.g. the term tracker).
class VocabularyStore {
public:
    // The process-wide store on $XDG_DATA_HOME/澄言/vocabulary.json, created on first use.
    static VocabularyStore& shared();

    VocabularyStore(const QString& filePath, Clock& clock);
    VocabularyStore(const VocabularyStore&) = delete;
    VocabularyStore& operator=(const VocabularyStore&) = delete;

    // Appends a word (trimmed of white space and line breaks) with the variants and the
    // category exactly as given, and saves. A blank word or one already present (exact,
    // case-sensitive comparison) is ignored. Returns whether the word was added.
    bool add(const QString& word, const std::optional<QStringList>& variants = std::nullopt,
             const std::optional<QString>& category = std::nullopt);
    // Removes every item with this id and saves, even when none matched.
    void remove(const QUuid& id);
    // Adds the new words of a CSV file (header line, then word,_,category,_,variants);
    // returns how many were added, 0 when the file cannot be read.
    int importFromCSV(const QString& path);

    QStringList getAllVocabularies() const;
    // The vocabulary section of the correction prompt; empty for an empty vocabulary.
    QString generatePrompt() const;
    QList<VocabularyItem> items() const;

    QString filePath() const { return m_path; }
    // Whether the file existed at start but could not be read or decoded.
    bool loadFailed() const { return m_loadFailed; }

private:
    void load();
    void save();  // with m_changeMutex held
    VocabularyItem makeItem(const QString& word, const std::optional<QStringList>& variants,
                            const std::optional<QString>& category) const;

    const QString m_path;
    Clock& m_clock;
    bool m_loadFailed = false;
    bool m_keepAsidePending = false;  // the unreadable file still has to be moved away

    // Serialises changes and the save that follows each (file write and log line), so the
    // file always ends with the latest list. Taken before m_itemsMutex, never while holding it.
    QMutex m_changeMutex;
    mutable QMutex m_itemsMutex;  // guards m_items only, held briefly
    QList<VocabularyItem> m_items;
};

}  // namespace vocena
