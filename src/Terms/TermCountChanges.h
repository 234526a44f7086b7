#pragma once

#include "Terms/TermEntry.h"

#include <QHash>
#include <QSet>
#include <QString>

namespace vocena {

// The changes this process made to the term counts since it last saved them. Another process
// may have saved its own counts meanwhile: the save re-reads the file and applies these
// changes on top, so that the counts of both processes add up instead of one overwriting
// the other.
class TermCountChanges {
public:
    // One more sighting of `entry.term` at `time`; the entry gives the category of a term
    // that is new to the file.
    void countSighting(const TermEntry& entry, double time);
    // The term's counts are forgotten (accepted, dismissed or pruned), with any sightings
    // counted here before.
    void remove(const QString& term);

    // Applies the changes to counts read from the file: removals first, then sightings.
    // Session counts are left to the caller.
    void applyTo(QHash<QString, TermEntry>& counts) const;

    bool isEmpty() const { return m_sightings.isEmpty() && m_removals.isEmpty(); }
    void clear();

private:
    QHash<QString, TermEntry> m_sightings;  // totalCount: sightings here; first and last time
    QSet<QString> m_removals;
};

}  // namespace vocena
