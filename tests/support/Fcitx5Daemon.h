#pragma once

#include "Infrastructure/InputMethod/Fcitx5Bridge.h"
#include "support/WaitUntil.h"

#include <QDBusConnectionInterface>
#include <QDir>
#include <QProcess>
#include <QProcessEnvironment>

namespace vocena::test {

// fcitx5 on the test's session bus (dbus-run-session) with only its D-Bus frontend, the
// keyboard engine and the bridge addon loaded from the build tree (the target links
// vocena_fcitx5_buildtree: this build's addon folder, then fcitx5's own), its configuration
// under `home`. Stopped with the object.
class Fcitx5Daemon {
public:
    explicit Fcitx5Daemon(const QString& home) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("FCITX_ADDON_DIRS"), QStringLiteral(VOCENA_FCITX5_ADDON_DIRS));
        env.insert(QStringLiteral("FCITX_DATA_DIRS"), QStringLiteral(VOCENA_FCITX5_DATA_DIR));
        env.insert(QStringLiteral("HOME"), home);
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), QDir(home).filePath(QStringLiteral("fcitx5-config")));
        m_process.setProcessEnvironment(env);
        m_process.setProcessChannelMode(QProcess::MergedChannels);
        m_process.start(QStringLiteral("fcitx5"),
                        {QStringLiteral("--disable=all"), QStringLiteral("--enable=dbus,dbusfrontend,keyboard,vocenabridge")});
        // Only the bus is asked whether fcitx5 is there: a call to its name before it owns it would
        // start a second fcitx5 through D-Bus activation.
        waitUntil([&] { return m_process.state() == QProcess::NotRunning || ownsName(); });
    }
    ~Fcitx5Daemon() {
        m_process.terminate();
        if (!m_process.waitForFinished(5000)) m_process.kill();
        m_process.waitForFinished(1000);
    }

    bool ownsName() const { return QDBusConnection::sessionBus().interface()->isServiceRegistered(Fcitx5Bridge::serviceName); }
    QString output() { return QString::fromUtf8(m_process.readAll()); }

private:
    QProcess m_process;
};

// Sets an empty preedit through the bridge on the session bus: it changes nothing where an input
// context of fcitx5 has the focus, and is refused with the bridge's no-focus error where none has.
inline QDBusMessage setEmptyPreedit() {
    QDBusMessage call = QDBusMessage::createMethodCall(Fcitx5Bridge::serviceName, Fcitx5Bridge::objectPath,
                                                      Fcitx5Bridge::interfaceName, QStringLiteral("SetPreedit"));
    call.setArguments({QString()});
    return QDBusConnection::sessionBus().call(call, QDBus::Block, 5000);
}
inline bool someFieldHasFocus() { return setEmptyPreedit().type() == QDBusMessage::ReplyMessage; }

}  // namespace vocena::test
