#pragma once

#include "Infrastructure/Platform/SecretStore.h"

#include <QString>
#include <chrono>

namespace vocena {

// The Secret Service of the session (gnome-keyring, KWallet, KeePassXC…) through libsecret.
// Items carry the attributes "service" and "account" and the label "澄言 API Key"; they are
// found by those two attributes alone, whichever program stored them.
//
// Each call runs on a worker thread with a GCancellable. A timer on the caller's thread
// cancels it after `timeout` (an unlock prompt may be waiting for the user) and the call
// ends there: a read reports absent, a write or removal false, and the log says why. The
// caller's event loop keeps running all the while. Each call opens the service afresh, so a
// keyring daemon that restarted is simply found again.
class LibsecretSecretStore final : public SecretStore {
public:
    static constexpr std::chrono::milliseconds kDefaultTimeout{20000};

    explicit LibsecretSecretStore(std::chrono::milliseconds timeout = kDefaultTimeout);

    QCoro::Task<std::optional<QString>> read(QString service, QString account) override;
    // Failed when the service could not be opened or asked, or did not answer in time.
    QCoro::Task<Reading> readChecked(QString service, QString account) override;
    // Removes every item with these attributes, then stores the new one in the default
    // collection. An empty secret only removes.
    QCoro::Task<bool> write(QString service, QString account, QString secret) override;
    // True when no such item is left (also when there was none).
    QCoro::Task<bool> remove(QString service, QString account) override;

    QString backendName() const override { return QStringLiteral("secret-service"); }

private:
    std::chrono::milliseconds m_timeout;
};

}  // namespace vocena
