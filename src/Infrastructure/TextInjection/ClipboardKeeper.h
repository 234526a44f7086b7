#pragma once

#include <QByteArray>
#include <QCoro/QCoroTask>
#include <QStringList>

namespace vocena {

// On X11 the clipboard's content lives in the process that owns it and is gone when that
// process exits. A short-lived process (the command line, after a paste put the previous
// content back or left the dictated text) hands what it owns of the clipboard and the primary
// selection to a keeper: a process of its own program, started detached, that serves the
// content until other applications have taken both.
namespace ClipboardKeeper {

// If this process owns the clipboard or the primary selection, starts `program arguments` with
// their content on its standard input and waits (up to 3 s) until that process has taken them.
// True when there was nothing to hand over or the keeper took it.
QCoro::Task<bool> handOff(QString program, QStringList arguments);
// The same for a process whose event loop has ended: waits without one.
bool handOffAtExit(const QString& program, const QStringList& arguments);

// The keeper's side: takes the selections with `content` (as handOff() writes it) and returns
// when other applications have taken them. False when the content is unreadable or the
// clipboard refused it.
QCoro::Task<bool> keep(QByteArray content);

}  // namespace ClipboardKeeper
}  // namespace vocena
