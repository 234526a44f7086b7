// The paste path under X11, timed: from injectText() of a Chinese sentence (the automatic
// mode, as the dictation pipeline calls it) to the text in a focused Qt field, and to the
// return of injectText() (the previous clipboard put back). Needs a display:
//   scripts/with-xvfb build/bench/vocena_paste_latency
#include "Infrastructure/Platform/Logging.h"
#include "Infrastructure/TextInjection/QtClipboardBackend.h"
#include "Infrastructure/TextInjection/TextInjectionService.h"
#include "Infrastructure/TextInjection/X11KeyEventSink.h"

#include "InjectionLatency.h"

#include <QApplication>
#include <QClipboard>
#include <QLineEdit>

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "xcb");
    QApplication app(argc, argv);
    vocena::Logging::install(vocena::Logging::Level::Notice);
    QLineEdit field;
    field.show();
    field.activateWindow();
    field.setFocus();
    vocena::bench::spinUntil([&] { return field.isActiveWindow() && field.hasFocus(); });
    QGuiApplication::clipboard()->setText(QStringLiteral("之前的剪贴板"));

    vocena::TextInjectionService service(std::make_unique<vocena::X11KeyEventSink>(),
                                         std::make_unique<vocena::QtClipboardBackend>());
    const QString text = QStringLiteral("今天天气很好，我们去公园散步吧。");
    const vocena::bench::InjectionLatency latency = vocena::bench::measureInjection(service, field, text);
    vocena::bench::report("start -> text in the field", latency.inField);
    vocena::bench::report("start -> injectText returned", latency.returned);
    return QGuiApplication::clipboard()->text() == QStringLiteral("之前的剪贴板") ? 0 : 1;
}
