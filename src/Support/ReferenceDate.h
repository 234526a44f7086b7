#pragma once

#include <QDateTime>

namespace vocena::ReferenceDate {

// Dates in the app's JSON files are numbers: seconds, with fraction, since
// 2001-01-01T00:00:00Z.
double toSeconds(const QDateTime& date);
QDateTime fromSeconds(double seconds);

}  // namespace vocena::ReferenceDate
