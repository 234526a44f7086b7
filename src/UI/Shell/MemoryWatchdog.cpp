#include "UI/Shell/MemoryWatchdog.h"

#include "Infrastructure/Platform/Logging.h"
#include "Infrastructure/Platform/MemoryProbe.h"

#include <cmath>

namespace vocena {

namespace {
const Logger logger("AppDelegate");
}

MemoryWatchdog::MemoryWatchdog(Dependencies dependencies) : m_deps(std::move(dependencies)) {}

MemoryWatchdog::~MemoryWatchdog() { stop(); }

void MemoryWatchdog::start() {
    m_running = true;
    if (!m_asking) scheduleTick();
}

void MemoryWatchdog::stop() {
    m_running = false;
    if (m_tick) m_tick->cancel();
    m_tick.reset();
    if (m_pendingQuestion) {
        // Not asked yet: nothing will answer.
        m_pendingQuestion->cancel();
        m_pendingQuestion.reset();
        m_asking = false;
    }
}

void MemoryWatchdog::scheduleTick() {
    if (m_tick) m_tick->cancel();
    m_tick = m_deps.scheduler.schedule(kCheckInterval, [this] {
        m_tick.reset();
        checkMemoryUsage();
        if (m_running && !m_asking) scheduleTick();
    });
}

void MemoryWatchdog::measureModelLoad(const std::function<void()>& load) {
    const std::optional<qint64> before = m_deps.probe.residentBytes();
    load();
    const std::optional<qint64> after = m_deps.probe.residentBytes();
    if (!before || !after) {
        logger.error(QStringLiteral("无法读取内存占用，语音模型占用按 0 MB 计"));
        m_modelBytes = 0;
        return;
    }
    m_modelBytes = std::max<qint64>(0, *after - *before);
    logger.info(QStringLiteral("语音模型占用 %1 MB").arg(qint64(double(m_modelBytes) / kBytesPerMB)));
}

qint64 MemoryWatchdog::currentMemoryMB() const {
    const std::optional<qint64> bytes = m_deps.probe.residentBytes();
    return bytes ? qint64(double(*bytes) / kBytesPerMB) : 0;
}

void MemoryWatchdog::checkMemoryUsage() {
    if (m_asking) return;
    const std::optional<qint64> bytes = m_deps.probe.residentBytes();
    if (!bytes) return;
    const double megabytes = double(*bytes) / kBytesPerMB;
    if (!(megabytes > thresholdMB())) return;
    logger.error(QStringLiteral("内存使用过高: %1MB").arg(qint64(megabytes)));
    m_asking = true;
    m_pendingQuestion = m_deps.scheduler.schedule(0, [this] {
        m_pendingQuestion.reset();
        handleHighMemory();
    });
}

QString MemoryWatchdog::forceQuitHint(qint64 processId) {
    // A hung event loop never handles SIGTERM: only SIGKILL ends it.
    return QStringLiteral("强制退出：在终端运行 kill -9 %1").arg(processId);
}

void MemoryWatchdog::handleHighMemory() {
    logger.error(QStringLiteral("内存过高，尝试退出..."));
    std::weak_ptr<int> alive = m_alive;
    if (!m_deps.stopRecording) {
        ask();
        return;
    }
    // The alert takes the focus: a stopped run's words are typed into their field first.
    m_deps.stopRecording([this, alive] {
        if (!alive.expired()) ask();
    });
}

void MemoryWatchdog::ask() {
    const QString informative =
        QStringLiteral("澄言当前内存使用过高(%1MB)，建议退出程序。\n\n").arg(currentMemoryMB()) + forceQuitHint(m_deps.processId);
    std::weak_ptr<int> alive = m_alive;
    m_deps.alert.show(QStringLiteral("内存使用过高"), informative, [this, alive](MemoryAlert::Choice choice) {
        if (!alive.expired()) answered(choice);
    });
}

void MemoryWatchdog::answered(MemoryAlert::Choice choice) {
    m_asking = false;
    if (choice == MemoryAlert::Choice::quit) {
        if (m_deps.quit) m_deps.quit();
        return;
    }
    if (m_running) scheduleTick();
}

}  // namespace vocena
