#pragma once

#include <QByteArrayView>

namespace vocena {

// Whether a window with this WM_CLASS (instance and class name) is a terminal emulator.
// Terminals take Control+V as input for the program running in them (in a shell it quotes the
// next key) and paste with Control+Shift+V instead.
bool isTerminalWindowClass(QByteArrayView instanceName, QByteArrayView className);

}  // namespace vocena
