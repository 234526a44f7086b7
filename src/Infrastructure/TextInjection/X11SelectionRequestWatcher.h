#pragma once

#include <QAbstractNativeEventFilter>
#include <QtGlobal>
#include <functional>

namespace vocena {

// Sees the requests other applications send this process for the content of the clipboard or
// the primary selection, before Qt answers them, and tells which client asked (Qt's clipboard
// does not say). Requests for the list of formats or the timestamp are not reads and are not
// reported. Installed on the application while it exists; main thread.
class X11SelectionRequestWatcher final : public QAbstractNativeEventFilter {
public:
    explicit X11SelectionRequestWatcher(std::function<void(quint32 client)> onRequest);
    ~X11SelectionRequestWatcher() override;
    X11SelectionRequestWatcher(const X11SelectionRequestWatcher&) = delete;
    X11SelectionRequestWatcher& operator=(const X11SelectionRequestWatcher&) = delete;

    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override;

private:
    std::function<void(quint32 client)> m_onRequest;
};

}  // namespace vocena
