#include "UI/Settings/APIKeySaver.h"

#include "Infrastructure/Platform/SecretStore.h"
#include "Infrastructure/LLM/AISettingsStore.h"

namespace vocena {

APIKeySaver::APIKeySaver(std::shared_ptr<SecretStore> secrets) : m_queue(std::make_shared<Queue>()) {
    m_queue->secrets = std::move(secrets);
}

APIKeySaver::~APIKeySaver() { m_queue->finished = nullptr; }

void APIKeySaver::setFinishedHandler(FinishedHandler handler) { m_queue->finished = std::move(handler); }

bool APIKeySaver::isWriting() const { return m_queue->writing; }

void APIKeySaver::save(QString key) {
    m_queue->waiting = std::move(key);
    if (!m_queue->writing) drain(m_queue);
}

QCoro::Task<> APIKeySaver::drain(std::shared_ptr<Queue> queue) {
    queue->writing = true;
    while (queue->waiting) {
        const QString key = *std::exchange(queue->waiting, std::nullopt);
        QCoro::Task<bool> writing = queue->secrets->write(QString::fromLatin1(AISettingsStore::kKeyService),
                                                          QString::fromLatin1(AISettingsStore::kKeyAccount), key);
        const bool stored = co_await std::move(writing);
        if (!queue->waiting && queue->finished) queue->finished(stored);
    }
    queue->writing = false;
}

}  // namespace vocena
