#include "Infrastructure/LLM/LLMTypes.h"

namespace vocena {

LLMProcessingError::LLMProcessingError(Kind kind, QString message)
    : LLMError(describe(kind, message)), m_kind(kind), m_message(std::move(message)) {}

QString LLMProcessingError::describe(Kind kind, const QString& message) {
    switch (kind) {
    case Kind::apiError: return QStringLiteral("API 错误: ") + message;
    case Kind::notConfigured: return QStringLiteral("未配置 API Key");
    case Kind::invalidURL: return QStringLiteral("API 地址无效，请检查设置");
    case Kind::networkError: return QStringLiteral("网络错误，请检查网络连接");
    case Kind::timeout: return QStringLiteral("请求超时");
    case Kind::parsingFailed: return QStringLiteral("响应解析失败");
    }
    return QStringLiteral("未知错误");
}

QString LLMProcessingError::messageForStatus(int status) {
    if (status == 401) return QStringLiteral("API Key 无效");
    if (status == 429) return QStringLiteral("请求频率过高，请稍后重试");
    if (status >= 500 && status <= 599) return QStringLiteral("服务器错误 (%1)").arg(status);
    return QStringLiteral("请求失败 (%1)").arg(status);
}

}  // namespace vocena
