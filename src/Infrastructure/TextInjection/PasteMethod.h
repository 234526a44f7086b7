#pragma once

namespace vocena {

// The key that makes an application paste.
enum class PasteKey {
    controlV,       // most applications
    controlShiftV,  // terminals that paste the clipboard (Control+V goes to the program in them)
    shiftInsert,    // terminals that paste the primary selection (xterm has no clipboard shortcut)
};

// The X selection the paste key reads.
enum class PasteSelection { clipboard, primary };

// How the focused application pastes: which key to send it, and where it reads the text from.
struct PasteMethod {
    PasteKey key = PasteKey::controlV;
    PasteSelection selection = PasteSelection::clipboard;

    bool operator==(const PasteMethod&) const = default;
};

}  // namespace vocena
