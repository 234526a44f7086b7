#include "Infrastructure/TextInjection/PasteSignalGuard.h"

#include "Infrastructure/Platform/Logging.h"
#include "Infrastructure/TextInjection/TextInjectionService.h"

#include <QCoreApplication>
#include <QSocketNotifier>
#include <sys/socket.h>
#include <unistd.h>

namespace vocena {

namespace {

const Logger logger("TextInjectionService");

// The self-pipe: written by the signal handler, read on the main thread.
int g_pipe[2] = {-1, -1};

extern "C" void writeSignalNumber(int signal) {
    const unsigned char byte = static_cast<unsigned char>(signal);
    [[maybe_unused]] const ssize_t written = ::write(g_pipe[1], &byte, 1);
}

}  // namespace

PasteSignalGuard::PasteSignalGuard(TextInjectionService& service) : QObject(&service), m_service(&service) {
    if (g_pipe[0] < 0 && ::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, g_pipe) != 0) {
        logger.error(QStringLiteral("无法创建信号管道，粘贴时的中断信号不会恢复剪贴板"));
        return;
    }
    m_notifier = new QSocketNotifier(g_pipe[0], QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, [this] {
        unsigned char signal = 0;
        if (::read(g_pipe[0], &signal, 1) == 1) onSignal(signal);
    });
    connect(&service, &TextInjectionService::pasteStarted, this, &PasteSignalGuard::arm);
    connect(&service, &TextInjectionService::pasteEnded, this, &PasteSignalGuard::disarm);
}

PasteSignalGuard::~PasteSignalGuard() { disarm(); }

void PasteSignalGuard::arm() {
    if (m_armed || !m_notifier) return;
    struct sigaction action {};
    action.sa_handler = writeSignalNumber;
    action.sa_flags = SA_RESTART;
    sigemptyset(&action.sa_mask);
    for (size_t i = 0; i < handledSignals.size(); ++i) sigaction(handledSignals[i], &action, &m_previous[i]);
    m_armed = true;
}

void PasteSignalGuard::disarm() {
    if (!m_armed) return;
    for (size_t i = 0; i < handledSignals.size(); ++i) sigaction(handledSignals[i], &m_previous[i], nullptr);
    m_armed = false;
}

void PasteSignalGuard::onSignal(int signal) {
    logger.info(QStringLiteral("收到信号 %1，结束粘贴").arg(signal));
    if (m_service) m_service->finishPaste();
    disarm();
    // The signal's usual course, now that the paste is over.
    struct sigaction current {};
    sigaction(signal, nullptr, &current);
    if (current.sa_handler == SIG_IGN) return;
    if (current.sa_handler == SIG_DFL) QCoreApplication::exit(128 + signal);
    else ::raise(signal);
}

}  // namespace vocena
