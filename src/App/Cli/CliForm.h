#pragma once

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

class QCommandLineParser;

namespace vocena {

// One option of a command form: `--mode VALUE`, or a flag such as `--inject`.
struct CliOption {
    QString name = {};         // without the dashes
    QString valueName = {};    // empty for a flag
    QStringList choices = {};  // the accepted values, when they are limited
};

// One way of calling a command: `vocena vocab add WORD [--variants A,B] [--category C]` is the
// form with subcommand "add", the parameter "WORD" and two options.
struct CliForm {
    QString subcommand = {};     // empty for a command without subcommands
    QStringList parameters = {};  // names of the positional parameters, all required
    QList<CliOption> options = {};
    // Said instead of listing the surplus arguments (which may be secrets).
    QString surplusArgumentsError = {};
};

// The arguments of one command after parsing against its form.
struct CliCall {
    QString subcommand = {};
    QStringList parameters = {};
    QHash<QString, QString> options;  // set options by name; a flag's value is empty

    bool isSet(const QString& option) const { return options.contains(option); }
    QString value(const QString& option) const { return options.value(option); }
};

// What the arguments of a command asked for.
struct CliParse {
    enum class Outcome { call, help, error };
    Outcome outcome = Outcome::error;
    CliCall call;
    QString error;  // for Outcome::error, one line

    // `args` excludes the command's name. `help`, `-h` or `--help` first, or `-h`/`--help`
    // among the options of the form, asks for the usage.
    static CliParse parse(const QList<CliForm>& forms, const QStringList& args);
    // The one-line error of a parser whose parse() failed.
    static QString errorOf(const QCommandLineParser& parser);
};

}  // namespace vocena
