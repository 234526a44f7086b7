#include "App/CliCommand.h"

#include <QFile>
#include <cstdio>

namespace vocena {

namespace {
void write(FILE* stream, const QString& line) {
    const QByteArray bytes = line.toUtf8() + '\n';
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stream);
    std::fflush(stream);
}
}  // namespace

void Console::out(const QString& line) { write(stdout, line); }
void Console::err(const QString& line) { write(stderr, line); }

QByteArray Console::readAllInput() {
    QFile input;
    if (!input.open(stdin, QIODevice::ReadOnly)) return {};
    return input.readAll();
}

bool CliCommand::wantsHelp(const QStringList& args) {
    return args.contains(QStringLiteral("--help")) || args.contains(QStringLiteral("-h")) ||
           args.value(0) == QStringLiteral("help");
}

int CliCommand::usageResult(Console& console, const QString& error) const {
    if (error.isEmpty()) {
        console.out(usage());
        return ExitOk;
    }
    console.err(QStringLiteral("vocena %1: %2").arg(name(), error));
    console.err(usage());
    return ExitUsage;
}

}  // namespace vocena
