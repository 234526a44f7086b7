#pragma once

#include "App/Cli/CliCommand.h"

namespace vocena {

// `vocena toggle`, `vocena settings` and `vocena quit`: one action of the running app over D-Bus (what a desktop
// shortcut binds). Exit 1 with "澄言未运行" when no app runs.
class AppActionCommand final : public CliCommand {
public:
    AppActionCommand(QString name, QString action, QString summary)
        : m_name(std::move(name)), m_action(std::move(action)), m_summary(std::move(summary)) {}
    QString name() const override { return m_name; }
    QString summary() const override { return m_summary; }
    QString usage() const override;
    QList<CliForm> forms() const override { return {CliForm{}}; }
    QCoro::Task<int> run(CliCall call, Console& console) override;

private:
    QString m_name;
    QString m_action;  // of org.freedesktop.Application.ActivateAction
    QString m_summary;
};

}  // namespace vocena
