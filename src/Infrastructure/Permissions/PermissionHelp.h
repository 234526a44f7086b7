#pragma once

#include "Infrastructure/Permissions/PermissionManager.h"

#include <QString>
#include <QUrl>

namespace vocena::PermissionHelp {

// What to install or allow on Linux for a permission, a few lines of plain text (the command
// line prints it; the help page shows it). For typing it depends on the session: XTest on X11,
// fcitx5 with the bridge on Wayland, or the wlroots compositor's own protocols.
QString howTo(PermissionType type);

// What is missing for typing on this desktop, in one sentence: XTest on X11; the fcitx5
// bridge or the wlroots protocols on Wayland.
QString missingTyping();

// One line for a session where nothing can type: `reason` (why no way of typing was found, as
// the backend choice words it) and what to install to get one.
QString noWayOfTyping(const QString& reason);

// Writes a small help page for the permission into the temporary folder and returns its
// address, for QDesktopServices::openUrl. An empty URL when it could not be written.
QUrl writePage(PermissionType type);

}  // namespace vocena::PermissionHelp
