#pragma once

#include <QDeadlineTimer>
#include <QProcess>
#include <QProcessEnvironment>
#include <QString>

namespace vocena::test {

// An Xvfb display of the test's own, started through scripts/with-xvfb with extra Xvfb
// arguments ("-extension XTEST"), up for the life of the object. name() is ":N", or empty
// when the server did not start.
class PrivateDisplay {
public:
    PrivateDisplay(const QString& sourceDir, const QString& xvfbArguments) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("VOCENA_XVFB_ARGS"), xvfbArguments);
        m_server.setProcessEnvironment(env);
        // The shell prints the display and waits for its standard input to close.
        m_server.start(sourceDir + QStringLiteral("/scripts/with-xvfb"),
                       {QStringLiteral("sh"), QStringLiteral("-c"), QStringLiteral("echo \"$DISPLAY\"; exec cat >/dev/null")});
        const QDeadlineTimer deadline(10000);
        while (!m_server.canReadLine() && m_server.state() != QProcess::NotRunning && !deadline.hasExpired())
            m_server.waitForReadyRead(int(deadline.remainingTime()));
        if (m_server.canReadLine()) m_name = QString::fromUtf8(m_server.readLine()).trimmed();
    }
    ~PrivateDisplay() {
        m_server.closeWriteChannel();
        if (!m_server.waitForFinished(10000)) m_server.kill();
    }

    QString name() const { return m_name; }

private:
    QProcess m_server;
    QString m_name;
};

}  // namespace vocena::test
