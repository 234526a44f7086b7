#include "Infrastructure/Permissions/PermissionHelp.h"

#include "Infrastructure/Platform/DesktopSession.h"
#include "Infrastructure/Platform/SafeFile.h"

#include <QDir>

namespace vocena::PermissionHelp {

namespace {

// Until some way of typing works, the dictation still runs and keeps its words.
const QString meanwhile = QStringLiteral("\n• 在这之前听写照常进行：识别的文字会复制到剪贴板，按 Ctrl+V 粘贴");

}  // namespace

QString howTo(PermissionType type) {
    switch (type) {
    case PermissionType::microphone:
        return QStringLiteral(
            "澄言通过 PulseAudio（PipeWire 也兼容）录音，需要声音服务正在运行并且有一个输入设备。\n"
            "• 安装并启动声音服务：sudo apt install pulseaudio（或 pipewire-pulse）\n"
            "• 在声音设置（pavucontrol 的“输入设备”页）中选择并取消静音你的麦克风\n"
            "• 用 pactl info 检查服务，用 pactl list short sources 检查输入设备");
    case PermissionType::accessibility:
        if (DesktopSession::isWayland())
            return QStringLiteral(
                "Wayland 会话里，澄言通过 fcitx5 输入法和澄言的桥接插件把文字输入到当前窗口。\n"
                "• 安装 fcitx5：sudo apt install fcitx5 fcitx5-chinese-addons，并把它设为输入法（im-config -n fcitx5）\n"
                "• 安装桥接插件：它随澄言一起安装（make install）\n"
                "• 然后重启 fcitx5（fcitx5 -r -d，或注销后重新登录）\n"
                "• sway、Hyprland、river、labwc 等 wlroots 混成器不需要 fcitx5：澄言通过混成器的虚拟键盘协议"
                "（zwp_virtual_keyboard_v1）和剪贴板控制协议（wlr-data-control）输入，混成器提供这两个协议即可\n"
                "• GNOME、KDE 等其他 Wayland 会话没有 fcitx5 时只能向 XWayland 窗口输入（需要 DISPLAY 和 XTEST 扩展）") +
                   meanwhile;
        return QStringLiteral(
            "澄言通过 X11 的 XTest 扩展把文字输入到当前窗口；X11 会话通常不需要另外安装什么。\n"
            "• 确认 DISPLAY 已设置（例如 :0），并且 xdpyinfo | grep XTEST 能看到 XTEST 扩展\n"
            "• 也可以通过 fcitx5 输入：sudo apt install fcitx5 fcitx5-chinese-addons，桥接插件随澄言安装（软件包或 make install），然后重启 fcitx5（fcitx5 -r -d）") +
               meanwhile;
    case PermissionType::speechRecognition:
        return QStringLiteral(
            "澄言在本机识别语音，需要先安装一个语音模型。\n"
            "• 安装默认模型：vocena model install sherpa-onnx-streaming-zipformer-zh-int8-2025-06-30\n"
            "• 或安装本地模型目录：vocena model install /path/to/model\n"
            "• 用 vocena model list 查看已安装的模型，用 vocena model verify DIR 检查模型文件");
    }
    return {};
}

QString missingTyping() {
    if (DesktopSession::isWayland())
        return QStringLiteral("无法向当前窗口输入文字：fcitx5 的澄言桥接插件没有应答，混成器也没有提供虚拟键盘和剪贴板控制协议（wlroots）。");
    return QStringLiteral("无法向当前窗口发送按键：X 显示服务器没有 XTest 扩展（xdpyinfo | grep XTEST 可检查）。");
}

QString noWayOfTyping(const QString& reason) {
    return QStringLiteral(
               "没有可以输入文字的方式（%1）。要输入文字，请安装 fcitx5（sudo apt install fcitx5 fcitx5-chinese-addons）"
               "和随澄言安装（make install）的桥接插件后重启 fcitx5，或在带 XTEST 扩展的 X11 会话中使用；vocena doctor 可检查")
        .arg(reason);
}

QUrl writePage(PermissionType type) {
    QString body;
    for (const QString& line : howTo(type).split(QLatin1Char('\n')))
        body += QStringLiteral("<p>%1</p>\n").arg(line.toHtmlEscaped());
    const QString html = QStringLiteral(
                             "<!DOCTYPE html>\n<html lang=\"zh-CN\"><head><meta charset=\"utf-8\"><title>澄言 · %1</title></head>\n"
                             "<body style=\"font-family: sans-serif; max-width: 40em; margin: 2em auto\">\n<h1>%1</h1>\n%2</body></html>\n")
                             .arg(rawValue(type).toHtmlEscaped(), body);
    const QString path = QDir::temp().filePath(QStringLiteral("vocena-help-%1.html").arg(int(type)));
    if (!SafeFile::writeAtomically(path, html.toUtf8()).isEmpty()) return {};
    return QUrl::fromLocalFile(path);
}

}  // namespace vocena::PermissionHelp
