#pragma once

#include "Infrastructure/Platform/Clock.h"

#include <cmath>
#include <functional>

namespace vocena::test {

// A clock that stands still until the test moves it. With a ManualScheduler attached, moving
// it runs the work that falls due on the way.
class ManualClock final : public Clock {
public:
    explicit ManualClock(QDateTime start = QDateTime(QDate(2026, 1, 1), QTime(9, 0), Qt::UTC)) : m_now(std::move(start)) {}
    QDateTime now() const override { return m_now; }
    void advance(double seconds) {
        const QDateTime time = m_now.addMSecs(std::llround(seconds * 1000.0));
        if (m_driver)
            m_driver(time);
        else
            m_now = time;
    }

private:
    friend class ManualScheduler;
    QDateTime m_now;
    std::function<void(const QDateTime&)> m_driver;
};

}  // namespace vocena::test
