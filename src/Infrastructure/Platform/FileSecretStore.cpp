#include "Infrastructure/Platform/FileSecretStore.h"

#include "Infrastructure/Platform/AppPaths.h"
#include "Infrastructure/Platform/Logging.h"
#include "Infrastructure/Platform/SafeFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QSaveFile>

namespace vocena {

namespace {
const Logger logger("SecretStore");
}

FileSecretStore::FileSecretStore(QString path) : m_path(std::move(path)) {}

QString FileSecretStore::standardPath() { return AppPaths::dataFile(QStringLiteral("secrets.json")); }

FileSecretStore::Contents FileSecretStore::load() const {
    Contents contents;
    QFile file(m_path);
    contents.exists = file.exists();
    if (!contents.exists)
        return contents;
    if (!file.open(QIODevice::ReadOnly)) {
        logger.error(QStringLiteral("无法读取密钥文件 %1: %2").arg(m_path, file.errorString()));
        contents.unreadable = true;
        return contents;
    }
    QJsonParseError parseError{};
    const QJsonDocument document = QJsonDocument::fromJson(file.readAll(), &parseError);
    if (parseError.error != QJsonParseError::NoError || !document.isObject()) {
        logger.error(QStringLiteral("密钥文件无效: %1").arg(m_path));
        contents.unreadable = true;
        return contents;
    }
    contents.services = document.object();
    return contents;
}

QCoro::Task<std::optional<QString>> FileSecretStore::read(QString service, QString account) {
    const Contents contents = load();
    const QString secret = contents.services.value(service).toObject().value(account).toString();
    if (secret.isEmpty())
        co_return std::nullopt;
    co_return secret;
}

QCoro::Task<bool> FileSecretStore::write(QString service, QString account, QString secret) {
    co_return change(service, account, secret);
}

QCoro::Task<bool> FileSecretStore::remove(QString service, QString account) {
    co_return change(service, account, QString());
}

// Sets (or with an empty secret removes) one entry and rewrites the file.
bool FileSecretStore::change(const QString& service, const QString& account, const QString& secret) {
    Contents contents = load();
    if (contents.unreadable) {
        const std::optional<QString> kept = SafeFile::keepAside(m_path);
        if (!kept) {
            logger.error(QStringLiteral("无法保留无效的密钥文件 %1，未写入").arg(m_path));
            return false;
        }
        logger.notice(QStringLiteral("无效的密钥文件已另存为 %1").arg(*kept));
        contents = {};
    }
    QJsonObject accounts = contents.services.value(service).toObject();
    if (secret.isEmpty()) {
        if (!contents.exists || !accounts.contains(account))
            return true;  // nothing to remove
        accounts.remove(account);
    } else {
        accounts.insert(account, secret);
    }
    if (accounts.isEmpty())
        contents.services.remove(service);
    else
        contents.services.insert(service, accounts);
    return save(contents.services);
}

bool FileSecretStore::save(const QJsonObject& services) const {
    QDir().mkpath(QFileInfo(m_path).absolutePath());
    QSaveFile file(m_path);
    // The temporary file is made private before the secret goes in (QSaveFile would copy
    // the permissions of the file it replaces).
    const bool ready = file.open(QIODevice::WriteOnly)
                       && file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    const QByteArray data = QJsonDocument(services).toJson(QJsonDocument::Indented);
    if (!ready || file.write(data) != data.size() || !file.commit()) {
        logger.error(QStringLiteral("无法写入密钥文件 %1: %2").arg(m_path, file.errorString()));
        file.cancelWriting();
        return false;
    }
    return true;
}

}  // namespace vocena
