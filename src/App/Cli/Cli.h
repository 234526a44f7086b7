#pragma once

#include "App/Cli/CliCommand.h"

#include <QCoro/QCoroTask>
#include <QStringList>
#include <memory>
#include <vector>

namespace vocena {

class CliServices;

// One invocation of `vocena [-v] COMMAND ...`, parsed before the application object exists
// (whether it must connect to the display depends on it).
struct CliRequest {
    bool verbose = false;
    bool version = false;           // `vocena --version`
    bool trayApp = false;           // `vocena` (or `vocena -v`) alone: the tray app
    CliCommand* command = nullptr;  // null: the program's own help, or an error before a command
    CliParse parse;                 // of the command's arguments (or of the program's)

    bool needsDisplay() const { return command && parse.outcome == CliParse::Outcome::call && command->needsDisplay(parse.call); }
};

// `vocena <command> ...`: finds the command and runs it to its exit code.
class Cli {
public:
    // The app's commands over the user's own preferences, secret store and vocabulary. Made
    // before the application object; destroy it before that object.
    Cli();
    ~Cli();

    // `args` excludes the program name. No arguments ask for the help.
    CliRequest parse(const QStringList& args) const;
    QCoro::Task<int> run(CliRequest request, Console& console);
    QString usage() const;
    CliServices& services() { return *m_services; }

private:
    CliCommand* find(const QString& name) const;  // null when there is none of that name

    std::unique_ptr<CliServices> m_services;
    std::vector<std::unique_ptr<CliCommand>> m_commands;
};

// Runs the request inside the process's event loop (the application object exists) and
// returns its exit code.
int runCommandLine(Cli& cli, const CliRequest& request);

}  // namespace vocena
