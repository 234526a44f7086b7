#pragma once

#include <QDBusConnection>
#include <QDBusContext>
#include <QDBusMessage>
#include <QObject>
#include <QStringList>
#include <QVariantList>

namespace vocena::test {

// Plays fcitx5 with the bridge loaded, on the bus at `address` (a connection of its own):
// owns org.fcitx.Fcitx5 and serves com.vocena.Fcitx5Bridge1 at /com/vocena/Fcitx5Bridge.
// `focused` false makes CommitText and ForwardKey answer NoFocus, as with no input context.
// Listed among the sources of the targets that use it, for moc.
class FakeFcitx5Bridge final : public QObject, protected QDBusContext {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "com.vocena.Fcitx5Bridge1")

public:
    explicit FakeFcitx5Bridge(const QByteArray& address)
        : m_connectionName(QStringLiteral("fake-fcitx5-%1").arg(++connections)),
          m_bus(QDBusConnection::connectToBus(QString::fromUtf8(address), m_connectionName)) {}
    ~FakeFcitx5Bridge() override {
        stop();
        QDBusConnection::disconnectFromBus(m_connectionName);
    }

    // Takes the name; with `withBridge` false fcitx5 runs without the bridge (nothing at the path).
    bool start(bool withBridge = true) {
        if (withBridge && !m_bus.registerObject(path(), this, QDBusConnection::ExportAllSlots)) return false;
        return m_bus.registerService(service());
    }
    void stop() {
        m_bus.unregisterService(service());
        m_bus.unregisterObject(path());
    }

    // What the bridge would report from the keyboard: ModifierKey (keysym, pressed), OtherKey,
    // FocusChanged.
    void send(const QString& signal, const QVariantList& arguments = {}) {
        QDBusMessage message = QDBusMessage::createSignal(path(), interface(), signal);
        message.setArguments(arguments);
        m_bus.send(message);
    }

    bool focused = true;
    uint version = 1;
    QString program = QStringLiteral("fake-editor");
    QStringList committed;
    QStringList forwarded;  // "keysym/states" in hex: "ff08/0", "7a/4"
    // Commits and preedit calls in the order they arrived: "commit 文字", "preedit 文字", "clear".
    QStringList events;

public Q_SLOTS:
    QString CommitText(const QString& text) {
        if (refuseWithoutFocus()) return {};
        committed << text;
        events << QStringLiteral("commit ") + text;
        return program;
    }
    void ForwardKey(uint keysym, uint states) {
        if (!refuseWithoutFocus()) forwarded << QStringLiteral("%1/%2").arg(keysym, 0, 16).arg(states, 0, 16);
    }
    void SetPreedit(const QString& text) {
        if (!refuseWithoutFocus()) events << QStringLiteral("preedit ") + text;
    }
    void ClearPreedit() { events << QStringLiteral("clear"); }
    uint Version() { return version; }

private:
    static QString service() { return QStringLiteral("org.fcitx.Fcitx5"); }
    static QString path() { return QStringLiteral("/com/vocena/Fcitx5Bridge"); }
    static QString interface() { return QStringLiteral("com.vocena.Fcitx5Bridge1"); }
    bool refuseWithoutFocus() {
        if (!focused) sendErrorReply(interface() + ".Error.NoFocus", QStringLiteral("no input context has the focus"));
        return !focused;
    }

    static inline int connections = 0;  // the number in each connection's name
    QString m_connectionName;
    QDBusConnection m_bus;
};

}  // namespace vocena::test
