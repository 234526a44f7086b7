#pragma once

#include "App/Cli/CliCommand.h"

namespace vocena {

class CliServices;

// `vocena config list | get KEY | set KEY VALUE | unset KEY`: the stored preferences.
class ConfigCommand final : public CliCommand {
public:
    explicit ConfigCommand(CliServices& services) : m_services(services) {}
    QString name() const override { return QStringLiteral("config"); }
    QString summary() const override;
    QString usage() const override;
    QList<CliForm> forms() const override;
    QCoro::Task<int> run(CliCall call, Console& console) override;

private:
    int list(Console& console) const;
    int get(const QString& key, Console& console) const;
    int set(const QString& key, const QString& text, Console& console);
    int unset(const QString& key, Console& console);

    CliServices& m_services;
};

}  // namespace vocena
