// Qt before Xlib: Xlib's macros (Status, Bool) break Qt headers included after it.
#include "Infrastructure/Hotkey/X11ModifierFlagSource.h"
#include "Infrastructure/Platform/Logging.h"

#include <QSocketNotifier>

#include "Infrastructure/X11/X11Connection.h"

#include <X11/XKBlib.h>
#include <X11/extensions/XInput2.h>
#include <X11/keysym.h>

#include <array>
#include <bitset>

namespace vocena {

namespace {

const Logger logger("ModifierKeyMonitor");

constexpr int kKeyCodes = 256;
using ModifierKeyMap = std::array<ModifierFlags, kKeyCodes>;

ModifierFlags flagForKeysym(KeySym keysym) {
    switch (keysym) {
    case XK_Alt_L:
    case XK_Alt_R: return ModifierFlag::option;
    case XK_Control_L:
    case XK_Control_R: return ModifierFlag::control;
    case XK_Super_L:
    case XK_Super_R: return ModifierFlag::command;
    case XK_Shift_L:
    case XK_Shift_R: return ModifierFlag::shift;
    default: return {};
    }
}

struct XFreeDeleter {
    void operator()(void* data) const { XFree(data); }
};

// The modifier each key code stands for, by the first keysym of the key in the current
// keyboard mapping (some layouts put a modifier only at a later level of a spare key).
ModifierKeyMap loadModifierKeys(Display* display) {
    ModifierKeyMap keys{};
    int minKey = 0, maxKey = 0, perKey = 0;
    XDisplayKeycodes(display, &minKey, &maxKey);
    std::unique_ptr<KeySym, XFreeDeleter> map(XGetKeyboardMapping(display, KeyCode(minKey), maxKey - minKey + 1, &perKey));
    if (!map) return keys;
    for (int key = minKey; key <= maxKey && key < kKeyCodes; ++key) {
        const KeySym* syms = map.get() + (key - minKey) * perKey;
        for (int i = 0; i < perKey; ++i) {
            if (syms[i] == NoSymbol) continue;
            keys[key] = flagForKeysym(syms[i]);
            break;
        }
    }
    return keys;
}

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
        // Layout changes (setxkbmap) come as XKB events; a server without XKB sends MappingNotify.
        int xkbOpcode = 0, xkbError = 0, xkbMajor = XkbMajorVersion, xkbMinor = XkbMinorVersion;
        if (XkbQueryExtension(display, &xkbOpcode, &m_xkbEventBase, &xkbError, &xkbMajor, &xkbMinor)) {
            const unsigned changes = XkbNewKeyboardNotifyMask | XkbMapNotifyMask;
            XkbSelectEvents(display, XkbUseCoreKbd, changes, changes);
        }
        m_modifierKeys = loadModifierKeys(display);

        unsigned char bits[XIMaskLen(XI_LASTEVENT)] = {};
        XISetMask(bits, XI_RawKeyPress);
        XISetMask(bits, XI_RawKeyRelease);
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
            if (event.type == MappingNotify || (m_xkbEventBase && event.type == m_xkbEventBase)) {
                m_modifierKeys = loadModifierKeys(display);
                continue;
            }
            if (event.type != GenericEvent || event.xcookie.extension != m_xiOpcode) continue;
            int key = 0;
            bool down = false;
            {
                const EventData data(display, &event.xcookie);  // freed before the handler runs
                const XIRawEvent* raw = data.raw();
                if (!raw) continue;
                key = raw->detail;
                down = raw->evtype == XI_RawKeyPress;
            }
            keyChanged(key, down);
            if (alive.expired()) return;  // the handler stopped the source
        }
    }

    void keyChanged(int key, bool down) {
        if (key < 0 || key >= kKeyCodes || !m_modifierKeys[key]) return;
        // A key that is already down repeats; one that is not down was released twice
        // (xdotool sends two releases) or went down before the session began.
        if (m_down.test(key) == down) return;
        m_down.set(key, down);
        if (!m_reporting) return;
        ModifierFlags flags;
        for (int code = 0; code < kKeyCodes; ++code)
            if (m_down.test(code)) flags |= m_modifierKeys[code];
        const Handler handler = m_handler;  // the handler may end this session
        handler(flags);
    }

    Handler m_handler;
    X11Connection m_connection;
    int m_xiOpcode = 0;
    int m_xkbEventBase = 0;  // 0 without XKB
    ModifierKeyMap m_modifierKeys{};
    std::bitset<kKeyCodes> m_down;
    bool m_reporting = false;  // from the end of start()
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
