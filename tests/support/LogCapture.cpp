#include "support/LogCapture.h"

#include "Infrastructure/Platform/Logging.h"

#include <QMutexLocker>
#include <atomic>

namespace vocena::test {

namespace {
std::atomic<LogCapture*> g_active{nullptr};
QMutex g_activeMutex;
}  // namespace

LogCapture::LogCapture() {
    QMutexLocker lock(&g_activeMutex);
    g_active = this;
    m_previous = qInstallMessageHandler(&LogCapture::handler);
}

LogCapture::~LogCapture() {
    QMutexLocker lock(&g_activeMutex);
    qInstallMessageHandler(m_previous);
    g_active = nullptr;
}

void LogCapture::handler(QtMsgType, const QMessageLogContext& context, const QString& message) {
    QMutexLocker lock(&g_activeMutex);
    if (LogCapture* self = g_active.load()) {
        QMutexLocker own(&self->m_mutex);
        self->m_lines << Logging::formatLine(context, message);
    }
}

QStringList LogCapture::lines() const {
    QMutexLocker lock(&m_mutex);
    return m_lines;
}

bool LogCapture::contains(const QString& fragment) const {
    const QStringList all = lines();
    for (const QString& line : all)
        if (line.contains(fragment)) return true;
    return false;
}

void LogCapture::clear() {
    QMutexLocker lock(&m_mutex);
    m_lines.clear();
}

}  // namespace vocena::test
