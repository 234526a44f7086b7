#include "App/Cli/CliCommand.h"

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

QString Console::readInputText() {
    QString text = QString::fromUtf8(readAllInput());
    if (text.endsWith(QLatin1Char('\n'))) text.chop(text.endsWith(QStringLiteral("\r\n")) ? 2 : 1);
    return text;
}

bool CliCommand::needsDisplay(const CliCall&) const { return false; }

int CliCommand::answer(const CliParse& parse, Console& console) const {
    if (parse.outcome == CliParse::Outcome::error) return usageError(console, parse.error);
    console.out(usage());
    return ExitOk;
}

int CliCommand::usageError(Console& console, const QString& error) const {
    console.err(QStringLiteral("vocena %1: %2").arg(name(), error));
    console.err(usage());
    return ExitUsage;
}

}  // namespace vocena
