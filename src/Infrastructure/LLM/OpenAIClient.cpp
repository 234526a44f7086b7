#include "Infrastructure/LLM/OpenAIClient.h"

#include "Support/TextUtils.h"

#include <QCoro/QCoroNetworkReply>
#include <QJsonArray>
#include <QJsonDocument>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QThreadStorage>
#include <chrono>
#include <cmath>
#include <memory>

namespace vocena {

namespace {

QNetworkAccessManager* threadNetwork() {
    static QThreadStorage<QNetworkAccessManager*> managers;
    if (!managers.hasLocalData()) managers.setLocalData(new QNetworkAccessManager);
    return managers.localData();
}

struct ReplyDeleter {
    void operator()(QNetworkReply* reply) const {
        if (reply) reply->deleteLater();
    }
};

// A bearer token with a line break or another control character would corrupt the request
// headers: refuse to send it.
bool isSafeHeaderValue(const QString& key) {
    for (QChar c : key)
        if (c.unicode() < 0x20 || c.unicode() == 0x7F) return false;
    return true;
}

QString parseContent(const QByteArray& body) {
    QJsonParseError parseError{};
    const QJsonDocument document = QJsonDocument::fromJson(body, &parseError);
    if (parseError.error != QJsonParseError::NoError)
        throw JSONParseError(QStringLiteral("JSON 解析错误: %1 (offset %2)").arg(parseError.errorString()).arg(parseError.offset));
    const QJsonValue choices = document.object().value(QStringLiteral("choices"));
    if (!document.isObject() || !choices.isArray() || choices.toArray().isEmpty())
        throw LLMProcessingError::parsingFailed();
    const QJsonValue first = choices.toArray().first();
    const QJsonValue content = first.toObject().value(QStringLiteral("message")).toObject().value(QStringLiteral("content"));
    if (!first.isObject() || !first.toObject().value(QStringLiteral("message")).isObject() || !content.isString())
        throw LLMProcessingError::parsingFailed();
    return TextUtils::trimmed(content.toString());
}

// Bounded in floating point before the conversion: a huge value would overflow the
// milliseconds and end every request at once.
double boundedTimeout(double seconds) {
    return std::isfinite(seconds) && seconds > 0 ? std::min(seconds, OpenAIClient::kLongestTimeout) : OpenAIClient::kRequestDeadline;
}

int transferTimeoutMilliseconds(double seconds) { return std::max(1, int(std::ceil(boundedTimeout(seconds) * 1000.0))); }

}  // namespace

OpenAIClient::OpenAIClient(LLMConfig config, QNetworkAccessManager* network)
    : m_config(std::move(config)), m_network(network ? network : threadNetwork()) {}

std::optional<QUrl> OpenAIClient::chatCompletionsURL(const QString& baseURL) {
    qsizetype start = 0;
    qsizetype end = baseURL.size();
    while (start < end && baseURL.at(start) == QLatin1Char('/')) ++start;
    while (end > start && baseURL.at(end - 1) == QLatin1Char('/')) --end;
    QString root = baseURL.mid(start, end - start);
    if (!root.endsWith(QLatin1String("/v1"))) root += QLatin1String("/v1");
    const QUrl url(root + QLatin1String("/chat/completions"), QUrl::StrictMode);
    // Only an absolute http(s) address with a host can be sent anywhere.
    if (!url.isValid() || url.host().isEmpty() ||
        (url.scheme() != QLatin1String("https") && url.scheme() != QLatin1String("http")))
        return std::nullopt;
    return url;
}

QCoro::Task<QString> OpenAIClient::chatCompletion(QList<ChatMessage> messages, double temperature, int maxTokens,
                                                  double topP) const {
    if (m_config.apiKey.isEmpty()) throw LLMProcessingError::notConfigured();
    if (!isSafeHeaderValue(m_config.apiKey)) throw LLMProcessingError::apiError(QStringLiteral("API Key 含有无效字符"));
    const std::optional<QUrl> url = chatCompletionsURL(m_config.baseURL);
    if (!url) throw LLMProcessingError::invalidURL();

    QNetworkRequest request(*url);
    request.setRawHeader("Authorization", "Bearer " + m_config.apiKey.toUtf8());
    request.setHeader(QNetworkRequest::ContentTypeHeader, QByteArrayLiteral("application/json"));
    request.setTransferTimeout(transferTimeoutMilliseconds(m_config.timeout));
    // The bearer key goes to the configured origin only: a redirect elsewhere fails the request.
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::SameOriginRedirectPolicy);

    QJsonArray jsonMessages;
    for (const ChatMessage& message : messages) jsonMessages.append(message.toJson());
    const QJsonObject body{
        {QStringLiteral("model"), m_config.model},
        {QStringLiteral("messages"), jsonMessages},
        {QStringLiteral("temperature"), temperature},
        {QStringLiteral("max_tokens"), maxTokens},
        {QStringLiteral("top_p"), topP},
    };

    std::unique_ptr<QNetworkReply, ReplyDeleter> reply(m_network->post(request, QJsonDocument(body).toJson(QJsonDocument::Compact)));
    const bool finished = co_await qCoro(reply.get()).waitForFinished(
        std::chrono::milliseconds(qint64(std::max(kRequestDeadline, boundedTimeout(m_config.timeout)) * 1000.0)));
    if (!finished) {
        reply->abort();
        throw TransportError(QNetworkReply::TimeoutError, QStringLiteral("请求超时"), true);
    }

    const QVariant status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
    if (!status.isValid()) {
        if (reply->error() == QNetworkReply::NoError) throw LLMProcessingError::networkError();
        // Qt ends a request whose transfer time-out fired as "cancelled".
        const bool timedOut = reply->error() == QNetworkReply::OperationCanceledError ||
                              reply->error() == QNetworkReply::TimeoutError;
        throw TransportError(reply->error(), timedOut ? QStringLiteral("请求超时") : reply->errorString(), timedOut);
    }
    const int code = status.toInt();
    if (reply->error() == QNetworkReply::InsecureRedirectError)
        throw LLMProcessingError::apiError(QStringLiteral("服务器要求转到其他地址 (%1)，为保护 API Key 已拒绝").arg(code));
    if (code != 200) throw LLMProcessingError::apiError(LLMProcessingError::messageForStatus(code));
    if (reply->error() != QNetworkReply::NoError)  // a 200 whose body broke off
        throw TransportError(reply->error(), reply->errorString(), false);
    co_return parseContent(reply->readAll());
}

}  // namespace vocena
