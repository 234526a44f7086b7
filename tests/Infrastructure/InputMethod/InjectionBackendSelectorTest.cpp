// The choice of the typing backend from the preference and what the machine offers.
#include "Infrastructure/InputMethod/InjectionBackendSelector.h"

#include <gtest/gtest.h>

using namespace vocena;

TEST(InjectionBackendSelectorTest, ThePreferenceIsFollowedWhereItCanBeAndOtherwiseTheAutomaticChoiceSaysWhy) {
    using enum InjectionBackend;
    const struct {
        const char* preference;
        bool x11, wlroots, fcitx5;
        InjectionBackend expected;
        const char* reason;  // the start of the reason
    } cases[] = {
        // (fcitx5 chosen before X11 and Wayland with no preference, and no way at all, are the
        // end-to-end tests': Fcitx5EndToEndTest, beside X11 and beside sway, and TypeCommandTest.)
        {"auto", true, false, false, x11, "自动选择 X11（fcitx5 桥接不可用：桥接不可用）"},
        {"auto", true, true, false, wayland, "自动选择 Wayland 虚拟键盘和剪贴板（fcitx5 桥接不可用：桥接不可用）"},
        {"fcitx5", false, false, true, fcitx5, "按设置使用 fcitx5（桥接可用）"},
        {"fcitx5", true, false, false, x11, "设置为 fcitx5，但桥接不可用；自动选择 X11"},
        {" X11 ", true, false, true, x11, "按设置使用 X11"},
        {"x11", false, false, true, fcitx5, "设置为 x11，但没有可用的 X11 显示；自动选择 fcitx5"},
        {"wayland", true, true, true, wayland, "按设置使用 Wayland 虚拟键盘和剪贴板"},
        {"wayland", true, false, true, fcitx5, "设置为 wayland，但 Wayland 混成器没有提供虚拟键盘和剪贴板控制协议；自动选择 fcitx5"},
        {"xtest", true, true, true, fcitx5, "无法识别的设置值“xtest”；自动选择 fcitx5"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.preference);
        const Fcitx5Bridge::Availability fcitx5{c.fcitx5, c.fcitx5 ? QStringLiteral("桥接可用") : QStringLiteral("桥接不可用")};
        const InjectionBackendChoice choice = InjectionBackendSelector::choose({QString::fromUtf8(c.preference), c.x11, c.wlroots, fcitx5});
        EXPECT_EQ(choice.backend, c.expected) << choice.reason.toStdString();
        EXPECT_TRUE(choice.reason.startsWith(QString::fromUtf8(c.reason))) << choice.reason.toStdString();
    }
}
