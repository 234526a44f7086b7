#pragma once

#include <QString>
#include <exception>

namespace vocena {

// A spoken editing command. Equal when kind and payload are equal.
struct VoiceCommand {
    enum class Kind { deleteLastCharacters, changeTone, deleteLastSentence, deletePreviousSentence, concise, undo };
    enum class Tone { formal, casual };

    Kind kind = Kind::undo;
    qint64 count = 0;         // deleteLastCharacters only
    Tone tone = Tone::formal;  // changeTone only

    static VoiceCommand deleteLastCharacters(qint64 n) { return {Kind::deleteLastCharacters, n, Tone::formal}; }
    static VoiceCommand changeTone(Tone tone) { return {Kind::changeTone, 0, tone}; }
    static VoiceCommand deleteLastSentence() { return {Kind::deleteLastSentence, 0, Tone::formal}; }
    static VoiceCommand deletePreviousSentence() { return {Kind::deletePreviousSentence, 0, Tone::formal}; }
    static VoiceCommand concise() { return {Kind::concise, 0, Tone::formal}; }
    static VoiceCommand undo() { return {Kind::undo, 0, Tone::formal}; }

    bool needsModel() const { return kind == Kind::changeTone || kind == Kind::concise; }
    // "deleteLastCharacters(3)", "changeTone(formal)", "undo", ...
    QString description() const;

    bool operator==(const VoiceCommand& other) const;
};

class VoiceCommandError : public std::exception {
public:
    // The one case: a command that needs the model without a processor.
    static QString llmNotAvailableDescription() { return QStringLiteral("LLM 未配置，无法执行此指令"); }
    const char* what() const noexcept override;
};

}  // namespace vocena
