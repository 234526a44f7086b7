// Typing through the fcitx5 bridge, timed beside the X11 paste of the same Chinese sentence into
// the same field: fcitx5 runs with the bridge from the build tree on this process's session bus,
// and the Qt field talks to it through Qt's fcitx input-method plugin, as a desktop with fcitx5
// does. For each way: from injectText() to the text in the field, and to its return. Needs a
// session bus and a display:
//   dbus-run-session -- scripts/with-xvfb build/bench/vocena_commit_latency
#include "Infrastructure/InputMethod/Fcitx5Bridge.h"
#include "Infrastructure/InputMethod/Fcitx5TextInjector.h"
#include "Infrastructure/Platform/Logging.h"
#include "Infrastructure/TextInjection/QtClipboardBackend.h"
#include "Infrastructure/TextInjection/TextInjectionService.h"
#include "Infrastructure/TextInjection/X11KeyEventSink.h"
#include "support/Fcitx5Daemon.h"

#include "InjectionLatency.h"

#include <QApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QLineEdit>
#include <QTemporaryDir>
#include <cstdio>

namespace {

// An empty preedit is accepted only while some input context of fcitx5 has the focus.
bool fieldHasFocusInFcitx5() {
    QDBusMessage call = QDBusMessage::createMethodCall(vocena::Fcitx5Bridge::serviceName, vocena::Fcitx5Bridge::objectPath,
                                                      vocena::Fcitx5Bridge::interfaceName, QStringLiteral("SetPreedit"));
    call.setArguments({QString()});
    return QDBusConnection::sessionBus().call(call, QDBus::Block, 1000).type() == QDBusMessage::ReplyMessage;
}

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "xcb");
    qputenv("QT_IM_MODULE", "fcitx");
    QApplication app(argc, argv);
    vocena::Logging::install(vocena::Logging::Level::Notice);
    QTemporaryDir home;
    const vocena::test::Fcitx5Daemon fcitx5(home.path());
    if (!fcitx5.ownsName()) {
        std::printf("fcitx5 did not start\n");
        return 1;
    }

    QLineEdit field;
    field.show();
    field.activateWindow();
    field.setFocus();
    vocena::bench::spinUntil([&] { return field.isActiveWindow() && field.hasFocus() && fieldHasFocusInFcitx5(); });
    if (!fieldHasFocusInFcitx5()) {
        std::printf("the field never had the focus in fcitx5\n");
        return 1;
    }

    const QString text = QStringLiteral("今天天气很好，我们去公园散步吧。");
    vocena::Fcitx5Bridge bridge(QDBusConnection::sessionBus());
    vocena::Fcitx5TextInjector commit(bridge, nullptr);
    const vocena::bench::InjectionLatency committed = vocena::bench::measureInjection(commit, field, text);
    vocena::TextInjectionService paste(std::make_unique<vocena::X11KeyEventSink>(), std::make_unique<vocena::QtClipboardBackend>());
    const vocena::bench::InjectionLatency pasted = vocena::bench::measureInjection(paste, field, text);

    vocena::bench::report("CommitText -> text in the field", committed.inField);
    vocena::bench::report("CommitText -> injectText returned", committed.returned);
    vocena::bench::report("X11 paste -> text in the field", pasted.inField);
    vocena::bench::report("X11 paste -> injectText returned", pasted.returned);
    return committed.inField.size() == 30 && pasted.inField.size() == 30 ? 0 : 1;
}
