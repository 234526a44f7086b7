#include "Infrastructure/Platform/Logging.h"

#include <QHash>
#include <QMutex>
#include <QMutexLocker>
#include <atomic>
#include <cstdio>

namespace vocena {

namespace {

constexpr const char* kPrefix = "com.vocena.mac.";

std::atomic<int> g_minimumLevel{static_cast<int>(Logging::Level::Info)};

int rank(QtMsgType type) {
    switch (type) {
    case QtDebugMsg: return static_cast<int>(Logging::Level::Debug);
    case QtInfoMsg: return static_cast<int>(Logging::Level::Info);
    case QtWarningMsg: return static_cast<int>(Logging::Level::Notice);
    case QtCriticalMsg:
    case QtFatalMsg: return static_cast<int>(Logging::Level::Error);
    }
    return static_cast<int>(Logging::Level::Error);
}

void handler(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    if (rank(type) < g_minimumLevel.load(std::memory_order_relaxed))
        return;
    const QByteArray line = Logging::formatLine(context, message).toUtf8() + '\n';
    std::fwrite(line.constData(), 1, static_cast<size_t>(line.size()), stderr);
    std::fflush(stderr);
}

// Categories live for the whole process: QLoggingCategory keeps the name pointer.
const QLoggingCategory* categoryNamed(const char* name) {
    static QMutex mutex;
    static QHash<QByteArray, QLoggingCategory*> categories;
    QMutexLocker lock(&mutex);
    const QByteArray key(name);
    auto it = categories.constFind(key);
    if (it != categories.constEnd())
        return it.value();
    auto* fullName = new QByteArray(QByteArray(kPrefix) + key);
    auto* category = new QLoggingCategory(fullName->constData(), QtDebugMsg);
    categories.insert(key, category);
    return category;
}

}  // namespace

Logger::Logger(const char* category) : m_category(categoryNamed(category)) {}

void Logger::debug(const QString& message) const { qCDebug((*m_category)).noquote() << message; }
void Logger::info(const QString& message) const { qCInfo((*m_category)).noquote() << message; }
void Logger::notice(const QString& message) const { qCWarning((*m_category)).noquote() << message; }
void Logger::error(const QString& message) const { qCCritical((*m_category)).noquote() << message; }
void Logger::fault(const QString& message) const { qCCritical((*m_category)).noquote() << message; }

namespace Logging {

void install(Level minimum) {
    setMinimumLevel(minimum);
    qInstallMessageHandler(handler);
}

void setMinimumLevel(Level minimum) { g_minimumLevel.store(static_cast<int>(minimum)); }

Level levelFromEnvironment(Level fallback) {
    const QByteArray value = qgetenv("VOCENA_LOG_LEVEL").trimmed().toLower();
    if (value == "debug") return Level::Debug;
    if (value == "info") return Level::Info;
    if (value == "notice" || value == "default" || value == "warning") return Level::Notice;
    if (value == "error") return Level::Error;
    return fallback;
}

QString formatLine(const QMessageLogContext& context, const QString& message) {
    QString category = QString::fromUtf8(context.category ? context.category : "default");
    if (category.startsWith(QLatin1String(kPrefix)))
        category = category.mid(int(qstrlen(kPrefix)));
    return QLatin1Char('[') + category + QLatin1String("] ") + message;
}

QString privateText(const QString& text) {
    return qgetenv("VOCENA_LOG_PRIVATE") == "1" ? text : QStringLiteral("<private>");
}

QString keyPrefix(const QString& key) { return key.left(5); }

}  // namespace Logging
}  // namespace vocena
