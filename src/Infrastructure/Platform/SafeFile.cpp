#include "Infrastructure/Platform/SafeFile.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>

namespace vocena::SafeFile {

QString writeAtomically(const QString& path, const QByteArray& data, QFileDevice::Permissions permissions) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return file.errorString();
    if ((permissions && !file.setPermissions(permissions)) || file.write(data) != data.size()) {
        const QString reason = file.errorString();
        file.cancelWriting();
        return reason;
    }
    if (!file.commit())
        return file.errorString();
    return {};
}

}  // namespace vocena::SafeFile
