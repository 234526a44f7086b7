#pragma once

#include "Infrastructure/Platform/Clock.h"
#include "UI/Shell/MemoryAlert.h"

#include <QString>
#include <QtGlobal>
#include <functional>
#include <memory>
#include <optional>

namespace vocena {

class MemoryProbe;

// Checks the process's resident size every 10 seconds and, when it is above the limit, stops
// the recording and asks the user whether to quit. The limit is 500 MB plus what loading the
// models added (the streaming model, the final pass's and the punctuation model live in this
// process). While the question is open no check
// runs; "继续运行" starts the 10-second cycle again, so the question comes back while the size
// stays above the limit. Main thread.
class MemoryWatchdog {
public:
    static constexpr double kCheckInterval = 10.0;
    static constexpr double kBaseThresholdMB = 500.0;
    static constexpr double kBytesPerMB = 1024.0 * 1024.0;

    // How to end the app from outside when it hangs: "强制退出：在终端运行 kill -9 <pid>".
    static QString forceQuitHint(qint64 processId);

    struct Dependencies {
        MemoryProbe& probe;
        Scheduler& scheduler;
        MemoryAlert& alert;
        // Stops a recording and calls `then` once its words are typed (bounded); empty: none.
        std::function<void(std::function<void()> then)> stopRecording;
        std::function<void()> quit;
        qint64 processId;
    };

    explicit MemoryWatchdog(Dependencies dependencies);
    ~MemoryWatchdog();
    MemoryWatchdog(const MemoryWatchdog&) = delete;
    MemoryWatchdog& operator=(const MemoryWatchdog&) = delete;

    void start();
    void stop();
    bool isRunning() const { return m_tick != nullptr; }

    // Runs `load` (which loads the models) and takes the resident memory it added as the
    // models' allowance, replacing an earlier one.
    void measureModelLoad(const std::function<void()>& load);
    qint64 modelAllowanceBytes() const { return m_modelBytes; }
    double thresholdMB() const { return kBaseThresholdMB + double(m_modelBytes) / kBytesPerMB; }

    // One check; above the limit, the question follows on the main loop.
    void checkMemoryUsage();
    // Whole megabytes, 0 when the size cannot be read.
    qint64 currentMemoryMB() const;

private:
    void scheduleTick();
    void handleHighMemory();
    void ask();
    void answered(MemoryAlert::Choice choice);

    Dependencies m_deps;
    qint64 m_modelBytes = 0;
    bool m_running = false;
    bool m_asking = false;  // a question is pending or open
    std::shared_ptr<WorkItem> m_tick;
    std::shared_ptr<WorkItem> m_pendingQuestion;
    std::shared_ptr<int> m_alive = std::make_shared<int>(0);  // weakly held by the alert's answer
};

}  // namespace vocena
