#pragma once

#include <QDBusConnection>
#include <QDBusContext>
#include <QObject>
#include <QStringList>
#include <QVariantList>

namespace vocena::test {

// Plays fcitx5 with the bridge loaded, on the bus at `address` (a connection of its own):
// owns org.fcitx.Fcitx5 and serves com.vocena.Fcitx5Bridge1 at /com/vocena/Fcitx5Bridge.
// `focused` false makes CommitText and ForwardKey answer NoFocus, as with no input context.
class FakeFcitx5Bridge final : public QObject, protected QDBusContext {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "com.vocena.Fcitx5Bridge1")

public:
    explicit FakeFcitx5Bridge(const QByteArray& address);
    ~FakeFcitx5Bridge() override;

    // Takes the name; with `withBridge` false fcitx5 runs without the bridge (nothing at the path).
    bool start(bool withBridge = true);
    void stop();

    // What the bridge would report from the keyboard: ModifierKey (keysym, pressed), OtherKey,
    // FocusChanged.
    void send(const QString& signal, const QVariantList& arguments = {});

    bool focused = true;
    uint version = 1;
    QString program = QStringLiteral("fake-editor");
    QStringList committed;
    QStringList forwarded;  // "keysym/states" in hex: "ff08/0", "7a/4"
    // Commits and preedit calls in the order they arrived: "commit 文字", "preedit 文字", "clear".
    QStringList events;

public Q_SLOTS:
    QString CommitText(const QString& text);
    void ForwardKey(uint keysym, uint states);
    void SetPreedit(const QString& text);
    void ClearPreedit();
    uint Version();

private:
    bool refuseWithoutFocus();

    QString m_connectionName;
    QDBusConnection m_bus;
};

}  // namespace vocena::test
