#pragma once

#include <QClipboard>

namespace vocena::X11ClipboardOwner {

// The application's clipboard; null without a QGuiApplication.
QClipboard* clipboard();

// Whether this process owns the clipboard (or the primary selection): by Qt's account and, on
// xcb, by the X server's.
//
// QClipboard::ownsClipboard() alone can be wrong in both directions: Qt keeps believing it
// owns the clipboard when its request to take it was refused (a timestamp older than the
// current owner's), and when it ignored the notice that another client took it with the same
// timestamp as its own (two programs copying without a user event in between).
bool ownedByThisProcess(QClipboard::Mode mode = QClipboard::Clipboard);

}  // namespace vocena::X11ClipboardOwner
