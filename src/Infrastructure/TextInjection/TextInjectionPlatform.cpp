#include "Infrastructure/TextInjection/TextInjectionPlatform.h"

#include "Infrastructure/TextInjection/ClipboardKeeper.h"
#include "Infrastructure/TextInjection/ClipboardOnlyInjector.h"
#include "Infrastructure/TextInjection/PasteSignalGuard.h"
#include "Infrastructure/TextInjection/QtClipboardBackend.h"
#include "Infrastructure/TextInjection/TextInjectionService.h"
#include "Infrastructure/TextInjection/X11KeyEventSink.h"
#include "Infrastructure/X11/X11Display.h"

#include <QGuiApplication>
#include <QPointer>
#include <algorithm>

namespace vocena::TextInjectionPlatform {

namespace {

void handOffClipboardAtExit() { ClipboardKeeper::handOffAtExit(QCoreApplication::applicationFilePath(), keeperArguments); }

}  // namespace

TextInjectionService* makeProcessService(std::unique_ptr<KeyEventSink> keys, std::unique_ptr<ClipboardBackend> clipboard) {
    auto* service = new TextInjectionService(std::move(keys), std::move(clipboard));
    bool valid = false;
    const int limit = qEnvironmentVariableIntValue(TextInjectionService::kFetchLimitVariable, &valid);
    if (valid && limit > 0) service->setPasteFetchLimit(std::chrono::milliseconds(std::min(limit, 600000)));
    new PasteSignalGuard(*service);  // a child of the service
    // When the event loop ends, while the clipboard still exists: an unfinished paste ends (the
    // clipboard comes back if the target has the text), and whatever this process still serves
    // (that content, or a dictated text nobody fetched) goes to a keeper so that it outlives
    // the process.
    QObject::connect(qApp, &QCoreApplication::aboutToQuit, qApp, [guarded = QPointer<TextInjectionService>(service)] {
        delete guarded.data();
        handOffClipboardAtExit();
    });
    return service;
}

TextInjectionService* shared() {
    static QPointer<TextInjectionService> service;
    if (!service && X11Display::available())
        service = makeProcessService(std::make_unique<X11KeyEventSink>(), std::make_unique<QtClipboardBackend>());
    return service;
}

bool keysAvailable() {
    TextInjectionService* service = shared();
    return service && service->isTrusted();
}

TextInjector* clipboardOnly() {
    static std::unique_ptr<ClipboardOnlyInjector> injector;
    if (!injector) {
        const bool gui = qobject_cast<QGuiApplication*>(QCoreApplication::instance()) != nullptr;
        injector = std::make_unique<ClipboardOnlyInjector>(gui ? std::make_unique<QtClipboardBackend>() : nullptr);
        // Handed over while the clipboard still exists; on X11 the shared service's hand-over
        // does it already.
        if (gui && !shared()) QObject::connect(qApp, &QCoreApplication::aboutToQuit, qApp, [] { handOffClipboardAtExit(); });
    }
    return injector.get();
}

}  // namespace vocena::TextInjectionPlatform
