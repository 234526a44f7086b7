#pragma once

#include <QCoro/QCoroTask>
#include <QString>
#include <functional>
#include <memory>
#include <optional>

namespace vocena {

class SecretStore;

// Writes the API key (service "com.vocena.ai", account "apiKey") to the secret store one
// write at a time. A key handed over while a write is under way waits for it, replacing any
// key still waiting, so a slow or locked keyring never ends up holding an older key than the
// last one given. The writes outlive the saver: a key handed over just before the settings
// window goes away is still stored. An empty key removes the stored one. Main thread.
class APIKeySaver {
public:
    // Called after the last waiting key was written: whether it was stored.
    using FinishedHandler = std::function<void(bool stored)>;

    explicit APIKeySaver(std::shared_ptr<SecretStore> secrets);
    // The handler is dropped; writes under way or waiting go on.
    ~APIKeySaver();
    APIKeySaver(const APIKeySaver&) = delete;
    APIKeySaver& operator=(const APIKeySaver&) = delete;

    void setFinishedHandler(FinishedHandler handler);
    // The text as typed, not trimmed.
    void save(QString key);
    bool isWriting() const;

private:
    struct Queue {
        std::shared_ptr<SecretStore> secrets;
        std::optional<QString> waiting;
        bool writing = false;
        FinishedHandler finished;
    };
    static QCoro::Task<> drain(std::shared_ptr<Queue> queue);

    std::shared_ptr<Queue> m_queue;
};

}  // namespace vocena
