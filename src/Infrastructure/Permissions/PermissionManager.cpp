#include "Infrastructure/Permissions/PermissionManager.h"

#include "Infrastructure/Platform/Logging.h"

#include <QCoreApplication>
#include <QThread>

namespace vocena {

namespace {
const Logger logger("PermissionManager");
}

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

PermissionManager::PermissionManager(PermissionProbes probes, QObject* parent) : QObject(parent), m_probes(std::move(probes)) {}

void PermissionManager::setStatus(PermissionType type, PermissionStatus status) {
    m_statuses.insert(type, status);
    Q_EMIT permissionStatusesChanged();
}

bool PermissionManager::isMissingRequiredPermissions() const {
    for (PermissionStatus status : m_statuses)
        if (status != PermissionStatus::authorized) return true;
    return false;
}

void PermissionManager::checkAllPermissions() {
    setStatus(PermissionType::microphone, m_probes.microphone ? m_probes.microphone() : PermissionStatus::notDetermined);
    setStatus(PermissionType::accessibility, checkAccessibilityPermission());
    setStatus(PermissionType::speechRecognition,
              m_probes.speechRecognition ? m_probes.speechRecognition() : PermissionStatus::notDetermined);
}

PermissionStatus PermissionManager::checkAccessibilityPermission() {
    if (QCoreApplication::instance() && QThread::currentThread() != QCoreApplication::instance()->thread())
        logger.error(QStringLiteral("checkAccessibilityPermission 不在主线程调用，可能导致错误结果"));
    const bool trusted = m_probes.accessibilityTrusted && m_probes.accessibilityTrusted();
    if (trusted && !(m_probes.accessibilityRealOperation && m_probes.accessibilityRealOperation())) {
        logger.error(QStringLiteral("应用在白名单中但权限未真正启用（缓存问题或开关关闭）"));
        return PermissionStatus::denied;
    }
    logger.debug(QStringLiteral("辅助功能权限检查: %1").arg(trusted ? QStringLiteral("已授权") : QStringLiteral("未授权")));
    return trusted ? PermissionStatus::authorized : PermissionStatus::denied;
}

bool PermissionManager::requestMicrophonePermission() {
    return m_probes.microphone && m_probes.microphone() == PermissionStatus::authorized;
}

bool PermissionManager::requestSpeechPermission() {
    return m_probes.speechRecognition && m_probes.speechRecognition() == PermissionStatus::authorized;
}

bool PermissionManager::requestAccessibilityPermission() {
    if (checkAccessibilityPermission() == PermissionStatus::authorized) {
        logger.info(QStringLiteral("辅助功能权限已通过弹窗授权"));
        return true;
    }
    logger.info(QStringLiteral("辅助功能权限未通过弹窗授权，打开系统设置..."));
    openSystemPreferences(PermissionType::accessibility);
    return false;
}

void PermissionManager::openSystemPreferences(PermissionType type) {
    if (m_probes.openHelp) m_probes.openHelp(type);
}

}  // namespace vocena
