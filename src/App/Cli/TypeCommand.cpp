#include "App/Cli/TypeCommand.h"

#include "Infrastructure/InputMethod/InputBackendPlatform.h"
#include "Infrastructure/Permissions/PermissionHelp.h"
#include "Infrastructure/Platform/Preferences.h"
#include "Infrastructure/TextInjection/ClipboardKeeper.h"
#include "Infrastructure/TextInjection/TextInjectionPlatform.h"
#include "Infrastructure/TextInjection/TextInjector.h"

#include <QCoreApplication>
#include <optional>

namespace vocena {

namespace {

TextInjectionMode modeNamed(const QString& name) {
    if (name == QStringLiteral("keystroke")) return TextInjectionMode::keystroke;
    if (name == QStringLiteral("pasteboard")) return TextInjectionMode::pasteboard;
    return TextInjectionMode::automatic;
}

}  // namespace

QString TypeCommand::usage() const {
    return QStringLiteral(
        "用法: vocena type [--mode keystroke|pasteboard|auto]\n"
        "从标准输入读取文字，输入到当前有键盘焦点的窗口（通过 fcitx5 桥接、X11 显示或 wlroots 混成器）。\n"
        "  --mode auto        默认：不超过 10 个字符且都能按键输入时逐键输入，否则粘贴\n"
        "  --mode keystroke   逐键输入；当前键盘布局无法输入的字符被跳过\n"
        "  --mode pasteboard  经剪贴板粘贴（终端里按终端的粘贴键：Ctrl+Shift+V，xterm 类用 Shift+Insert），之后恢复剪贴板原来的内容\n"
        "输入末尾的一个换行符（echo 加上的）不会被输入。\n"
        "例如: sleep 2; printf '今天天气很好' | vocena type");
}

QList<CliForm> TypeCommand::forms() const {
    const QStringList modes{QStringLiteral("keystroke"), QStringLiteral("pasteboard"), QStringLiteral("auto")};
    return {{{}, {}, {{QStringLiteral("mode"), QStringLiteral("MODE"), modes}, {TextInjectionPlatform::keepClipboardOption}}}};
}

bool TypeCommand::needsDisplay(const CliCall&) const { return true; }

QCoro::Task<int> TypeCommand::run(CliCall call, Console& console) {
    if (call.isSet(TextInjectionPlatform::keepClipboardOption)) {
        const bool kept = co_await ClipboardKeeper::keep(console.readAllInput());
        co_return kept ? ExitOk : ExitFailure;
    }
    const TextInjectionMode mode = modeNamed(call.value(QStringLiteral("mode")));

    const InjectionBackendChoice backend = co_await InputBackendPlatform::choose(Preferences::standard());
    TextInjector* service = InputBackendPlatform::injector();
    if (!service) {
        console.err(QStringLiteral("vocena type: ") + PermissionHelp::noWayOfTyping(backend.reason));
        co_return ExitFailure;
    }
    const QString text = console.readInputText();

    try {
        co_await service->injectText(text, mode);
    } catch (const TextInjectionError& e) {
        console.err(QStringLiteral("vocena type: %1").arg(e.description()));
        co_return ExitFailure;
    }
    QCoro::Task<bool> keeping = keepClipboardAfterExit();
    const bool kept = co_await std::move(keeping);
    if (!kept)
        console.err(QStringLiteral("vocena type: 剪贴板的内容在本命令退出后无法保留"));
    co_return ExitOk;
}

QCoro::Task<bool> TypeCommand::keepClipboardAfterExit() {
    co_return co_await ClipboardKeeper::handOff(QCoreApplication::applicationFilePath(), TextInjectionPlatform::keeperArguments);
}

}  // namespace vocena
