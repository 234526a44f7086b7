// The text processor's requests to a model server on loopback, and the assistant's conversation.
#include "Infrastructure/LLM/LLMPrompts.h"
#include "Infrastructure/LLM/LLMTextProcessor.h"
#include "support/AsyncTest.h"
#include "support/LoopbackHttpServer.h"
#include "support/ManualClock.h"

#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

using namespace vocena;
using test::LoopbackHttpServer;
using Response = LoopbackHttpServer::Response;

namespace {

QJsonObject bodyOf(const LoopbackHttpServer::Request& request) { return QJsonDocument::fromJson(request.body).object(); }

QJsonObject message(const char* role, const QString& content) { return {{"role", role}, {"content", content}}; }

QStringList contentsOf(const QJsonObject& body, const QString& key = QStringLiteral("content")) {
    QStringList contents;
    for (const QJsonValue& m : body.value(QStringLiteral("messages")).toArray()) contents << m.toObject().value(key).toString();
    return contents;
}

class ProcessorTest : public ::testing::Test {
protected:
    QString vocabulary;
    test::ManualClock clock;
    LLMTextProcessor processor{[this] { return vocabulary; }, clock};
    Response reply = Response::chat(QStringLiteral("\n  答复  \n"));
    LoopbackHttpServer server{[this](const auto&) { return reply; }};

    void connect() { processor.client = std::make_shared<OpenAIClient>(LLMConfig{QStringLiteral("sk-x"), server.baseURL(), QStringLiteral("m"), 5.0}); }
};

}  // namespace

// Each operation's request: its system prompt (with the vocabulary in its place), sampling and
// token budget; without a client, none is sent.
TEST_F(ProcessorTest, EachOperationSendsItsPromptAndParametersAndTheAssistantKeepsItsHistory) {
    using Run = std::function<test::Outcome<QString>(const QString&)>;
    const Run correct = [this](const QString& text) {
        return test::await(processor.correctAndFormat(text, QStringLiteral("Editor")));
    };
    const Run assist = [this](const QString& text) { return test::await(processor.assistantChat(text, {})); };
    const auto custom = [this](const QString& prompt) -> Run {
        return [this, prompt](const QString& text) { return test::await(processor.processWithCustomPrompt(prompt, text)); };
    };
    for (const Run& run : {correct, assist, custom(QStringLiteral("p"))})
        EXPECT_EQ(run(QStringLiteral("你好")).error, QStringLiteral("未配置 API Key"));
    EXPECT_TRUE(server.requests().isEmpty());

    const QString vocabularySection = QStringLiteral("\n\n【重要】以下是需要正确识别的词汇，请特别注意：\n- 澄言\n");
    const QString homophones = QStringLiteral("\n\n") + LLMPrompts::homophoneTable();
    // name, operation, characters, vocabulary, system prompt sent, temperature, max_tokens
    const QList<std::tuple<const char*, Run, int, QString, QString, double, int>> cases{
        {"correction", correct, 10, {}, LLMPrompts::correction() + homophones, 0.1, 200},
        {"correction with vocabulary", correct, 2000, vocabularySection,
         LLMPrompts::correction() + vocabularySection + homophones, 0.1, 4000},
        {"assistant", assist, 10, {}, LLMPrompts::assistant(), 0.7, 100},
        {"long question", assist, 2000, {}, LLMPrompts::assistant(), 0.7, 2000},
        {"concise", custom(LLMPrompts::concise()), 1500, {}, LLMPrompts::concise(), 0.2, 4000},
    };
    connect();
    for (const auto& [name, run, characters, words, system, temperature, maxTokens] : cases) {
        SCOPED_TRACE(name);
        vocabulary = words;
        processor.conversationContext.clear();
        const QString text(characters, QChar(0x4F60));
        EXPECT_EQ(run(text).value, QStringLiteral("答复"));
        const QJsonArray messages{message("system", system), message("user", text)};
        EXPECT_EQ(bodyOf(server.requests().last()), (QJsonObject{{"max_tokens", maxTokens}, {"messages", messages}, {"model", "m"},
                                                                 {"temperature", temperature}, {"top_p", 0.9}}));
    }
    // 80 emoji with skin tones are 80 characters, not 320 UTF-16 units.
    EXPECT_EQ(LLMTextProcessor::correctionMaxTokens(QString::fromUtf8("👍🏽").repeated(80)), 240);

    // The assistant keeps the trimmed history only on success.
    processor.conversationContext.clear();
    EXPECT_EQ(test::await(processor.assistantChat(QStringLiteral("第一个问题"), {})).value, QStringLiteral("答复"));
    EXPECT_EQ(processor.conversationContext.history(),
              (QList<ChatMessage>{ChatMessage::user(QStringLiteral("第一个问题")), ChatMessage::assistant(QStringLiteral("答复"))}));
    reply = Response::json(500, "{}");
    clock.advance(10);
    EXPECT_FALSE(test::await(processor.assistantChat(QStringLiteral("第二个问题"), {})).ok());
    EXPECT_EQ(processor.conversationContext.history().size(), 2);
    EXPECT_EQ(contentsOf(bodyOf(server.requests().last()), QStringLiteral("role")),
              (QStringList{QStringLiteral("system"), QStringLiteral("user"), QStringLiteral("assistant"), QStringLiteral("user")}));
}

TEST(ConversationContext, KeepsFiveExchangesAndExpiresAfterFiveMinutes) {
    test::ManualClock clock;
    ConversationContext context(5, 300, clock);
    for (int i = 1; i <= 6; ++i) context.addMessage(QStringLiteral("q%1").arg(i), QStringLiteral("a%1").arg(i));
    ASSERT_EQ(context.history().size(), 10);
    EXPECT_EQ(context.history().first(), ChatMessage::user(QStringLiteral("q2")));
    clock.advance(299);
    EXPECT_EQ(context.getContextualMessages(QStringLiteral("new"), QStringLiteral("sys")).size(), 12);
    clock.advance(2);
    EXPECT_FALSE(context.hasContext());
    EXPECT_EQ(context.getContextualMessages(QStringLiteral("new"), QStringLiteral("sys")),
              (QList<ChatMessage>{ChatMessage::system(QStringLiteral("sys")), ChatMessage::user(QStringLiteral("new"))}));
    EXPECT_TRUE(context.history().isEmpty());
}
