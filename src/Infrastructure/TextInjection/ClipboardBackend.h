#pragma once

#include "Infrastructure/TextInjection/PasteMethod.h"

#include <QCoro/QCoroTask>
#include <QString>

namespace vocena {

// The desktop's clipboard, as the paste path uses it: text is offered for one paste and what
// the clipboard held before is put back afterwards. One final class per platform
// (QtClipboardBackend) and one test double. Every call is made on the main thread.
class ClipboardBackend {
public:
    virtual ~ClipboardBackend() = default;

    // Sets aside what the clipboard holds and puts `text` on it as plain text, marked so that
    // clipboard managers keep it out of their history; for a target that reads the primary
    // selection, on that selection too. Notes which application has the keyboard focus now:
    // the paste is meant for it. False when the clipboard refused the text; the clipboard is
    // then as it was.
    virtual bool offer(const QString& text, PasteSelection selection) = 0;
    // Reads what the clipboard holds now, ahead of offer(), without holding up the main
    // thread: a backend whose owner may answer slowly sets it aside here. False when it could
    // not be read (the paste then refuses, rather than lose it). Default: nothing to do.
    virtual QCoro::Task<bool> setAside(PasteSelection selection) { co_return true; }
    // The paste key is about to be sent: a read before this point was not the target's (a
    // clipboard manager reads every new content at once). Default: nothing to note.
    virtual void pasteKeySent() {}
    // Whether the application that had the focus at offer() has fetched the offered text.
    // Reads by anyone else (a clipboard manager copying every new content) do not count; when
    // the focused application is unknown, any read counts.
    virtual bool offeredTextFetched() const = 0;
    // Puts back what offer() set aside. An empty clipboard stays with the offered text on it.
    // Does nothing when nothing was offered, or when someone else has taken the clipboard since.
    virtual void restore() = 0;
    // Leaves the offered text on the clipboard for the user to paste, and forgets what offer()
    // set aside.
    virtual void keepOffered() = 0;
};

}  // namespace vocena
