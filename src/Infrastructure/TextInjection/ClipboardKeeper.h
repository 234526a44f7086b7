#pragma once

#include <QByteArray>
#include <QCoro/QCoroTask>
#include <QStringList>

namespace vocena {

// On X11 the clipboard's content lives in the process that owns it and is gone when that
// process exits. A short-lived process (the command line, after a paste put the previous
// content back) hands what it owns to a keeper: a process of its own program, started
// detached, that serves the content until another application takes the clipboard.
namespace ClipboardKeeper {

// If this process owns the clipboard, starts `program arguments` with the content on its
// standard input and waits (up to 3 s) until that process has taken the clipboard. True when
// there was nothing to hand over or the keeper took it.
QCoro::Task<bool> handOff(QString program, QStringList arguments);

// The keeper's side: takes the clipboard with `content` (as handOff() writes it) and returns
// when another application has taken it. False when the content is unreadable or the
// clipboard refused it.
QCoro::Task<bool> keep(QByteArray content);

}  // namespace ClipboardKeeper
}  // namespace vocena
