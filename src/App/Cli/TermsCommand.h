#pragma once

#include "App/Cli/CliCommand.h"

namespace vocena {

class CliServices;

// `vocena terms list | accept TERM | dismiss TERM`: the learned terms, and the answers of the
// suggestion banner from the command line.
class TermsCommand final : public CliCommand {
public:
    explicit TermsCommand(CliServices& services) : m_services(services) {}
    QString name() const override { return QStringLiteral("terms"); }
    QString summary() const override { return QStringLiteral("学习到的词汇建议 (list | accept | dismiss)"); }
    QString usage() const override;
    QList<CliForm> forms() const override;
    QCoro::Task<int> run(CliCall call, Console& console) override;

private:
    int list(Console& console) const;
    int accept(const QString& term, Console& console);
    int dismiss(const QString& term, Console& console);
    void warnAboutUnusableFiles(Console& console) const;

    CliServices& m_services;
};

}  // namespace vocena
