#pragma once

#include <QByteArray>
#include <QJsonObject>
#include <QList>
#include <QString>
#include <exception>

namespace vocena {

struct ChatMessage {
    QString role;  // "system", "user" or "assistant"
    QString content;

    static ChatMessage system(const QString& content) { return {QStringLiteral("system"), content}; }
    static ChatMessage user(const QString& content) { return {QStringLiteral("user"), content}; }
    static ChatMessage assistant(const QString& content) { return {QStringLiteral("assistant"), content}; }

    QJsonObject toJson() const { return {{QStringLiteral("role"), role}, {QStringLiteral("content"), content}}; }
    bool operator==(const ChatMessage&) const = default;
};

struct LLMConfig {
    QString apiKey;   // sent as a bearer token
    QString baseURL;  // the provider root as the user typed it
    QString model;
    double timeout = 10.0;  // seconds without progress before the request is given up
};

// Every failure of a model request is one of these; `description()` is the text shown to
// the user or logged.
class LLMError : public std::exception {
public:
    explicit LLMError(QString description) : m_description(std::move(description)), m_what(m_description.toUtf8()) {}
    const QString& description() const { return m_description; }
    const char* what() const noexcept override { return m_what.constData(); }

private:
    QString m_description;
    QByteArray m_what;
};

class LLMProcessingError : public LLMError {
public:
    enum class Kind { apiError, notConfigured, invalidURL, networkError, timeout, parsingFailed };

    static LLMProcessingError apiError(const QString& message) { return {Kind::apiError, message}; }
    static LLMProcessingError notConfigured() { return {Kind::notConfigured, {}}; }
    static LLMProcessingError invalidURL() { return {Kind::invalidURL, {}}; }
    static LLMProcessingError networkError() { return {Kind::networkError, {}}; }
    static LLMProcessingError timeout() { return {Kind::timeout, {}}; }
    static LLMProcessingError parsingFailed() { return {Kind::parsingFailed, {}}; }

    Kind kind() const { return m_kind; }
    const QString& message() const { return m_message; }  // apiError only

    // The message an apiError carries for an HTTP status other than 200.
    static QString messageForStatus(int status);

private:
    LLMProcessingError(Kind kind, QString message);
    static QString describe(Kind kind, const QString& message);

    Kind m_kind;
    QString m_message;
};

// A failure of the HTTP layer itself (refused, reset, TLS, time-out), passed through.
class TransportError : public LLMError {
public:
    TransportError(int networkErrorCode, QString description, bool timedOut)
        : LLMError(std::move(description)), m_code(networkErrorCode), m_timedOut(timedOut) {}
    int networkErrorCode() const { return m_code; }  // QNetworkReply::NetworkError
    bool timedOut() const { return m_timedOut; }

private:
    int m_code;
    bool m_timedOut;
};

// A 200 answer whose body is not JSON at all, with the parser's own message.
class JSONParseError : public LLMError {
public:
    using LLMError::LLMError;
};

}  // namespace vocena
