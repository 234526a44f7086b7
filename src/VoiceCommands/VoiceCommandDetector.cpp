#include "VoiceCommands/VoiceCommandDetector.h"

#include "Infrastructure/LLM/LLMPrompts.h"
#include "Infrastructure/LLM/LLMTextProcessor.h"
#include "Infrastructure/Platform/Logging.h"
#include "Infrastructure/TextInjection/TextInjector.h"
#include "Support/Regex.h"
#include "Support/TextUtils.h"

#include <QRegularExpression>
#include <limits>
#include <vector>

namespace vocena {

namespace {

const Logger logger("VoiceCommandDetector");

struct PatternRule {
    Regex pattern;
    VoiceCommand command;
};

// Compiled once; ICU patterns are safe to share between threads.
struct Patterns {
    std::vector<PatternRule> sentenceRules;
    Regex deleteCharacters{QStringLiteral("^删除最后([一二三四五六七八九十\\d]+)个字$")};
    std::vector<PatternRule> rewriteRules;
    Regex fillerPrefix{QStringLiteral("^(请(帮|帮忙)?(给我|帮我)?|那个|就是|嗯|啊|哦)?\\s*")};
    Regex fillerSuffix{QStringLiteral("\\s*(吧|啊|呢|嘛|啦|好不好|可以吗|行吗)?$")};

    Patterns() {
        const auto add = [](std::vector<PatternRule>& rules, const char16_t* pattern, VoiceCommand command) {
            rules.push_back({Regex(QString::fromUtf16(pattern)), command});
        };
        add(sentenceRules, u"^删除(最后|上一)[一]?句(话)?$", VoiceCommand::deleteLastSentence());
        add(sentenceRules, u"^删(除|掉)上[一]?句(话)?$", VoiceCommand::deletePreviousSentence());

        const VoiceCommand formal = VoiceCommand::changeTone(VoiceCommand::Tone::formal);
        const VoiceCommand casual = VoiceCommand::changeTone(VoiceCommand::Tone::casual);
        for (const char16_t* p : {u"^改为正式(语气|一点|一些)?$", u"^变成正式(语气|一点|一些)?$", u"^改成正式(语气|一点|一些)?$"})
            add(rewriteRules, p, formal);
        for (const char16_t* p : {u"^改为口语(化)?$", u"^口语化(一点)?$", u"^改成口语(化)?$", u"^变成口语(化)?$", u"^随意一点$"})
            add(rewriteRules, p, casual);
        for (const char16_t* p : {u"^简洁(一点)?$", u"^简短(一点)?$", u"^精简(一下)?$", u"^简短一点$", u"^简洁一点$"})
            add(rewriteRules, p, VoiceCommand::concise());
    }
};

const Patterns& patterns() {
    static const Patterns compiled;
    return compiled;
}

std::optional<VoiceCommand> firstMatching(const std::vector<PatternRule>& rules, const QString& text) {
    for (const PatternRule& rule : rules)
        if (rule.pattern.contains(text)) return rule.command;
    return std::nullopt;
}

QString toneName(VoiceCommand::Tone tone) {
    return tone == VoiceCommand::Tone::formal ? QStringLiteral("formal") : QStringLiteral("casual");
}

}  // namespace

QString VoiceCommand::description() const {
    switch (kind) {
    case Kind::deleteLastCharacters: return QStringLiteral("deleteLastCharacters(%1)").arg(count);
    case Kind::changeTone: return QStringLiteral("changeTone(%1)").arg(toneName(tone));
    case Kind::deleteLastSentence: return QStringLiteral("deleteLastSentence");
    case Kind::deletePreviousSentence: return QStringLiteral("deletePreviousSentence");
    case Kind::concise: return QStringLiteral("concise");
    case Kind::undo: return QStringLiteral("undo");
    }
    return {};
}

bool VoiceCommand::operator==(const VoiceCommand& other) const {
    if (kind != other.kind) return false;
    if (kind == Kind::deleteLastCharacters) return count == other.count;
    if (kind == Kind::changeTone) return tone == other.tone;
    return true;
}

const char* VoiceCommandError::what() const noexcept {
    static const QByteArray text = llmNotAvailableDescription().toUtf8();
    return text.constData();
}

const QHash<QChar, int>& VoiceCommandDetector::chineseDigits() {
    static const QHash<QChar, int> digits{{u'一', 1}, {u'二', 2}, {u'三', 3}, {u'四', 4}, {u'五', 5},
                                          {u'六', 6}, {u'七', 7}, {u'八', 8}, {u'九', 9}, {u'十', 10}};
    return digits;
}

VoiceCommandDetector::DetectionResult VoiceCommandDetector::detect(const QString& text) const {
    const QString trimmed = TextUtils::trimmed(text);
    if (trimmed.isEmpty()) return {};
    if (auto command = matchExactly(trimmed)) return {command};
    return {matchWithoutFiller(trimmed)};
}

std::optional<VoiceCommand> VoiceCommandDetector::matchExactly(const QString& text) const {
    static const QStringList undoPhrases{QStringLiteral("撤回"), QStringLiteral("撤销"), QStringLiteral("撤回一下"),
                                         QStringLiteral("撤销一下")};
    if (undoPhrases.contains(text)) return VoiceCommand::undo();
    const Patterns& p = patterns();
    if (auto command = firstMatching(p.sentenceRules, text)) return command;
    if (const auto groups = p.deleteCharacters.firstMatch(text)) {
        // The numeral lies between "删除最后" and "个字".
        if (const auto n = parseNumber(groups->first().mid(4, groups->first().size() - 6)))
            return VoiceCommand::deleteLastCharacters(*n);
    }
    return firstMatching(p.rewriteRules, text);
}

std::optional<VoiceCommand> VoiceCommandDetector::matchWithoutFiller(const QString& text) const {
    const Patterns& p = patterns();
    const QString stripped =
        TextUtils::trimmed(p.fillerSuffix.replaceAll(p.fillerPrefix.replaceAll(text, QString()), QString()));
    if (stripped == text) return std::nullopt;
    return matchExactly(stripped);
}

std::optional<qint64> VoiceCommandDetector::parseNumber(const QString& numeral) {
    static const QRegularExpression decimal(QStringLiteral("^[+-]?[0-9]+$"));
    if (decimal.match(numeral).hasMatch()) {
        bool ok = false;
        const qint64 value = numeral.toLongLong(&ok);
        if (ok) return value;
    }
    const auto& digits = chineseDigits();
    if (numeral.size() == 1 && digits.contains(numeral.at(0))) return digits.value(numeral.at(0));
    qint64 total = 0;
    for (qsizetype i = 0; i < numeral.size(); ++i) {
        const auto digit = digits.constFind(numeral.at(i));
        if (digit == digits.constEnd()) continue;
        if (i + 1 < numeral.size() && numeral.at(i + 1) == u'十') {
            total += qint64(*digit) * 10;
            ++i;
        } else {
            total += *digit;
        }
    }
    if (total >= 1) return total;
    return std::nullopt;
}

QString VoiceCommandDetector::deleteLastSentence(const QString& text) {
    static const QRegularExpression marks(QStringLiteral("[。！？]"));
    QStringList sentences;
    for (const QString& piece : text.split(marks)) {
        const QString sentence = TextUtils::trimmed(piece);
        if (!sentence.isEmpty()) sentences << sentence;
    }
    if (sentences.size() < 2) return {};
    sentences.removeLast();
    return sentences.join(u'。');
}

QCoro::Task<VoiceCommandDetector::ExecutionResult> VoiceCommandDetector::execute(VoiceCommand command, QString on,
                                                                                 QString lastInjectedText,
                                                                                 TextInjector& textInjection,
                                                                                 LLMTextProcessor* llmProcessor) const {
    logger.info(QStringLiteral("执行语音指令: %1").arg(command.description()));
    switch (command.kind) {
    case VoiceCommand::Kind::deleteLastCharacters: {
        const int count = int(std::clamp<qint64>(command.count, 0, std::numeric_limits<int>::max()));
        co_await textInjection.deleteLastCharacters(count);
        logger.info(QStringLiteral("已删除最后 %1 个字符").arg(command.count));
        co_return ExecutionResult{};
    }
    case VoiceCommand::Kind::undo:
        co_await textInjection.undo();
        logger.info(QStringLiteral("已执行撤销 (Cmd+Z)"));
        co_return ExecutionResult{};
    case VoiceCommand::Kind::deleteLastSentence:
    case VoiceCommand::Kind::deletePreviousSentence: {
        if (lastInjectedText.isEmpty()) {
            logger.error(QStringLiteral("无文本可删除"));
            co_return ExecutionResult{};
        }
        const QString remaining = deleteLastSentence(lastInjectedText);
        logger.info(QStringLiteral("已删除最后一句，剩余: %1").arg(Logging::privateText(remaining)));
        co_return ExecutionResult{remaining, lastInjectedText, false};
    }
    case VoiceCommand::Kind::changeTone:
    case VoiceCommand::Kind::concise: {
        const bool tone = command.kind == VoiceCommand::Kind::changeTone;
        if (!llmProcessor) {
            logger.error(tone ? QStringLiteral("LLM 未配置，无法执行语气转换") : QStringLiteral("LLM 未配置，无法执行精简"));
            throw VoiceCommandError();
        }
        const bool replacesTypedText = !lastInjectedText.isEmpty();
        const QString source = replacesTypedText ? lastInjectedText : on;
        if (source.isEmpty()) co_return ExecutionResult{};
        const QString prompt = tone ? LLMPrompts::tone(command.tone == VoiceCommand::Tone::formal ? LLMPrompts::Tone::formal
                                                                                                 : LLMPrompts::Tone::casual)
                                    : LLMPrompts::concise();
        const QString rewritten = co_await llmProcessor->processWithCustomPrompt(prompt, source);
        logger.info(tone ? QStringLiteral("语气转换完成") : QStringLiteral("精简完成"));
        co_return ExecutionResult{rewritten, replacesTypedText ? std::optional(lastInjectedText) : std::nullopt, true};
    }
    }
    co_return ExecutionResult{};
}

}  // namespace vocena
