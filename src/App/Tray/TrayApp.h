#pragma once

#include "App/Tray/AppAlerts.h"
#include "App/DictationStack.h"
#include "Core/IdleReload.h"
#include "Infrastructure/Permissions/PermissionManager.h"
#include "Infrastructure/Platform/AppInstance.h"

#include <QCoro/QCoroTask>
#include <QFileSystemWatcher>
#include <QObject>
#include <QPointer>
#include <memory>
#include <optional>

namespace vocena {

class AppDelegate;
class CliServices;
class GlobalShortcutsPortal;

// `vocena` without arguments: claims the one instance (or hands over to the running app),
// then runs the shell over the real dictation stack until it is asked to quit (the menu, D-Bus,
// the memory watchdog, SIGINT or SIGTERM). Needs a QApplication.
class TrayApp final : public QObject {
    Q_OBJECT
public:
    explicit TrayApp(CliServices& services);
    ~TrayApp() override;

    // Nothing once the app runs; else the exit code of a process that handed over.
    QCoro::Task<std::optional<int>> run();

private:
    // Loads the active model (measured by the watchdog) and gives the shell its dictation.
    void loadDictation();
    QString activeModelName() const;
    // The final-pass model the dictation would load now; empty for none.
    QString finalPassModelName() const;
    // Reloads the dictation when the active model is no longer the loaded one.
    void followActiveModel();
    // Loads the dictation again once no run is recording, processing or typing.
    void reloadWhenIdle();
    void quit();
    QCoro::Task<> finishAndExit();

    CliServices& m_services;
    PermissionManager m_permissions;
    std::unique_ptr<AppDelegate> m_delegate;
    std::unique_ptr<AppAlerts> m_alerts;
    std::unique_ptr<DictationStack> m_stack;
    std::unique_ptr<GlobalShortcutsPortal> m_shortcuts;  // Wayland sessions only
    PermissionCheck m_speechCheck;
    AppInstance m_instance;
    QString m_loadedModel;  // the active model's name when the dictation was loaded
    QString m_loadedFinalPass;  // and the final-pass model's
    QString m_backendReason;  // why the way of typing was chosen
    std::shared_ptr<void> m_modelWatch;
    QFileSystemWatcher m_modelFolderWatch;
    bool m_quitting = false;
    IdleReload m_reload;
    bool m_typingOnClipboardOnly = false;  // no way of typing was found at start
};

// Runs the tray app inside the process's event loop and returns its exit code.
int runTrayApp(CliServices& services, bool verbose);

}  // namespace vocena
