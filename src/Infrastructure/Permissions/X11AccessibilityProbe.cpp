#include "Infrastructure/Permissions/X11AccessibilityProbe.h"

#include "Infrastructure/X11/X11Connection.h"

#include <X11/extensions/XTest.h>

namespace vocena {

namespace {

// Reads the attributes of the window that has the input focus (the root window when focus
// follows the pointer or is nowhere). A focus window that closes between the two requests is
// looked up once more.
bool focusedWindowReadable(Display* display) {
    for (int attempt = 0; attempt < 2; ++attempt) {
        Window focus = None;
        int revert = 0;
        XGetInputFocus(display, &focus, &revert);
        if (focus == None || focus == PointerRoot) focus = DefaultRootWindow(display);
        XWindowAttributes attributes;
        if (XGetWindowAttributes(display, focus, &attributes) != 0) return true;
    }
    return false;
}

}  // namespace

AccessibilityCheck X11AccessibilityProbe::check() {
    const QString name = qEnvironmentVariable("DISPLAY");
    if (name.isEmpty()) return {false, false, QStringLiteral("没有设置 DISPLAY（不在 X11 图形会话中）")};
    const X11Connection connection;
    Display* display = connection.display();
    if (!display) return {false, false, QStringLiteral("无法连接 X 显示服务器 %1").arg(name)};
    int eventBase = 0, errorBase = 0, major = 0, minor = 0;
    if (!XTestQueryExtension(display, &eventBase, &errorBase, &major, &minor))
        return {false, false, QStringLiteral("X 显示服务器没有 XTEST 扩展")};
    if (!focusedWindowReadable(display)) return {true, false, QStringLiteral("无法读取有输入焦点的窗口")};
    return {true, true, name};
}

}  // namespace vocena
