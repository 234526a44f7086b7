#pragma once

#include <QCoro/QCoroTask>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QObject>
#include <QVariantMap>
#include <chrono>
#include <optional>

namespace vocena {

// One call of an xdg-desktop-portal method that answers through a Request object: the call
// returns the object's path at once, and the object later emits Response(u code, a{sv}
// results) once. The path is /org/freedesktop/portal/desktop/request/SENDER/TOKEN, known before
// the call, so the response is listened for before it can be sent. Main thread.
class PortalRequest final : public QObject {
    Q_OBJECT

public:
    // Response codes: the user cancelled, or the portal ended the request otherwise.
    static constexpr uint success = 0;

    struct Response {
        uint code = 2;
        QVariantMap results;
    };

    PortalRequest(QDBusConnection bus, QString service, QObject* parent = nullptr);

    // The value of the call's "handle_token" option (a valid path element, new per request).
    QString token() const { return m_token; }
    // Sends `call` (its options hold token()) and waits for the response, the call's reply
    // for up to `replyTimeout` and the response for up to `responseTimeout` (the portal may ask
    // the user first). nullopt, with `error` set, when either does not come.
    QCoro::Task<std::optional<Response>> send(QDBusMessage call, std::chrono::milliseconds replyTimeout,
                                              std::chrono::milliseconds responseTimeout);
    QString error() const { return m_error; }

    // The path element a portal makes of a connection's unique name (":1.42" → "1_42").
    static QString senderElement(const QString& uniqueName);

Q_SIGNALS:
    void responded();

private Q_SLOTS:
    void onResponse(uint code, const QVariantMap& results);

private:
    void listenAt(const QString& path);

    QDBusConnection m_bus;
    QString m_service;
    QString m_token;
    QStringList m_paths;
    std::optional<Response> m_response;
    QString m_error;
};

}  // namespace vocena
