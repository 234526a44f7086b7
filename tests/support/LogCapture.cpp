#include "support/LogCapture.h"

#include "Infrastructure/Platform/Logging.h"

#include <QMutexLocker>

namespace vocena::test {

namespace {
LogCapture* g_active = nullptr;
QMutex g_mutex;  // guards g_active and the lines of the capture (logging threads write them)
}  // namespace

LogCapture::LogCapture() {
    QMutexLocker lock(&g_mutex);
    g_active = this;
    m_previous = qInstallMessageHandler(&LogCapture::handler);
}

LogCapture::~LogCapture() {
    QMutexLocker lock(&g_mutex);
    qInstallMessageHandler(m_previous);
    g_active = nullptr;
}

void LogCapture::handler(QtMsgType, const QMessageLogContext& context, const QString& message) {
    QMutexLocker lock(&g_mutex);
    if (g_active) g_active->m_lines << Logging::formatLine(context, message);
}

QStringList LogCapture::lines() const {
    QMutexLocker lock(&g_mutex);
    return m_lines;
}

bool LogCapture::contains(const QString& fragment) const { return !lines().filter(fragment).isEmpty(); }

void LogCapture::clear() {
    QMutexLocker lock(&g_mutex);
    m_lines.clear();
}

}  // namespace vocena::test
