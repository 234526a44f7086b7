#pragma once

#include "App/Cli/CliCommand.h"

namespace vocena {

class CliServices;

// `vocena transcribe FILE.wav [--ai] [--inject]`: recognises a WAV file with the active speech
// model; partial results go to standard error as they come, the final text to standard output.
// With --ai or --inject the final text goes through the dictation pipeline like
// `vocena process` (a dry run unless --inject).
class TranscribeCommand final : public CliCommand {
public:
    explicit TranscribeCommand(CliServices& services) : m_services(services) {}
    QString name() const override { return QStringLiteral("transcribe"); }
    QString summary() const override { return QStringLiteral("用当前语音模型识别 WAV 文件"); }
    QString usage() const override;
    QList<CliForm> forms() const override;
    bool needsDisplay(const CliCall& call) const override;
    QCoro::Task<int> run(CliCall call, Console& console) override;

private:
    CliServices& m_services;
};

}  // namespace vocena
