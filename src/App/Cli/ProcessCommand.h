#pragma once

#include "App/Cli/CliCommand.h"

namespace vocena {

class CliServices;

// `vocena process [--mode input|assistant] [--inject]`: runs a transcript from standard input
// through the dictation pipeline with the stored settings. Without --inject it is a dry run:
// the text is printed, key presses are described, nothing is typed or learned.
class ProcessCommand final : public CliCommand {
public:
    explicit ProcessCommand(CliServices& services) : m_services(services) {}
    QString name() const override { return QStringLiteral("process"); }
    QString summary() const override { return QStringLiteral("把标准输入的识别文本送入处理流程（指令、AI、输入）"); }
    QString usage() const override;
    QList<CliForm> forms() const override;
    bool needsDisplay(const CliCall& call) const override;
    QCoro::Task<int> run(CliCall call, Console& console) override;

private:
    CliServices& m_services;
};

}  // namespace vocena
