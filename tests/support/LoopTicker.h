#pragma once

#include <QElapsedTimer>
#include <QTimer>

namespace vocena::test {

// Counts the turns of the main thread's event loop (a 10 ms timer) and the time since it was
// made, for a wait that must give up after its own limit without holding the loop up.
class LoopTicker {
public:
    LoopTicker() {
        QObject::connect(&m_timer, &QTimer::timeout, [this] { ++m_ticks; });
        m_timer.start(10);
        m_elapsed.start();
    }
    int ticks() const { return m_ticks; }
    qint64 elapsedMs() const { return m_elapsed.elapsed(); }

private:
    QTimer m_timer;
    QElapsedTimer m_elapsed;
    int m_ticks = 0;
};

}  // namespace vocena::test
