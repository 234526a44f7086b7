#pragma once

#include <QObject>
#include <QPointer>
#include <array>
#include <csignal>

class QSocketNotifier;

namespace vocena {

class TextInjectionService;

// While a paste of the service waits for its target, SIGINT, SIGTERM and SIGHUP first end the
// paste (TextInjectionService::finishPaste: the user's clipboard comes back once the target has
// fetched the text; until then the text stays on it) and then take their course: the
// handler that was installed before runs (`vocena listen` ends its session), or, where there
// was none, the event loop ends with the exit code 128 + the signal's number, so that the
// application's shutdown still runs (and hands the clipboard to a keeper). Outside a paste the
// signals are left alone. One per process, on the main thread; the signal handler itself only
// writes the signal's number into a pipe.
class PasteSignalGuard final : public QObject {
public:
    explicit PasteSignalGuard(TextInjectionService& service);
    ~PasteSignalGuard() override;

    static constexpr std::array handledSignals = {SIGINT, SIGTERM, SIGHUP};

private:
    void arm();
    void disarm();
    void onSignal(int signal);

    QPointer<TextInjectionService> m_service;
    QSocketNotifier* m_notifier = nullptr;
    bool m_armed = false;
    std::array<struct sigaction, handledSignals.size()> m_previous{};
};

}  // namespace vocena
