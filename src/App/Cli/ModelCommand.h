#pragma once

#include "App/Cli/CliCommand.h"
#include "Infrastructure/Speech/Models/SpeechModel.h"

#include <optional>

namespace vocena {

class CliServices;

// `vocena model list | install PATH|URL|NAME [--type TYPE] | verify DIR [--type TYPE] |
// use NAME | remove NAME`: the speech models. `verify` loads the model in this very process
// (the store runs it as a child process before a model is marked usable).
class ModelCommand final : public CliCommand {
public:
    explicit ModelCommand(CliServices& services) : m_services(services) {}
    QString name() const override { return QStringLiteral("model"); }
    QString summary() const override { return QStringLiteral("管理语音模型 (list | install | verify | use | remove)"); }
    QString usage() const override;
    QList<CliForm> forms() const override;
    QCoro::Task<int> run(CliCall call, Console& console) override;

private:
    int list(Console& console) const;
    QCoro::Task<int> install(QString source, std::optional<SpeechModelType> type, Console& console);
    int verify(const QString& directory, std::optional<SpeechModelType> type, Console& console) const;
    int change(const QString& sub, const QString& name, Console& console);  // use, remove

    CliServices& m_services;
};

}  // namespace vocena
