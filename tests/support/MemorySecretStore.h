#pragma once

#include "Infrastructure/Platform/SecretStore.h"

#include <QHash>
#include <QPair>

namespace vocena::test {

// A secret store in memory, with the rules of the real ones: an empty secret is absent, and
// writing one removes the entry. Calls complete at once.
class MemorySecretStore final : public SecretStore {
public:
    QCoro::Task<std::optional<QString>> read(QString service, QString account) override;
    QCoro::Task<bool> write(QString service, QString account, QString secret) override;
    QCoro::Task<bool> remove(QString service, QString account) override;
    QString backendName() const override { return QStringLiteral("memory"); }

    // The stored secret without going through a coroutine, for assertions.
    std::optional<QString> peek(const QString& service, const QString& account) const;

private:
    QHash<QPair<QString, QString>, QString> m_secrets;
};

}  // namespace vocena::test
