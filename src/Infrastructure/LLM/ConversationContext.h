#pragma once

#include "Infrastructure/LLM/LLMTypes.h"
#include "Infrastructure/Platform/Clock.h"

#include <QDateTime>
#include <QList>
#include <optional>

namespace vocena {

// The voice assistant's short memory: the last few exchanges, forgotten after five idle
// minutes. The history always holds whole exchanges (user, then assistant).
class ConversationContext {
public:
    explicit ConversationContext(int maxContextLength = 5, double contextTimeout = 300.0, const Clock& clock = Clock::system());

    bool hasContext() const;
    void addMessage(const QString& userText, const QString& aiResponse);
    // The system prompt, the kept history and the new question; drops an expired history first.
    QList<ChatMessage> getContextualMessages(const QString& text, const QString& systemPrompt);
    void clear();

    const QList<ChatMessage>& history() const { return m_history; }
    int maxContextLength() const { return m_maxContextLength; }
    double contextTimeout() const { return m_contextTimeout; }
    std::optional<QDateTime> lastMessageTime() const { return m_lastMessageTime; }

private:
    bool expired() const;

    QList<ChatMessage> m_history;
    int m_maxContextLength;
    double m_contextTimeout;
    std::optional<QDateTime> m_lastMessageTime;
    const Clock& m_clock;
};

}  // namespace vocena
