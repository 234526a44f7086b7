#pragma once

#include "Infrastructure/Platform/DataFile.h"
#include "Vocabulary/VocabularyItem.h"
#include "Vocabulary/VocabularyStorage.h"

#include <QList>
#include <QMutex>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QUuid>
#include <optional>

namespace vocena {

class Clock;

// The user's vocabulary: words that dictation must get right, with known mis-recognitions
// and a category, kept in vocabulary.json.
//
// The command line and the app change the file at the same time. Every change is a
// read-modify-write under the file's lock (DataFile): the store re-reads the file when
// another process changed it, applies its own change to what it found and writes the whole
// file atomically. A change that could not be saved stays pending and is applied again at
// the next save. A store made on the main thread also reloads the file as soon as another
// process changes it. A file that exists but cannot be loaded is renamed to
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

    VocabularyStore(const QString& filePath, Clock& clock, DataFile::Options fileOptions = {});
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

    QString filePath() const { return m_file.path(); }
    // Whether a change made here is not in the file yet because its save failed (logged). It
    // is saved again with the next change; a process that ends before then loses it.
    bool hasUnsavedChanges() const;
    // Whether the file existed at start but could not be read or decoded.
    bool loadFailed() const { return m_loadFailed; }

private:
    // One change of this process: an item to append (unless its word is there by then) or
    // the id of the items to remove.
    struct Change {
        std::optional<VocabularyItem> added;
        QUuid removedId;
    };

    void refresh();  // with m_changeMutex held: adopts the file when another process changed it
    void adopt(const DataFile::Reading<VocabularyStorage>& reading);
    void apply(const Change& change);  // to m_items, and keeps it pending until saved
    void indexWords();  // m_words from m_items, with both mutexes held
    void save();     // with m_changeMutex held
    VocabularyItem makeItem(const QString& word, const std::optional<QStringList>& variants,
                            const std::optional<QString>& category) const;

    Clock& m_clock;
    bool m_loadFailed = false;

    // Serialises changes and the save that follows each (file write and log line), so the
    // file always ends with the latest list. Taken before the file's lock and m_itemsMutex.
    mutable QMutex m_changeMutex;
    QList<Change> m_pending;  // applied to m_items but not saved yet
    QSet<QString> m_words;    // the words of m_items, for the duplicate check of changes
    mutable QMutex m_itemsMutex;  // guards m_items only, held briefly
    QList<VocabularyItem> m_items;
    DataFile m_file;  // last: its watcher calls into the members above
};

}  // namespace vocena
