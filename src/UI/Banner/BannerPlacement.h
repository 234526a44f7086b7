#pragma once

#include <QList>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <functional>
#include <optional>

namespace vocena {

// One screen as the banner sees it: its whole area and the part panels and docks leave free.
struct ScreenGeometry {
    QRect geometry;
    QRect available;
};

// Where the banner goes: the screen under the mouse, at the top centre of its free area.
namespace BannerPlacement {

// The screens of the display, the primary one first.
using ScreenList = std::function<QList<ScreenGeometry>()>;
using CursorPosition = std::function<QPoint()>;

QList<ScreenGeometry> desktopScreens();
QPoint cursorPosition();

// The screen whose area holds `cursor`; else the first (primary) one; nullopt without screens.
std::optional<ScreenGeometry> screenUnder(const QList<ScreenGeometry>& screens, const QPoint& cursor);
// A panel of `size` touching the top edge of `available`, centred horizontally on it.
QRect topCentre(const QRect& available, const QSize& size);

}  // namespace BannerPlacement
}  // namespace vocena
