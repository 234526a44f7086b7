#pragma once

#include <QByteArray>
#include <QList>
#include <QMap>
#include <QPair>
#include <QString>
#include <QThread>
#include <functional>
#include <type_traits>

namespace vocena::test {

// A real HTTP/1.1 server on 127.0.0.1, running on its own thread so that tests (and
// processes started by tests) can talk to it while the test thread blocks.
class LoopbackHttpServer {
public:
    struct Request {
        QByteArray method;
        QByteArray target;  // the request line's path and query
        QMap<QByteArray, QByteArray> headers;  // names lower-cased
        QByteArray body;
    };
    struct Response {
        enum class Kind { Reply, NeverAnswer, Close };
        Kind kind = Kind::Reply;
        int status = 200;
        QByteArray body;
        QByteArray contentType = "application/json";
        QList<QPair<QByteArray, QByteArray>> headers;  // sent after Content-Type
        int delayMs = 0;                                // a slow server: the reply leaves this much later
        qsizetype sendOnly = -1;                        // a stalled transfer: only this much of the body leaves
        bool breakAfterSendOnly = false;                // ... and then the connection closes
        qsizetype chunkBytes = 0;                       // a slow line: the body leaves in chunks of this size
        int chunkIntervalMs = 0;                        // ... one every this many milliseconds

        Response() = default;
        Response(Kind kind, int status, QByteArray body, QByteArray contentType = "application/json")
            : kind(kind), status(status), body(std::move(body)), contentType(std::move(contentType)) {}

        static Response json(int status, const QByteArray& body) { return {Kind::Reply, status, body}; }
        static Response redirect(int status, const QString& location) { return json(status, {}).with(&Response::headers, {{"Location", location.toUtf8()}}); }
        Response delayedBy(int milliseconds) const { return with(&Response::delayMs, milliseconds); }
        // The headers announce the whole body, then the first `bytes` of it leave and the
        // connection stays open without another byte ...
        Response stalledAfter(qsizetype bytes) const { return with(&Response::sendOnly, bytes); }
        // ... or the server closes it (a line that broke off).
        Response brokenAfter(qsizetype bytes) const { return stalledAfter(bytes).with(&Response::breakAfterSendOnly, true); }
        // The body leaves `bytes` at a time, one chunk every `intervalMs` (combines with
        // stalledAfter and brokenAfter).
        Response pacedBy(qsizetype bytes, int intervalMs) const { return with(&Response::chunkBytes, bytes).with(&Response::chunkIntervalMs, intervalMs); }
        static Response neverAnswer() { return {Kind::NeverAnswer, 0, {}, {}}; }
        static Response close() { return {Kind::Close, 0, {}, {}}; }
        // This response with one field changed.
        template <typename T> Response with(T Response::*field, std::type_identity_t<T> value) const {
            Response response = *this;
            response.*field = std::move(value);
            return response;
        }
        // A chat-completions answer whose first choice carries `content`.
        static Response chat(const QString& content);
        // A download of `file`: the rest from the offset of a "Range: bytes=N-" request (206),
        // or the whole (200).
        static Response download(const QByteArray& file, const Request& request) {
            const QByteArray range = request.headers.value("range");
            if (!range.startsWith("bytes=")) return {Kind::Reply, 200, file, "application/x-bzip2"};
            return {Kind::Reply, 206, file.mid(range.mid(6, range.indexOf('-') - 6).toLongLong()), "application/x-bzip2"};
        }
    };
    using Handler = std::function<Response(const Request&)>;

    explicit LoopbackHttpServer(Handler handler = {});
    ~LoopbackHttpServer();

    QString baseURL() const;  // http://127.0.0.1:<port>
    // http://127.0.0.1:<port> where nothing listens: a connection is refused.
    static QString refusingBaseURL();
    QList<Request> requests() const;

private:
    class Worker;
    QThread m_thread;
    Worker* m_worker = nullptr;
    quint16 m_port = 0;
};

}  // namespace vocena::test
