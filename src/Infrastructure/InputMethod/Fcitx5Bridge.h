#pragma once

#include <QCoro/QCoroTask>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QObject>
#include <QString>
#include <chrono>
#include <optional>

namespace vocena {

// The app's side of the fcitx5 bridge: a module loaded into fcitx5 that commits text into the
// focused input context, forwards keys to the focused application and reports modifier keys
// (object /com/vocena/Fcitx5Bridge, interface com.vocena.Fcitx5Bridge1, on the session bus
// name fcitx5 owns). Every call is asynchronous with a short time-out: fcitx5 that hangs never
// holds up the main thread. Main thread only.
class Fcitx5Bridge final : public QObject {
    Q_OBJECT

public:
    static inline const QString serviceName = QStringLiteral("org.fcitx.Fcitx5");
    static inline const QString objectPath = QStringLiteral("/com/vocena/Fcitx5Bridge");
    static inline const QString interfaceName = QStringLiteral("com.vocena.Fcitx5Bridge1");
    static inline const QString noFocusError = QStringLiteral("com.vocena.Fcitx5Bridge1.Error.NoFocus");
    static constexpr quint32 supportedVersion = 1;
    // Enough for fcitx5 on a loaded machine (a commit takes about a millisecond).
    static constexpr std::chrono::milliseconds callTimeout{500};

    // The key states of ForwardKey (fcitx5's own bits).
    enum KeyState : quint32 { shiftState = 1u << 0, controlState = 1u << 2, altState = 1u << 3, superState = 1u << 6 };

    // Whether the bridge can be used, and why (shown by `vocena doctor`).
    struct Availability {
        bool available = false;
        QString detail;
    };

    // The answer of a call: `value` is CommitText's program name; on failure `errorName` is
    // the D-Bus error (a time-out, NoFocus) and `message` its text.
    struct Reply {
        bool ok = false;
        QString value;
        QString errorName;
        QString message;
        bool noFocus() const { return errorName == noFocusError; }
        QString failure() const { return message.isEmpty() ? errorName : message; }
    };

    explicit Fcitx5Bridge(QDBusConnection bus, QObject* parent = nullptr);

    // Available when fcitx5 owns its bus name and the bridge's Version() answers with the
    // version this client speaks. Asks the bus first and calls fcitx5 only when it runs: a call
    // to the name while nobody owns it would start a second fcitx5 by D-Bus activation.
    QCoro::Task<Availability> checkAvailability();

    QCoro::Task<Reply> commitText(QString text);
    // A press and a release of `keysym` with the modifier `states` (KeyState bits).
    QCoro::Task<Reply> forwardKey(quint32 keysym, quint32 states);
    // Shows `text` underlined and uncommitted in the focused input context (empty: none), until
    // the next commit or ClearPreedit, or until that context loses the focus.
    QCoro::Task<Reply> setPreedit(QString text);
    QCoro::Task<Reply> clearPreedit();

Q_SIGNALS:
    // A modifier key (Alt, Control, Shift, Super and their kin, by keysym) went down or up in
    // the focused input context, before the input method saw it.
    void modifierKey(quint32 keysym, bool pressed);
    // Any other key went down there (which one is never told).
    void otherKey();
    // An input context gained or lost the focus (a bridge of version 1 may not say so).
    void focusChanged();

private Q_SLOTS:
    void onModifierKey(uint keysym, bool pressed);
    void onOtherKey();
    void onFocusChanged();

private:
    // The answer for the replies of NameHasOwner and Version (none: not asked).
    static Availability availability(const std::optional<Reply>& owner, const std::optional<Reply>& version);
    static QDBusMessage busCall(const QString& method, const QVariantList& arguments);
    static QDBusMessage bridgeCall(const QString& method, const QVariantList& arguments);
    QCoro::Task<Reply> send(QDBusMessage message);

    QDBusConnection m_bus;
};

}  // namespace vocena
