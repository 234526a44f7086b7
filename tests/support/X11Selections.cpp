#include "support/X11Selections.h"

#include "support/FocusedTextField.h"

namespace vocena::test {

QString selectionSeenByOthers(const QString& selection) {
    return runProcess(QStringLiteral("xclip"), {QStringLiteral("-selection"), selection, QStringLiteral("-o")}).out;
}

void setSelectionInAnotherApplication(const QString& text, const QString& selection) {
    runProcess(QStringLiteral("xclip"), {QStringLiteral("-selection"), selection, QStringLiteral("-i")}, text.toUtf8());
    // xclip's server process takes the selection after the command returns: wait until it has.
    waitUntil([&] { return selectionSeenByOthers(selection) == text; });
}

}  // namespace vocena::test
