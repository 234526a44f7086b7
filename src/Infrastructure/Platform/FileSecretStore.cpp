#include "Infrastructure/Platform/FileSecretStore.h"

#include "Infrastructure/Platform/AppPaths.h"
#include "Infrastructure/Platform/Logging.h"

#include <QJsonDocument>
#include <QMutexLocker>

namespace vocena {

namespace {
const Logger logger("SecretStore");
}

FileSecretStore::FileSecretStore(QString path)
    : m_file(std::move(path), logger, {QFileDevice::ReadOwner | QFileDevice::WriteOwner}) {}

QString FileSecretStore::standardPath() { return AppPaths::dataFile(QStringLiteral("secrets.json")); }

void FileSecretStore::adopt(const DataFile::Reading<QJsonObject>& reading) {
    if (reading.state == DataFile::State::unreadable)
        logger.error(QStringLiteral("密钥文件无效: %1 (%2)").arg(m_file.path(), reading.error));
    m_services = reading.value;
}

QCoro::Task<std::optional<QString>> FileSecretStore::read(QString service, QString account) {
    QString secret;
    {
        QMutexLocker lock(&m_mutex);
        if (m_file.changedOnDisk()) adopt(m_file.read(&DataFile::decodeJsonObject));
        secret = m_services.value(service).toObject().value(account).toString();
    }
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
    QMutexLocker lock(&m_mutex);
    QJsonObject services;
    const QString error = m_file.update<QJsonObject>(
        &DataFile::decodeJsonObject, [this](const DataFile::Reading<QJsonObject>& reading) { adopt(reading); },
        [&]() -> std::optional<QByteArray> {
            services = m_services;
            QJsonObject accounts = services.value(service).toObject();
            if (secret.isEmpty() && !accounts.contains(account)) return std::nullopt;  // nothing to remove
            if (secret.isEmpty())
                accounts.remove(account);
            else
                accounts.insert(account, secret);
            if (accounts.isEmpty())
                services.remove(service);
            else
                services.insert(service, accounts);
            return QJsonDocument(services).toJson(QJsonDocument::Indented);
        });
    if (!error.isEmpty()) {
        logger.error(QStringLiteral("无法写入密钥文件 %1: %2").arg(m_file.path(), error));
        return false;
    }
    m_services = services;
    return true;
}

}  // namespace vocena
