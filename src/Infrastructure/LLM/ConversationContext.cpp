#include "Infrastructure/LLM/ConversationContext.h"

namespace vocena {

ConversationContext::ConversationContext(int maxContextLength, double contextTimeout, const Clock& clock)
    : m_maxContextLength(maxContextLength), m_contextTimeout(contextTimeout), m_clock(clock) {}

bool ConversationContext::expired() const {
    return m_lastMessageTime && m_lastMessageTime->msecsTo(m_clock.now()) > qint64(m_contextTimeout * 1000.0);
}

bool ConversationContext::hasContext() const { return !m_history.isEmpty() && !expired(); }

void ConversationContext::addMessage(const QString& userText, const QString& aiResponse) {
    m_history << ChatMessage::user(userText) << ChatMessage::assistant(aiResponse);
    m_lastMessageTime = m_clock.now();
    while (m_history.size() > 2 * m_maxContextLength) m_history.remove(0, 2);
}

QList<ChatMessage> ConversationContext::getContextualMessages(const QString& text, const QString& systemPrompt) {
    if (expired()) clear();
    QList<ChatMessage> messages;
    messages.reserve(m_history.size() + 2);
    messages << ChatMessage::system(systemPrompt) << m_history << ChatMessage::user(text);
    return messages;
}

void ConversationContext::clear() {
    m_history.clear();
    m_lastMessageTime.reset();
}

}  // namespace vocena
