#include "Infrastructure/Permissions/X11AccessibilityProbe.h"

#include "Infrastructure/X11/X11Connection.h"

#include <X11/extensions/XTest.h>

namespace vocena {

X11AccessibilityProbe::Result X11AccessibilityProbe::check() {
    if (qEnvironmentVariableIsEmpty("DISPLAY")) return {false, false, QStringLiteral("没有设置 DISPLAY（不在 X11 图形会话中）")};
    const X11Connection connection;
    Display* display = connection.display();
    if (!display) return {false, false, QStringLiteral("无法连接 X 显示服务器 %1").arg(qEnvironmentVariable("DISPLAY"))};
    int eventBase = 0, errorBase = 0, major = 0, minor = 0;
    if (!XTestQueryExtension(display, &eventBase, &errorBase, &major, &minor))
        return {false, false, QStringLiteral("X 显示服务器没有 XTEST 扩展")};
    Window focus = 0;
    int revert = 0;
    const bool focusQueryWorks = XGetInputFocus(display, &focus, &revert) != 0;
    return {true, focusQueryWorks, focusQueryWorks ? QString() : QStringLiteral("无法查询输入焦点")};
}

}  // namespace vocena
