#pragma once

#include "Infrastructure/Platform/Clock.h"
#include "support/ManualClock.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <tuple>
#include <vector>

namespace vocena::test {

// Scheduler::main() in virtual time: advancing the attached clock runs the work that falls
// due, in order of due time (then of scheduling), with the clock standing at each item's due
// time while it runs. Work scheduled by such work runs in the same advance if it falls due
// within it; advancing by 0 runs what is due now. As with the real scheduler, work whose
// handle was cancelled or dropped does not run. The clock must outlive it.
class ManualScheduler final : public Scheduler {
public:
    explicit ManualScheduler(ManualClock& clock) : m_clock(clock) {
        m_clock.m_driver = [this](const QDateTime& time) { advanceTo(time); };
    }
    ~ManualScheduler() override { m_clock.m_driver = nullptr; }
    ManualScheduler(const ManualScheduler&) = delete;
    ManualScheduler& operator=(const ManualScheduler&) = delete;

    std::shared_ptr<WorkItem> schedule(double seconds, std::function<void()> work) override {
        auto item = std::make_shared<Item>();
        const QDateTime due = m_clock.now().addMSecs(std::llround(std::max(0.0, seconds) * 1000.0));
        m_queue.push_back({due, m_nextSequence++, item, std::move(work)});
        return item;
    }

    // Work that would still run.
    int pendingCount() const {
        int count = 0;
        for (const Entry& entry : m_queue) count += entry.isLive() ? 1 : 0;
        return count;
    }

private:
    class Item final : public WorkItem {
    public:
        void cancel() override { m_cancelled = true; }
        bool isCancelled() const override { return m_cancelled; }

    private:
        bool m_cancelled = false;
    };

    struct Entry {
        QDateTime due;
        quint64 sequence;
        std::weak_ptr<Item> item;
        std::function<void()> work;
        bool isLive() const {
            const auto strong = item.lock();
            return strong && !strong->isCancelled();
        }
    };

    void advanceTo(const QDateTime& time) {
        for (;;) {
            auto next = m_queue.end();
            for (auto it = m_queue.begin(); it != m_queue.end(); ++it) {
                if (!it->isLive() || it->due > time) continue;
                if (next == m_queue.end() || std::tie(it->due, it->sequence) < std::tie(next->due, next->sequence)) next = it;
            }
            if (next == m_queue.end()) break;
            Entry entry = std::move(*next);
            m_queue.erase(next);
            if (entry.due > m_clock.m_now) m_clock.m_now = entry.due;
            const auto keepAlive = entry.item.lock();  // as the timer does while its work runs
            entry.work();
        }
        std::erase_if(m_queue, [](const Entry& entry) { return !entry.isLive(); });
        if (time > m_clock.m_now) m_clock.m_now = time;
    }

    ManualClock& m_clock;
    std::vector<Entry> m_queue;
    quint64 m_nextSequence = 0;
};

}  // namespace vocena::test
