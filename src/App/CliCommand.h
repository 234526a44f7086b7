#pragma once

#include <QCoro/QCoroTask>
#include <QString>
#include <QStringList>

namespace vocena {

// Exit codes of the command line.
enum ExitCode : int { ExitOk = 0, ExitFailure = 1, ExitUsage = 2 };

// Standard output and error as UTF-8 text, and standard input read whole.
class Console {
public:
    virtual ~Console() = default;
    virtual void out(const QString& line);  // appends a line break
    virtual void err(const QString& line);
    virtual QByteArray readAllInput();
};

// One `vocena <name> ...` command. Each command handles its own subcommands and `--help`.
class CliCommand {
public:
    virtual ~CliCommand() = default;
    virtual QString name() const = 0;
    virtual QString summary() const = 0;  // one line for `vocena --help`
    virtual QString usage() const = 0;    // the full `vocena <name> --help` text
    // `args` excludes the command's name.
    virtual QCoro::Task<int> run(QStringList args, Console& console) = 0;

protected:
    // Prints the usage for --help/-h/help (returns ExitOk) or, for anything else, the error
    // and the usage on standard error (returns ExitUsage).
    int usageResult(Console& console, const QString& error = {}) const;
    static bool wantsHelp(const QStringList& args);
};

}  // namespace vocena
