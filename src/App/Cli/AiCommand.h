#pragma once

#include "App/Cli/CliCommand.h"

namespace vocena {

class CliServices;

// `vocena ai test`: the connection test with the stored key, base URL and model.
class AiCommand final : public CliCommand {
public:
    explicit AiCommand(CliServices& services) : m_services(services) {}
    QString name() const override { return QStringLiteral("ai"); }
    QString summary() const override { return QStringLiteral("测试与模型服务的连接 (test)"); }
    QString usage() const override;
    QList<CliForm> forms() const override;
    QCoro::Task<int> run(CliCall call, Console& console) override;

private:
    CliServices& m_services;
};

}  // namespace vocena
