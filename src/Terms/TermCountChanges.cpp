#include "Terms/TermCountChanges.h"

#include <algorithm>

namespace vocena {

void TermCountChanges::countSighting(const TermEntry& entry, double time) {
    auto it = m_sightings.find(entry.term);
    if (it == m_sightings.end()) {
        m_sightings.insert(entry.term, TermEntry{entry.term, 1, 0, time, time, entry.autoCategory});
        return;
    }
    ++it->totalCount;
    it->lastSeen = std::max(it->lastSeen, time);
}

void TermCountChanges::remove(const QString& term) {
    m_sightings.remove(term);
    m_removals.insert(term);
}

void TermCountChanges::applyTo(QHash<QString, TermEntry>& counts) const {
    for (const QString& term : m_removals) counts.remove(term);
    for (const TermEntry& sighting : m_sightings) {
        auto it = counts.find(sighting.term);
        if (it == counts.end()) {
            counts.insert(sighting.term, sighting);
            continue;
        }
        it->totalCount += sighting.totalCount;
        it->lastSeen = std::max(it->lastSeen, sighting.lastSeen);
    }
}

void TermCountChanges::clear() {
    m_sightings.clear();
    m_removals.clear();
}

}  // namespace vocena
