#pragma once

#include <QCoro/QCoroSignal>
#include <QCoro/QCoroTask>
#include <QObject>

namespace vocena::test {

// A point where a coroutine of the code under test waits until the test opens it: a slow
// microphone check, a punctuation model that takes its time. Opening resumes every waiter
// at once, in the same turn of the event loop as the call.
class Gate final : public QObject {
    Q_OBJECT
public:
    QCoro::Task<> wait() {
        ++waiting;
        co_await qCoro(this, &Gate::opened);
        --waiting;
    }
    void open() { Q_EMIT opened(); }

    int waiting = 0;

Q_SIGNALS:
    void opened();
};

}  // namespace vocena::test
