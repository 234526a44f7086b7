// The command line, run as a real process over real files and a loopback model server.
#include "Support/ReferenceDate.h"
#include "Terms/TermStorage.h"
#include "support/AppDriver.h"
#include "support/LoopbackHttpServer.h"
#include "support/TestFiles.h"

#include <QLockFile>

using namespace vocena;
using test::LoopbackHttpServer;
using Response = LoopbackHttpServer::Response;
using Result = test::ProcessResult;

namespace {

class CliTest : public test::AppDriver {
protected:
    QString dataFile(const QString& name) const { return home.filePath(QStringLiteral("data/澄言/") + name); }
};

}  // namespace

TEST_F(CliTest, ConfigReadsJsonLiteralsAndRefusesWhatTheAppCannotUse) {
    EXPECT_EQ(run({"config", "set", "com.vocena.ai.timeout", "2.5"}).exitCode, 0);
    EXPECT_EQ(run({"config", "set", "com.vocena.ai.enabled", "false"}).exitCode, 0);
    EXPECT_EQ(run({"config", "set", "com.vocena.ai.model", "3"}).exitCode, 0);  // text for a text key
    EXPECT_EQ(run({"config", "set", "com.vocena.ai.baseURL", "\"http://h/v1\""}).exitCode, 0);
    EXPECT_EQ(run({"config", "list"}).out,
              QStringLiteral("com.vocena.ai.baseURL = \"http://h/v1\"\ncom.vocena.ai.enabled = false\n"
                             "com.vocena.ai.model = \"3\"\ncom.vocena.ai.timeout = 2.5\n"));

    EXPECT_TRUE(test::exits(run({"config", "set", "com.vocena.ai.mode", "abc"}), 2, {"integer"}));
    EXPECT_EQ(run({"config", "set", "com.vocena.nope", "1"}).exitCode, 2);

    EXPECT_EQ(run({"config", "unset", "com.vocena.ai.timeout"}).exitCode, 0);
    EXPECT_EQ(run({"config", "get", "com.vocena.ai.timeout"}).out, QStringLiteral("10\n"));  // the default
}

// In the file store and, where the suite has one, the keyring.
TEST_F(CliTest, KeyComesFromStandardInputAndIsNeverPrintedWhole) {
    for (const QString& store : {bus, sessionBus()}) {
        if (store.isEmpty()) continue;
        SCOPED_TRACE(store.toStdString());
        bus = store;
        EXPECT_EQ(run({"key", "status"}).exitCode, 1);

        EXPECT_TRUE(test::exits(run({"key", "set"}, "sk-abcdef123456\n"), 0));
        const Result status = run({"key", "status"});
        EXPECT_TRUE(test::prints(status, 0, {"sk-ab"}));
        EXPECT_FALSE(status.out.contains(QStringLiteral("sk-abc")));

        EXPECT_TRUE(test::prints(run({"key", "clear"}), 0, {"API Key 已删除"}));
        EXPECT_EQ(run({"key", "status"}).exitCode, 1);
    }
}

TEST_F(CliTest, AiTestSucceedsAndFailsCleanly) {
    LoopbackHttpServer server([](const LoopbackHttpServer::Request& request) {
        return request.headers.value("authorization") == "Bearer sk-right" ? Response::chat(QStringLiteral("连接成功"))
                                                                            : Response::json(401, "{}");
    });
    EXPECT_TRUE(test::exits(run({"ai", "test"}), 1, {}, QStringLiteral("连接失败: 未配置 API Key\n")));

    ASSERT_EQ(run({"config", "set", "com.vocena.ai.baseURL", server.baseURL() + QStringLiteral("/v1/")}).exitCode, 0);
    ASSERT_EQ(run({"key", "set"}, "sk-right").exitCode, 0);
    EXPECT_TRUE(test::exits(run({"ai", "test"}), 0, {}, QStringLiteral("连接成功\n")));
    const auto request = server.requests().value(0);
    EXPECT_EQ(request.target, "/v1/chat/completions");

    ASSERT_EQ(run({"key", "set"}, "sk-wrong").exitCode, 0);
    EXPECT_TRUE(test::exits(run({"ai", "test"}), 1, {}, QStringLiteral("连接失败: API 错误: API Key 无效\n")));
}

TEST_F(CliTest, VocabularyRoundTrip) {
    EXPECT_TRUE(test::exits(run({"vocab", "add", "VureVIZ", "--variants", "zOVO, vure viz", "--category", "公司名"}), 0));
    EXPECT_EQ(run({"vocab", "add", "  VureVIZ\n"}).exitCode, 1);  // already there
    EXPECT_EQ(run({"vocab", "add", "澄言"}).exitCode, 0);

    const QString csv = home.filePath(QStringLiteral("words.csv"));
    ASSERT_TRUE(test::writeFile(csv, "word,note,category,x,variants\r\n\"Qt, Inc\",,公司名\r\n澄言,,,,\r\n张三,,人名,,张山、章三\r\n"));
    EXPECT_EQ(run({"vocab", "import", csv}).out, QStringLiteral("2\n"));

    EXPECT_EQ(run({"vocab", "list"}).out,
              QStringLiteral("VureVIZ (公司名)，可能误识别为：zOVO、vure viz\n澄言\nQt, Inc (公司名)\n张三 (人名)，可能误识别为：张山、章三\n"));
    EXPECT_EQ(run({"vocab", "remove", "澄言"}).exitCode, 0);
    EXPECT_EQ(run({"vocab", "import", home.filePath(QStringLiteral("missing.csv"))}).exitCode, 1);
    EXPECT_EQ(run({"vocab", "list"}).out.count(QLatin1Char('\n')), 3);
}

TEST_F(CliTest, ProcessIsADryRunThroughThePipeline) {
    QByteArray reply = R"({"choices":[{"message":{"content":"好的，这是纠正后的文本。"}}]})";
    LoopbackHttpServer server([&reply](const auto&) { return Response::json(200, reply); });
    ASSERT_EQ(run({"config", "set", "com.vocena.ai.baseURL", server.baseURL()}).exitCode, 0);
    ASSERT_EQ(run({"key", "set"}, "sk-right").exitCode, 0);
    EXPECT_EQ(run({"process"}, "好的这是纠正后的文本").out, QStringLiteral("这是纠正后的文本。\n"));

    reply = "not json";
    EXPECT_TRUE(test::exits(run({"process", "--mode", "assistant"}, "今天几号"), 0, {"AI 处理失败：JSON 解析错误"},
                            QStringLiteral("今天几号\n")));
    EXPECT_TRUE(test::exits(run({"process"}, "删除最后三个字"), 0, {"按 3 次退格键"}, QString()));
    EXPECT_FALSE(QFile::exists(dataFile(QStringLiteral("term_frequency.json"))));  // a dry run learns nothing
}

TEST_F(CliTest, ArgumentErrorsExitTwoWithTheErrorAndTheUsageOnStandardError) {
    struct Case {
        QStringList args;
        QString error;  // on standard error
        QString usage;  // the usage that follows it
    };
    const QList<Case> cases = {
        {{"-x"}, "vocena: 未知的选项: -x", "命令:"},
        {{"frobnicate"}, "vocena: 未知的命令: frobnicate", "命令:"},
        {{"vocab", "-v", "list"}, "vocena vocab: 未知的子命令: -v", "用法: vocena vocab"},  // -v goes before the command
        {{"config"}, "vocena config: 缺少子命令", "用法: vocena config"},
        {{"config", "set", "com.vocena.ai.model"}, "缺少参数: VALUE", "用法: vocena config"},
        {{"config", "get", "a", "b"}, "多余的参数: b", "用法: vocena config"},
        {{"key", "set", "sk-on-the-command-line"}, "API Key 只能从标准输入读取", "用法: vocena key"},
        {{"vocab", "add", "词", "--colour", "red"}, "未知的选项: --colour", "用法: vocena vocab"},
        {{"vocab", "add", "词", "--variants"}, "选项 --variants 缺少值", "用法: vocena vocab"},
        {{"process", "--inject=yes"}, "选项 --inject 不接受值", "用法: vocena process"},
        {{"vocab", "add", " "}, "词汇不能为空", "用法: vocena vocab"},
        {{"terms", "dismiss", " "}, "词不能为空", "用法: vocena terms"},
        {{"process", "--mode", "loud"}, "--mode 的值无效: loud（可选 input、assistant）", "用法: vocena process"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args.join(' ').toStdString());
        const Result result = run(c.args);
        EXPECT_TRUE(test::exits(result, 2, {c.error, c.usage}, QString()));
        EXPECT_FALSE(result.err.contains(QStringLiteral("sk-on-the")));  // a key is never echoed
    }
    EXPECT_FALSE(QFile::exists(dataFile(QStringLiteral("vocabulary.json"))));  // nothing ran
}

// (`--version`: the install and package tests.)
TEST_F(CliTest, HelpOfTheProgramCommandsAndFormsRunsNothing) {
    const QList<std::pair<QStringList, QString>> cases = {
        {{"--help"}, "命令:"}, {{"help"}, "命令:"}, {{"help", "model"}, "用法: vocena model"}, {{"ai", "-h"}, "用法: vocena ai"},
        {{"config", "set", "--help"}, "用法: vocena config"}, {{"vocab", "add", "w", "--help"}, "用法: vocena vocab"},
    };
    for (const auto& [args, usage] : cases)
        EXPECT_TRUE(test::prints(run(args), 0, {usage})) << args.join(' ').toStdString();
    EXPECT_FALSE(QFile::exists(dataFile(QStringLiteral("vocabulary.json"))));  // `vocab add w --help` added nothing
}

TEST_F(CliTest, StandardInputLosesOnlyTheLineBreakThatEndsIt) {
    const QList<std::pair<QByteArray, QString>> cases = {
        {"今天", "今天\n"}, {"今天\n", "今天\n"}, {"今天\r\n", "今天\n"}, {"今天\n\n", "今天\n\n"}, {"第一行\n第二行\n", "第一行\n第二行\n"},
    };
    for (const auto& [input, output] : cases) EXPECT_EQ(run({"process"}, input).out, output) << input.toStdString();

    EXPECT_EQ(run({"key", "set"}, "sk-abcdef\r\n").exitCode, 0);
    EXPECT_EQ(run({"key", "set"}, "sk-abc\ndef\n").exitCode, 2);
    EXPECT_EQ(run({"key", "set"}, "\n").exitCode, 2);
}

TEST_F(CliTest, VocabularyChangesThatCannotBeWrittenFail) {
    // The data folder is a plain file: nothing can be written there.
    ASSERT_TRUE(QDir().mkpath(home.filePath(QStringLiteral("data"))));
    const QString blocker = home.filePath(QStringLiteral("data/澄言"));
    ASSERT_TRUE(test::writeFile(blocker, {}));
    const QString csv = home.filePath(QStringLiteral("words.csv"));
    ASSERT_TRUE(test::writeFile(csv, "word\n新词\n"));
    const QList<std::pair<QStringList, QString>> cases{
        {{"vocab", "add", "新词"}, QStringLiteral("vocena vocab: 无法保存词汇库（")},
        {{"vocab", "import", csv}, QStringLiteral("vocena vocab: 无法保存词汇库（")},
        {{"terms", "accept", "明志中心"}, QStringLiteral("vocena terms: 无法保存词汇库（明志中心）")},
    };
    for (const auto& [args, error] : cases)
        EXPECT_TRUE(test::exits(run(args), 1, {error}, QString())) << args.join(' ').toStdString();

    // A removal while another process holds the file's lock past the wait.
    ASSERT_TRUE(QFile::remove(blocker));
    ASSERT_EQ(run({"vocab", "add", "旧词"}).exitCode, 0);
    QLockFile lock(dataFile(QStringLiteral("vocabulary.json.lock")));
    ASSERT_TRUE(lock.tryLock(0));
    EXPECT_TRUE(test::exits(run({"vocab", "remove", "旧词"}), 1, {"vocena vocab: 无法保存词汇库（"}));
    lock.unlock();
    EXPECT_EQ(run({"vocab", "list"}).out, QStringLiteral("旧词\n"));
}

TEST_F(CliTest, TermsListAcceptAndDismiss) {
    const double now = ReferenceDate::toSeconds(QDateTime::currentDateTimeUtc());
    ASSERT_TRUE(QDir().mkpath(dataFile({})));
    ASSERT_TRUE(test::writeFile(dataFile(QStringLiteral("term_frequency.json")),
                                FrequencyStorage{{TermEntry{QStringLiteral("澄言"), 3, 0, now, now, QStringLiteral("疑似人名")},
                                                  TermEntry{QStringLiteral("15"), 2, 0, now, now, std::nullopt},
                                                  TermEntry{QStringLiteral("明志中心"), 2, 0, now, now, QStringLiteral("专业术语")}},
                                                 now}
                                    .encode()));
    const auto read = [this](const char* name) { return test::readFile(dataFile(QString::fromLatin1(name))); };

    EXPECT_EQ(run({"terms", "list"}).out, QStringLiteral("澄言\t3\t疑似人名\n15\t2\t-\n明志中心\t2\t专业术语\n"));
    EXPECT_TRUE(test::exits(run({"terms", "accept", "明志中心"}), 0));
    EXPECT_TRUE(read("vocabulary.json").contains(R"("word":"明志中心","variants":["名志中心","明智中心","明志终心","明志中新"],"category":"专业术语")"));

    EXPECT_EQ(run({"terms", "dismiss", "澄言"}).exitCode, 0);
    EXPECT_TRUE(read("term_suppressed.json").contains(R"("term":"澄言")"));
    EXPECT_EQ(run({"terms", "list"}).out, QStringLiteral("15\t2\t-\n澄言\t已忽略\t-\n"));
}

TEST_F(CliTest, TheTrayAppWithoutADisplaySaysSoAndEnds) {
    env << QStringLiteral("DISPLAY=:59999");  // nobody serves it
    EXPECT_TRUE(test::exits(run({}), 1, {"澄言需要图形会话"}));
}
