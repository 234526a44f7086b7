#include "Infrastructure/LLM/LLMTextProcessor.h"

#include "Infrastructure/LLM/LLMPrompts.h"
#include "Support/TextUtils.h"
#include "Vocabulary/VocabularyStore.h"

#include <QPointer>
#include <algorithm>

namespace vocena {

LLMTextProcessor::LLMTextProcessor(VocabularySection vocabularySection, const Clock& clock, QObject* parent)
    : QObject(parent),
      conversationContext(5, 300.0, clock),
      m_vocabularySection(vocabularySection ? std::move(vocabularySection)
                                            : VocabularySection([] { return VocabularyStore::shared().generatePrompt(); })) {}

int LLMTextProcessor::correctionMaxTokens(const QString& text) {
    return std::clamp(3 * TextUtils::graphemeCount(text), 200, 4000);
}

int LLMTextProcessor::assistantMaxTokens(const QString& text) {
    return std::clamp(2 * TextUtils::graphemeCount(text), 100, 2000);
}

QString LLMTextProcessor::correctionSystemPrompt() const {
    return LLMPrompts::correction() + m_vocabularySection() + QStringLiteral("\n\n") + LLMPrompts::homophoneTable();
}

std::shared_ptr<OpenAIClient> LLMTextProcessor::requireClient() const {
    if (!client) throw LLMProcessingError::notConfigured();
    return client;
}

QCoro::Task<QString> LLMTextProcessor::correctAndFormat(QString text, QString appName) {
    const auto current = requireClient();
    // (g++ 12 cannot take a braced list inside a co_await expression: build the list first.)
    QList<ChatMessage> messages{ChatMessage::system(correctionSystemPrompt()), ChatMessage::user(text)};
    co_return co_await current->chatCompletion(std::move(messages), 0.1, correctionMaxTokens(text), 0.9);
}

QCoro::Task<QString> LLMTextProcessor::assistantChat(QString text, QString appName) {
    const auto current = requireClient();
    QPointer<LLMTextProcessor> self(this);
    const QList<ChatMessage> messages = conversationContext.getContextualMessages(text, LLMPrompts::assistant());
    const QString reply = TextUtils::trimmed(co_await current->chatCompletion(messages, 0.7, assistantMaxTokens(text), 0.9));
    if (self) self->conversationContext.addMessage(text, reply);
    co_return reply;
}

QCoro::Task<QString> LLMTextProcessor::processWithCustomPrompt(QString systemPrompt, QString userText) {
    const auto current = requireClient();
    QList<ChatMessage> messages{ChatMessage::system(systemPrompt), ChatMessage::user(userText)};
    co_return co_await current->chatCompletion(std::move(messages), 0.2, correctionMaxTokens(userText), 0.9);
}

}  // namespace vocena
