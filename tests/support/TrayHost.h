#pragma once

#include "support/WaitUntil.h"

#include <QProcess>
#include <QSystemTrayIcon>

namespace vocena::test {

// A system tray on the test's X display: trayer, a small XEmbed tray host, at the bottom edge
// of the screen, for the life of the object.
class TrayHost {
public:
    TrayHost() {
        m_process.setProgram(QStringLiteral("trayer"));
        m_process.setArguments({QStringLiteral("--edge"), QStringLiteral("bottom"), QStringLiteral("--height"),
                                QStringLiteral("28"), QStringLiteral("--widthtype"), QStringLiteral("request")});
        m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        m_process.start();
    }
    ~TrayHost() { stop(); }
    TrayHost(const TrayHost&) = delete;
    TrayHost& operator=(const TrayHost&) = delete;

    // Whether the tray took over the display's tray selection in time.
    bool waitUntilReady() { return waitUntil([] { return QSystemTrayIcon::isSystemTrayAvailable(); }); }

    void stop() {
        if (m_process.state() == QProcess::NotRunning) return;
        m_process.terminate();
        if (!m_process.waitForFinished(5000)) m_process.kill();
        m_process.waitForFinished(5000);
        // Qt learns that the tray window went away from the display's events.
        waitUntil([] { return !QSystemTrayIcon::isSystemTrayAvailable(); });
    }

private:
    QProcess m_process;
};

}  // namespace vocena::test
