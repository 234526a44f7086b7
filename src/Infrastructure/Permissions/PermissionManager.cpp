#include "Infrastructure/Permissions/PermissionManager.h"

#include "Infrastructure/Permissions/OwnThreadCall.h"
#include "Infrastructure/Platform/Logging.h"

#include <QCoreApplication>
#include <QPointer>
#include <QThread>

namespace vocena {

namespace {

const Logger logger("PermissionManager");

QString noAnswer(std::chrono::milliseconds timeout) {
    return QStringLiteral("检查在 %1 秒内没有完成").arg(double(timeout.count()) / 1000.0);
}

}  // namespace

QString rawValue(PermissionType type) {
    switch (type) {
    case PermissionType::microphone: return QStringLiteral("麦克风权限");
    case PermissionType::accessibility: return QStringLiteral("辅助功能权限");
    case PermissionType::speechRecognition: return QStringLiteral("语音识别权限");
    }
    return {};
}

std::optional<PermissionType> permissionTypeFromRawValue(const QString& raw) {
    for (PermissionType type : {PermissionType::microphone, PermissionType::accessibility, PermissionType::speechRecognition})
        if (rawValue(type) == raw) return type;
    return std::nullopt;
}

QString statusName(PermissionStatus status) {
    switch (status) {
    case PermissionStatus::notDetermined: return QStringLiteral("notDetermined");
    case PermissionStatus::authorized: return QStringLiteral("authorized");
    case PermissionStatus::denied: return QStringLiteral("denied");
    case PermissionStatus::restricted: return QStringLiteral("restricted");
    }
    return {};
}

PermissionManager::PermissionManager(PermissionProbes probes, QObject* parent, std::chrono::milliseconds probeTimeout)
    : QObject(parent), m_probes(std::move(probes)), m_probeTimeout(probeTimeout) {}

void PermissionManager::setStatus(PermissionType type, PermissionStatus status, const QString& detail) {
    m_statuses.insert(type, status);
    m_details.insert(type, detail);
    Q_EMIT permissionStatusesChanged();
}

bool PermissionManager::isMissingRequiredPermissions() const {
    for (PermissionStatus status : m_statuses)
        if (status != PermissionStatus::authorized) return true;
    return false;
}

QCoro::Task<> PermissionManager::checkAllPermissions() {
    QPointer self{this};
    // Both blocking probes start now and run side by side.
    QCoro::Task<PermissionCheck> microphoneProbe = probeMicrophone();
    QCoro::Task<PermissionCheck> accessibilityProbe = probeAccessibility();
    const PermissionCheck microphone = co_await std::move(microphoneProbe);
    if (!self) co_return;
    setStatus(PermissionType::microphone, microphone.status, microphone.detail);
    const PermissionCheck accessibility = co_await std::move(accessibilityProbe);
    if (!self) co_return;
    setStatus(PermissionType::accessibility, accessibility.status, accessibility.detail);
    checkSpeechRecognitionPermission();
}

QCoro::Task<PermissionStatus> PermissionManager::checkAccessibilityPermission() {
    // (No member is touched after the wait.)
    const PermissionCheck check = co_await probeAccessibility();
    co_return check.status;
}

QCoro::Task<PermissionCheck> PermissionManager::probeMicrophone() {
    if (!m_probes.microphone) co_return PermissionCheck{};
    QPointer self{this};
    const std::chrono::milliseconds timeout = m_probeTimeout;
    // g++ 12 destroys the argument temporaries of a call inside co_await twice: call first.
    QCoro::Task<std::optional<PermissionCheck>> probing = callOnOwnThread(m_probes.microphone, timeout);
    const std::optional<PermissionCheck> check = co_await std::move(probing);
    if (!self) co_return PermissionCheck{};
    co_return check.value_or(PermissionCheck{PermissionStatus::denied, noAnswer(timeout)});
}

QCoro::Task<PermissionCheck> PermissionManager::probeAccessibility() {
    if (QCoreApplication::instance() && QThread::currentThread() != QCoreApplication::instance()->thread())
        logger.error(QStringLiteral("checkAccessibilityPermission 不在主线程调用，可能导致错误结果"));
    QPointer self{this};
    // The display's probe starts on its own thread while the input method is asked here.
    QCoro::Task<PermissionCheck> display = probeDisplayAccessibility();
    std::optional<AccessibilityCheck> inputMethod;
    if (m_probes.inputMethod) {
        QCoro::Task<AccessibilityCheck> asking = m_probes.inputMethod();
        inputMethod = co_await std::move(asking);
    }
    const PermissionCheck x11 = co_await std::move(display);
    if (!self) co_return PermissionCheck{PermissionStatus::denied, {}};
    PermissionCheck result = x11;
    if (inputMethod && inputMethod->trusted && inputMethod->realOperationWorks)
        result = {PermissionStatus::authorized, inputMethod->detail};
    else if (inputMethod && x11.status != PermissionStatus::authorized)
        result.detail = x11.detail.isEmpty() ? inputMethod->detail : inputMethod->detail + QStringLiteral("；") + x11.detail;
    if (result.status == PermissionStatus::authorized && m_probes.typingInUse && !m_probes.typingInUse()) {
        logger.notice(QStringLiteral("已找到输入文字的方式，但澄言启动时选定的方式不变，需要重启"));
        result = {PermissionStatus::denied, QString::fromUtf8(kRestartToType)};
    }
    logger.debug(QStringLiteral("辅助功能权限检查: %1")
                     .arg(result.status == PermissionStatus::authorized ? QStringLiteral("已授权") : QStringLiteral("未授权")));
    co_return result;
}

QCoro::Task<PermissionCheck> PermissionManager::probeDisplayAccessibility() {
    if (!m_probes.accessibility) co_return PermissionCheck{PermissionStatus::denied, {}};
    QPointer self{this};
    const std::chrono::milliseconds timeout = m_probeTimeout;
    QCoro::Task<std::optional<AccessibilityCheck>> probing = callOnOwnThread(m_probes.accessibility, timeout);  // (g++ 12)
    std::optional<AccessibilityCheck> check = co_await std::move(probing);
    if (!self) co_return PermissionCheck{PermissionStatus::denied, {}};
    if (!check) check = AccessibilityCheck{false, false, noAnswer(timeout)};
    if (check->trusted && !check->realOperationWorks) {
        logger.error(QStringLiteral("应用在白名单中但权限未真正启用（缓存问题或开关关闭）"));
        co_return PermissionCheck{PermissionStatus::denied, check->detail};
    }
    co_return PermissionCheck{check->trusted ? PermissionStatus::authorized : PermissionStatus::denied, check->detail};
}

PermissionCheck PermissionManager::probeSpeechRecognition() {
    return m_probes.speechRecognition ? m_probes.speechRecognition() : PermissionCheck{};
}

QCoro::Task<bool> PermissionManager::requestMicrophonePermission() {
    // (No member is touched after the wait.)
    const PermissionCheck check = co_await probeMicrophone();
    co_return check.status == PermissionStatus::authorized;
}

QCoro::Task<bool> PermissionManager::requestSpeechPermission() {
    co_return probeSpeechRecognition().status == PermissionStatus::authorized;
}

PermissionStatus PermissionManager::checkSpeechRecognitionPermission() {
    const PermissionCheck speech = probeSpeechRecognition();
    setStatus(PermissionType::speechRecognition, speech.status, speech.detail);
    return speech.status;
}

QCoro::Task<bool> PermissionManager::requestAccessibilityPermission() {
    QPointer self{this};
    const PermissionStatus status = co_await checkAccessibilityPermission();
    if (!self) co_return false;
    if (status == PermissionStatus::authorized) {
        logger.info(QStringLiteral("辅助功能权限已通过弹窗授权"));
        co_return true;
    }
    logger.info(QStringLiteral("辅助功能权限未通过弹窗授权，打开系统设置..."));
    openSystemPreferences(PermissionType::accessibility);
    co_return false;
}

void PermissionManager::openSystemPreferences(PermissionType type) {
    if (m_probes.openHelp) m_probes.openHelp(type);
}

}  // namespace vocena
