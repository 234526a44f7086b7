#pragma once

#include "App/Cli/CliCommand.h"

namespace vocena {

class CliServices;

// `vocena key set | status | clear`: the API key in the secret store. The key is read from
// standard input, never from the command line (where other users could see it).
class KeyCommand final : public CliCommand {
public:
    explicit KeyCommand(CliServices& services) : m_services(services) {}
    QString name() const override { return QStringLiteral("key"); }
    QString summary() const override { return QStringLiteral("保存、查看或清除 API Key (set | status | clear)"); }
    QString usage() const override;
    QList<CliForm> forms() const override;
    QCoro::Task<int> run(CliCall call, Console& console) override;

private:
    QCoro::Task<int> set(Console& console);
    QCoro::Task<int> status(Console& console);
    QCoro::Task<int> clear(Console& console);

    CliServices& m_services;
};

}  // namespace vocena
