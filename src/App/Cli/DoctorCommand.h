#pragma once

#include "App/Cli/CliCommand.h"

namespace vocena {

class CliServices;

// `vocena doctor`: the three permissions, the active speech model, the way text is typed (and
// why that one) and the AI configuration, each with what to do when something is missing.
// Exit 0 when dictation can work.
class DoctorCommand final : public CliCommand {
public:
    explicit DoctorCommand(CliServices& services) : m_services(services) {}
    QString name() const override { return QStringLiteral("doctor"); }
    QString summary() const override { return QStringLiteral("检查麦克风、输入、语音模型和 AI 配置"); }
    QString usage() const override;
    QList<CliForm> forms() const override;
    QCoro::Task<int> run(CliCall call, Console& console) override;

private:
    CliServices& m_services;
};

}  // namespace vocena
