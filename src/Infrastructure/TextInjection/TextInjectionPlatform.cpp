#include "Infrastructure/TextInjection/TextInjectionPlatform.h"

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
        // Gone when the event loop ends, while the clipboard still exists: the clipboard of an
        // unfinished paste is put back.
        QObject::connect(qApp, &QCoreApplication::aboutToQuit, qApp, [] { delete service.data(); });
    }
    return service;
}

}  // namespace vocena::TextInjectionPlatform
