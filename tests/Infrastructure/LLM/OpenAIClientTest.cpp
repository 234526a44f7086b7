// The chat-completions client against real HTTP servers on loopback.
#include "Infrastructure/LLM/OpenAIClient.h"
#include "support/AsyncTest.h"
#include "support/LoopbackHttpServer.h"

#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <limits>

using namespace vocena;
using test::LoopbackHttpServer;
using Response = LoopbackHttpServer::Response;

namespace {

test::Outcome<QString> ask(const QString& baseURL, const QString& key = QStringLiteral("sk-test-123"), double timeout = 5.0) {
    OpenAIClient client(LLMConfig{key, baseURL, QStringLiteral("deepseek-chat"), timeout});
    return test::await(client.chatCompletion(
        {ChatMessage::system(QStringLiteral("S")), ChatMessage::assistant(QStringLiteral("A")), ChatMessage::user(QStringLiteral("U"))}, 0.7,
        150, 0.9));
}

}  // namespace

// Every spelling of the root reaches the same endpoint, with the bearer key and the exact body.
TEST(OpenAIClient, SendsTheKeyAndTheExactBodyToTheChatEndpointAndNothingWithoutKeyOrUrl) {
    LoopbackHttpServer server([](const auto&) { return Response::chat(QStringLiteral("  纠正后的文本\n")); });
    const QString root = server.baseURL();
    for (const QString& base : {root, root + QStringLiteral("/"), root + QStringLiteral("/v1"), root + QStringLiteral("/v1/"),
                                root + QStringLiteral("//"), root + QStringLiteral("/api/")})
        EXPECT_EQ(ask(base).value, QStringLiteral("纠正后的文本")) << base.toStdString();  // trimmed at both ends
    const auto requests = server.requests();
    ASSERT_EQ(requests.size(), 6);
    for (int i = 0; i < 5; ++i) EXPECT_EQ(requests[i].method + ' ' + requests[i].target, "POST /v1/chat/completions");
    EXPECT_EQ(requests[5].target, "/api/v1/chat/completions");

    EXPECT_EQ(requests[0].headers.value("authorization"), "Bearer sk-test-123");
    // max_tokens is an integer, not 150.0.
    EXPECT_EQ(requests[0].body, R"({"max_tokens":150,"messages":[{"content":"S","role":"system"},)"
                                R"({"content":"A","role":"assistant"},{"content":"U","role":"user"}],)"
                                R"("model":"deepseek-chat","temperature":0.7,"top_p":0.9})");

    // Without a usable URL nothing is sent.
    for (const char* url : {"not a url", "api.example.com", "ftp://127.0.0.1"})
        EXPECT_EQ(ask(QString::fromLatin1(url)).error, QStringLiteral("API 地址无效，请检查设置")) << url;
    // A key with a line break would smuggle headers into the request.
    EXPECT_EQ(ask(server.baseURL(), QStringLiteral("sk-1\r\nX-Evil: 1")).error, QStringLiteral("API 错误: API Key 含有无效字符"));
    EXPECT_EQ(server.requests().size(), 6);
}

// Only a 200 with a chat reply succeeds; any other answer is an error that says what it was (the
// texts of a wrong key, a server error and a reply that is no JSON are CliTest's and PipelineTest's).
TEST(OpenAIClient, AnswersOtherThanAChatReplyBecomeTheirMessages) {
    Response reply;
    LoopbackHttpServer server([&reply](const auto&) { return reply; });
    const QString parsingFailed = QStringLiteral("响应解析失败");
    const QList<QPair<Response, QString>> cases{
        {Response::json(429, "{}"), QStringLiteral("API 错误: 请求频率过高，请稍后重试")},
        {Response::json(404, "{}"), QStringLiteral("API 错误: 请求失败 (404)")},
        {Response::json(200, R"({"choices":[]})"), parsingFailed},
        {Response::json(200, R"({"choices":[{"message":{"content":null}}]})"), parsingFailed},
    };
    for (const auto& [answer, error] : cases) {
        SCOPED_TRACE(answer.body.toStdString());
        reply = answer;
        const auto outcome = ask(server.baseURL());
        EXPECT_FALSE(outcome.ok());
        EXPECT_TRUE(outcome.error.startsWith(error)) << outcome.error.toStdString();
    }
    reply = Response::json(200, R"({"choices":[{"message":{"content":""}}]})");
    EXPECT_EQ(ask(server.baseURL()).value, QString());  // empty is a valid answer
}

// Transport failures pass through within the configured time-out, not the 60-second deadline;
// any stored time-out, however absurd, leaves a slow server time to answer.
TEST(OpenAIClient, TransportFailuresPassThroughAndAbsurdTimeoutsStillWait) {
    LoopbackHttpServer silent([](const auto&) { return Response::neverAnswer(); });
    LoopbackHttpServer closing([](const auto&) { return Response::close(); });
    QElapsedTimer timer;
    timer.start();
    const QList<std::pair<QString, bool>> transports{{silent.baseURL(), true}, {closing.baseURL(), false}, {LoopbackHttpServer::refusingBaseURL(), false}};
    for (const auto& [baseURL, timedOut] : transports) {
        const auto outcome = ask(baseURL, QStringLiteral("k"), 0.3);
        EXPECT_FALSE(outcome.ok());
        EXPECT_EQ(outcome.timedOut, timedOut) << outcome.error.toStdString();
    }
    EXPECT_LT(timer.elapsed(), 5000);

    LoopbackHttpServer slow([](const auto&) { return Response::chat(QStringLiteral("迟到的答复")).delayedBy(200); });
    for (const double timeout : {1e9, std::numeric_limits<double>::infinity(), std::numeric_limits<double>::quiet_NaN(), -1.0, 0.0})
        EXPECT_EQ(ask(slow.baseURL(), QStringLiteral("k"), timeout).value, QStringLiteral("迟到的答复")) << timeout;
}

// The key is a bearer token: it may follow a redirect within the configured origin only.
TEST(OpenAIClient, RedirectsAreFollowedOnlyWithinTheSameOrigin) {
    LoopbackHttpServer elsewhere;
    LoopbackHttpServer server([&elsewhere](const LoopbackHttpServer::Request& request) {
        if (request.target == "/v1/chat/completions") return Response::redirect(307, QStringLiteral("/moved/chat/completions"));
        if (request.target == "/moved/chat/completions") return Response::redirect(307, elsewhere.baseURL() + QStringLiteral("/v1/chat/completions"));
        return Response::chat(QStringLiteral("wrong place"));
    });
    EXPECT_EQ(ask(server.baseURL()).error, QStringLiteral("API 错误: 服务器要求转到其他地址 (307)，为保护 API Key 已拒绝"));
    const auto requests = server.requests();
    ASSERT_EQ(requests.size(), 2);  // the same-origin hop was taken, with the key and the body
    EXPECT_EQ(requests[1].target, "/moved/chat/completions");
    EXPECT_EQ(requests[1].headers.value("authorization"), "Bearer sk-test-123");
    EXPECT_EQ(requests[1].body, requests[0].body);
    EXPECT_TRUE(elsewhere.requests().isEmpty());
}
