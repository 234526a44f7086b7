#include "support/MemorySecretStore.h"

namespace vocena::test {

std::optional<QString> MemorySecretStore::peek(const QString& service, const QString& account) const {
    const auto it = m_secrets.constFind({service, account});
    return it == m_secrets.constEnd() ? std::nullopt : std::optional<QString>(*it);
}

QCoro::Task<std::optional<QString>> MemorySecretStore::read(QString service, QString account) {
    co_return peek(service, account);
}

QCoro::Task<bool> MemorySecretStore::write(QString service, QString account, QString secret) {
    if (secret.isEmpty())
        m_secrets.remove({service, account});
    else
        m_secrets.insert({service, account}, secret);
    co_return true;
}

QCoro::Task<bool> MemorySecretStore::remove(QString service, QString account) {
    return write(std::move(service), std::move(account), QString());
}

}  // namespace vocena::test
