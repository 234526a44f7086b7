#include "Infrastructure/Wayland/WlrSelections.h"

#include "Infrastructure/Platform/Logging.h"
#include "Infrastructure/Wayland/WaylandConnection.h"

#include <QCoro/QCoroSignal>
#include <QPointer>
#include <QSocketNotifier>

#include <algorithm>
#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <thread>
#include <unistd.h>
#include <vector>

#include "wlr-data-control-unstable-v1-client-protocol.h"

namespace vocena {

using namespace std::chrono_literals;
using SteadyClock = std::chrono::steady_clock;

namespace {

const Logger logger("TextInjectionService");

bool isTextType(const QString& mimeType) {
    return mimeType.startsWith(QLatin1String("text/plain")) || mimeType == QLatin1String("UTF8_STRING") ||
           mimeType == QLatin1String("TEXT") || mimeType == QLatin1String("STRING");
}

// Writes `bytes` into `fd` and closes it, on a thread of its own: a reader that reads slowly,
// or never, must not stop this process. A reader that closes early is no error.
void writeDetached(int fd, QByteArray bytes) {
    std::thread([fd, bytes] {
        sigset_t pipeSignal;
        sigemptyset(&pipeSignal);
        sigaddset(&pipeSignal, SIGPIPE);
        pthread_sigmask(SIG_BLOCK, &pipeSignal, nullptr);
        ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
        for (qsizetype done = 0; done < bytes.size();) {
            const ssize_t n = ::write(fd, bytes.constData() + done, size_t(bytes.size() - done));
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) break;
            done += n;
        }
        // A SIGPIPE of a closed reader stays with this thread: taken here, before it ends.
        const timespec noWait{0, 0};
        while (sigtimedwait(&pipeSignal, nullptr, &noWait) > 0) {
        }
        ::close(fd);
    }).detach();
}

}  // namespace

struct WlrSelections::Offer {
    zwlr_data_control_offer_v1* proxy;
    QStringList mimeTypes;

    explicit Offer(zwlr_data_control_offer_v1* offer) : proxy(offer) {
        static const zwlr_data_control_offer_v1_listener listener = {
            [](void* data, zwlr_data_control_offer_v1*, const char* mimeType) {
                static_cast<Offer*>(data)->mimeTypes << QString::fromUtf8(mimeType);
            },
        };
        zwlr_data_control_offer_v1_add_listener(proxy, &listener, this);
    }
    ~Offer() { zwlr_data_control_offer_v1_destroy(proxy); }
    Offer(const Offer&) = delete;
    Offer& operator=(const Offer&) = delete;
};

struct WlrSelections::Source final : ServedSelection {
    zwlr_data_control_source_v1* proxy = nullptr;
    SelectionFormats formats;
    bool isReplaced = false;
    int textReadCount = 0;

    Source(zwlr_data_control_manager_v1* manager, SelectionFormats content) : formats(std::move(content)) {
        static const zwlr_data_control_source_v1_listener listener = {
            [](void* data, zwlr_data_control_source_v1*, const char* mimeType, int32_t fd) { static_cast<Source*>(data)->send(mimeType, fd); },
            [](void* data, zwlr_data_control_source_v1*) { static_cast<Source*>(data)->cancel(); },
        };
        proxy = zwlr_data_control_manager_v1_create_data_source(manager);
        zwlr_data_control_source_v1_add_listener(proxy, &listener, this);
        for (const auto& format : formats) zwlr_data_control_source_v1_offer(proxy, format.first.toUtf8().constData());
    }
    ~Source() override { cancel(); }
    Source(const Source&) = delete;
    Source& operator=(const Source&) = delete;

    bool replaced() const override { return isReplaced; }
    int textReads() const override { return textReadCount; }

    void send(const char* mimeType, int fd) {
        const QString type = QString::fromUtf8(mimeType);
        const auto format = std::find_if(formats.cbegin(), formats.cend(), [&](const auto& f) { return f.first == type; });
        if (format == formats.cend()) {
            ::close(fd);
            return;
        }
        if (isTextType(type)) ++textReadCount;
        writeDetached(fd, format->second);
    }
    void cancel() {
        isReplaced = true;
        if (proxy) zwlr_data_control_source_v1_destroy(proxy);
        proxy = nullptr;
    }
};

WlrSelections::WlrSelections(WaylandConnection& connection) : m_connection(connection) {
    if (!connection.offersWlrootsTyping()) return;
    static const zwlr_data_control_device_v1_listener listener = {
        [](void* data, zwlr_data_control_device_v1*, zwlr_data_control_offer_v1* offer) {
            static_cast<WlrSelections*>(data)->m_newOffer = std::make_unique<Offer>(offer);
        },
        [](void* data, zwlr_data_control_device_v1*, zwlr_data_control_offer_v1* offer) {
            static_cast<WlrSelections*>(data)->setOffer(PasteSelection::clipboard, offer);
        },
        [](void* data, zwlr_data_control_device_v1* device) {
            // The seat is gone: nothing can be read or served on it any more.
            auto* self = static_cast<WlrSelections*>(data);
            self->m_offers = {};
            zwlr_data_control_device_v1_destroy(device);
            self->m_device = nullptr;
        },
        [](void* data, zwlr_data_control_device_v1*, zwlr_data_control_offer_v1* offer) {
            static_cast<WlrSelections*>(data)->setOffer(PasteSelection::primary, offer);
        },
    };
    m_device = zwlr_data_control_manager_v1_get_data_device(connection.dataControl(), connection.seat());
    zwlr_data_control_device_v1_add_listener(m_device, &listener, this);
    connection.roundtrip(1s);
}

WlrSelections::~WlrSelections() {
    m_sources = {};
    m_offers = {};
    m_newOffer.reset();
    if (m_device) zwlr_data_control_device_v1_destroy(m_device);
    m_connection.flush();
}

WlrSelections& WlrSelections::shared() {
    static WlrSelections* selections = new WlrSelections(WaylandConnection::shared());
    return *selections;
}

bool WlrSelections::isAvailable() const { return m_device && m_connection.isConnected(); }

bool WlrSelections::offersPrimary() const { return isAvailable() && m_connection.dataControlVersion() >= 2; }

void WlrSelections::setOffer(PasteSelection selection, zwlr_data_control_offer_v1* offer) {
    ++m_generations[index(selection)];
    std::unique_ptr<Offer>& slot = m_offers[index(selection)];
    slot.reset();
    if (offer && m_newOffer && m_newOffer->proxy == offer) slot = std::move(m_newOffer);
}

bool WlrSelections::answerWithoutOwner(PasteSelection selection, std::chrono::milliseconds limit,
                                       std::optional<SelectionFormats>& answer) {
    answer.reset();
    if (!isAvailable() || !m_connection.roundtrip(limit)) return true;
    // This process's own content is at hand (and asking the compositor for it would have this
    // process write to itself).
    if (const std::shared_ptr<Source>& own = m_sources[index(selection)]; own && !own->isReplaced) answer = own->formats;
    else if (!m_offers[index(selection)]) answer = SelectionFormats{};
    return answer.has_value();
}

std::optional<SelectionFormats> WlrSelections::read(PasteSelection selection, std::chrono::milliseconds limit) {
    const auto deadline = SteadyClock::now() + limit;
    std::optional<SelectionFormats> answer;
    if (answerWithoutOwner(selection, limit, answer)) return answer;
    SelectionFormats formats;
    const Offer* offer = m_offers[index(selection)].get();
    const QStringList mimeTypes = offer->mimeTypes;
    for (const QString& mimeType : mimeTypes) {
        // The offer may be replaced while it is read (its proxy is gone then).
        if (m_offers[index(selection)].get() != offer) return std::nullopt;
        const std::optional<QByteArray> bytes = receive(offer->proxy, mimeType, deadline);
        if (!bytes) {
            logger.error(QStringLiteral("无法在 %1 ms 内读取剪贴板的 %2 内容").arg(limit.count()).arg(mimeType));
            return std::nullopt;
        }
        formats.append({mimeType, *bytes});
    }
    return formats;
}

std::optional<QByteArray> WlrSelections::receive(zwlr_data_control_offer_v1* offer, const QString& mimeType,
                                                 SteadyClock::time_point deadline) {
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC | O_NONBLOCK) != 0) return std::nullopt;
    zwlr_data_control_offer_v1_receive(offer, mimeType.toUtf8().constData(), fds[1]);
    ::close(fds[1]);
    m_connection.flush();
    QByteArray bytes;
    std::optional<QByteArray> result;
    while (SteadyClock::now() < deadline) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - SteadyClock::now());
        const int ready = m_connection.dispatchOnce(fds[0], std::max(left, 1ms));
        if (ready < 0) break;
        if (ready == 0) continue;
        char chunk[65536];
        const ssize_t n = ::read(fds[0], chunk, sizeof chunk);
        if (n > 0) bytes.append(chunk, n);
        else if (n == 0 || errno != EAGAIN) {
            if (n == 0) result = bytes;
            break;
        }
    }
    ::close(fds[0]);
    return result;
}

QCoro::Task<std::optional<SelectionFormats>> WlrSelections::readAsync(PasteSelection selection, std::chrono::milliseconds limit) {
    const auto deadline = SteadyClock::now() + limit;
    // (The compositor itself answers at once; the owner of the content may not.)
    std::optional<SelectionFormats> answer;
    if (answerWithoutOwner(selection, limit, answer)) co_return answer;
    SelectionFormats formats;
    const Offer* offer = m_offers[index(selection)].get();
    QPointer<WlrSelections> self(this);
    const quint64 generation = m_generations[index(selection)];
    const QStringList mimeTypes = offer->mimeTypes;
    zwlr_data_control_offer_v1* proxy = offer->proxy;
    for (const QString& mimeType : mimeTypes) {
        QCoro::Task<std::optional<QByteArray>> receiving = receiveAsync(proxy, mimeType, deadline);
        const std::optional<QByteArray> bytes = co_await std::move(receiving);
        // The selection may have changed while it was read (its offer is gone then).
        if (!self || m_generations[index(selection)] != generation) co_return std::nullopt;
        if (!bytes) {
            logger.error(QStringLiteral("无法在 %1 ms 内读取剪贴板的 %2 内容").arg(limit.count()).arg(mimeType));
            co_return std::nullopt;
        }
        formats.append({mimeType, *bytes});
    }
    co_return formats;
}

QCoro::Task<std::optional<QByteArray>> WlrSelections::receiveAsync(zwlr_data_control_offer_v1* offer, QString mimeType,
                                                                   SteadyClock::time_point deadline) {
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC | O_NONBLOCK) != 0) co_return std::nullopt;
    zwlr_data_control_offer_v1_receive(offer, mimeType.toUtf8().constData(), fds[1]);
    ::close(fds[1]);
    m_connection.flush();
    QSocketNotifier readable(fds[0], QSocketNotifier::Read);
    QByteArray bytes;
    std::optional<QByteArray> result;
    for (;;) {
        char chunk[65536];
        const ssize_t n = ::read(fds[0], chunk, sizeof chunk);
        if (n > 0) {
            bytes.append(chunk, n);
            continue;
        }
        if (n == 0) {
            result = bytes;
            break;
        }
        if (errno == EINTR) continue;
        if (errno != EAGAIN) break;
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - SteadyClock::now());
        if (left.count() <= 0) break;
        const auto ready = co_await qCoro(&readable, &QSocketNotifier::activated, left);
        if (!ready) break;
    }
    readable.setEnabled(false);
    ::close(fds[0]);
    co_return result;
}

std::shared_ptr<ServedSelection> WlrSelections::serve(PasteSelection selection, SelectionFormats formats) {
    if (!isAvailable() || (selection == PasteSelection::primary && !offersPrimary())) return nullptr;
    auto source = std::make_shared<Source>(m_connection.dataControl(), std::move(formats));
    if (selection == PasteSelection::primary) zwlr_data_control_device_v1_set_primary_selection(m_device, source->proxy);
    else zwlr_data_control_device_v1_set_selection(m_device, source->proxy);
    // The content this replaces is no longer served (the compositor has cancelled it).
    m_sources[index(selection)] = source;
    ++m_generations[index(selection)];
    if (!m_connection.flush()) return nullptr;
    return source;
}

QList<QPair<PasteSelection, SelectionFormats>> WlrSelections::served() {
    m_connection.dispatchOnce(-1, 0ms);
    QList<QPair<PasteSelection, SelectionFormats>> content;
    for (PasteSelection selection : {PasteSelection::clipboard, PasteSelection::primary}) {
        const std::shared_ptr<Source>& source = m_sources[index(selection)];
        if (source && !source->isReplaced && m_connection.isConnected()) content.append({selection, source->formats});
    }
    return content;
}

}  // namespace vocena
