#include "UI/Permissions/PermissionGuidanceViewModel.h"

#include "Infrastructure/Platform/CancelToken.h"
#include "Infrastructure/Platform/Clock.h"
#include "Infrastructure/Platform/Logging.h"
#include "Infrastructure/Speech/Models/ModelCatalog.h"
#include "Infrastructure/Speech/Models/ModelStore.h"
#include "UI/Common/MirrorField.h"

#include <QCoro/QCoroTimer>
#include <QPointer>

namespace vocena {

namespace {

const Logger logger("PermissionGuidanceView");

constexpr double kActivationDelay = 0.5;  // seconds
constexpr double kAlertDelay = 0.5;
// Between the requests of "全部授权": no prompt follows the previous one at once.
constexpr auto kPauseAfterRefusedAccessibility = std::chrono::milliseconds(500);
constexpr auto kPauseAfterRequest = std::chrono::milliseconds(200);

// The reason an install failed, with what to do when no server answered.
QString problemOf(const ModelStore::InstallResult& result) {
    if (!result.unreachable) return result.message;
    return result.message + QStringLiteral("\n可在下方「%1」填写镜像地址后重试，或用别的方式下载压缩包后，在设置的「语音模型」中用「从文件安装…」安装。")
                                .arg(MirrorField::kTitle);
}

}  // namespace

PermissionGuidanceViewModel::PermissionGuidanceViewModel(PermissionGuideSetup setup, QObject* parent)
    : QObject(parent), m_setup(std::move(setup)) {
    PermissionProbes probes = m_setup.probes;
    // The guide answers "open the settings" with its own help dialog.
    probes.openHelp = [this](PermissionType type) { Q_EMIT helpRequested(type); };
    m_manager = new PermissionManager(std::move(probes), this);
    if (!m_setup.scheduler) m_setup.scheduler = &Scheduler::main();
    checkAllPermissions();
}

PermissionGuidanceViewModel::~PermissionGuidanceViewModel() {
    // Queued: a cancel may resume the install at once, which must find this object gone
    // rather than half destroyed (and its view with it).
    if (m_installCancel) QMetaObject::invokeMethod(m_installCancel.get(), &CancelToken::cancel, Qt::QueuedConnection);
}

const QList<PermissionType>& PermissionGuidanceViewModel::permissionTypes() {
    static const QList<PermissionType> types{PermissionType::microphone, PermissionType::accessibility,
                                             PermissionType::speechRecognition};
    return types;
}

bool PermissionGuidanceViewModel::allAuthorized() const {
    for (PermissionType type : permissionTypes())
        if (status(type) != PermissionStatus::authorized) return false;
    return true;
}

bool PermissionGuidanceViewModel::everyEntryAuthorized() const {
    for (PermissionStatus status : m_permissions)
        if (status != PermissionStatus::authorized) return false;
    return true;
}

void PermissionGuidanceViewModel::store(PermissionType type, PermissionStatus status) {
    m_permissions.insert(type, status);
    Q_EMIT permissionsChanged();
}

void PermissionGuidanceViewModel::checkAllPermissions() {
    if (m_checking) return;  // the check under way answers this call too
    refreshAll();
}

QCoro::Task<> PermissionGuidanceViewModel::refreshAll() {
    QPointer self{this};
    m_checking = true;
    QCoro::Task<> checking = m_manager->checkAllPermissions();
    co_await std::move(checking);
    if (!self) co_return;
    m_checking = false;
    m_permissions = m_manager->permissionStatuses();
    Q_EMIT permissionsChanged();
}

void PermissionGuidanceViewModel::refreshAccessibilityStatus() { refreshAccessibility(); }

QCoro::Task<> PermissionGuidanceViewModel::refreshAccessibility() {
    QPointer self{this};
    QCoro::Task<PermissionStatus> checking = m_manager->checkAccessibilityPermission();
    const PermissionStatus status = co_await std::move(checking);
    if (!self) co_return;
    if (m_permissions.contains(PermissionType::accessibility) && m_permissions.value(PermissionType::accessibility) == status) co_return;
    store(PermissionType::accessibility, status);
}

void PermissionGuidanceViewModel::applicationDidBecomeActive() {
    logger.info(QStringLiteral("应用从后台激活，准备刷新权限状态..."));
    QPointer self{this};
    m_pendingActivation = m_setup.scheduler->schedule(kActivationDelay, [self] {
        if (self) self->handleAppActivation();
    });
}

void PermissionGuidanceViewModel::handleAppActivation() {
    refreshAccessibilityStatus();
    logger.info(QStringLiteral("应用激活后权限状态已刷新"));
}

void PermissionGuidanceViewModel::openSystemPreferences(PermissionType type) { m_manager->openSystemPreferences(type); }

void PermissionGuidanceViewModel::requestPermission(PermissionType type) { requestFromRow(type); }

QCoro::Task<> PermissionGuidanceViewModel::requestFromRow(PermissionType type) {
    QPointer self{this};
    QCoro::Task<bool> asking = request(type);
    const bool granted = co_await std::move(asking);
    if (!self || granted || type != PermissionType::accessibility) co_return;
    m_pendingAlert = m_setup.scheduler->schedule(kAlertDelay, [self] {
        if (self) Q_EMIT self->restartRequired();
    });
}

QCoro::Task<bool> PermissionGuidanceViewModel::request(PermissionType type) {
    QPointer self{this};
    if (type == PermissionType::speechRecognition) {
        QCoro::Task<bool> installing = installSpeechModel();
        co_return co_await std::move(installing);
    }
    bool granted = false;
    if (type == PermissionType::accessibility) {
        QCoro::Task<bool> asking = m_manager->requestAccessibilityPermission();
        granted = co_await std::move(asking);
    } else {
        QCoro::Task<bool> asking = m_manager->requestMicrophonePermission();
        granted = co_await std::move(asking);
    }
    if (!self) co_return false;
    store(type, granted ? PermissionStatus::authorized : PermissionStatus::denied);
    if (type == PermissionType::accessibility && granted) logger.info(QStringLiteral("辅助功能权限已授权"));
    if (type == PermissionType::accessibility && !granted) logger.info(QStringLiteral("辅助功能权限未授权，打开系统设置..."));
    co_return granted;
}

QCoro::Task<> PermissionGuidanceViewModel::requestAllPermissions() {
    if (m_requestingAll) co_return;
    QPointer self{this};
    m_requestingAll = true;
    Q_EMIT permissionsChanged();
    logger.info(QStringLiteral("请求所有权限..."));
    for (PermissionType type : permissionTypes()) {
        if (status(type) == PermissionStatus::authorized) continue;
        logger.info(QStringLiteral("请求权限: %1").arg(rawValue(type)));
        QCoro::Task<bool> asking = request(type);
        const bool granted = co_await std::move(asking);
        if (!self) co_return;
        if (type != PermissionType::accessibility) {
            co_await QCoro::sleepFor(kPauseAfterRequest);
        } else if (!granted) {
            co_await QCoro::sleepFor(kPauseAfterRefusedAccessibility);
        }
        if (!self) co_return;
    }
    m_requestingAll = false;
    Q_EMIT permissionsChanged();
    logger.info(QStringLiteral("所有权限请求完成"));
}

ModelStore PermissionGuidanceViewModel::modelStore() const {
    return ModelStore(*m_setup.preferences, m_setup.modelsDirectory, m_setup.verifierProgram);
}

QCoro::Task<ModelStore::InstallResult> PermissionGuidanceViewModel::runInstall(QString source, ModelKind kind) {
    QPointer self{this};
    auto cancel = std::make_shared<CancelToken>();
    m_installCancel = cancel;
    m_install = ModelInstall{};
    m_install.running = true;
    m_install.kind = kind;
    Q_EMIT modelInstallChanged();
    logger.info(QStringLiteral("开始安装模型 %1").arg(source));

    // The store lives in this frame until the install is over, whatever happens to the view model.
    ModelStore store = modelStore();
    ModelStore::Progress progress = [self](qint64 received, qint64 total) {
        if (self) self->onInstallProgress(received, total);
    };
    QCoro::Task<ModelStore::InstallResult> installing = store.install(source, std::nullopt, progress, cancel);
    ModelStore::InstallResult result = co_await std::move(installing);
    if (!self) co_return result;
    m_installCancel.reset();
    m_install = ModelInstall{};
    if (result.ok) {
        logger.info(QStringLiteral("模型安装完成: %1").arg(result.model->name));
    } else if (cancel->isCancelled()) {
        logger.info(QStringLiteral("已取消模型安装"));
    } else {
        logger.error(QStringLiteral("模型安装失败: %1").arg(result.message));
    }
    co_return result;
}

QCoro::Task<bool> PermissionGuidanceViewModel::installSpeechModel() {
    if (m_install.running) co_return false;  // the install under way answers the row
    if (!m_setup.preferences) {
        m_installProblem = QStringLiteral("无法安装语音模型：没有偏好设置");
        Q_EMIT modelInstallChanged();
        co_return false;
    }
    QPointer self{this};
    m_installProblem.clear();
    m_followUpProblem.clear();
    QCoro::Task<ModelStore::InstallResult> installing = runInstall(m_setup.speechModel, ModelKind::speech);
    const ModelStore::InstallResult result = co_await std::move(installing);
    if (!self) co_return false;
    if (!result.ok) m_installProblem = problemOf(result);
    // The app loads the new model first: its check answers from the dictation it runs.
    if (result.ok) Q_EMIT speechModelInstalled(result.model->name);
    if (!self) co_return false;
    // What the check finds now: authorized when the model loads, still not determined when
    // nothing was installed (the row offers "授权" again), denied when it does not load.
    const PermissionStatus status = m_manager->checkSpeechRecognitionPermission();
    store(PermissionType::speechRecognition, status);
    Q_EMIT modelInstallChanged();
    if (result.ok && !m_setup.punctuationModel.isEmpty() && !modelStore().punctuationModel())
        installFollowUp(m_setup.punctuationModel, ModelKind::punctuation, QStringLiteral("标点模型"));
    co_return status == PermissionStatus::authorized;
}

bool PermissionGuidanceViewModel::offersFinalPass() const {
    return !m_setup.finalPassModel.isEmpty() && m_setup.preferences && !m_install.running &&
           status(PermissionType::speechRecognition) == PermissionStatus::authorized && !modelStore().finalPassModel();
}

QString PermissionGuidanceViewModel::finalPassSize() const {
    const std::optional<ModelCatalog::Entry> entry = ModelCatalog::find(m_setup.finalPassModel);
    return entry ? entry->sizeText() : QString();
}

void PermissionGuidanceViewModel::installFinalPassModel() {
    if (!offersFinalPass()) return;
    m_followUpProblem.clear();
    installFollowUp(m_setup.finalPassModel, ModelKind::finalPass, QStringLiteral("整句识别模型"));
}

QCoro::Task<> PermissionGuidanceViewModel::installFollowUp(QString source, ModelKind kind, QString what) {
    QPointer self{this};
    QCoro::Task<ModelStore::InstallResult> installing = runInstall(source, kind);
    const ModelStore::InstallResult result = co_await std::move(installing);
    if (!self) co_return;
    if (!result.ok) m_followUpProblem = QStringLiteral("%1未安装：%2").arg(what, problemOf(result));
    Q_EMIT modelInstallChanged();
}

void PermissionGuidanceViewModel::onInstallProgress(qint64 received, qint64 total) {
    const DownloadProgress before = m_install.progress;
    m_install.progress.update(received, total, Clock::system().now());
    if (m_install.progress.visiblyDiffersFrom(before)) Q_EMIT modelInstallChanged();
}

void PermissionGuidanceViewModel::cancelModelInstall() {
    if (m_installCancel) m_installCancel->cancel();
}

}  // namespace vocena
