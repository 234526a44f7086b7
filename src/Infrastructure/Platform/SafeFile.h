#pragma once

#include <QByteArray>
#include <QString>
#include <optional>

namespace vocena::SafeFile {

// Writes the whole file through a temporary file and a rename, so that a crash or a full
// disk never leaves half a file behind. Returns an empty string on success, else the reason.
QString writeAtomically(const QString& path, const QByteArray& data);

// Renames an unreadable file to "<path>.corrupt-<yyyyMMdd-HHmmss>" so that the next save
// cannot destroy what the user had. Returns the new path, or nothing when the rename failed
// (then the caller must not overwrite the file either).
std::optional<QString> keepAside(const QString& path);

}  // namespace vocena::SafeFile
