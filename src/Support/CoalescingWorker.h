#pragma once

#include <QMutex>
#include <QThreadPool>
#include <functional>

namespace vocena {

// Runs a job on its own background thread whenever asked. Requests made before the job has
// started are merged into that run; a request made while it runs queues one more run. So the
// job always starts after the latest request, and runs never overlap.
class CoalescingWorker {
public:
    explicit CoalescingWorker(std::function<void()> job);
    ~CoalescingWorker();  // waits for the runs already requested
    CoalescingWorker(const CoalescingWorker&) = delete;
    CoalescingWorker& operator=(const CoalescingWorker&) = delete;

    void request();
    void waitForDone();

private:
    const std::function<void()> m_job;
    QMutex m_mutex;
    bool m_pending = false;
    QThreadPool m_pool;
};

}  // namespace vocena
