#pragma once

#include "VoiceCommands/VoiceCommand.h"

#include <QCoro/QCoroTask>
#include <QHash>
#include <optional>

namespace vocena {

class LLMTextProcessor;
class TextInjector;

// Recognises a whole utterance as an editing command (fixed phrases and anchored patterns,
// with a second pass that strips polite filler) and carries it out. Stateless.
class VoiceCommandDetector {
public:
    struct DetectionResult {
        std::optional<VoiceCommand> command;
    };

    // What a command left for the caller to type. Nothing is erased here: when `replaces` is
    // set, the caller erases that previously typed text from the screen before typing `text`.
    // A model's rewrite (`fromModel`) is cleaned before typing, and one that comes out empty
    // must leave the old text alone; a shortened text is typed exactly as returned.
    struct ExecutionResult {
        std::optional<QString> text;
        std::optional<QString> replaces;
        bool fromModel = false;
    };

    static const QHash<QChar, int>& chineseDigits();

    DetectionResult detect(const QString& text) const;

    // Throws VoiceCommandError for a model command without a processor; model errors pass
    // through. `llmProcessor` may be null.
    QCoro::Task<ExecutionResult> execute(VoiceCommand command, QString on, QString lastInjectedText,
                                         TextInjector& textInjection, LLMTextProcessor* llmProcessor) const;

    static std::optional<qint64> parseNumber(const QString& numeral);
    static QString deleteLastSentence(const QString& text);

private:
    std::optional<VoiceCommand> matchExactly(const QString& text) const;
    std::optional<VoiceCommand> matchWithoutFiller(const QString& text) const;
};

}  // namespace vocena
