#include "Support/ReferenceDate.h"

#include <cmath>

namespace vocena::ReferenceDate {

namespace {
constexpr qint64 kReferenceEpochMs = 978307200000LL;  // 2001-01-01T00:00:00Z
}

double toSeconds(const QDateTime& date) {
    return static_cast<double>(date.toMSecsSinceEpoch() - kReferenceEpochMs) / 1000.0;
}

QDateTime fromSeconds(double seconds) {
    return QDateTime::fromMSecsSinceEpoch(kReferenceEpochMs + std::llround(seconds * 1000.0), Qt::UTC);
}

}  // namespace vocena::ReferenceDate
