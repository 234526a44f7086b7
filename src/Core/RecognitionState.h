#pragma once

#include <QString>

namespace vocena {

// The work mode handed to a recording; the stored preference maps 0 to the input method and
// every other value to the assistant.
enum class VoiceInputMode { inputMethod = 0, voiceAssistant = 1 };

inline VoiceInputMode voiceInputModeFromPreference(qint64 value) {
    return value == 0 ? VoiceInputMode::inputMethod : VoiceInputMode::voiceAssistant;
}
// "输入法" or "助手", as the log shows it.
inline QString logLabel(VoiceInputMode mode) {
    return mode == VoiceInputMode::inputMethod ? QStringLiteral("输入法") : QStringLiteral("助手");
}

// The state of one dictation run.
class RecognitionState {
public:
    enum class Kind { idle, listening, recognizing, aiProcessing, completed, error };

    static RecognitionState idle() { return RecognitionState(Kind::idle); }
    static RecognitionState listening() { return RecognitionState(Kind::listening); }
    static RecognitionState recognizing() { return RecognitionState(Kind::recognizing); }
    static RecognitionState aiProcessing() { return RecognitionState(Kind::aiProcessing); }
    static RecognitionState completed() { return RecognitionState(Kind::completed); }
    static RecognitionState error(const QString& message) { return RecognitionState(Kind::error, message); }

    Kind kind() const { return m_kind; }
    const QString& message() const { return m_message; }  // error only

    // "idle", ..., "error(" + message + ")".
    QString description() const;

    bool operator==(const RecognitionState& other) const {
        return m_kind == other.m_kind && (m_kind != Kind::error || m_message == other.m_message);
    }

private:
    explicit RecognitionState(Kind kind, QString message = {}) : m_kind(kind), m_message(std::move(message)) {}
    Kind m_kind;
    QString m_message;
};

inline QString RecognitionState::description() const {
    switch (m_kind) {
    case Kind::idle: return QStringLiteral("idle");
    case Kind::listening: return QStringLiteral("listening");
    case Kind::recognizing: return QStringLiteral("recognizing");
    case Kind::aiProcessing: return QStringLiteral("aiProcessing");
    case Kind::completed: return QStringLiteral("completed");
    case Kind::error: return QStringLiteral("error(") + m_message + QLatin1Char(')');
    }
    return {};
}

}  // namespace vocena
