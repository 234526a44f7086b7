#pragma once

#include "Infrastructure/Platform/Clock.h"

namespace vocena::test {

// A clock that stands still until the test moves it.
class ManualClock final : public Clock {
public:
    explicit ManualClock(QDateTime start = QDateTime(QDate(2026, 1, 1), QTime(9, 0), Qt::UTC)) : m_now(std::move(start)) {}
    QDateTime now() const override { return m_now; }
    void advance(double seconds) { m_now = m_now.addMSecs(qint64(seconds * 1000.0)); }

private:
    QDateTime m_now;
};

}  // namespace vocena::test
