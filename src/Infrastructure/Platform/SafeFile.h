#pragma once

#include <QByteArray>
#include <QFileDevice>
#include <QString>

namespace vocena::SafeFile {

// Writes the whole file through a temporary file and a rename, so that a crash or a full
// disk never leaves half a file behind. With `permissions`, the temporary file gets them
// before any data goes in (else it copies those of the file it replaces). Creates the folder
// when needed. Returns an empty string on success, else the reason.
QString writeAtomically(const QString& path, const QByteArray& data, QFileDevice::Permissions permissions = {});

}  // namespace vocena::SafeFile
