#pragma once

#include "Infrastructure/Platform/AppInstanceClient.h"
#include "Infrastructure/Platform/InstanceLock.h"

#include <QDBusConnection>
#include <QString>
#include <functional>
#include <memory>

namespace vocena {

class ApplicationInterface;

// Where the running app answers on the session bus.
namespace AppBus {
inline const QString serviceName = QStringLiteral("com.vocena.Vocena");
inline const QString objectPath = QStringLiteral("/com/vocena/Vocena");
inline const QString interfaceName = QStringLiteral("org.freedesktop.Application");
// The actions of ActivateAction.
inline const QString toggleRecording = QStringLiteral("toggle-recording");
inline const QString cycleWorkMode = QStringLiteral("cycle-work-mode");
inline const QString permissions = QStringLiteral("permissions");
inline const QString settings = QStringLiteral("settings");
inline const QString quit = QStringLiteral("quit");
}  // namespace AppBus

// What the running app does when another process asks; run on the main thread after the
// caller got its reply. An empty function makes that request fail as not supported.
struct AppActions {
    std::function<void()> activate;  // Activate: a second start of the app
    std::function<void()> toggleRecording;
    std::function<void()> cycleWorkMode;
    std::function<void()> permissions;
    std::function<void()> settings;
    std::function<void()> quit;
};

// The one running app: owns the bus name and exports org.freedesktop.Application at the
// object path. Without a session bus, a lock file in the runtime folder keeps the app to one
// instance (the commands that reach the app then do not work). Released when destroyed.
class AppInstance {
public:
    enum class Claim {
        primary,         // this process is the app
        alreadyRunning,  // another process holds the name (or, without a bus, the lock)
    };

    explicit AppInstance(AppActions actions, QDBusConnection bus = QDBusConnection::sessionBus(),
                         QString lockPath = InstanceLock::defaultPath());
    ~AppInstance();
    AppInstance(const AppInstance&) = delete;
    AppInstance& operator=(const AppInstance&) = delete;

    // Claims the name, or the lock file without a bus; once primary, later calls say so again.
    Claim claim();
    // Whether the claim went through the bus (false: the lock file, or not claimed yet).
    bool onBus() const { return m_onBus; }
    // Gives the name (or the lock) back; the app stops answering.
    void release();
    // The running app as other processes reach it, over the same bus and lock file.
    AppInstanceClient client() const { return AppInstanceClient(m_bus, m_lock.path()); }

private:
    QDBusConnection m_bus;
    InstanceLock m_lock;
    std::unique_ptr<ApplicationInterface> m_interface;
    bool m_primary = false;
    bool m_onBus = false;
};

}  // namespace vocena
