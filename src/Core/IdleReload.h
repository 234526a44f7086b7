#pragma once

#include <functional>
#include <memory>

namespace vocena {

class Scheduler;
class VoiceInputService;
class WorkItem;

// Replaces the dictation (a model installed, chosen or changed) only when that cannot take
// words with it: `reload` runs at once when `busy` says no, else as soon as a check (every
// 0.25 s on `scheduler`) finds the dictation idle. Requests made while one waits are one reload.
// Main thread.
class IdleReload {
public:
    static constexpr double kRetrySeconds = 0.25;

    IdleReload(Scheduler& scheduler, std::function<bool()> busy, std::function<void()> reload);
    ~IdleReload();
    IdleReload(const IdleReload&) = delete;
    IdleReload& operator=(const IdleReload&) = delete;

    void request();
    bool isWaiting() const { return m_retry != nullptr; }

    // A dictation that is recording, processing a stopped run or still typing its words.
    static bool isBusy(const VoiceInputService* service);

private:
    void attempt();

    Scheduler& m_scheduler;
    std::function<bool()> m_busy;
    std::function<void()> m_reload;
    std::shared_ptr<WorkItem> m_retry;
};

}  // namespace vocena
