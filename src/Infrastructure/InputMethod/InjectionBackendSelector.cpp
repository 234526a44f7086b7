#include "Infrastructure/InputMethod/InjectionBackendSelector.h"

namespace vocena {

InjectionBackendChoice InjectionBackendSelector::choose(const InjectionEnvironment& environment) {
    const QString preference = environment.preference.trimmed().toLower();
    const QString fcitx5Detail = environment.fcitx5.detail;
    QString prefix;
    if (preference == QLatin1String("fcitx5")) {
        if (environment.fcitx5.available) return {InjectionBackend::fcitx5, QStringLiteral("按设置使用 fcitx5（%1）").arg(fcitx5Detail)};
        prefix = QStringLiteral("设置为 fcitx5，但桥接不可用；");
    } else if (preference == QLatin1String("x11")) {
        if (environment.x11) return {InjectionBackend::x11, QStringLiteral("按设置使用 X11")};
        prefix = QStringLiteral("设置为 x11，但没有可用的 X11 显示；");
    } else if (preference == QLatin1String("wayland")) {
        if (environment.wlroots) return {InjectionBackend::wayland, QStringLiteral("按设置使用 Wayland 虚拟键盘和剪贴板")};
        prefix = QStringLiteral("设置为 wayland，但 Wayland 混成器没有提供虚拟键盘和剪贴板控制协议；");
    } else if (!preference.isEmpty() && preference != QLatin1String("auto")) {
        prefix = QStringLiteral("无法识别的设置值“%1”；").arg(environment.preference);
    }
    return automatic(environment, prefix);
}

InjectionBackendChoice InjectionBackendSelector::automatic(const InjectionEnvironment& environment, const QString& prefix) {
    const QString fcitx5Detail = environment.fcitx5.detail;
    if (environment.fcitx5.available)
        return {InjectionBackend::fcitx5, prefix + QStringLiteral("自动选择 fcitx5（%1）").arg(fcitx5Detail)};
    if (environment.wlroots)
        return {InjectionBackend::wayland,
                prefix + QStringLiteral("自动选择 Wayland 虚拟键盘和剪贴板（fcitx5 桥接不可用：%1）").arg(fcitx5Detail)};
    if (environment.x11)
        return {InjectionBackend::x11, prefix + QStringLiteral("自动选择 X11（fcitx5 桥接不可用：%1）").arg(fcitx5Detail)};
    return {InjectionBackend::none,
            prefix + QStringLiteral("fcitx5 桥接不可用：%1；也没有可用的 X11 显示").arg(fcitx5Detail)};
}

QString InjectionBackendSelector::displayName(InjectionBackend backend) {
    switch (backend) {
    case InjectionBackend::fcitx5: return QStringLiteral("fcitx5 输入法桥接");
    case InjectionBackend::x11: return QStringLiteral("X11 按键和剪贴板");
    case InjectionBackend::wayland: return QStringLiteral("Wayland 虚拟键盘和剪贴板");
    case InjectionBackend::none: return QStringLiteral("无");
    }
    return {};
}

}  // namespace vocena
