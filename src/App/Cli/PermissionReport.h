#pragma once

#include "Infrastructure/Permissions/PermissionManager.h"

#include <QStringList>

namespace vocena::PermissionReport {

// The lines that describe one permission after a check: "麦克风权限: 未授权 (reason)", and
// when it is not authorized, what to do, indented.
QStringList lines(const PermissionManager& manager, PermissionType type);

// The three permissions in the order they are checked.
QList<PermissionType> allTypes();

// Those of the three that the last check did not find authorized, in that order.
QList<PermissionType> missingTypes(const PermissionManager& manager);

}  // namespace vocena::PermissionReport
