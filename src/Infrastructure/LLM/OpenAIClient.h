#pragma once

#include "Infrastructure/LLM/LLMTypes.h"

#include <QCoro/QCoroTask>
#include <QList>
#include <QUrl>
#include <optional>

class QNetworkAccessManager;

namespace vocena {

// Sends one chat-completions request to an OpenAI-compatible endpoint and returns the text
// of the first choice. Knows nothing of prompts or modes; cheap, made anew for each request.
class OpenAIClient {
public:
    // No answer at all within this many seconds, or within the configured time-out when that is
    // longer, ends a request, however it trickles.
    static constexpr double kRequestDeadline = 60.0;
    // The longest time-out a configuration can ask for.
    static constexpr double kLongestTimeout = 300.0;

    // `network` defaults to one manager per thread, shared by all clients of that thread.
    explicit OpenAIClient(LLMConfig config, QNetworkAccessManager* network = nullptr);

    const LLMConfig& config() const { return m_config; }

    // root + "/v1" + "/chat/completions", whatever slashes and "/v1" the user typed.
    static std::optional<QUrl> chatCompletionsURL(const QString& baseURL);

    // Throws LLMProcessingError, TransportError or JSONParseError. Must be awaited on the
    // thread the client was made on.
    QCoro::Task<QString> chatCompletion(QList<ChatMessage> messages, double temperature, int maxTokens, double topP) const;

private:
    LLMConfig m_config;
    QNetworkAccessManager* m_network;
};

}  // namespace vocena
