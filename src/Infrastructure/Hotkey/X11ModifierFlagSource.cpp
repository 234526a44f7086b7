// Qt before Xlib: Xlib's macros (Status, Bool) break Qt headers included after it.
#include "Infrastructure/Hotkey/X11ModifierFlagSource.h"
#include "Infrastructure/Platform/Logging.h"

#include <QSocketNotifier>

#include "Infrastructure/X11/X11Connection.h"
#include "Infrastructure/X11/XkbKeyGroup.h"

#include <X11/XKBlib.h>
#include <X11/extensions/XInput2.h>
#include <X11/Xutil.h>
#include <X11/keysym.h>

#include <array>
#include <bitset>

namespace vocena {

namespace {

const Logger logger("ModifierKeyMonitor");

constexpr int kKeyCodes = 256;

// What a key code stands for in one group (layout) of the keyboard mapping.
enum class KeyRole : quint8 { other, ignored, shift, control, option, command };

KeyRole roleForKeysym(KeySym keysym) {
    switch (keysym) {
    case XK_Alt_L:
    case XK_Alt_R: return KeyRole::option;
    case XK_Control_L:
    case XK_Control_R: return KeyRole::control;
    case XK_Super_L:
    case XK_Super_R: return KeyRole::command;
    case XK_Shift_L:
    case XK_Shift_R: return KeyRole::shift;
    default: return IsModifierKey(keysym) ? KeyRole::ignored : KeyRole::other;  // AltGr is ISO_Level3_Shift
    }
}

ModifierFlags flagForRole(KeyRole role) {
    switch (role) {
    case KeyRole::shift: return ModifierFlag::shift;
    case KeyRole::control: return ModifierFlag::control;
    case KeyRole::option: return ModifierFlag::option;
    case KeyRole::command: return ModifierFlag::command;
    default: return {};
    }
}

struct KeyboardDeleter {
    void operator()(XkbDescPtr keyboard) const { XkbFreeKeyboard(keyboard, 0, True); }
};

// The role of every key code in each of the keyboard's groups, by the key's first keysym in
// that group (a few keys have their modifier only at the second level).
class KeyRoles {
public:
    void load(Display* display) {
        m_roles = {};
        const std::unique_ptr<XkbDescRec, KeyboardDeleter> keyboard(
            XkbGetMap(display, XkbKeyTypesMask | XkbKeySymsMask, XkbUseCoreKbd));
        if (!keyboard) {
            logger.error(QStringLiteral("无法读取键盘布局，修饰键暂不可用"));
            return;
        }
        for (int key = keyboard->min_key_code; key <= keyboard->max_key_code && key < kKeyCodes; ++key) {
            for (int group = 0; group < XkbNumKbdGroups; ++group) {
                const int keyGroup = xkbKeyGroup(keyboard.get(), KeyCode(key), group);
                if (keyGroup < 0) break;
                const int levels = XkbKeyGroupWidth(keyboard.get(), key, keyGroup);
                for (int level = 0; level < levels; ++level) {
                    const KeySym keysym = XkbKeySymEntry(keyboard.get(), key, level, keyGroup);
                    if (keysym == NoSymbol) continue;
                    m_roles[group][key] = roleForKeysym(keysym);
                    break;
                }
            }
        }
    }
    KeyRole role(int group, int key) const { return m_roles[group & 3][key]; }

private:
    std::array<std::array<KeyRole, kKeyCodes>, XkbNumKbdGroups> m_roles{};
};

// The payload of one XInput2 event, freed with it.
class EventData {
public:
    EventData(Display* display, XGenericEventCookie* cookie)
        : m_display(display), m_cookie(cookie), m_loaded(XGetEventData(display, cookie)) {}
    ~EventData() {
        if (m_loaded) XFreeEventData(m_display, m_cookie);
    }
    EventData(const EventData&) = delete;
    EventData& operator=(const EventData&) = delete;
    const XIRawEvent* raw() const { return m_loaded ? static_cast<const XIRawEvent*>(m_cookie->data) : nullptr; }

private:
    Display* m_display;
    XGenericEventCookie* m_cookie;
    bool m_loaded;
};

// Disabled and disconnected at once, deleted by the event loop: the session may end inside
// the notifier's own signal (a delegate stops monitoring).
struct NotifierDeleter {
    void operator()(QSocketNotifier* notifier) const {
        notifier->setEnabled(false);
        notifier->disconnect();
        notifier->deleteLater();
    }
};

}  // namespace

// One run between start() and stop(): the connection, its event selection and the keys held.
class X11ModifierFlagSource::Session {
public:
    explicit Session(Handler handler) : m_handler(std::move(handler)) {}

    bool open() {
        Display* display = m_connection.display();
        if (!display) {
            logger.error(QStringLiteral("无法连接 X 显示，修饰键监听不可用"));
            return false;
        }
        int event = 0, error = 0, major = 2, minor = 2;
        if (!XQueryExtension(display, "XInputExtension", &m_xiOpcode, &event, &error) ||
            XIQueryVersion(display, &major, &minor) != Success) {
            logger.error(QStringLiteral("X 显示不支持 XInput2，修饰键监听不可用"));
            return false;
        }
        int xkbOpcode = 0, xkbMajor = XkbMajorVersion, xkbMinor = XkbMinorVersion;
        if (!XkbQueryExtension(display, &xkbOpcode, &m_xkbEventBase, &error, &xkbMajor, &xkbMinor)) {
            logger.error(QStringLiteral("X 显示不支持 XKB，修饰键监听不可用"));
            return false;
        }
        // Layout changes (setxkbmap, xmodmap) and switches between the layouts of the keyboard.
        const unsigned changes = XkbNewKeyboardNotifyMask | XkbMapNotifyMask;
        XkbSelectEvents(display, XkbUseCoreKbd, changes, changes);
        XkbSelectEventDetails(display, XkbUseCoreKbd, XkbStateNotify, XkbGroupStateMask, XkbGroupStateMask);
        XkbStateRec state{};
        if (XkbGetState(display, XkbUseCoreKbd, &state) == Success) m_group = state.group;
        m_keyRoles.load(display);

        unsigned char bits[XIMaskLen(XI_LASTEVENT)] = {};
        XISetMask(bits, XI_RawKeyPress);
        XISetMask(bits, XI_RawKeyRelease);
        XISetMask(bits, XI_RawButtonPress);
        XIEventMask mask{XIAllMasterDevices, int(sizeof bits), bits};
        XISelectEvents(display, DefaultRootWindow(display), &mask, 1);
        XSync(display, False);  // selected before start() returns

        m_notifier.reset(new QSocketNotifier(ConnectionNumber(display), QSocketNotifier::Read));
        QObject::connect(m_notifier.get(), &QSocketNotifier::activated, [this] { drain(); });
        drain();  // what came with the replies so far counts for the keys held, unreported
        m_reporting = true;
        return true;
    }

private:
    // Reads every event that arrived; Xlib may already have queued some while waiting for a
    // reply, so the queue is emptied, not just the socket.
    void drain() {
        Display* display = m_connection.display();
        const std::weak_ptr<int> alive = m_alive;
        while (XPending(display) > 0) {
            XEvent event;
            XNextEvent(display, &event);
            if (event.type == m_xkbEventBase) {
                const auto& xkb = reinterpret_cast<const XkbEvent&>(event);
                if (xkb.any.xkb_type == XkbStateNotify) m_group = xkb.state.group;
                else m_keyRolesStale = true;
                continue;
            }
            if (event.type == MappingNotify) {
                m_keyRolesStale = true;  // one layout change sends several: read it once, when needed
                continue;
            }
            if (event.type != GenericEvent || event.xcookie.extension != m_xiOpcode) continue;
            int type = 0, detail = 0;
            {
                const EventData data(display, &event.xcookie);  // freed before the handler runs
                const XIRawEvent* raw = data.raw();
                if (!raw) continue;
                type = raw->evtype;
                detail = raw->detail;
            }
            if (type == XI_RawButtonPress) report(ModifierEvent::Kind::buttonPressed);
            else keyChanged(detail, type == XI_RawKeyPress);
            if (alive.expired()) return;  // the handler stopped the source
        }
    }

    void keyChanged(int key, bool down) {
        if (key < 0 || key >= kKeyCodes) return;
        if (m_keyRolesStale) {
            m_keyRolesStale = false;
            m_keyRoles.load(m_connection.display());
        }
        const KeyRole role = m_keyRoles.role(m_group, key);
        if (role == KeyRole::ignored) return;
        if (role == KeyRole::other) {
            if (down) report(ModifierEvent::Kind::otherKeyPressed);
            return;
        }
        // A key that is already down repeats; one that is not down was released twice
        // (xdotool sends two releases) or went down before the session began.
        if (m_down.test(key) == down) return;
        m_down.set(key, down);
        report(ModifierEvent::Kind::modifiersChanged);
    }

    void report(ModifierEvent::Kind kind) {
        if (!m_reporting) return;
        ModifierEvent event{kind, {}};
        for (int code = 0; code < kKeyCodes; ++code)
            if (m_down.test(code)) event.modifiers |= flagForRole(m_keyRoles.role(m_group, code));
        const Handler handler = m_handler;  // the handler may end this session
        handler(event);
    }

    Handler m_handler;
    X11Connection m_connection;
    int m_xiOpcode = 0;
    int m_xkbEventBase = 0;
    int m_group = 0;  // the keyboard's layout now in use
    KeyRoles m_keyRoles;
    bool m_keyRolesStale = false;
    std::bitset<kKeyCodes> m_down;  // modifier keys held
    bool m_reporting = false;       // from the end of start()
    std::shared_ptr<int> m_alive = std::make_shared<int>(0);
    std::unique_ptr<QSocketNotifier, NotifierDeleter> m_notifier;  // declared last: goes first
};

X11ModifierFlagSource::X11ModifierFlagSource() = default;

X11ModifierFlagSource::~X11ModifierFlagSource() = default;

bool X11ModifierFlagSource::start(Handler handler) {
    auto session = std::make_unique<Session>(std::move(handler));
    if (!session->open()) return false;
    m_session = std::move(session);
    return true;
}

void X11ModifierFlagSource::stop() { m_session.reset(); }

}  // namespace vocena
