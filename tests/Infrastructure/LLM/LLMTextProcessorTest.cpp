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

QStringList rolesOf(const QJsonObject& body) {
    QStringList roles;
    for (const QJsonValue& m : body.value(QStringLiteral("messages")).toArray()) roles << m.toObject().value(QStringLiteral("role")).toString();
    return roles;
}

class ProcessorTest : public ::testing::Test {
protected:
    QString vocabulary;
    test::ManualClock clock;
    LLMTextProcessor processor{[this] { return vocabulary; }, clock};
    LoopbackHttpServer server{[this](const auto&) { return reply; }};
    Response reply = Response::chat(QStringLiteral("\n  答复  \n"));

    void connect() {
        processor.client = std::make_shared<OpenAIClient>(LLMConfig{QStringLiteral("sk-x"), server.baseURL(), QStringLiteral("m"), 5.0});
    }
};

}  // namespace

TEST(LLMPrompts, AreAssembledFromTheirPieces) {
    EXPECT_TRUE(LLMPrompts::correction().endsWith(QStringLiteral("那就是严重错误\n\n")));
    EXPECT_EQ(LLMPrompts::correction().count(QLatin1Char('\n')), 43);  // 42 lines and a blank one
    EXPECT_FALSE(LLMPrompts::homophoneTable().endsWith(QLatin1Char('\n')));
    EXPECT_EQ(LLMPrompts::tone(LLMPrompts::Tone::formal),
              QStringLiteral("你是一个文本风格转换助手。将以下文本改为正式、书面化的语气，保持原意不变。\n\n规则：\n1. 保持原文的所有信息和观点\n"
                             "2. 只改变表达方式，不增删内容\n3. 只返回转换后的文本，不要输出任何解释"));
    EXPECT_TRUE(LLMPrompts::tone(LLMPrompts::Tone::casual).contains(QStringLiteral("口语化、轻松的表达")));
}

TEST_F(ProcessorTest, EveryOperationNeedsAClient) {
    EXPECT_EQ(test::await(processor.correctAndFormat(QStringLiteral("你好"), {})).error, QStringLiteral("未配置 API Key"));
    EXPECT_EQ(test::await(processor.assistantChat(QStringLiteral("你好"), {})).error, QStringLiteral("未配置 API Key"));
    EXPECT_EQ(test::await(processor.processWithCustomPrompt(QStringLiteral("p"), QStringLiteral("t"))).error,
              QStringLiteral("未配置 API Key"));
    EXPECT_TRUE(server.requests().isEmpty());
    EXPECT_FALSE(processor.conversationContext.hasContext());
}

TEST_F(ProcessorTest, CorrectionSendsTheVocabularyPromptAndTokenBudget) {
    connect();
    EXPECT_EQ(test::await(processor.correctAndFormat(QString(10, QChar(0x4F60)), QStringLiteral("Editor"))).value, QStringLiteral("答复"));
    vocabulary = QStringLiteral("\n\n【重要】以下是需要正确识别的词汇，请特别注意：\n- 澄言\n");
    EXPECT_TRUE(test::await(processor.correctAndFormat(QString(2000, QChar(0x4F60)), {})).ok());

    const auto requests = server.requests();
    ASSERT_EQ(requests.size(), 2);
    const QJsonObject plain = bodyOf(requests[0]);
    EXPECT_EQ(rolesOf(plain), (QStringList{QStringLiteral("system"), QStringLiteral("user")}));
    EXPECT_EQ(plain.value(QStringLiteral("messages")).toArray()[0].toObject().value(QStringLiteral("content")).toString(),
              LLMPrompts::correction() + QStringLiteral("\n\n") + LLMPrompts::homophoneTable());
    EXPECT_EQ(plain.value(QStringLiteral("max_tokens")).toInt(), 200);
    EXPECT_DOUBLE_EQ(plain.value(QStringLiteral("temperature")).toDouble(), 0.1);
    const QJsonObject withVocabulary = bodyOf(requests[1]);
    EXPECT_EQ(withVocabulary.value(QStringLiteral("messages")).toArray()[0].toObject().value(QStringLiteral("content")).toString(),
              LLMPrompts::correction() + vocabulary + QStringLiteral("\n\n") + LLMPrompts::homophoneTable());
    EXPECT_EQ(withVocabulary.value(QStringLiteral("max_tokens")).toInt(), 4000);
}

TEST_F(ProcessorTest, TokenBudgetsCountUserPerceivedCharacters) {
    EXPECT_EQ(LLMTextProcessor::correctionMaxTokens(QString(100, QChar(0x4F60))), 300);
    EXPECT_EQ(LLMTextProcessor::assistantMaxTokens(QString(10, QChar(0x4F60))), 100);
    EXPECT_EQ(LLMTextProcessor::assistantMaxTokens(QString(2000, QChar(0x4F60))), 2000);
    // 80 emoji with skin tones are 80 characters, not 320 UTF-16 units.
    EXPECT_EQ(LLMTextProcessor::correctionMaxTokens(QString::fromUtf8("👍🏽").repeated(80)), 240);
}

TEST_F(ProcessorTest, AssistantKeepsTrimmedHistoryOnlyOnSuccess) {
    connect();
    EXPECT_EQ(test::await(processor.assistantChat(QStringLiteral("第一个问题"), {})).value, QStringLiteral("答复"));
    EXPECT_EQ(processor.conversationContext.history(),
              (QList<ChatMessage>{ChatMessage::user(QStringLiteral("第一个问题")), ChatMessage::assistant(QStringLiteral("答复"))}));

    reply = Response::json(500, "{}");
    clock.advance(10);
    EXPECT_FALSE(test::await(processor.assistantChat(QStringLiteral("第二个问题"), {})).ok());
    EXPECT_EQ(processor.conversationContext.history().size(), 2);

    const QJsonObject second = bodyOf(server.requests().value(1));
    EXPECT_EQ(rolesOf(second), (QStringList{QStringLiteral("system"), QStringLiteral("user"), QStringLiteral("assistant"), QStringLiteral("user")}));
    EXPECT_EQ(second.value(QStringLiteral("max_tokens")).toInt(), 100);
    EXPECT_DOUBLE_EQ(second.value(QStringLiteral("temperature")).toDouble(), 0.7);
}

TEST_F(ProcessorTest, CustomPromptUsesItsOwnParameters) {
    connect();
    EXPECT_TRUE(test::await(processor.processWithCustomPrompt(LLMPrompts::concise(), QStringLiteral("很长的文本"))).ok());
    const QJsonObject body = bodyOf(server.requests().value(0));
    EXPECT_DOUBLE_EQ(body.value(QStringLiteral("temperature")).toDouble(), 0.2);
    EXPECT_EQ(body.value(QStringLiteral("max_tokens")).toInt(), 200);
    EXPECT_EQ(body.value(QStringLiteral("messages")).toArray()[0].toObject().value(QStringLiteral("content")).toString(), LLMPrompts::concise());
}

TEST(ConversationContext, KeepsFiveExchangesAndExpiresAfterFiveMinutes) {
    test::ManualClock clock;
    ConversationContext context(5, 300, clock);
    EXPECT_FALSE(context.hasContext());
    for (int i = 1; i <= 6; ++i) context.addMessage(QStringLiteral("q%1").arg(i), QStringLiteral("a%1").arg(i));
    ASSERT_EQ(context.history().size(), 10);
    EXPECT_EQ(context.history().first(), ChatMessage::user(QStringLiteral("q2")));
    EXPECT_TRUE(context.hasContext());

    clock.advance(299);
    EXPECT_EQ(context.getContextualMessages(QStringLiteral("new"), QStringLiteral("sys")).size(), 12);
    clock.advance(1);  // exactly 300 s still counts
    EXPECT_TRUE(context.hasContext());
    clock.advance(1);
    EXPECT_FALSE(context.hasContext());
    EXPECT_EQ(context.history().size(), 10);  // reading hasContext drops nothing
    const auto messages = context.getContextualMessages(QStringLiteral("new"), QStringLiteral("sys"));
    EXPECT_EQ(messages, (QList<ChatMessage>{ChatMessage::system(QStringLiteral("sys")), ChatMessage::user(QStringLiteral("new"))}));
    EXPECT_TRUE(context.history().isEmpty());
    EXPECT_FALSE(context.lastMessageTime().has_value());
}
