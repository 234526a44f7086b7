#include "Infrastructure/X11/X11Display.h"

#include <QGuiApplication>

namespace vocena::X11Display {

bool available() {
    return qobject_cast<QGuiApplication*>(QCoreApplication::instance()) &&
           QGuiApplication::platformName() == QLatin1String("xcb");
}

}  // namespace vocena::X11Display
