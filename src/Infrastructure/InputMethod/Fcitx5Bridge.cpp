#include "Infrastructure/InputMethod/Fcitx5Bridge.h"

#include <QCoro/QCoroDBus>
#include <QDBusMessage>
#include <QDBusPendingCall>
#include <QPointer>

namespace vocena {

Fcitx5Bridge::Fcitx5Bridge(QDBusConnection bus, QObject* parent) : QObject(parent), m_bus(std::move(bus)) {
    // Qt follows the owner of the name: the signals of a restarted fcitx5 arrive as well.
    m_bus.connect(serviceName, objectPath, interfaceName, QStringLiteral("ModifierKey"), this, SLOT(onModifierKey(uint,bool)));
    m_bus.connect(serviceName, objectPath, interfaceName, QStringLiteral("OtherKey"), this, SLOT(onOtherKey()));
    m_bus.connect(serviceName, objectPath, interfaceName, QStringLiteral("FocusChanged"), this, SLOT(onFocusChanged()));
}

QCoro::Task<Fcitx5Bridge::Availability> Fcitx5Bridge::checkAvailability() {
    QPointer self{this};
    if (!m_bus.isConnected()) co_return availability(std::nullopt, std::nullopt);
    // (String literals stay out of the co_await expressions: g++ 12 cannot copy them there.)
    const QDBusMessage hasOwner = busCall(QStringLiteral("NameHasOwner"), {serviceName});
    const Reply owner = co_await send(hasOwner);
    if (!self) co_return Availability{};
    if (!owner.ok || owner.value != QLatin1String("true")) co_return availability(owner, std::nullopt);
    const QDBusMessage askVersion = bridgeCall(QStringLiteral("Version"), {});
    const Reply version = co_await send(askVersion);
    if (!self) co_return Availability{};
    co_return availability(owner, version);
}

Fcitx5Bridge::Availability Fcitx5Bridge::availability(const std::optional<Reply>& owner, const std::optional<Reply>& version) {
    if (!owner) return {false, QStringLiteral("没有 D-Bus 会话总线")};
    if (!owner->ok) return {false, QStringLiteral("无法询问会话总线: %1").arg(owner->failure())};
    if (!version) return {false, QStringLiteral("fcitx5 没有运行")};
    if (!version->ok) return {false, QStringLiteral("fcitx5 正在运行，但没有加载澄言的桥接插件 (%1)").arg(version->failure())};
    if (version->value.toUInt() != supportedVersion)
        return {false, QStringLiteral("桥接插件的版本 %1 与本程序（版本 %2）不符").arg(version->value).arg(supportedVersion)};
    return {true, QStringLiteral("fcitx5 正在运行，桥接插件版本 %1").arg(version->value)};
}

QCoro::Task<Fcitx5Bridge::Reply> Fcitx5Bridge::commitText(QString text) {
    const QDBusMessage message = bridgeCall(QStringLiteral("CommitText"), {text});
    co_return co_await send(message);
}

QCoro::Task<Fcitx5Bridge::Reply> Fcitx5Bridge::forwardKey(quint32 keysym, quint32 states) {
    const QDBusMessage message = bridgeCall(QStringLiteral("ForwardKey"), {keysym, states});
    co_return co_await send(message);
}

QCoro::Task<Fcitx5Bridge::Reply> Fcitx5Bridge::setPreedit(QString text) {
    const QDBusMessage message = bridgeCall(QStringLiteral("SetPreedit"), {text});
    co_return co_await send(message);
}

QCoro::Task<Fcitx5Bridge::Reply> Fcitx5Bridge::clearPreedit() {
    const QDBusMessage message = bridgeCall(QStringLiteral("ClearPreedit"), {});
    co_return co_await send(message);
}

QDBusMessage Fcitx5Bridge::busCall(const QString& method, const QVariantList& arguments) {
    const QString bus = QStringLiteral("org.freedesktop.DBus");
    QDBusMessage message = QDBusMessage::createMethodCall(bus, QStringLiteral("/org/freedesktop/DBus"), bus, method);
    message.setArguments(arguments);
    return message;
}

QDBusMessage Fcitx5Bridge::bridgeCall(const QString& method, const QVariantList& arguments) {
    QDBusMessage message = QDBusMessage::createMethodCall(serviceName, objectPath, interfaceName, method);
    message.setArguments(arguments);
    // Never starts fcitx5: one that went away between the bus's answer and this call stays gone.
    message.setAutoStartService(false);
    return message;
}

QCoro::Task<Fcitx5Bridge::Reply> Fcitx5Bridge::send(QDBusMessage message) {
    const QDBusPendingCall pending = m_bus.asyncCall(message, int(callTimeout.count()));
    const QDBusMessage reply = co_await pending;
    if (reply.type() != QDBusMessage::ReplyMessage) co_return Reply{false, {}, reply.errorName(), reply.errorMessage()};
    const QVariantList values = reply.arguments();
    co_return Reply{true, values.isEmpty() ? QString() : values.first().toString(), {}, {}};
}

void Fcitx5Bridge::onModifierKey(uint keysym, bool pressed) { Q_EMIT modifierKey(keysym, pressed); }

void Fcitx5Bridge::onOtherKey() { Q_EMIT otherKey(); }

void Fcitx5Bridge::onFocusChanged() { Q_EMIT focusChanged(); }

}  // namespace vocena
