#pragma once

#include <QCoro/QCoroTask>
#include <QDateTime>
#include <QString>
#include <exception>

namespace vocena {

// One transcription of the current recognition, partial or final.
struct SpeechRecognitionResult {
    QString text;
    double confidence = 0;  // of the last segment; 0 without segments
    bool isFinal = false;
    QDateTime timestamp;
};

// A failure of speech recognition, thrown by startRecognition() and reported to the delegate.
class SpeechRecognitionError : public std::exception {
public:
    enum class Kind { notAuthorized, recognitionFailed, audioEngineFailed, invalidAudio, timeout, networkError, unknown, notImplemented };

    explicit SpeechRecognitionError(Kind kind) : m_kind(kind), m_what(description().toUtf8()) {}
    Kind kind() const { return m_kind; }
    // The text shown to the user: "语音识别权限未授权", ...
    QString description() const;
    // The case name, as interpolated into "识别错误: networkError".
    QString caseName() const;
    const char* what() const noexcept override { return m_what.constData(); }
    bool operator==(const SpeechRecognitionError& other) const { return m_kind == other.m_kind; }

private:
    Kind m_kind;
    QByteArray m_what;
};

class SpeechRecognitionProtocol;

// How the recognizer reports to its owner; every call arrives on the main thread.
class SpeechRecognitionDelegate {
public:
    virtual ~SpeechRecognitionDelegate() = default;
    virtual void speechRecognitionDidStart(SpeechRecognitionProtocol& recognizer) = 0;
    virtual void speechRecognitionDidReceive(SpeechRecognitionProtocol& recognizer, const SpeechRecognitionResult& result) = 0;
    virtual void speechRecognitionDidFail(SpeechRecognitionProtocol& recognizer, const SpeechRecognitionError& error) = 0;
    // Recognition ended, or a stop was requested. A stop that nobody requested (the
    // microphone went away) arrives here too.
    virtual void speechRecognitionDidStop(SpeechRecognitionProtocol& recognizer) = 0;
    virtual void speechRecognitionDidUpdateAudioLevel(SpeechRecognitionProtocol& recognizer, float level) = 0;
};

// What the dictation controller needs of a recognizer.
class SpeechRecognitionProtocol {
public:
    // After a stop, the final result comes within this many seconds or not at all.
    static constexpr double kFinalResultCutOff = 2.0;

    virtual ~SpeechRecognitionProtocol() = default;
    SpeechRecognitionDelegate* delegate = nullptr;

    // Throws SpeechRecognitionError.
    virtual QCoro::Task<void> startRecognition() = 0;
    // Ends the audio; the final result (or the end without one) follows.
    virtual void stopRecognition() = 0;
    virtual QCoro::Task<bool> requestAuthorization() = 0;
    // From the start of a recognition until its final result, failure or cut-off.
    virtual bool isRecognizing() const = 0;
};

inline QString SpeechRecognitionError::description() const {
    switch (m_kind) {
    case Kind::notAuthorized: return QStringLiteral("语音识别权限未授权");
    case Kind::recognitionFailed: return QStringLiteral("语音识别失败");
    case Kind::audioEngineFailed: return QStringLiteral("音频引擎错误");
    case Kind::invalidAudio: return QStringLiteral("音频数据无效");
    case Kind::timeout: return QStringLiteral("识别超时");
    case Kind::networkError: return QStringLiteral("网络错误");
    case Kind::unknown: return QStringLiteral("未知错误");
    case Kind::notImplemented: return QStringLiteral("功能尚未实现");
    }
    return QStringLiteral("未知错误");
}

inline QString SpeechRecognitionError::caseName() const {
    switch (m_kind) {
    case Kind::notAuthorized: return QStringLiteral("notAuthorized");
    case Kind::recognitionFailed: return QStringLiteral("recognitionFailed");
    case Kind::audioEngineFailed: return QStringLiteral("audioEngineFailed");
    case Kind::invalidAudio: return QStringLiteral("invalidAudio");
    case Kind::timeout: return QStringLiteral("timeout");
    case Kind::networkError: return QStringLiteral("networkError");
    case Kind::unknown: return QStringLiteral("unknown");
    case Kind::notImplemented: return QStringLiteral("notImplemented");
    }
    return QStringLiteral("unknown");
}

}  // namespace vocena
