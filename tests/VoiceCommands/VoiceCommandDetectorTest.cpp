#include "Infrastructure/LLM/LLMPrompts.h"
#include "Infrastructure/LLM/LLMTextProcessor.h"
#include "VoiceCommands/VoiceCommandDetector.h"
#include "support/AsyncTest.h"
#include "support/LoopbackHttpServer.h"
#include "support/RecordingTextInjector.h"

#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonDocument>

using namespace vocena;
using Command = std::optional<VoiceCommand>;
using Tone = VoiceCommand::Tone;

TEST(VoiceCommandDetector, RecognisesWholeUtterancesOnly) {
    const QList<QPair<const char*, Command>> cases{
        {"  撤销 \n", VoiceCommand::undo()},
        {"撤回一下", VoiceCommand::undo()},
        {"删除最后12个字", VoiceCommand::deleteLastCharacters(12)},
        {"删除最后两个字", std::nullopt},
        {"删除最后99999999999999999999个字", std::nullopt},  // too long for a number
        {"删除最后一句", VoiceCommand::deleteLastSentence()},
        {"删掉上句", VoiceCommand::deletePreviousSentence()},
        {"改成正式一点", VoiceCommand::changeTone(Tone::formal)},
        {"口语化一点", VoiceCommand::changeTone(Tone::casual)},
        {"正式一点", std::nullopt},
        {"精简一下内容", std::nullopt},
        // One pass of polite filler at either end.
        {"撤销一下吧", VoiceCommand::undo()},
        {"嗯撤销", VoiceCommand::undo()},
        {"请给我精简一下", VoiceCommand::concise()},
        {"嗯", std::nullopt},
        {"", std::nullopt},
    };
    for (const auto& [utterance, expected] : cases)
        EXPECT_EQ(VoiceCommandDetector().detect(QString::fromUtf8(utterance)).command, expected) << utterance;
}

TEST(VoiceCommandDetector, ParsesNumeralsAndDropsSentences) {
    const QList<QPair<QString, std::optional<qint64>>> numerals{
        {"三", 3}, {"十", 10}, {"十五", 15}, {"二十", 20}, {"二十三", 23}, {"九十九", 99}, {"5", 5}, {"12", 12}, {"-4", -4}, {"零", std::nullopt}};
    for (const auto& [numeral, value] : numerals) EXPECT_EQ(VoiceCommandDetector::parseNumber(numeral), value) << numeral.toStdString();

    const QList<QPair<QString, QString>> sentences{
        {"今天很好。明天下雨！后天晴？", "今天很好。明天下雨"}, {"只有一句。", ""}, {"", ""},
        {"a. b! 还是一句", ""},  // ASCII marks do not end a sentence
    };
    for (const auto& [text, kept] : sentences) EXPECT_EQ(VoiceCommandDetector::deleteLastSentence(text), kept) << text.toStdString();
}

// Which text a rewrite sends with which prompt, and what it gives back to replace; the keys the
// other commands post and how their results reach the screen are tested through the pipeline.
TEST(VoiceCommandDetector, RewritesSendTheLastTextWithTheirPrompt) {
    using test::LoopbackHttpServer;
    const QString answer = QStringLiteral("您好，会议改到明天。");
    LoopbackHttpServer server([&](const auto&) { return LoopbackHttpServer::Response::chat(answer); });
    LLMTextProcessor processor([] { return QString(); });
    processor.client = std::make_shared<OpenAIClient>(LLMConfig{QStringLiteral("k"), server.baseURL(), QStringLiteral("m"), 5});
    const QString last = QStringLiteral("嘿，会改明天了。明天见！");
    // name, the command, the text typed last, the processor, the result's text and the text it
    // replaces, the system prompt and the text of the request the model got (none: no request), the error
    using Optional = std::optional<QString>;
    const QList<std::tuple<const char*, VoiceCommand, QString, LLMTextProcessor*, Optional, Optional, QStringList, QString>> cases{
        {"formal", VoiceCommand::changeTone(Tone::formal), last, &processor, answer, last, {LLMPrompts::tone(LLMPrompts::Tone::formal), last}, {}},
        {"casual of the utterance", VoiceCommand::changeTone(Tone::casual), {}, &processor, answer, {},
         {LLMPrompts::tone(LLMPrompts::Tone::casual), QStringLiteral("指令")}, {}},
        {"concise", VoiceCommand::concise(), last, &processor, answer, last, {LLMPrompts::concise(), last}, {}},
        {"no processor", VoiceCommand::changeTone(Tone::formal), last, nullptr, {}, {}, {}, QStringLiteral("LLM 未配置，无法执行此指令")},
    };
    VoiceCommandDetector detector;
    for (const auto& [name, command, lastInjected, via, text, replaces, asked, error] : cases) {
        SCOPED_TRACE(name);
        test::RecordingTextInjector keys;
        const qsizetype requestsBefore = server.requests().size();
        const auto outcome = test::await(detector.execute(command, QStringLiteral("指令"), lastInjected, keys, via));
        EXPECT_EQ(outcome.error, error);
        if (outcome.ok()) {
            EXPECT_EQ(outcome.value->text, text);
            EXPECT_EQ(outcome.value->replaces, replaces);
            EXPECT_EQ(outcome.value->fromModel, !asked.isEmpty());
        }
        QStringList sent;
        for (const auto& request : server.requests().mid(requestsBefore))
            for (const QJsonValue& m : QJsonDocument::fromJson(request.body)["messages"].toArray())
                sent << m["content"].toString();
        EXPECT_EQ(sent, asked);
    }
}
