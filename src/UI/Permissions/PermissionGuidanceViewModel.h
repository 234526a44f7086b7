#pragma once

#include "Infrastructure/Permissions/PermissionManager.h"
#include "Infrastructure/Speech/Models/DownloadProgress.h"
#include "Infrastructure/Speech/Models/ModelStore.h"
#include "UI/Permissions/PermissionGuideSetup.h"

#include <QCoro/QCoroTask>
#include <QHash>
#include <QList>
#include <QObject>
#include <memory>

namespace vocena {

class CancelToken;
class WorkItem;

// The statuses the permission guide shows and what its buttons do, over a PermissionManager of
// its own (the app's manager caches its statuses separately). Requesting speech recognition
// installs the default speech model, then the punctuation model as a second download; then the
// final-pass model is offered as an optional third. An install runs in the background (the
// download on the network stack, unpacking and verification in child processes) and can be
// cancelled. Main thread.
class PermissionGuidanceViewModel : public QObject {
    Q_OBJECT
public:
    // The speech model install under way, for the speech row.
    struct ModelInstall {
        bool running = false;
        ModelKind kind = ModelKind::speech;  // which model: the speech model or one that follows it
        DownloadProgress progress;
    };

    // Starts the first check of all permissions.
    explicit PermissionGuidanceViewModel(PermissionGuideSetup setup, QObject* parent = nullptr);
    // Cancels an install under way (a partial download is kept for the next try).
    ~PermissionGuidanceViewModel() override;

    // Microphone, accessibility, speech recognition: the order of the rows and of requests.
    static const QList<PermissionType>& permissionTypes();

    const QHash<PermissionType, PermissionStatus>& permissions() const { return m_permissions; }
    // Not determined while there is no entry.
    PermissionStatus status(PermissionType type) const { return m_permissions.value(type, PermissionStatus::notDetermined); }
    // What the last check found (the reason when not authorized).
    QString detail(PermissionType type) const { return m_manager->detail(type); }
    // All three known and authorized.
    bool allAuthorized() const;
    // Every known entry authorized (also when none is known yet).
    bool everyEntryAuthorized() const;

    const ModelInstall& modelInstall() const { return m_install; }
    // Why the last install failed, or that it was cancelled; empty after a success.
    const QString& installProblem() const { return m_installProblem; }
    // Why the last model that follows the speech model (punctuation, final pass) was not
    // installed; empty otherwise.
    const QString& followUpProblem() const { return m_followUpProblem; }
    // Whether the final-pass model is offered now: speech recognition granted, none installed,
    // no install running.
    bool offersFinalPass() const;
    // "约 350 MB" for a built-in final-pass model; empty when its size is unknown.
    QString finalPassSize() const;
    // The offer's "下载"; ignored while an install runs.
    void installFinalPassModel();

    // Refreshes all three entries from the system (joins a refresh under way).
    void checkAllPermissions();
    // While "全部授权" runs (its button is disabled).
    bool isRequestingAll() const { return m_requestingAll; }
    void requestPermission(PermissionType type);
    QCoro::Task<> requestAllPermissions();
    // Asks for the accessibility status again and stores it when it changed.
    void refreshAccessibilityStatus();
    // The application came back to the front: refreshes accessibility half a second later.
    void applicationDidBecomeActive();
    void handleAppActivation();
    void cancelModelInstall();
    // "去开启": the help of that permission (see helpRequested).
    void openSystemPreferences(PermissionType type);

Q_SIGNALS:
    void permissionsChanged();
    void modelInstallChanged();
    // Accessibility was refused from its row: the view shows the restart alert.
    void restartRequired();
    // The view shows the help of this permission.
    void helpRequested(vocena::PermissionType type);
    // A speech model was installed (and became the active one when none was): whoever holds a
    // recognizer may load it now.
    void speechModelInstalled(const QString& name);

private:
    QCoro::Task<> refreshAll();
    QCoro::Task<> refreshAccessibility();
    QCoro::Task<bool> request(PermissionType type);
    QCoro::Task<> requestFromRow(PermissionType type);
    QCoro::Task<bool> installSpeechModel();
    // A download after the speech model (the punctuation model, the final-pass model); what
    // went wrong goes to m_followUpProblem, after `what`.
    QCoro::Task<> installFollowUp(QString source, ModelKind kind, QString what);
    // One install of `source` into the store, shown in m_install until it ends.
    QCoro::Task<ModelStore::InstallResult> runInstall(QString source, ModelKind kind);
    ModelStore modelStore() const;
    void onInstallProgress(qint64 received, qint64 total);
    void store(PermissionType type, PermissionStatus status);

    PermissionGuideSetup m_setup;
    PermissionManager* m_manager;
    QHash<PermissionType, PermissionStatus> m_permissions;
    bool m_checking = false;
    bool m_requestingAll = false;
    ModelInstall m_install;
    QString m_installProblem;
    QString m_followUpProblem;
    std::shared_ptr<CancelToken> m_installCancel;
    std::shared_ptr<WorkItem> m_pendingActivation;
    std::shared_ptr<WorkItem> m_pendingAlert;
};

}  // namespace vocena
