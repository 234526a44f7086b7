#pragma once

#include "App/Cli/CliCommand.h"

namespace vocena {

class CliServices;

// `vocena listen [--once]`: dictation from a terminal. Double-tap Alt anywhere (or press Enter
// here) to start and stop; the state, the elapsed time and the partial transcript show on one
// status line; the result is typed into the focused window. Alt+Control switches the work mode.
class ListenCommand final : public CliCommand {
public:
    explicit ListenCommand(CliServices& services) : m_services(services) {}
    QString name() const override { return QStringLiteral("listen"); }
    QString summary() const override { return QStringLiteral("在终端里听写：双击 Alt 开始/停止，结果输入到当前窗口"); }
    QString usage() const override;
    QList<CliForm> forms() const override;
    bool needsDisplay(const CliCall& call) const override;
    QCoro::Task<int> run(CliCall call, Console& console) override;

private:
    CliServices& m_services;
};

}  // namespace vocena
