// The transcript pipeline over a real loopback model server; typing is recorded (the real
// typing is tested under X11).
#include "Core/VoiceInputService.h"
#include "Infrastructure/Platform/NotificationCenter.h"
#include "Infrastructure/Platform/Preferences.h"
#include "Utils/AISettingsStore.h"
#include "support/AsyncTest.h"
#include "support/LogCapture.h"
#include "support/LoopbackHttpServer.h"
#include "support/MemorySecretStore.h"
#include "support/RecordingTextInjector.h"

#include <gtest/gtest.h>

#include <QEventLoop>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QTimer>

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

class Recorder final : public VoiceInputServiceDelegate, public VoiceInputAlerts {
public:
    QStringList states;
    QStringList alerts;
    void didUpdateText(VoiceInputService&, const QString&) override {}
    void didUpdateState(VoiceInputService&, const RecognitionState& state) override { states << state.description(); }
    void showAccessibilityAlert() override { alerts << QStringLiteral("accessibility"); }
    void showInjectionError(const QString& description) override { alerts << description; }
    void showTextLeftOnClipboard(const QString& notice) override { alerts << QStringLiteral("notice: ") + notice; }
};

class PipelineTest : public ::testing::Test {
protected:
    QTemporaryDir dir;
    Preferences prefs{dir.filePath(QStringLiteral("preferences.json"))};
    std::shared_ptr<test::MemorySecretStore> secrets = std::make_shared<test::MemorySecretStore>();
    AISettingsStore settings{prefs, secrets};
    test::RecordingTextInjector keys;
    Recorder recorder;
    QStringList fed;
    QStringList fallbacks;
    Response reply = Response::chat(QStringLiteral("好的，今天天气很好。"));
    LoopbackHttpServer server{[this](const auto&) { return reply; }};
    VoiceInputService service{{settings, keys, [this](const QString& text) { fed << text; }, &recorder, [] { return QString(); }}};
    QObject observerContext;

    void SetUp() override {
        service.delegate = &recorder;
        prefs.setValue(QString::fromLatin1(AISettingsStore::kBaseURLKey), server.baseURL());
        NotificationCenter::defaultCenter().addObserver(Notifications::aiProcessingFallback, &observerContext,
                                                        [this](const Notification& n) { fallbacks << n.object.toString(); });
    }
    void storeKey(const QString& key) { secrets->write(QStringLiteral("com.vocena.ai"), QStringLiteral("apiKey"), key); }

    // Runs the pipeline on a transcript and waits until typing has settled.
    void process(const QString& transcript) {
        service.setRecognizedText(transcript);
        test::await(service.processAndInjectText());
        if (service.pendingInjections() > 0) {
            QEventLoop loop;
            QObject::connect(&service, &VoiceInputService::injectionsSettled, &loop, &QEventLoop::quit);
            QTimer::singleShot(5000, &loop, &QEventLoop::quit);
            loop.exec();
        }
    }
};

}  // namespace

TEST_F(PipelineTest, WithoutTheModelTheTranscriptIsTypedUnchanged) {
    test::LogCapture log;
    process(QStringLiteral("好的，这是纠正后的文本。"));  // AI on, but no key
    EXPECT_TRUE(log.contains(QStringLiteral("[VoiceInputService] AI 模式: 智能处理（纠错+排版）, Key: nil")));
    storeKey(QStringLiteral("sk-123456"));
    prefs.setValue(QString::fromLatin1(AISettingsStore::kModeKey), 1);
    process(QStringLiteral("第二句"));
    process(QString());

    EXPECT_EQ(keys.typed, (QStringList{QStringLiteral("好的，这是纠正后的文本。"), QStringLiteral("第二句")}));
    EXPECT_EQ(fed, keys.typed);
    EXPECT_EQ(recorder.states, (QStringList{QStringLiteral("completed"), QStringLiteral("completed"), QStringLiteral("completed")}));
    EXPECT_TRUE(server.requests().isEmpty());
    EXPECT_TRUE(log.contains(QStringLiteral("[VoiceInputService] 注入原始文本（AI 关闭或空文本）")));
    EXPECT_EQ(service.lastInjectedText(), QStringLiteral("第二句"));
}

TEST_F(PipelineTest, CorrectionIsCleanedAndTooLongOutputFallsBack) {
    storeKey(QStringLiteral("sk-123456"));
    test::LogCapture log;
    process(QStringLiteral("今天天气很好"));
    EXPECT_EQ(keys.typed.value(0), QStringLiteral("今天天气很好。"));
    EXPECT_EQ(recorder.states, (QStringList{QStringLiteral("aiProcessing"), QStringLiteral("completed")}));
    EXPECT_TRUE(log.contains(QStringLiteral("[VoiceInputService] AI 配置: baseURL=%1, model=deepseek-chat, timeout=10.000000s").arg(server.baseURL())));

    // The ratio test needs more than five characters of input.
    keys.typed.clear();
    reply = Response::chat(varied(20));
    process(QStringLiteral("一二三四五"));
    reply = Response::chat(varied(15));
    process(QStringLiteral("一二三四五六"));
    reply = Response::chat(varied(16));
    process(QStringLiteral("六个字的句子"));
    EXPECT_EQ(keys.typed, (QStringList{varied(20), varied(15), QStringLiteral("六个字的句子")}));
    EXPECT_EQ(fallbacks, QStringList{QStringLiteral("AI 输出异常，已使用原始文本")});
    EXPECT_TRUE(log.contains(QStringLiteral("AI 输出异常过长(16 vs 6)，疑似回答而非纠错，回退原始文本")));
}

TEST_F(PipelineTest, ModelFailuresFallBackToTheTranscript) {
    storeKey(QStringLiteral("sk-123456"));
    reply = Response::json(500, "{}");
    process(QStringLiteral("服务器坏了"));
    prefs.setValue(QString::fromLatin1(AISettingsStore::kTimeoutKey), 0.3);
    reply = Response::neverAnswer();
    process(QStringLiteral("服务器不回答"));
    EXPECT_EQ(keys.typed, (QStringList{QStringLiteral("服务器坏了"), QStringLiteral("服务器不回答")}));
    EXPECT_EQ(fallbacks, (QStringList{QStringLiteral("AI 处理失败：API 错误: 服务器错误 (500)"), QStringLiteral("AI 处理失败：请求超时")}));
    EXPECT_EQ(recorder.states.count(QStringLiteral("completed")), 2);
}

TEST_F(PipelineTest, AssistantAnswersWithHistoryAndNoLengthGuard) {
    storeKey(QStringLiteral("sk-123456"));
    prefs.setValue(QString::fromLatin1(AISettingsStore::kWorkModeKey), 1);
    reply = Response::chat(QStringLiteral("**北京**是中国的首都，也是一座历史悠久的城市。"));
    process(QStringLiteral("首都是哪"));
    process(QStringLiteral("有多大"));
    EXPECT_EQ(keys.typed.value(0), QStringLiteral("**北京**是中国的首都，也是一座历史悠久的城市。"));
    const QJsonArray messages = QJsonDocument::fromJson(server.requests().value(1).body).object().value(QStringLiteral("messages")).toArray();
    EXPECT_EQ(messages.size(), 4);  // system, the first exchange, the new question
    EXPECT_TRUE(fallbacks.isEmpty());
}

TEST_F(PipelineTest, CommandsActOnTheLastTypedText) {
    storeKey(QStringLiteral("sk-123456"));
    prefs.setValue(QString::fromLatin1(AISettingsStore::kModeKey), 1);  // no AI for dictation itself
    process(QStringLiteral("今天开会。明天放假！"));
    process(QStringLiteral("删掉上一句"));
    EXPECT_EQ(keys.events, QStringList{QStringLiteral("backspace×10")});
    EXPECT_EQ(keys.typed.last(), QStringLiteral("今天开会"));
    EXPECT_EQ(service.lastInjectedText(), QStringLiteral("今天开会"));

    // The rewrite works on its first use although no dictation has made a client yet.
    keys.events.clear();
    reply = Response::chat(QStringLiteral("今日召开会议"));
    process(QStringLiteral("改成正式一点"));
    EXPECT_EQ(keys.events, QStringList{QStringLiteral("backspace×4")});
    EXPECT_EQ(keys.typed.last(), QStringLiteral("今日召开会议"));

    // A failing command types the utterance as it was heard, without the model.
    reply = Response::json(401, "{}");
    process(QStringLiteral("精简一下"));
    EXPECT_EQ(keys.typed.last(), QStringLiteral("精简一下"));
    process(QStringLiteral("撤销"));
    EXPECT_EQ(keys.events.last(), QStringLiteral("undo"));
    EXPECT_EQ(recorder.states.count(QStringLiteral("aiProcessing")), 0);
}

TEST_F(PipelineTest, TypingProblemsRaiseAlertsAndKeepTheLastText) {
    process(QStringLiteral("第一句"));
    keys.trusted = false;
    process(QStringLiteral("没有权限"));
    QEventLoop loop;
    QTimer::singleShot(20, &loop, &QEventLoop::quit);  // the alert is queued
    loop.exec();
    keys.trusted = true;
    keys.failTyping = TextInjectionError::Kind::pasteboardAccessFailed;
    process(QStringLiteral("写入失败"));
    // A paste nobody fetched is a notice, not an error: the text waits on the clipboard.
    keys.failTyping = TextInjectionError::Kind::notDelivered;
    process(QStringLiteral("没人读取"));
    EXPECT_EQ(recorder.alerts, (QStringList{QStringLiteral("accessibility"), QStringLiteral("剪贴板写入失败"),
                                            QStringLiteral("notice: 未能自动输入，文字已复制到剪贴板，按 Ctrl+V 粘贴")}));
    EXPECT_EQ(fed, (QStringList{QStringLiteral("第一句"), QStringLiteral("没有权限"), QStringLiteral("写入失败"), QStringLiteral("没人读取")}));
    EXPECT_EQ(service.lastInjectedText(), QStringLiteral("第一句"));
}
