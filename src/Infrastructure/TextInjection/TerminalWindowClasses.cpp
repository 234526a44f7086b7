#include "Infrastructure/TextInjection/TerminalWindowClasses.h"

#include <QByteArray>
#include <algorithm>
#include <array>

namespace vocena {

namespace {

// The terminal emulators, by the WM_CLASS instance or class name they set (compared without
// regard to case). xterm and urxvt have no clipboard paste shortcut by default; sending them
// Control+Shift+V does nothing, where Control+V would insert a control character.
constexpr std::array terminalClasses = {
    "alacritty",          "cool-retro-term",       "deepin-terminal",   "foot",
    "gnome-terminal",     "gnome-terminal-server", "guake",             "io.elementary.terminal",
    "kgx",                "kitty",                 "konsole",           "lxterminal",
    "mate-terminal",      "org.gnome.console",     "org.gnome.ptyxis",  "org.wezfurlong.wezterm",
    "qterminal",          "roxterm",               "rxvt",              "sakura",
    "st",                 "st-256color",           "terminator",        "terminology",
    "tilda",              "tilix",                 "urxvt",             "uxterm",
    "wezterm",            "xfce4-terminal",        "xterm",             "yakuake",
    "com.mitchellh.ghostty",
};

bool isTerminal(QByteArrayView name) {
    const QByteArray lower = name.toByteArray().toLower();
    return std::any_of(terminalClasses.begin(), terminalClasses.end(),
                       [&lower](const char* terminal) { return lower == terminal; });
}

}  // namespace

bool isTerminalWindowClass(QByteArrayView instanceName, QByteArrayView className) {
    return isTerminal(instanceName) || isTerminal(className);
}

}  // namespace vocena
