#pragma once

#include <QString>

namespace vocena::test {

// The X selections as another application sees them, through xclip: "clipboard" or "primary".
QString selectionSeenByOthers(const QString& selection = QStringLiteral("clipboard"));

// Another application copies (or selects) `text`; xclip serves it until someone else takes the
// selection. Returns once the selection holds it.
void setSelectionInAnotherApplication(const QString& text, const QString& selection = QStringLiteral("clipboard"));

}  // namespace vocena::test
