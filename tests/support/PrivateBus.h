#pragma once

#include "support/TestFiles.h"

#include <QDir>
#include <QMap>
#include <QProcess>
#include <QTemporaryDir>

namespace vocena::test {

// A session bus of its own (a dbus-daemon child) listening on <dir>/bus. `activatable` maps a
// bus name to the command the bus runs when someone calls that name; nothing else is started.
class PrivateBus {
public:
    explicit PrivateBus(const QMap<QString, QString>& activatable = {}) {
        QDir(m_dir.path()).mkpath(QStringLiteral("services"));
        for (auto it = activatable.cbegin(); it != activatable.cend(); ++it)
            writeFile(m_dir.filePath(QStringLiteral("services/%1.service").arg(it.key())),
                      "[D-BUS Service]\nName=" + it.key().toUtf8() + "\nExec=" + it.value().toUtf8() + "\n");
        const QString config = m_dir.filePath(QStringLiteral("bus.conf"));
        writeFile(config, "<busconfig><type>session</type><auth>EXTERNAL</auth><listen>unix:path=" + dir() +
                              "/bus</listen><servicedir>" + dir() + "/services</servicedir>"
                              "<policy context=\"default\"><allow send_destination=\"*\" eavesdrop=\"true\"/>"
                              "<allow eavesdrop=\"true\"/><allow own=\"*\"/></policy></busconfig>");
        m_daemon.start(QStringLiteral("dbus-daemon"),
                       {QStringLiteral("--nofork"), QStringLiteral("--print-address=1"), QStringLiteral("--config-file=") + config});
        if (m_daemon.waitForReadyRead(10000)) m_address = m_daemon.readLine().trimmed();
    }
    ~PrivateBus() {
        m_daemon.kill();
        m_daemon.waitForFinished();
    }
    // Empty when the bus did not start.
    QByteArray address() const { return m_address; }
    QByteArray dir() const { return m_dir.path().toUtf8(); }

private:
    QTemporaryDir m_dir;
    QProcess m_daemon;
    QByteArray m_address;
};

}  // namespace vocena::test
