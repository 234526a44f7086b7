// The transcript pipeline over a real loopback model server; typing is recorded (the real
// typing is tested under X11).
#include "Infrastructure/Platform/NotificationCenter.h"
#include "support/Dictation.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

using namespace vocena;
using test::LoopbackHttpServer;
using Response = LoopbackHttpServer::Response;

namespace {

// n different Chinese characters (the output cleaner shortens runs of one character).
QString varied(int n) {
    QString text;
    for (int i = 0; i < n; ++i) text += QChar(0x4E00 + 0x100 + i);
    return text;
}

class PipelineTest : public ::testing::Test {
protected:
    void SetUp() override {
        dictation.useModelServer(server);
        NotificationCenter::defaultCenter().addObserver(Notifications::aiProcessingFallback, &observerContext,
                                                        [this](const Notification& n) { fallbacks << n.object.toString(); });
    }
    void storeKey() { dictation.useModelServer(server, QStringLiteral("sk-123456")); }

    QStringList fallbacks;
    Response reply = Response::chat(QStringLiteral("好的，今天天气很好。"));
    LoopbackHttpServer server{[this](const auto&) { return reply; }};
    test::Dictation dictation;
    Preferences& prefs = dictation.prefs;
    test::RecordingTextInjector& keys = dictation.keys;
    VoiceInputService& service = dictation.service;
    QObject observerContext;
};

}  // namespace

// Without a key the transcript is typed and learned as it is, and an empty one is not typed
// (that the AI switch off keeps it from the model is AppDelegateTest's).
TEST_F(PipelineTest, WithoutTheModelTheTranscriptIsTypedUnchanged) {
    dictation.process(QStringLiteral("好的，这是纠正后的文本。"));
    dictation.process(QString());
    EXPECT_EQ(keys.typed, QStringList{QStringLiteral("好的，这是纠正后的文本。")});
    EXPECT_EQ(dictation.fed, keys.typed);
    EXPECT_EQ(dictation.states, (QStringList{QStringLiteral("completed"), QStringLiteral("completed")}));
    EXPECT_TRUE(server.requests().isEmpty());
    EXPECT_EQ(service.lastInjectedText(), keys.typed.first());
}

// What the model answers decides what is typed; the user's words are never lost to a reply
// that is too long for a correction, empty, cleaned to nothing, or missing (that a correction
// is cleaned is CliTest's).
TEST_F(PipelineTest, ModelRepliesAreCheckedBeforeTyping) {
    storeKey();
    const QString tooLong = QStringLiteral("AI 输出异常，已使用原始文本");
    const QString empty = QStringLiteral("AI 返回为空，已使用原始文本");
    const QString question = QStringLiteral("请介绍一下北京");  // seven characters: the length guard applies
    const QString answer = varied(70);
    struct Case {
        const char* name;
        int workMode;
        QString transcript;
        Response reply;
        QString typed;
        QString fallback;  // empty: none posted
        double storedTimeout = 0;  // 0: nothing stored
    };
    const QList<Case> cases{
        {"five characters may grow", 0, "一二三四五", Response::chat(varied(20)), varied(20), {}},
        {"six characters: 15 are a correction", 0, "一二三四五六", Response::chat(varied(15)), varied(15), {}},
        {"six characters: 16 are an answer", 0, "六个字的句子", Response::chat(varied(16)), "六个字的句子", tooLong},
        {"an answer where a correction was asked", 0, question, Response::chat(answer), question, tooLong},
        {"the same answer to the assistant", 1, question, Response::chat(answer), answer, {}},
        {"correction cleaned to nothing", 0, "今天开会", Response::chat("好的，\n以上就是全部内容。"), "今天开会", empty},
        {"answer cleaned to nothing", 1, question, Response::chat("# 北京"), question, empty},
        {"server error", 0, "服务器坏了", Response::json(500, "{}"), "服务器坏了", "AI 处理失败：API 错误: 服务器错误 (500)"},
        {"no answer in time", 0, "服务器不回答", Response::neverAnswer(), "服务器不回答", "AI 处理失败：请求超时", 0.3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        keys.typed.clear();
        fallbacks.clear();
        dictation.states.clear();
        prefs.setValue(QString::fromLatin1(AISettingsStore::kWorkModeKey), c.workMode);
        prefs.remove(QString::fromLatin1(AISettingsStore::kTimeoutKey));
        if (c.storedTimeout > 0) prefs.setValue(QString::fromLatin1(AISettingsStore::kTimeoutKey), c.storedTimeout);
        reply = c.reply;
        dictation.process(c.transcript);
        EXPECT_EQ(std::tuple(keys.typed, fallbacks, dictation.states),
                  std::tuple(QStringList{c.typed}, c.fallback.isEmpty() ? QStringList() : QStringList{c.fallback},
                             QStringList{QStringLiteral("aiProcessing"), QStringLiteral("completed")}));
    }
}

TEST_F(PipelineTest, AssistantKeepsTheConversationAcrossDictations) {
    storeKey();
    prefs.setValue(QString::fromLatin1(AISettingsStore::kWorkModeKey), 1);
    reply = Response::chat(QStringLiteral("北京是中国的首都。"));
    dictation.process(QStringLiteral("首都是哪"));
    dictation.process(QStringLiteral("有多大"));
    const QJsonArray messages = QJsonDocument::fromJson(server.requests().value(1).body).object().value(QStringLiteral("messages")).toArray();
    EXPECT_EQ(messages.size(), 4);  // system, the first exchange, the new question
}

// Commands act on what was typed last. What they give back replaces it on screen; a rewrite
// that fails or comes back empty leaves it alone.
TEST_F(PipelineTest, CommandsReplaceTheLastTypedTextOnlyWithSomething) {
    storeKey();
    prefs.setValue(QString::fromLatin1(AISettingsStore::kModeKey), 1);  // no AI for dictation itself
    const auto erase = [](const QString& text) { return QStringList{QStringLiteral("backspace×%1").arg(text.size())}; };
    const QString meeting = QStringLiteral("今天开会");
    const QString budget = QStringLiteral("预算3000元，好吧。首先发通知。明天再说！");
    struct Case {
        const char* name;
        QString typedBefore, utterance;
        Response reply;
        QStringList events, typed;
        QString lastInjected;
    };
    const QList<Case> cases{
        // First, so that it shows a rewrite works before any dictation has made a client.
        {"rewrite, cleaned", meeting, "改成正式一点", Response::chat("好的，今日召开会议。"), erase(meeting), {"今日召开会议。"}, "今日召开会议。"},
        {"previous sentence", "今天开会。明天放假！", "删掉上一句", {}, erase("今天开会。明天放假！"), {meeting}, meeting},
        {"kept text goes back as it was typed", budget, "删掉上一句", {}, erase(budget), {"预算3000元，好吧。首先发通知"}, "预算3000元，好吧。首先发通知"},
        {"the only sentence", "只有一句。", "删除上一句", {}, erase("只有一句。"), {}, QString()},
        {"failed rewrite", meeting, "精简一下", Response::json(401, "{}"), {}, {"精简一下"}, "精简一下"},
        {"rewrite cleaned to nothing", meeting, "精简一下", Response::chat("以上就是全部内容。"), {}, {}, meeting},
        {"undo", meeting, "撤销", {}, {"undo"}, {}, meeting},
        {"characters", meeting, "删除最后三个字", {}, {"backspace×3"}, {}, meeting},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        dictation.process(c.typedBefore);
        ASSERT_EQ(service.lastInjectedText(), c.typedBefore);
        keys.typed.clear();
        keys.events.clear();
        dictation.states.clear();
        reply = c.reply;
        dictation.process(c.utterance);
        EXPECT_EQ(std::tuple(keys.events, keys.typed, service.lastInjectedText(), dictation.states),
                  std::tuple(c.events, c.typed, c.lastInjected, QStringList{QStringLiteral("completed")}));
    }
}

TEST_F(PipelineTest, TypingProblemsRaiseAlertsAndKeepTheLastText) {
    dictation.process(QStringLiteral("第一句"));
    keys.trusted = false;
    dictation.process(QStringLiteral("没有权限"));
    test::waitUntil([this] { return !dictation.alerts.isEmpty(); }, 5000);  // the alert is queued
    keys.trusted = true;
    keys.failTyping = TextInjectionError::Kind::pasteboardAccessFailed;
    dictation.process(QStringLiteral("写入失败"));
    // A paste nobody fetched is a notice, not an error: the text waits on the clipboard.
    keys.failTyping = TextInjectionError::Kind::notDelivered;
    dictation.process(QStringLiteral("没人读取"));
    // Kept nowhere: the text itself is shown.
    keys.failTyping = TextInjectionError::Kind::notKept;
    dictation.process(QStringLiteral("无处保存"));
    EXPECT_EQ(dictation.alerts, (QStringList{QStringLiteral("accessibility"), QStringLiteral("剪贴板写入失败"),
                                            QStringLiteral("notice: 未能自动输入，文字已复制到剪贴板，按 Ctrl+V 粘贴"),
                                            QStringLiteral("未能自动输入，也无法写入剪贴板: 无处保存")}));
    EXPECT_EQ(dictation.fed, (QStringList{QStringLiteral("第一句"), QStringLiteral("没有权限"), QStringLiteral("写入失败"), QStringLiteral("没人读取"),
                                QStringLiteral("无处保存")}));
    EXPECT_EQ(service.lastInjectedText(), QStringLiteral("第一句"));
}
