#pragma once

#include "App/Cli/CliCommand.h"

namespace vocena {

class CliServices;

// `vocena vocab list | add WORD [--variants A,B] [--category C] | remove WORD | import FILE`.
class VocabCommand final : public CliCommand {
public:
    explicit VocabCommand(CliServices& services) : m_services(services) {}
    QString name() const override { return QStringLiteral("vocab"); }
    QString summary() const override { return QStringLiteral("管理词汇库 (list | add | remove | import)"); }
    QString usage() const override;
    QList<CliForm> forms() const override;
    QCoro::Task<int> run(CliCall call, Console& console) override;

private:
    int list(Console& console) const;
    int add(const CliCall& call, Console& console);
    int remove(const QString& word, Console& console);
    int import(const QString& path, Console& console);
    void warnIfFileWasUnreadable(Console& console) const;
    // The error for a change that the store could not write to its file.
    int unsaved(Console& console) const;

    CliServices& m_services;
};

}  // namespace vocena
