#include "support/FakeFcitx5Bridge.h"

#include <QDBusMessage>

namespace vocena::test {

namespace {

const QString service = QStringLiteral("org.fcitx.Fcitx5");
const QString path = QStringLiteral("/com/vocena/Fcitx5Bridge");
const QString interface = QStringLiteral("com.vocena.Fcitx5Bridge1");
int connections = 0;  // the number in each connection's name

}  // namespace

FakeFcitx5Bridge::FakeFcitx5Bridge(const QByteArray& address)
    : m_connectionName(QStringLiteral("fake-fcitx5-%1").arg(++connections)), m_bus(QDBusConnection::connectToBus(QString::fromUtf8(address), m_connectionName)) {}

FakeFcitx5Bridge::~FakeFcitx5Bridge() {
    stop();
    QDBusConnection::disconnectFromBus(m_connectionName);
}

bool FakeFcitx5Bridge::start(bool withBridge) {
    if (withBridge && !m_bus.registerObject(path, this, QDBusConnection::ExportAllSlots)) return false;
    return m_bus.registerService(service);
}

void FakeFcitx5Bridge::stop() {
    m_bus.unregisterService(service);
    m_bus.unregisterObject(path);
}

void FakeFcitx5Bridge::send(const QString& signal, const QVariantList& arguments) {
    QDBusMessage message = QDBusMessage::createSignal(path, interface, signal);
    message.setArguments(arguments);
    m_bus.send(message);
}

QString FakeFcitx5Bridge::CommitText(const QString& text) {
    if (refuseWithoutFocus()) return {};
    committed << text;
    events << QStringLiteral("commit ") + text;
    return program;
}

void FakeFcitx5Bridge::ForwardKey(uint keysym, uint states) {
    if (refuseWithoutFocus()) return;
    forwarded << QStringLiteral("%1/%2").arg(keysym, 0, 16).arg(states, 0, 16);
}

void FakeFcitx5Bridge::SetPreedit(const QString& text) {
    if (!refuseWithoutFocus()) events << QStringLiteral("preedit ") + text;
}

void FakeFcitx5Bridge::ClearPreedit() { events << QStringLiteral("clear"); }

uint FakeFcitx5Bridge::Version() { return version; }

bool FakeFcitx5Bridge::refuseWithoutFocus() {
    if (focused) return false;
    sendErrorReply(interface + QStringLiteral(".Error.NoFocus"), QStringLiteral("no input context has the focus"));
    return true;
}

}  // namespace vocena::test
