#pragma once

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>
#include <functional>

namespace vocena::test {

// Runs the main thread's events until `done` holds or `milliseconds` pass (tests only, for
// work that really runs on other threads). Whether `done` holds in the end.
inline bool waitFor(const std::function<bool()>& done, int milliseconds = 10000) {
    QElapsedTimer waited;
    waited.start();
    while (!done() && waited.elapsed() < milliseconds) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        QThread::msleep(2);
    }
    QCoreApplication::processEvents();
    return done();
}

}  // namespace vocena::test
