#pragma once

#include "App/Cli/CliCommand.h"

namespace vocena {

// `vocena type [--mode keystroke|pasteboard|auto]`: types standard input into the focused
// window through the chosen typing backend (the fcitx5 bridge, X11 or a wlroots compositor).
class TypeCommand final : public CliCommand {
public:
    QString name() const override { return QStringLiteral("type"); }
    QString summary() const override { return QStringLiteral("把标准输入的文字输入到当前焦点窗口"); }
    QString usage() const override;
    QList<CliForm> forms() const override;
    bool needsDisplay(const CliCall& call) const override;
    QCoro::Task<int> run(CliCall call, Console& console) override;

    // Before a command that pasted exits: hands what this process owns on the clipboard (the
    // content put back after the paste) to a keeper process, `vocena type --keep-clipboard`,
    // so that it outlives this process. False when that failed.
    static QCoro::Task<bool> keepClipboardAfterExit();
};

}  // namespace vocena
