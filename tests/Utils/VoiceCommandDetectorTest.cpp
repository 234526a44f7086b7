#include "Infrastructure/LLM/LLMTextProcessor.h"
#include "Utils/VoiceCommandDetector.h"
#include "support/AsyncTest.h"
#include "support/LoopbackHttpServer.h"
#include "support/RecordingTextInjector.h"

#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

using namespace vocena;
using Command = std::optional<VoiceCommand>;
using Tone = VoiceCommand::Tone;

namespace {
Command detect(const char* text) { return VoiceCommandDetector().detect(QString::fromUtf8(text)).command; }
}  // namespace

TEST(VoiceCommandDetector, RecognisesExactPhrasesAndPatterns) {
    EXPECT_EQ(detect("  撤销 \n"), VoiceCommand::undo());
    EXPECT_EQ(detect("撤回一下"), VoiceCommand::undo());
    EXPECT_EQ(detect("删除最后三个字"), VoiceCommand::deleteLastCharacters(3));
    EXPECT_EQ(detect("删除最后十二个字"), VoiceCommand::deleteLastCharacters(12));
    EXPECT_EQ(detect("删除最后12个字"), VoiceCommand::deleteLastCharacters(12));
    EXPECT_EQ(detect("删除最后两个字"), std::nullopt);
    EXPECT_EQ(detect("删除最后99999999999999999999个字"), std::nullopt);  // too long for a number
    for (const char* phrase : {"删除最后一句", "删除上一句", "删除上一句话"}) EXPECT_EQ(detect(phrase), VoiceCommand::deleteLastSentence()) << phrase;
    for (const char* phrase : {"删掉上句", "删掉上一句"}) EXPECT_EQ(detect(phrase), VoiceCommand::deletePreviousSentence()) << phrase;
    EXPECT_EQ(detect("改成正式一点"), VoiceCommand::changeTone(Tone::formal));
    EXPECT_EQ(detect("口语化一点"), VoiceCommand::changeTone(Tone::casual));
    EXPECT_EQ(detect("随意一点"), VoiceCommand::changeTone(Tone::casual));
    EXPECT_EQ(detect("正式一点"), std::nullopt);
    EXPECT_EQ(detect("精简一下内容"), std::nullopt);
    EXPECT_NE(VoiceCommand::changeTone(Tone::formal), VoiceCommand::changeTone(Tone::casual));
    EXPECT_NE(VoiceCommand::deleteLastCharacters(2), VoiceCommand::deleteLastCharacters(3));
}

TEST(VoiceCommandDetector, StripsPoliteFillerOnce) {
    EXPECT_EQ(detect("撤销吧"), VoiceCommand::undo());
    EXPECT_EQ(detect("撤销一下吧"), VoiceCommand::undo());
    EXPECT_EQ(detect("嗯撤销"), VoiceCommand::undo());
    EXPECT_EQ(detect("请改成正式一点吧"), VoiceCommand::changeTone(Tone::formal));
    EXPECT_EQ(detect("请给我精简一下"), VoiceCommand::concise());
    EXPECT_EQ(detect("请精简一下"), VoiceCommand::concise());
    EXPECT_EQ(detect("那个删掉上一句好不好"), VoiceCommand::deletePreviousSentence());
    EXPECT_EQ(detect("嗯"), std::nullopt);
    EXPECT_EQ(detect(""), std::nullopt);
}

TEST(VoiceCommandDetector, ParsesNumeralsAndDropsSentences) {
    const QList<QPair<QString, qint64>> numerals{{"三", 3}, {"十", 10}, {"十五", 15}, {"二十", 20}, {"二十三", 23}, {"九十九", 99}, {"5", 5}, {"12", 12}, {"-4", -4}};
    for (const auto& [numeral, value] : numerals) EXPECT_EQ(VoiceCommandDetector::parseNumber(numeral), value) << numeral.toStdString();
    EXPECT_EQ(VoiceCommandDetector::parseNumber(QStringLiteral("零")), std::nullopt);

    EXPECT_EQ(VoiceCommandDetector::deleteLastSentence(QStringLiteral("今天很好。明天下雨！后天晴？")), QStringLiteral("今天很好。明天下雨"));
    EXPECT_EQ(VoiceCommandDetector::deleteLastSentence(QStringLiteral("只有一句。")), QString());
    EXPECT_EQ(VoiceCommandDetector::deleteLastSentence(QStringLiteral("a. b! 还是一句")), QString());
    EXPECT_EQ(VoiceCommandDetector::deleteLastSentence(QString()), QString());
}

TEST(VoiceCommandDetector, ExecutesKeysAndRewritesReplacingTheTypedText) {
    using test::LoopbackHttpServer;
    LoopbackHttpServer server([](const auto&) { return LoopbackHttpServer::Response::chat(QStringLiteral("您好，会议改到明天。")); });
    LLMTextProcessor processor([] { return QString(); });
    test::RecordingTextInjector keys;
    VoiceCommandDetector detector;
    const auto run = [&](VoiceCommand command, const QString& last, LLMTextProcessor* llm) {
        return test::await(detector.execute(command, QStringLiteral("指令"), last, keys, llm));
    };

    EXPECT_FALSE(run(VoiceCommand::deleteLastCharacters(3), {}, &processor).value->text.has_value());
    EXPECT_TRUE(run(VoiceCommand::undo(), {}, &processor).ok());
    EXPECT_EQ(keys.events, (QStringList{QStringLiteral("backspace×3"), QStringLiteral("undo")}));

    // Sentence removal erases what was typed (one Backspace per character) and returns the rest.
    keys.events.clear();
    const auto shortened = run(VoiceCommand::deletePreviousSentence(), QStringLiteral("今天好。明天见！"), &processor);
    EXPECT_EQ(shortened.value->text, QStringLiteral("今天好"));
    EXPECT_TRUE(shortened.value->erasedLastInjectedText);
    EXPECT_EQ(keys.events, QStringList{QStringLiteral("backspace×8")});
    EXPECT_FALSE(run(VoiceCommand::deleteLastSentence(), {}, &processor).value->text.has_value());

    // A rewrite erases the typed text only once the model answered.
    keys.events.clear();
    EXPECT_EQ(run(VoiceCommand::concise(), QStringLiteral("你好"), &processor).error, QStringLiteral("未配置 API Key"));
    EXPECT_TRUE(keys.events.isEmpty());
    EXPECT_EQ(run(VoiceCommand::concise(), QStringLiteral("你好"), nullptr).error, QStringLiteral("LLM 未配置，无法执行此指令"));
    processor.client = std::make_shared<OpenAIClient>(LLMConfig{QStringLiteral("k"), server.baseURL(), QStringLiteral("m"), 5});
    const auto formal = run(VoiceCommand::changeTone(Tone::formal), QStringLiteral("嘿，会改明天了"), &processor);
    EXPECT_EQ(formal.value->text, QStringLiteral("您好，会议改到明天。"));
    EXPECT_TRUE(formal.value->erasedLastInjectedText);
    EXPECT_EQ(keys.events, QStringList{QStringLiteral("backspace×7")});
    const QJsonObject body = QJsonDocument::fromJson(server.requests().value(0).body).object();
    EXPECT_EQ(body.value(QStringLiteral("messages")).toArray()[1].toObject().value(QStringLiteral("content")).toString(),
              QStringLiteral("嘿，会改明天了"));
    // With nothing typed before, the utterance itself is the source and nothing is erased.
    EXPECT_FALSE(run(VoiceCommand::changeTone(Tone::casual), {}, &processor).value->erasedLastInjectedText);
}
