#include "UI/Banner/BannerPlacement.h"

#include <QCursor>
#include <QGuiApplication>
#include <QScreen>

namespace vocena::BannerPlacement {

QList<ScreenGeometry> desktopScreens() {
    QList<ScreenGeometry> screens;
    QScreen* primary = QGuiApplication::primaryScreen();
    if (primary) screens << ScreenGeometry{primary->geometry(), primary->availableGeometry()};
    for (QScreen* screen : QGuiApplication::screens())
        if (screen != primary) screens << ScreenGeometry{screen->geometry(), screen->availableGeometry()};
    return screens;
}

QPoint cursorPosition() { return QCursor::pos(); }

std::optional<ScreenGeometry> screenUnder(const QList<ScreenGeometry>& screens, const QPoint& cursor) {
    for (const ScreenGeometry& screen : screens)
        if (screen.geometry.contains(cursor)) return screen;
    if (screens.isEmpty()) return std::nullopt;
    return screens.first();
}

QRect topCentre(const QRect& available, const QSize& size) {
    // QRect::center() rounds towards the left edge for even widths: take the half width.
    const int midX = available.x() + available.width() / 2;
    return QRect(QPoint(midX - size.width() / 2, available.y()), size);
}

}  // namespace vocena::BannerPlacement
