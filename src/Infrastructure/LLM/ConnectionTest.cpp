#include "Infrastructure/LLM/ConnectionTest.h"

#include "Infrastructure/LLM/LLMPrompts.h"
#include "Infrastructure/LLM/OpenAIClient.h"

namespace vocena {

QCoro::Task<ConnectionTestResult> ConnectionTest::run(QString apiKey, QString baseURL, QString model) {
    OpenAIClient client(LLMConfig{apiKey, baseURL, model, kTimeout});
    QList<ChatMessage> messages{ChatMessage::system(LLMPrompts::connectionTestSystem()), ChatMessage::user(LLMPrompts::connectionTestUser())};
    try {
        co_await client.chatCompletion(std::move(messages), 0.1, 10, 0.9);
        co_return ConnectionTestResult{true, QStringLiteral("连接成功"), {}};
    } catch (const LLMError& error) {
        co_return ConnectionTestResult{false, QStringLiteral("连接失败"), error.description()};
    }
}

}  // namespace vocena
