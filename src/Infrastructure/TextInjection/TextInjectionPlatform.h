#pragma once

#include <QStringList>

namespace vocena {

class TextInjectionService;
class TextInjector;

// Chooses the text injection backends for the display the process is connected to, once, on
// first use. X11 is the one platform so far: XTest key events and the Qt clipboard.
namespace TextInjectionPlatform {

// The process's one TextInjectionService; null without an X11 display. Main thread only;
// lives until the event loop ends. SIGINT, SIGTERM and SIGHUP during one of its pastes put the
// clipboard back first (PasteSignalGuard). When the event loop ends, what the process still
// serves on the clipboard is handed to a keeper process (`vocena type --keep-clipboard`).
TextInjectionService* shared();

// Whether shared() can send key events: an X11 display that offers XTest.
bool keysAvailable();

// Where dictated text goes when nothing can type (ClipboardOnlyInjector): Qt's clipboard of
// whatever platform the application runs on, none without a QGuiApplication. Main thread
// only; lives until the event loop ends, and hands what it left on the clipboard to a keeper
// then, as shared() does.
TextInjector* clipboardOnly();

// How `vocena` runs as the clipboard keeper: `vocena type --keep-clipboard` (TypeCommand
// serves it; not for users, so not in its usage).
inline const QString keepClipboardOption = QStringLiteral("keep-clipboard");
inline const QStringList keeperArguments = {QStringLiteral("type"), QStringLiteral("--") + keepClipboardOption};

}  // namespace TextInjectionPlatform
}  // namespace vocena
