#pragma once

#include <QLoggingCategory>
#include <QString>

namespace vocena {

// One logger per source file, named after the file's main type. Lines are written as
// "[Category] message" under the Qt logging category "com.vocena.mac.<Category>".
//
// Levels: debug and info map to Qt's debug and info, default to warning (a notice that
// is shown even when info is filtered out), error and fault to critical.
class Logger {
public:
    explicit Logger(const char* category);

    void debug(const QString& message) const;
    void info(const QString& message) const;
    void notice(const QString& message) const;  // the platform log's "default" level
    void error(const QString& message) const;
    void fault(const QString& message) const;

    const QLoggingCategory& category() const { return *m_category; }

private:
    const QLoggingCategory* m_category;
};

namespace Logging {

enum class Level { Debug, Info, Notice, Error };

// Installs the message handler that writes "[Category] message" lines to standard error
// and shows only lines at `minimum` or above. Called once by main(); tests install their own.
void install(Level minimum);
void setMinimumLevel(Level minimum);
// Reads VOCENA_LOG_LEVEL (debug, info, notice, error); `fallback` when unset or unknown.
Level levelFromEnvironment(Level fallback);

// Formats one captured line the way the handler writes it.
QString formatLine(const QMessageLogContext& context, const QString& message);

// Dynamic text (transcripts, replies, terms) shows as "<private>" unless VOCENA_LOG_PRIVATE=1.
QString privateText(const QString& text);
// An API key shows only its first five characters.
QString keyPrefix(const QString& key);
// "%{bool}d" of the platform log: true or false.
inline QString boolText(bool value) { return value ? QStringLiteral("true") : QStringLiteral("false"); }

}  // namespace Logging
}  // namespace vocena
