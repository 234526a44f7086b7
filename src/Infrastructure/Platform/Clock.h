#pragma once

#include <QDateTime>
#include <functional>
#include <memory>

namespace vocena {

// The source of "now". Production uses the system clock; tests advance a manual one.
class Clock {
public:
    virtual ~Clock() = default;
    virtual QDateTime now() const = 0;

    // The process-wide system clock.
    static Clock& system();
};

// A cancellable piece of delayed work. Cancelling (or destroying the owner's handle) before
// it runs keeps it from running; cancelling afterwards does nothing.
class WorkItem {
public:
    virtual ~WorkItem() = default;
    virtual void cancel() = 0;
    virtual bool isCancelled() const = 0;
};

// Runs work on the main thread after a delay in seconds.
class Scheduler {
public:
    virtual ~Scheduler() = default;
    virtual std::shared_ptr<WorkItem> schedule(double seconds, std::function<void()> work) = 0;

    // The process-wide scheduler on the main thread's event loop (QTimer).
    static Scheduler& main();
};

}  // namespace vocena
