// Qt before Xlib: Xlib's macros (Status, Bool) break Qt headers included after it.
#include "Infrastructure/TextInjection/TerminalWindowClasses.h"
#include "Infrastructure/TextInjection/X11KeyEventSink.h"

#include "Infrastructure/X11/X11Connection.h"
#include "Infrastructure/TextInjection/X11Keymap.h"

#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

#include <optional>

namespace vocena {

namespace {

KeySym keysymFor(char32_t character) {
    switch (character) {
    case U'\n': return XK_Return;
    case U'\t': return XK_Tab;
    default: return KeySym(character);  // Latin-1 keysyms are the code points
    }
}

template <typename T>
struct XFreeDeleter {
    void operator()(T* pointer) const {
        if (pointer) XFree(pointer);
    }
};
template <typename T>
using XPointer = std::unique_ptr<T, XFreeDeleter<T>>;

// How the window with the input focus pastes, by its WM_CLASS or that of the nearest ancestor
// that has one (the focus may sit on a child of the application's top-level window).
PasteMethod focusedPasteMethod(Display* display) {
    Window window = None;
    int revertTo = 0;
    XGetInputFocus(display, &window, &revertTo);
    const Window root = DefaultRootWindow(display);
    while (window != None && window != PointerRoot && window != root) {
        XClassHint hint{nullptr, nullptr};
        if (XGetClassHint(display, window, &hint)) {
            const XPointer<char> name(hint.res_name);
            const XPointer<char> cls(hint.res_class);
            return pasteMethodForWindowClass(QByteArrayView(name.get()), QByteArrayView(cls.get()));
        }
        Window rootReturn = None, parent = None;
        Window* children = nullptr;
        unsigned count = 0;
        if (!XQueryTree(display, window, &rootReturn, &parent, &children, &count)) return {};  // gone meanwhile
        const XPointer<Window> childList(children);
        window = parent;
    }
    return {};
}

}  // namespace

struct X11KeyEventSink::State {
    X11Connection connection;
    bool hasXTest = false;
    std::optional<X11Keymap> keymap;

    void send(const X11KeyStroke& stroke) {
        Display* display = connection.display();
        for (KeyCode modifier : stroke.modifiers) XTestFakeKeyEvent(display, modifier, True, CurrentTime);
        XTestFakeKeyEvent(display, stroke.key, True, CurrentTime);
        XTestFakeKeyEvent(display, stroke.key, False, CurrentTime);
        for (auto it = stroke.modifiers.rbegin(); it != stroke.modifiers.rend(); ++it)
            XTestFakeKeyEvent(display, *it, False, CurrentTime);
        XFlush(display);
    }

    void sendShortcut(KeySym keysym, unsigned modifiers) {
        if (std::optional<X11KeyStroke> stroke = keymap->shortcutFor(keysym, modifiers)) send(*stroke);
    }

    std::vector<KeyCode> heldModifiers() {
        char keys[32] = {};
        XQueryKeymap(connection.display(), keys);
        std::vector<KeyCode> held;
        for (KeyCode key : keymap->modifierKeys())
            if (keys[key / 8] & (1 << (key % 8))) held.push_back(key);
        return held;
    }
};

X11KeyEventSink::X11KeyEventSink() : d(std::make_unique<State>()) {
    Display* display = d->connection.display();
    if (!display) return;
    int eventBase = 0, errorBase = 0, major = 0, minor = 0;
    d->hasXTest = XTestQueryExtension(display, &eventBase, &errorBase, &major, &minor);
    d->keymap.emplace(display);
}

X11KeyEventSink::~X11KeyEventSink() = default;

bool X11KeyEventSink::isAvailable() { return d->hasXTest; }

bool X11KeyEventSink::canType(char32_t character) {
    return d->hasXTest && d->keymap->strokeFor(keysymFor(character)).has_value();
}

bool X11KeyEventSink::typeCharacter(char32_t character) {
    if (!d->hasXTest) return false;
    const std::optional<X11KeyStroke> stroke = d->keymap->strokeFor(keysymFor(character));
    if (!stroke) return false;
    d->send(*stroke);
    return true;
}

void X11KeyEventSink::pressBackspace() {
    if (d->hasXTest) d->sendShortcut(XK_BackSpace, 0);
}

void X11KeyEventSink::pressUndo() {
    if (d->hasXTest) d->sendShortcut(XK_z, ControlMask);
}

PasteMethod X11KeyEventSink::focusedPasteMethod() {
    return d->connection.display() ? vocena::focusedPasteMethod(d->connection.display()) : PasteMethod{};
}

void X11KeyEventSink::pressPaste(PasteKey key) {
    if (!d->hasXTest) return;
    switch (key) {
    case PasteKey::controlV: d->sendShortcut(XK_v, ControlMask); break;
    case PasteKey::controlShiftV: d->sendShortcut(XK_v, ControlMask | ShiftMask); break;
    case PasteKey::shiftInsert: d->sendShortcut(XK_Insert, ShiftMask); break;
    }
}

bool X11KeyEventSink::modifiersHeld() { return d->hasXTest && !d->heldModifiers().empty(); }

void X11KeyEventSink::releaseModifiers() {
    if (!d->hasXTest) return;
    for (KeyCode key : d->heldModifiers()) XTestFakeKeyEvent(d->connection.display(), key, False, CurrentTime);
    XFlush(d->connection.display());
}

}  // namespace vocena
