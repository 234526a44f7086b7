#include "App/Cli/PermissionReport.h"

#include "Infrastructure/Permissions/PermissionHelp.h"

namespace vocena::PermissionReport {

namespace {

QString statusText(PermissionStatus status) {
    switch (status) {
    case PermissionStatus::authorized: return QStringLiteral("已授权");
    case PermissionStatus::notDetermined: return QStringLiteral("未确定");
    case PermissionStatus::denied: return QStringLiteral("未授权");
    case PermissionStatus::restricted: return QStringLiteral("受限");
    }
    return {};
}

}  // namespace

QStringList lines(const PermissionManager& manager, PermissionType type) {
    const PermissionStatus status = manager.permissionStatuses().value(type, PermissionStatus::notDetermined);
    const QString detail = manager.detail(type);
    QStringList result{QStringLiteral("%1: %2%3").arg(rawValue(type), statusText(status),
                                                      detail.isEmpty() ? QString() : QStringLiteral(" (%1)").arg(detail))};
    if (status == PermissionStatus::authorized) return result;
    for (const QString& line : PermissionHelp::howTo(type).split(QLatin1Char('\n'))) result << QStringLiteral("    ") + line;
    return result;
}

QList<PermissionType> allTypes() {
    return {PermissionType::microphone, PermissionType::accessibility, PermissionType::speechRecognition};
}

QList<PermissionType> missingTypes(const PermissionManager& manager) {
    QList<PermissionType> missing;
    for (PermissionType type : allTypes())
        if (manager.permissionStatuses().value(type) != PermissionStatus::authorized) missing.append(type);
    return missing;
}

}  // namespace vocena::PermissionReport
