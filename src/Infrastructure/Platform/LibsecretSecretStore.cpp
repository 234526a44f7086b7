#include "Infrastructure/Platform/LibsecretSecretStore.h"

#include "Infrastructure/Platform/Logging.h"

#include <libsecret/secret.h>

#include <QCoro/QCoroFuture>
#include <QPromise>
#include <QStringDecoder>
#include <QThreadPool>
#include <QTimer>
#include <atomic>
#include <functional>

namespace vocena {

namespace {

const Logger logger("SecretStore");

constexpr const char* kLabel = "澄言 API Key";

// Secret Service calls get threads of their own: a keyring waiting for an unlock prompt
// must not hold up the global pool that other work shares.
Q_GLOBAL_STATIC(QThreadPool, secretThreads)

// Matched by the attributes only (SECRET_SCHEMA_DONT_MATCH_NAME), so an item stored by
// another tool with the same service and account is found and replaced.
const SecretSchema* schema() {
    static const SecretSchema value = [] {
        SecretSchema s{};
        s.name = "com.vocena.GenericPassword";
        s.flags = SECRET_SCHEMA_DONT_MATCH_NAME;
        s.attributes[0] = {"service", SECRET_SCHEMA_ATTRIBUTE_STRING};
        s.attributes[1] = {"account", SECRET_SCHEMA_ATTRIBUTE_STRING};
        return s;
    }();
    return &value;
}

// What a worker needs, copied so that it never touches the store.
struct Request {
    QByteArray service;
    QByteArray account;
    QByteArray secret;

    QString itemName() const { return QString::fromUtf8(service + '/' + account); }
};

GHashTable* attributesOf(const Request& request) {
    GHashTable* table = g_hash_table_new_full(g_str_hash, g_str_equal, nullptr, g_free);
    g_hash_table_insert(table, const_cast<char*>("service"), g_strdup(request.service.constData()));
    g_hash_table_insert(table, const_cast<char*>("account"), g_strdup(request.account.constData()));
    return table;
}

// Logs a failure unless it is the cancellation of a time-out, which the timer reports.
void logFailure(const char* action, const Request& request, const GError* error) {
    if (!error || g_error_matches(error, G_IO_ERROR, G_IO_ERROR_CANCELLED))
        return;
    logger.error(QStringLiteral("%1钥匙串项目 %2 失败: %3")
                     .arg(QString::fromUtf8(action), request.itemName(), QString::fromUtf8(error->message)));
}

// A service object of our own rather than libsecret's shared one, which would keep the
// session bus connection of its first use for the rest of the process.
SecretService* openService(GCancellable* cancellable, GError** error) {
    return secret_service_open_sync(SECRET_TYPE_SERVICE, nullptr, SECRET_SERVICE_NONE, cancellable, error);
}

// The stored bytes as text; bytes that are not UTF-8, and the empty string, are no secret.
std::optional<QString> decodeSecret(QByteArrayView bytes) {
    QStringDecoder decoder(QStringDecoder::Utf8,
                           QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom);
    const QString text = decoder(bytes);
    if (decoder.hasError() || text.isEmpty())
        return std::nullopt;
    return text;
}

SecretStore::Reading lookupSecret(const Request& request, GCancellable* cancellable) {
    g_autoptr(GError) error = nullptr;
    g_autoptr(SecretService) service = openService(cancellable, &error);
    if (!service) {
        logFailure("读取", request, error);
        return {std::nullopt, true};
    }
    g_autoptr(GHashTable) attributes = attributesOf(request);
    g_autoptr(SecretValue) value = secret_service_lookup_sync(service, schema(), attributes, cancellable, &error);
    if (!value) {
        // No item is no error; an error is a keyring that could not be asked.
        logFailure("读取", request, error);
        return {std::nullopt, error != nullptr};
    }
    gsize length = 0;
    const gchar* bytes = secret_value_get(value, &length);
    return {decodeSecret(QByteArrayView(bytes, static_cast<qsizetype>(length))), false};
}

// Removes all items with the request's attributes, then stores the secret unless it is empty.
bool replaceSecret(const Request& request, GCancellable* cancellable) {
    const char* action = request.secret.isEmpty() ? "删除" : "保存";
    g_autoptr(GError) error = nullptr;
    g_autoptr(SecretService) service = openService(cancellable, &error);
    if (!service) {
        logFailure(action, request, error);
        return false;
    }
    g_autoptr(GHashTable) attributes = attributesOf(request);
    // FALSE without an error means there was nothing to remove.
    if (!secret_service_clear_sync(service, schema(), attributes, cancellable, &error) && error) {
        logFailure(action, request, error);
        return false;
    }
    if (request.secret.isEmpty())
        return true;
    g_autoptr(SecretValue) value = secret_value_new(request.secret.constData(), request.secret.size(), "text/plain");
    if (!secret_service_store_sync(service, schema(), attributes, SECRET_COLLECTION_DEFAULT, kLabel, value,
                                   cancellable, &error)) {
        logFailure(action, request, error);
        return false;
    }
    return true;
}

// The outcome of a call: whichever of the worker and the time-out comes first.
template <typename T>
struct Race {
    std::atomic_bool settled{false};
    QPromise<T> promise;

    bool settle(T value) {
        if (settled.exchange(true))
            return false;
        promise.addResult(std::move(value));
        promise.finish();
        return true;
    }
};

// Runs `work` on a secret thread and resumes on the caller's thread with its result, or
// with `onTimeout` once `timeout` has passed; then the work is cancelled and its late
// result dropped. Parameters by value: they live in the coroutine frame.
template <typename T>
QCoro::Task<T> runBounded(std::function<T(GCancellable*)> work, std::chrono::milliseconds timeout, T onTimeout,
                          QString what) {
    auto race = std::make_shared<Race<T>>();
    race->promise.start();
    QFuture<T> outcome = race->promise.future();
    std::shared_ptr<GCancellable> cancellable(g_cancellable_new(), g_object_unref);

    secretThreads()->start([race, cancellable, work] { race->settle(work(cancellable.get())); });

    QTimer deadline;
    deadline.setSingleShot(true);
    QObject::connect(&deadline, &QTimer::timeout, [race, cancellable, onTimeout, what, timeout] {
        // Settled before cancelling, so that the cancelled worker cannot win the race.
        if (race->settle(onTimeout))
            logger.error(QStringLiteral("%1: 钥匙串 %2 毫秒内没有响应（可能在等待解锁），已取消")
                             .arg(what)
                             .arg(timeout.count()));
        g_cancellable_cancel(cancellable.get());
    });
    deadline.start(timeout);

    co_return co_await outcome;
}

}  // namespace

LibsecretSecretStore::LibsecretSecretStore(std::chrono::milliseconds timeout) : m_timeout(timeout) {
    secretThreads()->setMaxThreadCount(4);
}

// Each operation hands copies to runBounded: nothing refers to the store once a call is
// under way, so the store may go away while one is pending.

QCoro::Task<std::optional<QString>> LibsecretSecretStore::read(QString service, QString account) {
    QCoro::Task<Reading> reading = readChecked(service, account);
    Reading outcome = co_await std::move(reading);
    co_return std::move(outcome.secret);
}

QCoro::Task<SecretStore::Reading> LibsecretSecretStore::readChecked(QString service, QString account) {
    const Request request{service.toUtf8(), account.toUtf8(), {}};
    return runBounded<Reading>([request](GCancellable* c) { return lookupSecret(request, c); }, m_timeout,
                               Reading{std::nullopt, true}, QStringLiteral("读取 %1").arg(request.itemName()));
}

QCoro::Task<bool> LibsecretSecretStore::write(QString service, QString account, QString secret) {
    const Request request{service.toUtf8(), account.toUtf8(), secret.toUtf8()};
    const QString what =
        (secret.isEmpty() ? QStringLiteral("删除 %1") : QStringLiteral("保存 %1")).arg(request.itemName());
    return runBounded<bool>([request](GCancellable* c) { return replaceSecret(request, c); }, m_timeout, false, what);
}

QCoro::Task<bool> LibsecretSecretStore::remove(QString service, QString account) {
    return write(std::move(service), std::move(account), QString());
}

}  // namespace vocena
