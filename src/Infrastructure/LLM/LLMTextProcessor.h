#pragma once

#include "Infrastructure/LLM/ConversationContext.h"
#include "Infrastructure/LLM/OpenAIClient.h"

#include <QCoro/QCoroTask>
#include <QObject>
#include <functional>
#include <memory>

namespace vocena {

// Turns a transcript into a model request with the prompts of the current work mode. The
// model's answer is returned as it came; checking and cleaning it is the pipeline's job.
class LLMTextProcessor : public QObject {
    Q_OBJECT
public:
    // Yields the user-vocabulary section of the correction prompt ("" when there is none).
    using VocabularySection = std::function<QString()>;

    explicit LLMTextProcessor(VocabularySection vocabularySection = {}, const Clock& clock = Clock::system(),
                              QObject* parent = nullptr);

    // The pipeline installs a fresh client before every model request.
    std::shared_ptr<OpenAIClient> client;
    ConversationContext conversationContext;

    // The correction system prompt with the current vocabulary.
    QString correctionSystemPrompt() const;

    // All three throw LLMProcessingError::notConfigured() at once when there is no client,
    // and pass on whatever the client throws. Each uses the client present when it began.
    QCoro::Task<QString> correctAndFormat(QString text, QString appName);
    QCoro::Task<QString> assistantChat(QString text, QString appName);
    QCoro::Task<QString> processWithCustomPrompt(QString systemPrompt, QString userText);

    static int correctionMaxTokens(const QString& text);
    static int assistantMaxTokens(const QString& text);

private:
    std::shared_ptr<OpenAIClient> requireClient() const;

    VocabularySection m_vocabularySection;
};

}  // namespace vocena
