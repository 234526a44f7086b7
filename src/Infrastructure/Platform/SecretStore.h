#pragma once

#include <QCoro/QCoroTask>
#include <QString>
#include <chrono>
#include <memory>
#include <optional>

namespace vocena {

// The desktop's secret store, holding secrets under a (service, account) pair. An empty
// secret counts as absent: writing one removes the secret. Every operation is bounded in
// time and never blocks the caller's event loop: a locked or slow keyring is asked from a
// worker thread and given up after a time-out (then a read reports absent). Failures are
// logged by the store; callers only see "absent" or false.
class SecretStore {
public:
    // A read that tells "nothing stored" from "the store did not answer" (a locked keyring
    // that timed out, a service that failed): a caller that shows the state of the key must
    // not take the second for the first.
    struct Reading {
        std::optional<QString> secret;
        bool failed = false;
    };

    virtual ~SecretStore() = default;

    virtual QCoro::Task<std::optional<QString>> read(QString service, QString account) = 0;
    // As read(); the default cannot tell a failure from absence.
    virtual QCoro::Task<Reading> readChecked(QString service, QString account);
    // Replaces the secret (delete, then add). Returns false when it could not be stored.
    virtual QCoro::Task<bool> write(QString service, QString account, QString secret) = 0;
    virtual QCoro::Task<bool> remove(QString service, QString account) = 0;

    // A short name for logs and `vocena doctor`: "secret-service" or "file".
    virtual QString backendName() const = 0;

    // The store this session offers: the Secret Service when one exists on the session bus
    // (running or activatable, even if locked or slow), else the fallback file
    // $XDG_DATA_HOME/澄言/secrets.json (mode 0600), announced once per process in the log.
    // Asks the session bus each time (a millisecond normally, at most 3 s when the bus is
    // stuck): call it once at start-up and share the store.
    static std::shared_ptr<SecretStore> createDefault();
};

}  // namespace vocena
