#include "Infrastructure/Platform/Clock.h"

#include <QCoreApplication>
#include <QPointer>
#include <QTimer>
#include <cmath>

namespace vocena {

namespace {

class SystemClock final : public Clock {
public:
    QDateTime now() const override { return QDateTime::currentDateTimeUtc(); }
};

class TimerWorkItem final : public WorkItem {
public:
    explicit TimerWorkItem(QTimer* timer) : m_timer(timer) {}
    ~TimerWorkItem() override = default;
    void cancel() override {
        m_cancelled = true;
        if (m_timer) m_timer->deleteLater();
    }
    bool isCancelled() const override { return m_cancelled; }

private:
    QPointer<QTimer> m_timer;
    bool m_cancelled = false;
};

class TimerScheduler final : public Scheduler {
public:
    std::shared_ptr<WorkItem> schedule(double seconds, std::function<void()> work) override {
        auto* timer = new QTimer(QCoreApplication::instance());
        timer->setSingleShot(true);
        timer->setTimerType(Qt::PreciseTimer);
        auto item = std::make_shared<TimerWorkItem>(timer);
        std::weak_ptr<TimerWorkItem> weak = item;
        QObject::connect(timer, &QTimer::timeout, timer, [timer, weak, work = std::move(work)] {
            timer->deleteLater();
            auto strong = weak.lock();
            if (strong && !strong->isCancelled()) work();
        });
        timer->start(static_cast<int>(std::llround(std::max(0.0, seconds) * 1000.0)));
        return item;
    }
};

}  // namespace

Clock& Clock::system() {
    static SystemClock clock;
    return clock;
}

Scheduler& Scheduler::main() {
    static TimerScheduler scheduler;
    return scheduler;
}

}  // namespace vocena
