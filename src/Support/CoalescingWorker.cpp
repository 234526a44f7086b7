#include "Support/CoalescingWorker.h"

#include <QMutexLocker>

namespace vocena {

CoalescingWorker::CoalescingWorker(std::function<void()> job) : m_job(std::move(job)) {
    m_pool.setMaxThreadCount(1);
}

CoalescingWorker::~CoalescingWorker() { waitForDone(); }

void CoalescingWorker::request() {
    QMutexLocker lock(&m_mutex);
    if (m_pending) return;
    m_pending = true;
    m_pool.start([this] {
        {
            QMutexLocker running(&m_mutex);
            m_pending = false;
        }
        m_job();
    });
}

void CoalescingWorker::waitForDone() { m_pool.waitForDone(); }

}  // namespace vocena
