#include "Infrastructure/TextInjection/WaylandKeyEventSink.h"

#include "Infrastructure/Platform/Logging.h"
#include "Infrastructure/TextInjection/TerminalWindowClasses.h"
#include "Infrastructure/Wayland/WaylandConnection.h"

#include <chrono>
#include <sys/mman.h>
#include <unistd.h>
#include <wayland-client.h>

#include "virtual-keyboard-unstable-v1-client-protocol.h"

namespace vocena {

using namespace std::chrono_literals;

namespace {

const Logger logger("TextInjectionService");

constexpr uint32_t released = WL_KEYBOARD_KEY_STATE_RELEASED;
constexpr uint32_t pressed = WL_KEYBOARD_KEY_STATE_PRESSED;

// Milliseconds of one clock for every event of the keyboard.
uint32_t now() {
    return uint32_t(std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch()).count());
}

// An anonymous in-memory file with `bytes`, for the compositor to map; -1 when it failed.
int memoryFileWith(const QByteArray& bytes) {
    const int fd = memfd_create("vocena-keymap", MFD_CLOEXEC);
    if (fd < 0) return -1;
    for (qsizetype done = 0; done < bytes.size();) {
        const ssize_t n = ::write(fd, bytes.constData() + done, size_t(bytes.size() - done));
        if (n <= 0) {
            ::close(fd);
            return -1;
        }
        done += n;
    }
    return fd;
}

}  // namespace

WaylandKeyEventSink::WaylandKeyEventSink(WaylandConnection& connection) : m_connection(connection), m_activeWindow(connection) {
    if (!connection.offersWlrootsTyping()) return;
    const int keymap = memoryFileWith(m_keymap.text());
    if (keymap < 0) {
        logger.error(QStringLiteral("无法为虚拟键盘创建键盘映射文件"));
        return;
    }
    m_keyboard = zwp_virtual_keyboard_manager_v1_create_virtual_keyboard(connection.virtualKeyboards(), connection.seat());
    zwp_virtual_keyboard_v1_keymap(m_keyboard, WL_KEYBOARD_KEYMAP_FORMAT_XKB_V1, keymap, uint32_t(m_keymap.text().size()));
    ::close(keymap);  // sent: the compositor has its own descriptor
    if (!connection.roundtrip(1s)) logger.error(QStringLiteral("Wayland 混成器没有确认虚拟键盘"));
}

WaylandKeyEventSink::~WaylandKeyEventSink() {
    if (m_keyboard) zwp_virtual_keyboard_v1_destroy(m_keyboard);
    m_connection.flush();
}

bool WaylandKeyEventSink::isAvailable() { return m_keyboard && m_connection.isConnected(); }

bool WaylandKeyEventSink::canType(char32_t character) { return isAvailable() && m_keymap.strokeFor(character).has_value(); }

bool WaylandKeyEventSink::typeCharacter(char32_t character) {
    const std::optional<WaylandKeyStroke> stroke = m_keymap.strokeFor(character);
    if (!isAvailable() || !stroke) return false;
    send(*stroke);
    return true;
}

void WaylandKeyEventSink::pressBackspace() { sendShortcut(WaylandKeymap::backSpaceKeysym, 0); }

void WaylandKeyEventSink::pressUndo() { sendShortcut(U'z', WaylandKeymap::controlMask); }

PasteMethod WaylandKeyEventSink::focusedPasteMethod() {
    const QByteArray appId = m_activeWindow.appId();
    return pasteMethodForWindowClass(appId, appId);
}

void WaylandKeyEventSink::pressPaste(PasteKey key) {
    switch (key) {
    case PasteKey::controlV: sendShortcut(U'v', WaylandKeymap::controlMask); break;
    case PasteKey::controlShiftV: sendShortcut(U'v', WaylandKeymap::controlMask | WaylandKeymap::shiftMask); break;
    case PasteKey::shiftInsert: sendShortcut(WaylandKeymap::insertKeysym, WaylandKeymap::shiftMask); break;
    }
}

void WaylandKeyEventSink::releaseModifiers() {
    // Only this keyboard's own modifiers exist for the keys it sends.
    if (!isAvailable()) return;
    zwp_virtual_keyboard_v1_modifiers(m_keyboard, 0, 0, 0, 0);
    m_connection.flush();
}

void WaylandKeyEventSink::sendShortcut(uint32_t keysym, uint32_t modifiers) {
    if (!isAvailable()) return;
    if (const std::optional<WaylandKeyStroke> stroke = m_keymap.shortcutFor(keysym, modifiers)) send(*stroke);
}

void WaylandKeyEventSink::send(const WaylandKeyStroke& stroke) {
    // Key events of a virtual keyboard do not change its modifiers: they are set around the key.
    if (stroke.modifiers) zwp_virtual_keyboard_v1_modifiers(m_keyboard, stroke.modifiers, 0, 0, 0);
    zwp_virtual_keyboard_v1_key(m_keyboard, now(), stroke.key, pressed);
    zwp_virtual_keyboard_v1_key(m_keyboard, now(), stroke.key, released);
    if (stroke.modifiers) zwp_virtual_keyboard_v1_modifiers(m_keyboard, 0, 0, 0, 0);
    m_connection.flush();
}

}  // namespace vocena
