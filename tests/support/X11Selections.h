#pragma once

#include "support/CliRunner.h"

#include <QString>

namespace vocena::test {

// The X selections as another application sees them, through xclip: "clipboard" or "primary".
inline QString selectionSeenByOthers(const QString& selection = QStringLiteral("clipboard")) {
    return runProcess(QStringLiteral("xclip"), {QStringLiteral("-selection"), selection, QStringLiteral("-o")}).out;
}

// Another application copies (or selects) `text`; xclip serves it until someone else takes the
// selection. Returns once the selection holds it.
inline void setSelectionInAnotherApplication(const QString& text, const QString& selection = QStringLiteral("clipboard")) {
    runProcess(QStringLiteral("xclip"), {QStringLiteral("-selection"), selection, QStringLiteral("-i")}, text.toUtf8());
    // xclip's server process takes the selection after the command returns: wait until it has.
    waitUntil([&] { return selectionSeenByOthers(selection) == text; });
}

}  // namespace vocena::test
