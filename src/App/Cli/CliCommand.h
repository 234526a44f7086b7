#pragma once

#include "App/Cli/CliForm.h"

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
    // Standard input as UTF-8 text without the one line break that ends an echoed or typed
    // line ("\n" or "\r\n"); every other character, line breaks included, is kept.
    QString readInputText();
};

// One `vocena <name> ...` command: its forms (subcommands, parameters, options) are parsed
// before it runs, so `run` sees only well-formed calls.
class CliCommand {
public:
    virtual ~CliCommand() = default;
    virtual QString name() const = 0;
    virtual QString summary() const = 0;  // one line for `vocena --help`
    virtual QString usage() const = 0;    // the full `vocena <name> --help` text
    virtual QList<CliForm> forms() const = 0;
    // Whether this call types into windows or uses the clipboard, so that the process starts
    // as a GUI application connected to the display.
    virtual bool needsDisplay(const CliCall& call) const;

    // `args` excludes the command's name.
    CliParse parse(const QStringList& args) const { return CliParse::parse(forms(), args); }
    // The usage for help (ExitOk), or the error and the usage on standard error (ExitUsage).
    int answer(const CliParse& parse, Console& console) const;
    virtual QCoro::Task<int> run(CliCall call, Console& console) = 0;

protected:
    // The error and the usage on standard error; ExitUsage.
    int usageError(Console& console, const QString& error) const;
};

}  // namespace vocena
