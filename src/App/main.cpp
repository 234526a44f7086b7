// 澄言 (Vocena): `vocena` starts the tray app; `vocena <command>` runs a command and exits.
#include "App/Cli.h"
#include "Infrastructure/Platform/Logging.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QNetworkProxyFactory>
#include <memory>

namespace {

// Commands that type into the focused window or use the clipboard connect to the display.
bool needsDisplay(const char* const* argv, int argc) {
    QStringList args;
    for (int i = 1; i < argc; ++i) args << QString::fromLocal8Bit(argv[i]);
    if (!args.isEmpty() && (args.first() == QStringLiteral("-v") || args.first() == QStringLiteral("--verbose")))
        args.removeFirst();
    const QString command = args.value(0);
    return command == QStringLiteral("type") || command == QStringLiteral("listen") ||
           ((command == QStringLiteral("process") || command == QStringLiteral("transcribe")) && args.contains(QStringLiteral("--inject")));
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication::setApplicationName(QStringLiteral("vocena"));
    std::unique_ptr<QCoreApplication> app;
    if (needsDisplay(argv, argc)) {
        // Typing works on X11 only (XWayland included). Without a reachable X display Qt falls
        // back to the offscreen platform and the command says so, instead of Qt aborting.
        qputenv("QT_QPA_PLATFORM", qEnvironmentVariableIsEmpty("DISPLAY") ? "offscreen" : "xcb;offscreen");
        app = std::make_unique<QGuiApplication>(argc, argv);
    } else {
        app = std::make_unique<QCoreApplication>(argc, argv);
    }
    // Honour http_proxy/https_proxy/no_proxy for the model endpoint.
    QNetworkProxyFactory::setUseSystemConfiguration(true);
    QStringList args = QCoreApplication::arguments();
    args.removeFirst();
    if (args.isEmpty()) {
        // The tray app arrives with the application shell; until then show what there is.
        args << QStringLiteral("--help");
    }
    return vocena::runCommandLine(args);
}
