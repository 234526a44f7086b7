#pragma once

#include "support/CliRunner.h"
#include "support/TestFiles.h"

#include <QDeadlineTimer>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <unistd.h>

namespace vocena::test {

// A sway compositor of the test's own on the headless backend (no GPU, no input devices, no
// XWayland), up for the life of the object. sway refuses to run as root: under root it runs as
// the user nobody (uid 65534, through setpriv) with a private runtime folder of mode 0700 owned
// by that user; root's clients reach its socket all the same. socket() is the socket's full
// path (a value for WAYLAND_DISPLAY), empty when the compositor did not start; problem() then
// says why.
class HeadlessSway {
public:
    static constexpr uid_t unprivilegedId = 65534;

    HeadlessSway() {
        const bool asRoot = ::geteuid() == 0;
        const QString setpriv = QStandardPaths::findExecutable(QStringLiteral("setpriv"));
        m_cannotSwitchUser = asRoot && setpriv.isEmpty();
        if (m_cannotSwitchUser) m_problem = QStringLiteral("running as root, and setpriv (util-linux) is missing to start sway as another user");
        if (!m_folder.isValid()) m_problem = QStringLiteral("no temporary folder");
        if (!m_problem.isEmpty()) return;
        // The user nobody passes through the folder to its runtime folder and reads the config.
        constexpr auto owner = QFile::ReadOwner | QFile::WriteOwner;
        QFile::setPermissions(m_folder.path(), owner | QFile::ExeOwner | QFile::ReadOther | QFile::ExeOther | QFile::ReadGroup | QFile::ExeGroup);
        const QString runtime = m_folder.filePath(QStringLiteral("runtime"));
        const QString config = m_folder.filePath(QStringLiteral("config"));
        QDir().mkpath(runtime);
        QFile::setPermissions(runtime, owner | QFile::ExeOwner);
        if (asRoot && ::chown(runtime.toLocal8Bit().constData(), unprivilegedId, unprivilegedId) != 0) {
            m_problem = QStringLiteral("cannot hand the runtime folder to uid 65534");
            return;
        }
        writeFile(config, "output HEADLESS-1 resolution 1280x720\nxwayland disable\n");
        QFile::setPermissions(config, owner | QFile::ReadOther | QFile::ReadGroup);

        m_process.setEnvironment({"PATH=" + qEnvironmentVariable("PATH"), "HOME=" + m_folder.path(),
                                  "XDG_RUNTIME_DIR=" + runtime, "WLR_BACKENDS=headless", "WLR_LIBINPUT_NO_DEVICES=1",
                                  "WLR_RENDERER=pixman"});
        m_process.setProcessChannelMode(QProcess::MergedChannels);
        const QString id = QString::number(unprivilegedId);
        const QStringList sway{QStringLiteral("sway"), QStringLiteral("-c"), config};
        const QStringList switchUser{"--reuid=" + id, "--regid=" + id, "--clear-groups"};
        m_process.start(asRoot ? setpriv : sway.first(), asRoot ? switchUser + sway : sway.mid(1));

        // The socket appears once sway is ready for clients.
        const QDeadlineTimer deadline(15000);
        while (m_socket.isEmpty() && m_process.state() != QProcess::NotRunning && !deadline.hasExpired()) {
            for (const QString& name : QDir(runtime).entryList({QStringLiteral("wayland-*")}, QDir::System))
                if (!name.endsWith(QLatin1String(".lock"))) m_socket = QDir(runtime).filePath(name);
            m_process.waitForReadyRead(20);
        }
        if (m_socket.isEmpty()) {
            const QString output = QString::fromLocal8Bit(m_process.readAll());
            // A container without the right to change users cannot run sway under root.
            m_cannotSwitchUser = asRoot && output.startsWith(QLatin1String("setpriv:"));
            m_problem = QStringLiteral("sway did not start: ") + output.right(2000);
        }
    }
    ~HeadlessSway() { stop(); }
    // Ends the compositor (its clients lose their connection).
    void stop() {
        if (m_process.state() == QProcess::NotRunning) return;
        m_process.terminate();
        if (!m_process.waitForFinished(5000)) m_process.kill();
        m_process.waitForFinished(1000);
    }

    QString socket() const { return m_socket; }
    QString problem() const { return m_problem; }
    // The test runs as root where setpriv may not switch users: nothing here can run sway.
    bool cannotSwitchUser() const { return m_cannotSwitchUser; }

private:
    QTemporaryDir m_folder;
    QProcess m_process;
    QString m_socket;
    QString m_problem;
    bool m_cannotSwitchUser = false;
};

// The compositor of a test executable run by WaylandTestMain (set before the tests run).
extern HeadlessSway* headlessSway;

// A window sway manages (a layer-shell surface is none), as its IPC tells it.
struct SwayWindow {
    QString name;
    bool focused = false;
};

inline void collectSwayWindows(const QJsonObject& node, QList<SwayWindow>& windows) {
    const QString type = node.value(QStringLiteral("type")).toString();
    const auto noChildren = [&](const char* children) { return node.value(QLatin1String(children)).toArray().isEmpty(); };
    const bool leaf = noChildren("nodes") && noChildren("floating_nodes");
    if (leaf && (type == QLatin1String("con") || type == QLatin1String("floating_con")))
        windows.append({node.value(QStringLiteral("name")).toString(), node.value(QStringLiteral("focused")).toBool()});
    for (const char* children : {"nodes", "floating_nodes"})
        for (const QJsonValue& child : node.value(QLatin1String(children)).toArray()) collectSwayWindows(child.toObject(), windows);
}

// The windows of the test's compositor (headlessSway), from its tree.
inline QList<SwayWindow> swayWindows() {
    const QDir runtime = QFileInfo(headlessSway->socket()).dir();
    const QStringList sockets = runtime.entryList({QStringLiteral("sway-ipc.*.sock")}, QDir::System);
    if (sockets.isEmpty()) return {};
    const ProcessResult tree = runProcess(
        QStringLiteral("swaymsg"), {QStringLiteral("-s"), runtime.filePath(sockets.first()), QStringLiteral("-t"), QStringLiteral("get_tree")});
    QList<SwayWindow> windows;
    collectSwayWindows(QJsonDocument::fromJson(tree.out.toUtf8()).object(), windows);
    return windows;
}

// In a test: skips where sway cannot run here at all (root without the right to switch users),
// and fails where it should have started.
#define VOCENA_REQUIRE_HEADLESS_SWAY()                                                             \
    do {                                                                                           \
        if (::vocena::test::headlessSway->cannotSwitchUser())                                      \
            GTEST_SKIP() << ::vocena::test::headlessSway->problem().toStdString();                 \
        ASSERT_FALSE(::vocena::test::headlessSway->socket().isEmpty())                             \
            << ::vocena::test::headlessSway->problem().toStdString();                              \
    } while (false)

// The clipboard as another application sets and reads it (wl-clipboard, through data-control).
inline void copyInAnotherApplication(const QString& text) {
    const ProcessResult copied = runProcess(QStringLiteral("wl-copy"), {text});
    EXPECT_EQ(copied.exitCode, 0) << copied.err.toStdString();
}
inline QString clipboardSeenByOthers() {
    return runProcess(QStringLiteral("wl-paste"), {QStringLiteral("--no-newline")}).out;
}

}  // namespace vocena::test
