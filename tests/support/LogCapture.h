#pragma once

#include <QString>
#include <QStringList>

namespace vocena::test {

// Captures the app's log lines ("[Category] message") while it lives, at every level.
class LogCapture {
public:
    LogCapture();
    ~LogCapture();
    LogCapture(const LogCapture&) = delete;
    LogCapture& operator=(const LogCapture&) = delete;

    QStringList lines() const;
    bool contains(const QString& fragment) const;
    void clear();

private:
    static void handler(QtMsgType, const QMessageLogContext&, const QString&);
    QStringList m_lines;
    QtMessageHandler m_previous;
};

}  // namespace vocena::test
