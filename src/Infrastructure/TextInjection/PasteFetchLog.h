#pragma once

#include <QSet>
#include <optional>

namespace vocena {

// Who has read the text offered for one paste, as X clients (a window's client tells its
// application, see X11QtConnection). Requests from other applications are served one at a time
// on the main thread: the selection watcher says whose request is being served, then Qt reads
// the text for it. A read while no request is served is this process's own (a paste into one
// of its own windows never leaves the process).
class PasteFetchLog {
public:
    explicit PasteFetchLog(std::optional<quint32> thisClient) : m_thisClient(thisClient) {}

    // A request of `client` is being served: the next read is that client's.
    void serving(quint32 client) { m_serving = client; }
    // The request was served (or answered without reading the text).
    void served() { m_serving.reset(); }

    // Qt read the offered data in one format; `text` when it was the plain text.
    void noteRead(bool text) {
        const std::optional<quint32> reader = m_serving ? m_serving : m_thisClient;
        m_serving.reset();
        if (!text) return;
        if (reader) m_readers.insert(*reader);
        m_read = true;
    }

    // Whether `client` has read the text; without a client, whether anyone has.
    bool readBy(std::optional<quint32> client) const { return client ? m_readers.contains(*client) : m_read; }

private:
    std::optional<quint32> m_thisClient;
    std::optional<quint32> m_serving;
    QSet<quint32> m_readers;
    bool m_read = false;
};

}  // namespace vocena
