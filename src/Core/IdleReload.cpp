#include "Core/IdleReload.h"

#include "Core/VoiceInputService.h"
#include "Infrastructure/Platform/Clock.h"
#include "Infrastructure/Platform/Logging.h"

namespace vocena {

namespace {
const Logger logger("AppDelegate");
}  // namespace

IdleReload::IdleReload(Scheduler& scheduler, std::function<bool()> busy, std::function<void()> reload)
    : m_scheduler(scheduler), m_busy(std::move(busy)), m_reload(std::move(reload)) {}

IdleReload::~IdleReload() {
    if (m_retry) m_retry->cancel();
}

bool IdleReload::isBusy(const VoiceInputService* service) {
    return service && (service->isRecording() || service->isProcessing() || service->pendingInjections() > 0);
}

void IdleReload::request() {
    if (m_retry) return;  // the waiting reload answers this request too
    // The words being dictated come first: the service is not replaced under them.
    if (m_busy && m_busy()) logger.info(QStringLiteral("听写进行中，结束后重新加载语音模型"));
    attempt();
}

void IdleReload::attempt() {
    m_retry.reset();
    if (m_busy && m_busy()) {
        m_retry = m_scheduler.schedule(kRetrySeconds, [this] { attempt(); });
        return;
    }
    m_reload();
}

}  // namespace vocena
