// 澄言 (Vocena): `vocena` starts the tray app; `vocena <command>` runs a command and exits.
#include "App/Cli.h"
#include "Infrastructure/Platform/Logging.h"

#include <QCoreApplication>
#include <QNetworkProxyFactory>

int main(int argc, char** argv) {
    QCoreApplication::setApplicationName(QStringLiteral("vocena"));
    QCoreApplication app(argc, argv);
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
