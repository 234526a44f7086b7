#pragma once

#include "App/CliCommand.h"

#include <QCoro/QCoroTask>
#include <QStringList>
#include <memory>
#include <vector>

namespace vocena {

class CliServices;

// `vocena <command> ...`: finds the command and runs it to its exit code.
class Cli {
public:
    // The app's commands over the user's own preferences, secret store and vocabulary.
    Cli();
    ~Cli();

    // `args` excludes the program name.
    QCoro::Task<int> run(QStringList args, Console& console);
    QString usage() const;

private:
    std::unique_ptr<CliServices> m_services;
    std::vector<std::unique_ptr<CliCommand>> m_commands;
};

// Runs `vocena <args>` inside the process's event loop and returns its exit code.
int runCommandLine(const QStringList& args);

}  // namespace vocena
