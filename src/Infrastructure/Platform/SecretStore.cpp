#include "Infrastructure/Platform/SecretStore.h"

#include "Infrastructure/Platform/FileSecretStore.h"
#include "Infrastructure/Platform/LibsecretSecretStore.h"
#include "Infrastructure/Platform/Logging.h"

#include <gio/gio.h>
#include <sys/stat.h>

#include <QSemaphore>
#include <atomic>
#include <thread>

namespace vocena {

QCoro::Task<SecretStore::Reading> SecretStore::readChecked(QString service, QString account) {
    // (Plain statements around co_await: g++ 12 mishandles it inside an initializer.)
    QCoro::Task<std::optional<QString>> reading = read(service, account);
    std::optional<QString> secret = co_await std::move(reading);
    co_return Reading{std::move(secret), false};
}

namespace {

const Logger logger("SecretStore");

constexpr const char* kSecretServiceName = "org.freedesktop.secrets";
constexpr int kProbeTimeoutMs = 1000;

enum class Verdict { NoBus, NoSecretService, SecretService, NoAnswer };

// The session bus address the way D-Bus clients find it, without ever autolaunching a bus:
// DBUS_SESSION_BUS_ADDRESS, else the socket $XDG_RUNTIME_DIR/bus. Empty when there is none
// or when it is explicitly "disabled:".
QByteArray sessionBusAddress() {
    const QByteArray configured = qgetenv("DBUS_SESSION_BUS_ADDRESS");
    if (!configured.isEmpty())
        return configured.startsWith("disabled:") ? QByteArray() : configured;
    const QByteArray runtimeDir = qgetenv("XDG_RUNTIME_DIR");
    if (runtimeDir.isEmpty())
        return {};
    const QByteArray socket = runtimeDir + "/bus";
    struct stat info {};
    if (::stat(socket.constData(), &info) != 0 || !S_ISSOCK(info.st_mode))
        return {};
    g_autofree gchar* escaped = g_dbus_address_escape_value(socket.constData());
    return QByteArray("unix:path=") + escaped;
}

// Calls a method of the bus itself; nullptr (and `error` set) when it fails or times out.
GVariant* callBus(GDBusConnection* bus, const char* method, GVariant* arguments, const char* replyType,
                  GCancellable* cancellable, GError** error) {
    return g_dbus_connection_call_sync(bus, "org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus",
                                       method, arguments, G_VARIANT_TYPE(replyType), G_DBUS_CALL_FLAGS_NONE,
                                       kProbeTimeoutMs, cancellable, error);
}

// Whether the bus has a Secret Service: running (the name has an owner, even one that is
// locked or busy) or activatable on demand.
Verdict askConnectedBus(GDBusConnection* bus, GCancellable* cancellable) {
    g_autoptr(GError) error = nullptr;
    g_autoptr(GVariant) ownerReply =
        callBus(bus, "NameHasOwner", g_variant_new("(s)", kSecretServiceName), "(b)", cancellable, &error);
    if (!ownerReply)
        return Verdict::NoAnswer;
    gboolean owned = FALSE;
    g_variant_get(ownerReply, "(b)", &owned);
    if (owned)
        return Verdict::SecretService;
    g_autoptr(GVariant) activatable = callBus(bus, "ListActivatableNames", nullptr, "(as)", cancellable, &error);
    if (!activatable)
        return Verdict::NoAnswer;
    g_autofree const gchar** names = nullptr;
    g_variant_get(activatable, "(^a&s)", &names);
    return g_strv_contains(names, kSecretServiceName) ? Verdict::SecretService : Verdict::NoSecretService;
}

Verdict askBus(const QByteArray& address, GCancellable* cancellable) {
    g_autoptr(GError) error = nullptr;
    const auto flags =
        GDBusConnectionFlags(G_DBUS_CONNECTION_FLAGS_AUTHENTICATION_CLIENT |
                             G_DBUS_CONNECTION_FLAGS_MESSAGE_BUS_CONNECTION);
    g_autoptr(GDBusConnection) bus =
        g_dbus_connection_new_for_address_sync(address.constData(), flags, nullptr, cancellable, &error);
    if (!bus)
        return g_error_matches(error, G_IO_ERROR, G_IO_ERROR_CANCELLED) ? Verdict::NoAnswer : Verdict::NoBus;
    const Verdict verdict = askConnectedBus(bus, cancellable);
    g_dbus_connection_close_sync(bus, nullptr, nullptr);
    return verdict;
}

// Asks the bus from a worker thread, so that a bus that does not answer costs at most the
// probe time-out here.
Verdict probeSessionBus() {
    const QByteArray address = sessionBusAddress();
    if (address.isEmpty())
        return Verdict::NoBus;

    struct Probe {
        QSemaphore done;
        std::atomic<Verdict> verdict{Verdict::NoAnswer};
    };
    auto probe = std::make_shared<Probe>();
    std::shared_ptr<GCancellable> cancellable(g_cancellable_new(), g_object_unref);
    // A thread of its own: a busy pool must not make the bus look silent.
    std::thread([probe, cancellable, address] {
        probe->verdict = askBus(address, cancellable.get());
        probe->done.release();
    }).detach();
    // Two calls of up to a second each, plus connecting.
    if (!probe->done.tryAcquire(1, 3 * kProbeTimeoutMs)) {
        g_cancellable_cancel(cancellable.get());
        return Verdict::NoAnswer;
    }
    return probe->verdict;
}

void announceFallback(const QString& path) {
    static std::atomic_bool announced{false};
    if (!announced.exchange(true))
        logger.notice(QStringLiteral("未找到 Secret Service，API Key 将保存在本地文件: %1").arg(path));
}

}  // namespace

std::shared_ptr<SecretStore> SecretStore::createDefault() {
    switch (probeSessionBus()) {
    case Verdict::SecretService:
        break;
    case Verdict::NoAnswer:
        // A bus that exists but does not say whether it has a Secret Service: keep the
        // secret off the disk and let each call time out on its own.
        logger.error(QStringLiteral("会话总线没有及时回答是否有 Secret Service，仍使用钥匙串"));
        break;
    case Verdict::NoBus:
    case Verdict::NoSecretService: {
        auto store = std::make_shared<FileSecretStore>();
        announceFallback(store->path());
        return store;
    }
    }
    logger.info(QStringLiteral("API Key 保存在 Secret Service 中"));
    return std::make_shared<LibsecretSecretStore>();
}

}  // namespace vocena
