// 澄言 (Vocena): `vocena` starts the tray app; `vocena <command>` runs a command and exits.
#include "App/Cli/Cli.h"

#include "App/Cli/CliCommand.h"
#include "App/Tray/TrayApp.h"

#include <QApplication>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QNetworkProxyFactory>
#include <cstdio>
#include <memory>

namespace {

// Qt's platform: the X display when there is one (XWayland included: the X11 typing and
// gesture need it), else the Wayland compositor's.
const char* qtPlatforms() {
    if (!qEnvironmentVariableIsEmpty("DISPLAY")) return "xcb;offscreen";
    return qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") ? "offscreen" : "wayland;offscreen";
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication::setApplicationName(QStringLiteral("vocena"));
    QStringList args;
    for (int i = 1; i < argc; ++i) args << QString::fromLocal8Bit(argv[i]);
    // The commands are destroyed before the application object (declared first).
    std::unique_ptr<QCoreApplication> app;
    vocena::Cli cli;
    const vocena::CliRequest request = cli.parse(args);
    if (request.trayApp) {
        qputenv("QT_QPA_PLATFORM", qtPlatforms());
        QApplication application(argc, argv);
        // Without a display the tray, the banner, the gesture and the typing would all be
        // missing: a headless start would only look alive.
        if (QGuiApplication::platformName() == QLatin1String("offscreen")) {
            std::fputs("澄言需要图形会话：无法连接 X 显示服务器（检查 DISPLAY）。\n"
                       "没有图形界面时可以用 vocena transcribe 识别音频文件。\n",
                       stderr);
            return vocena::ExitFailure;
        }
        // The app lives in the tray: closing its last window does not end it.
        QApplication::setQuitOnLastWindowClosed(false);
        QCoreApplication::setApplicationVersion(QStringLiteral(VOCENA_VERSION));
        QNetworkProxyFactory::setUseSystemConfiguration(true);
        return vocena::runTrayApp(cli.services(), request.verbose);
    }
    if (request.needsDisplay()) {
        // Without a reachable display Qt falls back to the offscreen platform instead of
        // aborting: the fcitx5 bridge and the wlroots protocols type without one, and otherwise
        // the command says that nothing can type.
        qputenv("QT_QPA_PLATFORM", qtPlatforms());
        app = std::make_unique<QGuiApplication>(argc, argv);
    } else {
        app = std::make_unique<QCoreApplication>(argc, argv);
    }
    // Honour http_proxy/https_proxy/no_proxy for the model endpoint.
    QNetworkProxyFactory::setUseSystemConfiguration(true);
    return vocena::runCommandLine(cli, request);
}
