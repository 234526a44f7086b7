#include "support/LoopbackHttpServer.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMetaObject>
#include <QMutexLocker>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>

#include <memory>

namespace vocena::test {

class LoopbackHttpServer::Worker : public QObject {
public:
    explicit Worker(Handler handler) : m_handler(std::move(handler)) {}

    quint16 listen() {
        m_server = new QTcpServer(this);
        m_server->listen(QHostAddress::LocalHost, 0);
        QObject::connect(m_server, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket* socket = m_server->nextPendingConnection()) {
                socket->setParent(this);
                QObject::connect(socket, &QTcpSocket::readyRead, this, [this, socket] { onData(socket); });
                QObject::connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
            }
        });
        return m_server->serverPort();
    }

    QList<Request> requests() const {
        QMutexLocker lock(&m_mutex);
        return m_requests;
    }

private:
    void onData(QTcpSocket* socket) {
        QByteArray& buffer = m_buffers[socket];
        buffer += socket->readAll();
        const qsizetype headerEnd = buffer.indexOf("\r\n\r\n");
        if (headerEnd < 0) return;
        Request request;
        const QList<QByteArray> lines = buffer.left(headerEnd).split('\n');
        const QList<QByteArray> requestLine = lines.value(0).trimmed().split(' ');
        request.method = requestLine.value(0);
        request.target = requestLine.value(1);
        for (qsizetype i = 1; i < lines.size(); ++i) {
            const qsizetype colon = lines[i].indexOf(':');
            if (colon > 0) request.headers.insert(lines[i].left(colon).trimmed().toLower(), lines[i].mid(colon + 1).trimmed());
        }
        const qsizetype length = request.headers.value("content-length", "0").toLongLong();
        if (buffer.size() < headerEnd + 4 + length) return;
        request.body = buffer.mid(headerEnd + 4, length);
        m_buffers.remove(socket);

        {
            QMutexLocker lock(&m_mutex);
            m_requests << request;
        }
        const Response response = m_handler ? m_handler(request) : Response::chat(QStringLiteral("ok"));
        switch (response.kind) {
        case Response::Kind::NeverAnswer: return;
        case Response::Kind::Close: socket->abort(); return;
        case Response::Kind::Reply: break;
        }
        QByteArray head = "HTTP/1.1 " + QByteArray::number(response.status) + " Status\r\nContent-Type: " + response.contentType + "\r\n";
        for (const auto& [name, value] : response.headers) head += name + ": " + value + "\r\n";
        head += "Content-Length: " + QByteArray::number(response.body.size()) + "\r\nConnection: close\r\n\r\n";
        // The head (later from a slow server), then the body as far as `sendOnly`, at once or in
        // paced chunks; then the connection closes, or stays open when stalled.
        const QByteArray body = response.sendOnly >= 0 ? response.body.left(response.sendOnly) : response.body;
        const bool close = response.sendOnly < 0 || response.breakAfterSendOnly;
        const qsizetype chunk = response.chunkBytes > 0 ? response.chunkBytes : qMax<qsizetype>(body.size(), 1);
        QTimer::singleShot(response.delayMs, socket, [socket, head, body, close, chunk, interval = response.chunkIntervalMs] {
            socket->write(head);
            auto* timer = new QTimer(socket);
            auto sent = std::make_shared<qsizetype>(0);
            QObject::connect(timer, &QTimer::timeout, socket, [socket, timer, body, sent, close, chunk] {
                socket->write(body.mid(*sent, chunk));
                if ((*sent += chunk) < body.size()) return;
                timer->stop();
                if (close) socket->disconnectFromHost();
            });
            timer->start(interval);
        });
    }

    const Handler m_handler;
    mutable QMutex m_mutex;  // guards m_requests, read from the test's thread
    QList<Request> m_requests;
    QTcpServer* m_server = nullptr;
    QHash<QTcpSocket*, QByteArray> m_buffers;
};

LoopbackHttpServer::Response LoopbackHttpServer::Response::chat(const QString& content) {
    const QJsonObject message{{QStringLiteral("role"), QStringLiteral("assistant")}, {QStringLiteral("content"), content}};
    const QJsonObject choice{{QStringLiteral("index"), 0}, {QStringLiteral("message"), message}};
    const QJsonObject body{{QStringLiteral("id"), QStringLiteral("test")}, {QStringLiteral("choices"), QJsonArray{choice}}};
    return json(200, QJsonDocument(body).toJson(QJsonDocument::Compact));
}

LoopbackHttpServer::LoopbackHttpServer(Handler handler) {
    m_worker = new Worker(std::move(handler));
    m_worker->moveToThread(&m_thread);
    QObject::connect(&m_thread, &QThread::finished, m_worker, &QObject::deleteLater);
    m_thread.start();
    QMetaObject::invokeMethod(m_worker, [this] { m_port = m_worker->listen(); }, Qt::BlockingQueuedConnection);
}

LoopbackHttpServer::~LoopbackHttpServer() {
    m_thread.quit();
    m_thread.wait();
}

QString LoopbackHttpServer::baseURL() const { return QStringLiteral("http://127.0.0.1:%1").arg(m_port); }

QString LoopbackHttpServer::refusingBaseURL() {
    QTcpServer probe;  // a free port, free again once the probe closes
    probe.listen(QHostAddress::LocalHost, 0);
    const quint16 port = probe.serverPort();
    probe.close();
    return QStringLiteral("http://127.0.0.1:%1").arg(port);
}

QList<LoopbackHttpServer::Request> LoopbackHttpServer::requests() const { return m_worker->requests(); }

}  // namespace vocena::test
