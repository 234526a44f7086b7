#include "Infrastructure/TextInjection/TextInjector.h"

namespace vocena {

QString TextInjectionError::description() const {
    switch (m_kind) {
    case Kind::pasteboardAccessFailed: return QStringLiteral("剪贴板写入失败");
    case Kind::keystrokeSimulationFailed: return QStringLiteral("按键模拟失败");
    case Kind::accessibilityPermissionDenied: return QStringLiteral("没有发送按键的权限");
    case Kind::invalidText: return QStringLiteral("文本为空");
    case Kind::timeout: return QStringLiteral("输入超时");
    case Kind::notDelivered: return QStringLiteral("未能自动输入，文字已复制到剪贴板，按 Ctrl+V 粘贴");
    case Kind::notKept: return QStringLiteral("未能自动输入，也无法写入剪贴板");
    }
    return QStringLiteral("未知错误");
}

}  // namespace vocena
