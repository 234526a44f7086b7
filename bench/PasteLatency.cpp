// The paste path under X11, timed: from injectText() of a Chinese sentence (the automatic
// mode, as the dictation pipeline calls it) to the text in a focused Qt field, and to the
// return of injectText() (the previous clipboard put back). Needs a display:
//   scripts/with-xvfb build/bench/vocena_paste_latency
#include "Infrastructure/Platform/Logging.h"
#include "Infrastructure/TextInjection/QtClipboardBackend.h"
#include "Infrastructure/TextInjection/TextInjectionService.h"
#include "Infrastructure/TextInjection/X11KeyEventSink.h"

#include "LatencyReport.h"

#include <QApplication>
#include <QClipboard>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QThread>
#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

using vocena::bench::report;
using vocena::bench::spinUntil;

QCoro::Task<> inject(vocena::TextInjectionService& service, QString text, bool& done) {
    try {
        co_await service.injectText(text, vocena::TextInjectionMode::automatic);
    } catch (const vocena::TextInjectionError& error) {
        std::printf("paste failed: %s\n", error.what());
    }
    done = true;
}

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "xcb");
    QApplication app(argc, argv);
    vocena::Logging::install(vocena::Logging::Level::Notice);
    QLineEdit field;
    field.show();
    field.activateWindow();
    field.setFocus();
    spinUntil([&] { return field.isActiveWindow() && field.hasFocus(); });
    QGuiApplication::clipboard()->setText(QStringLiteral("之前的剪贴板"));

    vocena::TextInjectionService service(std::make_unique<vocena::X11KeyEventSink>(),
                                         std::make_unique<vocena::QtClipboardBackend>());
    const QString text = QStringLiteral("今天天气很好，我们去公园散步吧。");
    std::vector<double> inField, returned;
    for (int run = 0; run < 30; ++run) {
        field.clear();
        bool done = false;
        QElapsedTimer timer;
        timer.start();
        inject(service, text, done);
        spinUntil([&] { return field.text() == text; });
        inField.push_back(double(timer.nsecsElapsed()) / 1e6);
        spinUntil([&] { return done; });
        returned.push_back(double(timer.nsecsElapsed()) / 1e6);
        QThread::msleep(20);
    }
    report("start -> text in the field", inField);
    report("start -> injectText returned", returned);
    return QGuiApplication::clipboard()->text() == QStringLiteral("之前的剪贴板") ? 0 : 1;
}
