#include "Infrastructure/TextInjection/TextInjectionPlatform.h"

#include "Infrastructure/TextInjection/ClipboardKeeper.h"
#include "Infrastructure/TextInjection/PasteSignalGuard.h"
#include "Infrastructure/TextInjection/QtClipboardBackend.h"
#include "Infrastructure/TextInjection/TextInjectionService.h"
#include "Infrastructure/TextInjection/X11KeyEventSink.h"
#include "Infrastructure/X11/X11Display.h"

#include <QGuiApplication>
#include <QPointer>

namespace vocena::TextInjectionPlatform {

TextInjectionService* shared() {
    static QPointer<TextInjectionService> service;
    if (!service && X11Display::available()) {
        service = new TextInjectionService(std::make_unique<X11KeyEventSink>(), std::make_unique<QtClipboardBackend>());
        new PasteSignalGuard(*service);  // a child of the service
        // When the event loop ends, while the clipboard still exists: an unfinished paste ends
        // (the clipboard comes back if the target has the text), and whatever this process still
        // serves (that content, or a dictated text nobody fetched) goes to a keeper so that it
        // outlives the process.
        QObject::connect(qApp, &QCoreApplication::aboutToQuit, qApp, [] {
            delete service.data();
            ClipboardKeeper::handOffAtExit(QCoreApplication::applicationFilePath(), keeperArguments);
        });
    }
    return service;
}

}  // namespace vocena::TextInjectionPlatform
