#include "Infrastructure/Hotkey/PortalRequest.h"

#include <QCoro/QCoroDBus>
#include <QCoro/QCoroSignal>
#include <QCoreApplication>
#include <QDBusObjectPath>
#include <QDBusPendingCall>
#include <QPointer>
#include <atomic>

namespace vocena {

namespace {

const QString requestInterface = QStringLiteral("org.freedesktop.portal.Request");

QString newToken() {
    static std::atomic<int> counter{0};
    return QStringLiteral("vocena_%1_%2").arg(QCoreApplication::applicationPid()).arg(++counter);
}

}  // namespace

PortalRequest::PortalRequest(QDBusConnection bus, QString service, QObject* parent)
    : QObject(parent), m_bus(std::move(bus)), m_service(std::move(service)), m_token(newToken()) {
    listenAt(QStringLiteral("/org/freedesktop/portal/desktop/request/%1/%2").arg(senderElement(m_bus.baseService()), m_token));
}

QString PortalRequest::senderElement(const QString& uniqueName) {
    QString element = uniqueName.startsWith(QLatin1Char(':')) ? uniqueName.mid(1) : uniqueName;
    return element.replace(QLatin1Char('.'), QLatin1Char('_'));
}

void PortalRequest::listenAt(const QString& path) {
    if (m_paths.contains(path)) return;
    m_paths.append(path);
    m_bus.connect(m_service, path, requestInterface, QStringLiteral("Response"), this, SLOT(onResponse(uint, QVariantMap)));
}

void PortalRequest::onResponse(uint code, const QVariantMap& results) {
    if (m_response) return;
    m_response = Response{code, results};
    Q_EMIT responded();
}

QCoro::Task<std::optional<PortalRequest::Response>> PortalRequest::send(QDBusMessage call, std::chrono::milliseconds replyTimeout,
                                                                        std::chrono::milliseconds responseTimeout) {
    QPointer self{this};
    const QDBusPendingCall pending = m_bus.asyncCall(call, int(replyTimeout.count()));
    const QDBusMessage reply = co_await pending;
    if (!self) co_return std::nullopt;
    if (reply.type() != QDBusMessage::ReplyMessage) {
        m_error = reply.errorMessage().isEmpty() ? reply.errorName() : reply.errorMessage();
        co_return std::nullopt;
    }
    // A portal older than the fixed path answers with a path of its own.
    const QVariantList values = reply.arguments();
    if (!values.isEmpty()) listenAt(values.first().value<QDBusObjectPath>().path());
    if (!m_response) {
        co_await qCoro(this, &PortalRequest::responded, responseTimeout);
        if (!self) co_return std::nullopt;
    }
    if (!m_response) m_error = QStringLiteral("门户在 %1 秒内没有回应").arg(responseTimeout.count() / 1000);
    co_return m_response;
}

}  // namespace vocena
