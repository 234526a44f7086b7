#pragma once

#include <QString>

namespace vocena {

// The desktop's clipboard, as the paste path uses it: text is offered for one paste and what
// the clipboard held before is put back afterwards. One final class per platform
// (QtClipboardBackend) and one test double. Every call is made on the main thread.
class ClipboardBackend {
public:
    virtual ~ClipboardBackend() = default;

    // Sets aside what the clipboard holds and puts `text` on it as plain text, marked so that
    // clipboard managers keep it out of their history. False when the clipboard refused it;
    // the clipboard is then as it was.
    virtual bool offer(const QString& text) = 0;
    // Whether an application has fetched the offered text since offer().
    virtual bool offeredTextFetched() const = 0;
    // Puts back what offer() set aside. An empty clipboard stays with the offered text on it.
    // Does nothing when nothing was offered, or when someone else has taken the clipboard since.
    virtual void restore() = 0;
};

}  // namespace vocena
