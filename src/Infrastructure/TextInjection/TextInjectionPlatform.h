#pragma once

#include <QStringList>
#include <memory>

namespace vocena {

class ClipboardBackend;
class KeyEventSink;
class TextInjectionService;
class TextInjector;

// The X11 text injection backends (XTest key events and the Qt clipboard), made once on first
// use, and what every platform's process-wide service shares (WaylandTyping has the wlroots one).
namespace TextInjectionPlatform {

// The process's one TextInjectionService; null without an X11 display. Main thread only;
// lives until the event loop ends. SIGINT, SIGTERM and SIGHUP during one of its pastes put the
// clipboard back first (PasteSignalGuard). When the event loop ends, what the process still
// serves on the clipboard is handed to a keeper process (`vocena type --keep-clipboard`).
TextInjectionService* shared();

// A process-wide service over `keys` and `clipboard` (each platform's shared() makes one):
// SIGINT, SIGTERM and SIGHUP during one of its pastes put the clipboard back first, and when
// the event loop ends, an unfinished paste ends, the service goes, and what the process still
// serves on the clipboard is handed to a keeper process.
TextInjectionService* makeProcessService(std::unique_ptr<KeyEventSink> keys, std::unique_ptr<ClipboardBackend> clipboard);

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
