#include "Infrastructure/TextInjection/TerminalWindowClasses.h"

#include <QByteArray>
#include <algorithm>
#include <array>

namespace vocena {

namespace {

struct Terminal {
    const char* windowClass;
    PasteMethod method;
};

constexpr PasteMethod clipboardPaste{PasteKey::controlShiftV, PasteSelection::clipboard};
// xterm, urxvt and st have no clipboard shortcut by default: Control+Shift+V does nothing in
// them, Control+V would insert a control character. Shift+Insert pastes the primary selection.
constexpr PasteMethod selectionPaste{PasteKey::shiftInsert, PasteSelection::primary};

// The terminal emulators, by the WM_CLASS instance or class name they set, or the app id of
// their Wayland windows.
constexpr std::array terminals = {
    Terminal{"alacritty", clipboardPaste},
    Terminal{"com.mitchellh.ghostty", clipboardPaste},
    Terminal{"cool-retro-term", clipboardPaste},
    Terminal{"deepin-terminal", clipboardPaste},
    Terminal{"foot", clipboardPaste},
    Terminal{"footclient", clipboardPaste},
    Terminal{"gnome-terminal", clipboardPaste},
    Terminal{"gnome-terminal-server", clipboardPaste},
    Terminal{"guake", clipboardPaste},
    Terminal{"io.elementary.terminal", clipboardPaste},
    Terminal{"kgx", clipboardPaste},
    Terminal{"kitty", clipboardPaste},
    Terminal{"konsole", clipboardPaste},
    Terminal{"lxterminal", clipboardPaste},
    Terminal{"mate-terminal", clipboardPaste},
    Terminal{"org.gnome.console", clipboardPaste},
    Terminal{"org.gnome.ptyxis", clipboardPaste},
    Terminal{"org.gnome.terminal", clipboardPaste},
    Terminal{"org.kde.konsole", clipboardPaste},
    Terminal{"org.kde.yakuake", clipboardPaste},
    Terminal{"org.wezfurlong.wezterm", clipboardPaste},
    Terminal{"qterminal", clipboardPaste},
    Terminal{"roxterm", clipboardPaste},
    Terminal{"rxvt", selectionPaste},
    Terminal{"sakura", clipboardPaste},
    Terminal{"st", selectionPaste},
    Terminal{"st-256color", selectionPaste},
    Terminal{"terminator", clipboardPaste},
    Terminal{"terminology", clipboardPaste},
    Terminal{"tilda", clipboardPaste},
    Terminal{"tilix", clipboardPaste},
    Terminal{"urxvt", selectionPaste},
    Terminal{"uxterm", selectionPaste},
    Terminal{"wezterm", clipboardPaste},
    Terminal{"xfce4-terminal", clipboardPaste},
    Terminal{"xterm", selectionPaste},
    Terminal{"yakuake", clipboardPaste},
};

const Terminal* terminalNamed(QByteArrayView name) {
    const QByteArray lower = name.toByteArray().toLower();
    const auto found = std::find_if(terminals.begin(), terminals.end(),
                                    [&lower](const Terminal& terminal) { return lower == terminal.windowClass; });
    return found == terminals.end() ? nullptr : &*found;
}

}  // namespace

PasteMethod pasteMethodForWindowClass(QByteArrayView instanceName, QByteArrayView className) {
    const Terminal* terminal = terminalNamed(instanceName);
    if (!terminal) terminal = terminalNamed(className);
    return terminal ? terminal->method : PasteMethod{};
}

}  // namespace vocena
