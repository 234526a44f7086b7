#pragma once

#include "Infrastructure/TextInjection/PasteMethod.h"

#include <QByteArrayView>

namespace vocena {

// How a window with this WM_CLASS (instance and class name, compared without regard to case)
// pastes. Terminals take Control+V as input for the program running in them (in a shell it
// quotes the next key): most paste the clipboard on Control+Shift+V, xterm and its kin paste
// the primary selection on Shift+Insert. Every other window: Control+V and the clipboard.
PasteMethod pasteMethodForWindowClass(QByteArrayView instanceName, QByteArrayView className);

}  // namespace vocena
